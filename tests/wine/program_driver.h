#pragma once

// Drives a Windows program the way a person or a deployment script would:
// starts it, finds the boxes it shows, reads and answers them, and collects
// its standard output and full 32-bit exit code.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvex::driver {

// A box shown by the driven program (class #32770).
struct ShownBox {
  HWND window = nullptr;
  std::wstring caption;
  std::wstring text;                 // the static control 0xFFFF of a message box
  std::vector<int> buttons;          // IDs among OK, Cancel, Yes, No present
};

class ProgramRun {
 public:
  ProgramRun() = default;
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;
  ~ProgramRun();

  // Starts program with the given arguments (already quoted as needed) in
  // directory (empty: this process's own), as the user of token when one is
  // given. False when it cannot start.
  bool Start(const std::wstring& program, const std::wstring& arguments, const std::wstring& directory = L"",
             HANDLE token = nullptr);

  // Waits for the next visible box of the program; nothing when the program
  // ends or the time runs out first.
  std::optional<ShownBox> WaitForBox(DWORD timeoutMs = 20000);

  // Presses a button as a click would; the box is not reported again.
  void Press(const ShownBox& box, int buttonId);

  // Waits for the end and returns the exit code; nothing on time-out (the
  // program is then killed).
  std::optional<DWORD> WaitForExit(DWORD timeoutMs = 30000);

  // What the program wrote to its standard output (complete after the end).
  std::string Output();

  DWORD ProcessId() const { return processId_; }
  bool HasEnded() const { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }

 private:
  static DWORD WINAPI ReadOutput(void* self);

  HANDLE process_ = nullptr;
  HANDLE outputRead_ = nullptr;
  HANDLE reader_ = nullptr;
  DWORD processId_ = 0;
  std::string output_;
  std::vector<HWND> answered_;
};

// A visible box of another process than the program and this one (an
// installer's, say) that is not among answered, read like the program's.
std::optional<ShownBox> FindOtherBox(DWORD program, const std::vector<HWND>& answered = {});

// UTF-8 for test messages: printf("%ls") loses Cyrillic.
std::string Utf8(const std::wstring& text);

// Local time in the form of the installer logs' names (2026-03-05-14-07-09),
// seconds later; strings of this form sort by time.
std::string LocalStamp(int seconds = 0);
std::vector<std::string> Lines(const std::string& text);
std::string ReadWholeFile(const std::wstring& path);
// Makes a directory and every missing one above it.
bool CreateDirectories(const std::wstring& path);
// Copies what a run needs of a sample distribution (the packages of both
// flavours and the providers' setup programs) into a new directory.
bool CopyDistribution(const std::wstring& from, const std::wstring& to);

// The package flavour that this kind of Windows needs, x64 or win32: known
// from the prefix the group runs in (ORVEX_PACKAGE_ARCH), not asked of
// Windows, so a program that picks the wrong one is caught.
std::wstring PackageArch();
// The package of that flavour within a distribution: ARCH\orvexcom-ARCH.msi.
std::wstring PackageIn(const std::wstring& dist);

// The bootstrapper under test and the group's scratch directory, from the
// environment that run_group.sh sets.
std::wstring ProgramPath();
std::wstring WorkDirectory();
std::wstring Environment(const wchar_t* name);

// The bootstrapper's file opened for its resources, once; Message reads its
// string table, so tests compare with what the program really shows. Null
// when it cannot be opened.
HMODULE ProgramModule();
// A catalogue message as the program has it.
std::wstring Message(std::uint32_t id);

}  // namespace orvex::driver
