#pragma once

// The Win32 implementation of the platform interfaces: each class in its
// win32_*.cpp file, but Power beside SystemInfo (win32_system.cpp), the
// command line beside the message box (win32_ui.cpp), and Win32Ui's string
// table and dialog in message_resources.cpp and selection_dialog.cpp; the
// settings the entry makes first, and the system DLL loader, in
// dll_search.cpp.

#include <windows.h>

#include "platform/system.h"

namespace orvex::win32 {

// UTF-16 text is the same code units as Windows' wide characters.
inline const wchar_t* Wide(const char16_t* text) noexcept { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* Wide(char16_t* text) noexcept { return reinterpret_cast<wchar_t*>(text); }

// Looks up one exported function by name; null when it is missing.
using ProcedureLookup = FARPROC (*)(void* context, const char* name);

// GetProcAddress in the module given as context. Functions that older
// Windows lacks are looked up through a ProcedureLookup, so that the older
// path can be taken under a newer system too.
FARPROC LookUpInModule(void* module, const char* name) noexcept;

// The function name of module through lookup, as a pointer of type Function.
template <typename Function>
[[nodiscard]] Function LookUp(ProcedureLookup lookup, void* module, const char* name) noexcept {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(lookup(module, name)));
}

// The SDK's declaration of function gives both the name looked up and the
// pointer type, so a wrong calling convention or parameter list cannot
// compile: on the 32-bit program such a mismatch corrupts the stack.
#define ORVEX_LOOK_UP(lookup, module, function) \
  ::orvex::win32::LookUp<decltype(&::function)>(lookup, module, #function)

class Win32Ui final : public Ui {
 public:
  [[nodiscard]] int ShowMessageBox(const WideString& text, const WideString& caption, std::uint32_t style) noexcept override;
  [[nodiscard]] bool ShowSelectionDialog() noexcept override;
  // From the program's own string table.
  [[nodiscard]] bool LoadMessage(std::uint32_t id, WideString& target) noexcept override;
};

class Win32CommandLine final : public CommandLineSource {
 public:
  ArgumentArray SplitArguments() noexcept override;
  void ReleaseArguments(ArgumentArray arguments) noexcept override;
};

class Win32SystemInfo final : public SystemInfo {
 public:
  // lookup finds IsWow64Process in kernel32.
  explicit Win32SystemInfo(ProcedureLookup lookup = LookUpInModule) noexcept : lookup_(lookup) {}
  [[nodiscard]] bool IsUserAnAdmin() noexcept override;
  [[nodiscard]] bool QueryOsVersion(OsVersion& version) noexcept override;
  bool IsWindows64Bit() noexcept override;

 private:
  ProcedureLookup lookup_;
};

class Win32FileSystem final : public FileSystem {
 public:
  [[nodiscard]] bool PathExists(const WideString& path) noexcept override;
  [[nodiscard]] bool FindFirst(const WideString& pattern, FoundEntry& entry, SearchHandle& search) noexcept override;
  [[nodiscard]] bool FindNext(SearchHandle search, FoundEntry& entry) noexcept override;
  void FindClose(SearchHandle search) noexcept override;
  [[nodiscard]] bool RemoveFile(const WideString& path) noexcept override;
};

class Win32Environment final : public Environment {
 public:
  [[nodiscard]] std::uint32_t GetVariable(const char16_t* name, char16_t* buffer, std::uint32_t size) noexcept override;
  [[nodiscard]] std::uint32_t SystemDirectory(char16_t* buffer, std::uint32_t size) noexcept override;
  [[nodiscard]] std::uint32_t CurrentDirectory(std::uint32_t size, char16_t* buffer) noexcept override;
  [[nodiscard]] Status LastError() noexcept override;
  CalendarTime LocalNow() noexcept override;
  void WriteStandardOutput(const WideString& text) noexcept override;
};

class Win32Processes final : public Processes {
 public:
  [[nodiscard]] Status RunProcess(const WideString& commandLine, bool& exitCodeRead) noexcept override;
};

class Win32Installer final : public Installer {
 public:
  void SetInternalUiNone() noexcept override;
  [[nodiscard]] int QueryProductState(const WideString& productCode) noexcept override;
  [[nodiscard]] int QueryFeatureState(const WideString& productCode, const WideString& feature) noexcept override;
  [[nodiscard]] Status GetProductInfo(const WideString& productCode, const char16_t* attribute, char16_t* buffer,
                        std::uint32_t& size) noexcept override;
  [[nodiscard]] Status OpenPackage(const WideString& path, std::uint32_t options, InstallerHandle& handle) noexcept override;
  [[nodiscard]] Status GetProperty(InstallerHandle handle, const char16_t* name, char16_t* buffer,
                     std::uint32_t& size) noexcept override;
  [[nodiscard]] Status CloseHandle(InstallerHandle handle) noexcept override;
  [[nodiscard]] Status SourceListClearAll(const WideString& productCode) noexcept override;
  [[nodiscard]] Status SourceListSetInfo(const WideString& productCode, std::uint32_t context, std::uint32_t options,
                           const char16_t* property, const WideString& value) noexcept override;
};

class Win32Registry final : public Registry {
 public:
  // lookup finds RegDeleteKeyExW in advapi32.
  explicit Win32Registry(ProcedureLookup lookup = LookUpInModule) noexcept : lookup_(lookup) {}
  [[nodiscard]] Status CreateUserKey(const char16_t* subkey, std::uint32_t access) noexcept override;
  [[nodiscard]] Status OpenUserKey(const char16_t* subkey, std::uint32_t access) noexcept override;
  [[nodiscard]] Status DeleteUserSubkey(const char16_t* parent, std::uint32_t parentAccess, const char16_t* name,
                          std::uint32_t viewAccess) noexcept override;

 private:
  ProcedureLookup lookup_;
};

class Win32Power final : public Power {
 public:
  [[nodiscard]] bool EnableShutdownPrivilege() noexcept override;
  [[nodiscard]] bool RequestRestart() noexcept override;
};

// Restricts the DLL search of the process to the system directory where the
// system allows it, and takes the current directory out of it otherwise.
// Runs first thing in the entry, before any DLL is loaded on demand. lookup
// finds SetDefaultDllDirectories and SetDllDirectoryW in kernel32.
void LockDownDllSearch(ProcedureLookup lookup = LookUpInModule) noexcept;

// Ends the process when the heap is found corrupted rather than run on with
// an elevated process in an unknown state. Also first thing in the entry.
// lookup finds HeapSetInformation in kernel32. False where the system lacks
// the function or refused the option.
[[nodiscard]] bool TerminateOnHeapCorruption(ProcedureLookup lookup = LookUpInModule) noexcept;

// The catalogue message id from the string table of the given resource
// module, as Win32Ui::LoadMessage reads the program's own.
[[nodiscard]] bool LoadMessageFrom(const void* module, std::uint32_t id, WideString& target) noexcept;

// Loads a DLL of the system directory by its full path; null on failure.
[[nodiscard]] HMODULE LoadSystemLibrary(const wchar_t* name) noexcept;

}  // namespace orvex::win32
