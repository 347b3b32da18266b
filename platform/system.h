#pragma once

// What the bootstrapper asks of Windows, in narrow interfaces. The decisions
// are made by portable code against these; win32/ implements them
// with the real calls, tests/fake with an in-memory model. Where a Windows
// call's own conventions matter to the caller (buffer sizes, the length a
// call reports), the interface keeps them.

#include <cstdint>

#include "base/status.h"
#include "base/unique_resource.h"
#include "base/wide_string.h"

namespace orvex {

// Message box styles and answers, with the values Windows gives them; the
// Win32 layer checks them against <windows.h> at compile time.
namespace box {
inline constexpr std::uint32_t kOk = 0x0;
inline constexpr std::uint32_t kYesNo = 0x4;
inline constexpr std::uint32_t kIconError = 0x10;
inline constexpr std::uint32_t kIconExclamation = 0x30;
inline constexpr std::uint32_t kIconInformation = 0x40;
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
}  // namespace box

class Ui {
 public:
  // A message box without owner window. Returns the button pressed, or 0
  // when the box could not be shown.
  [[nodiscard]] virtual int ShowMessageBox(const WideString& text, const WideString& caption,
                                           std::uint32_t style) noexcept = 0;
  // The modal CSP configuration dialog (resource 141). False when the user
  // cancelled it ("Отмена", Esc or the close box); a dialog that cannot be
  // shown at all lets the run go on.
  [[nodiscard]] virtual bool ShowSelectionDialog() noexcept = 0;
  // Replaces target with the text of catalogue message id and returns true;
  // when the catalogue holds no non-empty entry, leaves target as it was and
  // returns false.
  [[nodiscard]] virtual bool LoadMessage(std::uint32_t id, WideString& target) noexcept = 0;

 protected:
  ~Ui() = default;
};

// The split process command line; element 0 is the program.
struct ArgumentArray {
  const char16_t* const* items = nullptr;
  int count = 0;
};

class CommandLineSource {
 public:
  // Splits the whole process command line with the Windows rules for quotes
  // and backslashes. A failed split gives no elements.
  [[nodiscard]] virtual ArgumentArray SplitArguments() noexcept = 0;
  virtual void ReleaseArguments(ArgumentArray arguments) noexcept = 0;

 protected:
  ~CommandLineSource() = default;
};

struct OsVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint16_t servicePackMajor = 0;
};

// Windows 5.2: Server 2003 and XP x64, which need a service pack of their
// own and keep a source-hash file of the installer.
inline constexpr OsVersion kWindows52{5, 2, 0};
[[nodiscard]] constexpr bool IsWindows52(const OsVersion& version) noexcept {
  return version.major == kWindows52.major && version.minor == kWindows52.minor;
}

// MAX_PATH: the buffers of the current and the system directory.
inline constexpr std::uint32_t kPathUnits = 260;

class SystemInfo {
 public:
  [[nodiscard]] virtual bool IsUserAnAdmin() noexcept = 0;
  // The extended version record of the running system; false when the
  // query fails.
  [[nodiscard]] virtual bool QueryOsVersion(OsVersion& version) noexcept = 0;
  // True on 64-bit Windows. A 32-bit program asks whether it runs under
  // WOW64 (any failure counts as 32-bit Windows); a 64-bit program is the
  // proof itself.
  [[nodiscard]] virtual bool IsWindows64Bit() noexcept = 0;

 protected:
  ~SystemInfo() = default;
};

// One entry of a directory search.
struct FoundEntry {
  WideString name;  // the file name alone, without directory
  bool directory = false;
};

using SearchHandle = std::uintptr_t;

class FileSystem {
 public:
  // True when a status query of path succeeds (a file or directory is there).
  [[nodiscard]] virtual bool PathExists(const WideString& path) noexcept = 0;
  // A search by pattern (* and ?, without regard to case), as
  // FindFirstFileW: false when nothing matches or the search cannot start.
  [[nodiscard]] virtual bool FindFirst(const WideString& pattern, FoundEntry& entry, SearchHandle& search) noexcept = 0;
  [[nodiscard]] virtual bool FindNext(SearchHandle search, FoundEntry& entry) noexcept = 0;
  virtual void FindClose(SearchHandle search) noexcept = 0;
  [[nodiscard]] virtual bool RemoveFile(const WideString& path) noexcept = 0;

 protected:
  ~FileSystem() = default;
};

struct CalendarTime {
  int year = 0;
  int month = 0;  // 1 to 12
  int day = 0;
  int hour = 0;  // 0 to 23
  int minute = 0;
  int second = 0;
};

class Environment {
 public:
  // As GetEnvironmentVariableW: the length copied, or the size needed
  // (terminator included) when size is too small, or 0 when absent.
  [[nodiscard]] virtual std::uint32_t GetVariable(const char16_t* name, char16_t* buffer,
                                                  std::uint32_t size) noexcept = 0;
  // As GetSystemDirectoryW and GetCurrentDirectoryW.
  [[nodiscard]] virtual std::uint32_t SystemDirectory(char16_t* buffer, std::uint32_t size) noexcept = 0;
  [[nodiscard]] virtual std::uint32_t CurrentDirectory(std::uint32_t size, char16_t* buffer) noexcept = 0;
  // The error of the last call that failed.
  [[nodiscard]] virtual Status LastError() noexcept = 0;
  // The local calendar time of the current moment.
  [[nodiscard]] virtual CalendarTime LocalNow() noexcept = 0;
  // Writes text to standard output (reaches something only when redirected).
  virtual void WriteStandardOutput(const WideString& text) noexcept = 0;

 protected:
  ~Environment() = default;
};

class Processes {
 public:
  // Starts the command line (program first; the caller's text is never
  // changed) without a console window, waits for the end without time limit
  // and returns the exit code, or the Windows error when the program could
  // not be started or its exit code not read; exitCodeRead tells which, since
  // the two share one number space.
  [[nodiscard]] virtual Status RunProcess(const WideString& commandLine, bool& exitCodeRead) noexcept = 0;

 protected:
  ~Processes() = default;
};

using InstallerHandle = std::uint32_t;

// Windows Installer values the decisions pass or compare, as msi.h has them;
// the Win32 layer checks them against it at compile time.
namespace msi {
inline constexpr int kStateAbsent = 2;                        // INSTALLSTATE_ABSENT
inline constexpr int kStateDefault = 5;                       // INSTALLSTATE_DEFAULT
inline constexpr std::uint32_t kMachineContext = 4;           // MSIINSTALLCONTEXT_MACHINE
inline constexpr std::uint32_t kProductCodeSource = 0;        // MSICODE_PRODUCT
inline constexpr std::uint32_t kOpenIgnoringMachineState = 1;  // MSIOPENPACKAGEFLAGS_IGNOREMACHINESTATE
}  // namespace msi

// Windows Installer. Without a usable msi.dll every call fails with 1601
// (ERROR_INSTALL_SERVICE_FAILURE) and every state is unknown (-1). A Windows
// Installer older than 3.0 has no source list: those two calls fail with 120.
class Installer {
 public:
  // Sets the Windows Installer user-interface level of the process to none.
  virtual void SetInternalUiNone() noexcept = 0;
  [[nodiscard]] virtual int QueryProductState(const WideString& productCode) noexcept = 0;
  [[nodiscard]] virtual int QueryFeatureState(const WideString& productCode, const WideString& feature) noexcept = 0;
  // size: in, the buffer's units; out, the value's length without terminator.
  [[nodiscard]] virtual Status GetProductInfo(const WideString& productCode, const char16_t* attribute,
                                              char16_t* buffer, std::uint32_t& size) noexcept = 0;
  [[nodiscard]] virtual Status OpenPackage(const WideString& path, std::uint32_t options,
                                           InstallerHandle& handle) noexcept = 0;
  [[nodiscard]] virtual Status GetProperty(InstallerHandle handle, const char16_t* name, char16_t* buffer,
                                           std::uint32_t& size) noexcept = 0;
  [[nodiscard]] virtual Status CloseHandle(InstallerHandle handle) noexcept = 0;
  // The product's source list: clear its network sources; set a property.
  [[nodiscard]] virtual Status SourceListClearAll(const WideString& productCode) noexcept = 0;
  [[nodiscard]] virtual Status SourceListSetInfo(const WideString& productCode, std::uint32_t context, std::uint32_t options,
                                   const char16_t* property, const WideString& value) noexcept = 0;

 protected:
  ~Installer() = default;
};

// Access masks as winnt.h has them; the Win32 layer checks them.
namespace key {
inline constexpr std::uint32_t kRead = 0x20019;       // KEY_READ
inline constexpr std::uint32_t kWrite = 0x20006;      // KEY_WRITE
inline constexpr std::uint32_t kWow64View32 = 0x200;  // KEY_WOW64_32KEY
}  // namespace key

// Keys under HKEY_CURRENT_USER; access masks as Windows has them, the
// registry view included.
class Registry {
 public:
  // Creates (or opens) the key and closes it again.
  [[nodiscard]] virtual Status CreateUserKey(const char16_t* subkey, std::uint32_t access) noexcept = 0;
  // Opens the key and closes it again: 0 when it exists and may be opened.
  [[nodiscard]] virtual Status OpenUserKey(const char16_t* subkey, std::uint32_t access) noexcept = 0;
  // Opens parent with parentAccess and deletes its subkey name in the view
  // given by viewAccess (RegDeleteKeyExW where the system has it, else
  // RegDeleteKeyW).
  [[nodiscard]] virtual Status DeleteUserSubkey(const char16_t* parent, std::uint32_t parentAccess, const char16_t* name,
                                  std::uint32_t viewAccess) noexcept = 0;

 protected:
  ~Registry() = default;
};

class Power {
 public:
  // Enables the shutdown privilege in the process token. False when the
  // token cannot be opened or does not hold the privilege.
  [[nodiscard]] virtual bool EnableShutdownPrivilege() noexcept = 0;
  // Asks Windows to restart at once, closing programs without asking. True
  // when Windows accepted the request.
  [[nodiscard]] virtual bool RequestRestart() noexcept = 0;

 protected:
  ~Power() = default;
};

// Everything the bootstrapper reaches Windows through.
struct Platform {
  Ui& ui;
  CommandLineSource& commandLine;
  SystemInfo& system;
  FileSystem& files;
  Environment& environment;
  Processes& processes;
  Installer& installer;
  Registry& registry;
  Power& power;
};

// Closes a directory search on every path.
class FileSearch {
 public:
  explicit FileSearch(FileSystem& files) noexcept : files_(files), search_(Closer{&files}) {}

  [[nodiscard]] bool First(const WideString& pattern, FoundEntry& entry) noexcept {
    if (files_.FindFirst(pattern, entry, *search_.put())) return true;
    (void)search_.release();  // no search was opened
    return false;
  }
  [[nodiscard]] bool Next(FoundEntry& entry) noexcept { return search_ && files_.FindNext(search_.get(), entry); }

 private:
  struct Closer {
    FileSystem* files = nullptr;
    void operator()(SearchHandle search) const noexcept { files->FindClose(search); }
  };
  FileSystem& files_;
  UniqueResource<SearchHandle, Closer> search_;
};

}  // namespace orvex
