// The Win32 layer against real Windows calls (Wine's).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "win32/installer_library.h"
#include "win32/unique_handle.h"
#include "win32/win32_platform.h"
#include "plugin_scenario.h"

namespace orvex {
namespace {

std::u16string Text(const WideString& text) { return std::u16string(text.c_str(), text.Length()); }

std::u16string U16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

std::wstring SystemDirectory() {
  wchar_t buffer[MAX_PATH];
  const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
  return std::wstring(buffer, length);
}

// Windows without one function that later systems have: the lookup finds
// every other.
template <const char* kMissing>
FARPROC Without(void* module, const char* name) {
  return std::strcmp(name, kMissing) == 0 ? nullptr : GetProcAddress(static_cast<HMODULE>(module), name);
}
constexpr char kSetDefaultDllDirectories[] = "SetDefaultDllDirectories";
constexpr char kRegDeleteKeyEx[] = "RegDeleteKeyExW";
constexpr char kIsWow64Process[] = "IsWow64Process";
constexpr char kHeapSetInformation[] = "HeapSetInformation";

// Windows 7 before its loader update refuses the search flags.
BOOL WINAPI RefuseWithInvalidParameter(DWORD) {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}
FARPROC RefusingDefaultDirectories(void* module, const char* name) {
  return std::strcmp(name, kSetDefaultDllDirectories) == 0 ? reinterpret_cast<FARPROC>(&RefuseWithInvalidParameter)
                                                            : GetProcAddress(static_cast<HMODULE>(module), name);
}

// Open handles of this process, counted value by value, as Wine's
// GetProcessHandleCount says 0: what a call opens, it closes.
int OpenHandles() {
  int count = 0;
  DWORD flags = 0;
  for (std::uintptr_t value = 4; value < 0x4000; value += 4) {
    count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
  }
  return count;
}

struct ProcessCase {
  std::wstring commandLine;
  Status expected;
};

TEST(Win32Platform, ProcessesReturnFullExitCodesOrTheStartError) {
  win32::Win32Processes processes;
  const std::wstring cmd = SystemDirectory() + L"\\cmd.exe";
  const ProcessCase cases[] = {
      {cmd + L" /c exit 0", 0},
      {cmd + L" /c exit 3010", 3010},
      {cmd + L" /c exit 1602", 1602},
      {cmd + L" /c exit -1073741819", 0xC0000005u},  // as after a crash: unsigned, unchanged
      // Wine names a missing directory as a missing file; Windows says ERROR_PATH_NOT_FOUND.
      {L"Z:\\no\\such\\directory\\Setup.exe -args \"/qb\"", ERROR_FILE_NOT_FOUND},
      {L"no-such-program-here.exe", ERROR_FILE_NOT_FOUND},
  };
  const int handles = OpenHandles();
  for (const ProcessCase& c : cases) {
    const WideString commandLine(U16(c.commandLine).c_str());
    const char16_t* before = commandLine.c_str();
    bool exitCodeRead = false;
    const Status status = processes.RunProcess(commandLine, exitCodeRead);
    EXPECT_EQ(exitCodeRead, c.commandLine.find(L"exit") != std::wstring::npos);
    EXPECT_EQ(status, c.expected) << driver::Utf8(c.commandLine);
    EXPECT_EQ(Text(commandLine), U16(c.commandLine)) << "the caller's text is unchanged";
    EXPECT_EQ(commandLine.c_str(), before);
  }
  EXPECT_EQ(OpenHandles(), handles);
}

TEST(Win32Platform, EnvironmentFollowsTheWindowsBufferConventions) {
  win32::Win32Environment environment;
  SetEnvironmentVariableW(L"ORVEX_TEST_VALUE", L"C:\\Temp\\");
  EXPECT_EQ(environment.GetVariable(u"ORVEX_TEST_VALUE", nullptr, 0), 9u) << "size with the terminator";
  char16_t buffer[32];
  EXPECT_EQ(environment.GetVariable(u"ORVEX_TEST_VALUE", buffer, 9), 8u) << "in a buffer of just that size";
  EXPECT_EQ(std::u16string(buffer), u"C:\\Temp\\");

  SetEnvironmentVariableW(L"ORVEX_TEST_VALUE", nullptr);
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(environment.GetVariable(u"ORVEX_TEST_VALUE", buffer, 32), 0u);
  EXPECT_EQ(environment.LastError(), static_cast<Status>(ERROR_ENVVAR_NOT_FOUND));

  char16_t directory[MAX_PATH];
  const auto fit = static_cast<std::uint32_t>(SystemDirectory().size() + 1);
  const std::uint32_t length = environment.SystemDirectory(directory, fit);
  EXPECT_EQ(std::u16string(directory, length), U16(SystemDirectory()));
  const DWORD current = GetCurrentDirectoryW(0, nullptr);
  EXPECT_EQ(environment.CurrentDirectory(current, directory), current - 1);

  // The tests run in a zone far from UTC (run_group.sh), on a quarter hour.
  SYSTEMTIME before;
  GetLocalTime(&before);
  const CalendarTime now = environment.LocalNow();
  EXPECT_EQ(now.year, before.wYear);
  EXPECT_EQ(now.month, before.wMonth);
  EXPECT_EQ(now.day, before.wDay);
  EXPECT_EQ(now.hour, before.wHour);
  EXPECT_EQ(now.minute, before.wMinute);
}

TEST(Win32Platform, FileSearchListsEntriesWithoutRegardToCase) {
  const std::wstring root = driver::WorkDirectory() + L"\\search";
  CreateDirectoryW(root.c_str(), nullptr);
  CreateDirectoryW((root + L"\\x64").c_str(), nullptr);
  const std::wstring file = root + L"\\x64\\OrvexCom-X64.msi";
  CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));

  const int handles = OpenHandles();
  win32::Win32FileSystem files;
  FoundEntry entry;
  {
    FileSearch search(files);
    ASSERT_TRUE(search.First(WideString(U16(root + L"\\x64\\orvexcom*x64*").c_str()), entry));
    EXPECT_EQ(Text(entry.name), u"OrvexCom-X64.msi");
    EXPECT_FALSE(entry.directory);
    EXPECT_FALSE(search.Next(entry));
  }
  {
    FileSearch search(files);
    // Read-only package folders, as on a DVD: more attributes than the directory bit.
    ASSERT_TRUE(search.First(WideString(U16(driver::Dist(L"normal-2.0.10") + L"\\*").c_str()), entry));
    std::u16string names;
    do {
      names += Text(entry.name) + (entry.directory ? u"/ " : u" ");
    } while (search.Next(entry));
    EXPECT_NE(names.find(u"x64/ "), std::u16string::npos) << driver::Utf8(std::wstring(names.begin(), names.end()));
  }
  {
    // Closed before its end, as the package search closes one.
    FileSearch early(files);
    ASSERT_TRUE(early.First(WideString(U16(root + L"\\*").c_str()), entry));
  }
  {
    FileSearch none(files);
    EXPECT_FALSE(none.First(WideString(U16(root + L"\\*.nothing").c_str()), entry));
  }
  EXPECT_EQ(OpenHandles(), handles);

  const WideString path(U16(file).c_str());
  EXPECT_TRUE(files.PathExists(path));
  EXPECT_TRUE(files.RemoveFile(path));
  EXPECT_FALSE(files.PathExists(path));
  EXPECT_FALSE(files.RemoveFile(path));
}

TEST(Win32Platform, RegistryKeysInTheThirtyTwoBitView) {
  constexpr std::uint32_t kReadWrite32 = KEY_READ | KEY_WRITE | KEY_WOW64_32KEY;
  constexpr std::uint32_t kRead32 = KEY_READ | KEY_WOW64_32KEY;
  static_assert(kReadWrite32 == 0x2021F && kRead32 == 0x20219);
  // The statuses are the calls' own: an error left behind by an earlier call
  // must not pass for one.
  const auto cleared = [] { SetLastError(ERROR_SUCCESS); };
  constexpr auto kMissing = static_cast<Status>(ERROR_FILE_NOT_FOUND);

  // The second deletes as Windows without RegDeleteKeyExW does.
  win32::Win32Registry current, older(Without<kRegDeleteKeyEx>);
  for (win32::Win32Registry* registry : {&current, &older}) {
    SCOPED_TRACE(registry == &older ? "without RegDeleteKeyExW" : "with RegDeleteKeyExW");
    const int handles = OpenHandles();
    cleared();
    EXPECT_EQ(registry->OpenUserKey(u"Software\\OrvexPlatformTest", kRead32), kMissing);
    EXPECT_EQ(registry->CreateUserKey(u"Software\\OrvexPlatformTest", kReadWrite32), 0u);
    EXPECT_EQ(registry->CreateUserKey(u"Software\\OrvexPlatformTest", kReadWrite32), 0u) << "an existing key is opened";
    EXPECT_EQ(registry->OpenUserKey(u"Software\\OrvexPlatformTest", kRead32), 0u);
    EXPECT_EQ(registry->DeleteUserSubkey(u"Software", kReadWrite32, u"OrvexPlatformTest", KEY_WOW64_32KEY), 0u);
    cleared();
    EXPECT_EQ(registry->OpenUserKey(u"Software\\OrvexPlatformTest", kRead32), kMissing);
    cleared();
    EXPECT_EQ(registry->DeleteUserSubkey(u"Software", kReadWrite32, u"OrvexPlatformTest", KEY_WOW64_32KEY), kMissing);
    cleared();
    EXPECT_EQ(registry->DeleteUserSubkey(u"NoSuchParent\\Below", kReadWrite32, u"X", KEY_WOW64_32KEY), kMissing);
    // A key that cannot be created: the restart mark is not volatile, so it
    // cannot go below a volatile key.
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\OrvexVolatile", 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &raw, nullptr), ERROR_SUCCESS);
    RegCloseKey(raw);
    cleared();
    EXPECT_EQ(registry->CreateUserKey(u"Software\\OrvexVolatile\\Mark", kReadWrite32),
              static_cast<Status>(ERROR_CHILD_MUST_BE_VOLATILE));
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\OrvexVolatile");
    EXPECT_EQ(OpenHandles(), handles);
  }
}

// An msi.dll older than Windows Installer 3.0 lacks the source list and is
// still usable; one without a required function is not.
TEST(Win32Platform, InstallerFunctionsResolveOneByOne) {
  // A longer name first leaves its tail where the next path is made.
  const win32::unique_hmodule longer(win32::LoadSystemLibrary(L"msimtf.dll"));
  const win32::unique_hmodule msi(win32::LoadSystemLibrary(L"msi.dll"));
  ASSERT_TRUE(longer && msi);
  struct Case {
    HMODULE msi;
    const char* missing;
    bool usable;
  };
  for (Case c : {Case{msi.get(), "MsiSourceListSetInfoW", true}, Case{msi.get(), "MsiSourceListClearAllW", true},
                 Case{msi.get(), "MsiCloseHandle", false}}) {
    const auto lookup = [](void* context, const char* name) -> FARPROC {
      const auto* lacking = static_cast<const Case*>(context);
      return std::strcmp(name, lacking->missing) == 0 ? nullptr : GetProcAddress(lacking->msi, name);
    };
    win32::InstallerFunctions f;
    EXPECT_EQ(win32::ResolveInstallerFunctions(lookup, &c, f), c.usable) << c.missing;
    EXPECT_EQ(f.SourceListSetInfo == nullptr, std::strcmp(c.missing, "MsiSourceListSetInfoW") == 0);
    EXPECT_EQ(f.SourceListClearAll == nullptr, std::strcmp(c.missing, "MsiSourceListClearAllW") == 0);
  }
}

TEST(Win32Platform, SystemFacts) {
  win32::Win32SystemInfo system;
  // The prefix, not Windows, says which it is; a 32-bit process asks IsWow64Process.
  EXPECT_EQ(system.IsWindows64Bit(), driver::PackageArch() == L"x64");
  EXPECT_TRUE(system.IsUserAnAdmin()) << "resolved through ordinal 680";
  OsVersion version;
  ASSERT_TRUE(system.QueryOsVersion(version));
  EXPECT_GE(version.major, 5u);
  // Before XP SP2, without IsWow64Process, a 32-bit program is on 32-bit Windows.
  EXPECT_EQ(win32::Win32SystemInfo(Without<kIsWow64Process>).IsWindows64Bit(), sizeof(void*) == 8);
  EXPECT_FALSE(win32::TerminateOnHeapCorruption(Without<kHeapSetInformation>)) << "Windows 2000";
}

// Where SetDefaultDllDirectories is missing or refuses, SetDllDirectoryW("")
// takes the current directory (a download folder, say) out of the DLL
// search. Wine searches that all the same, but a DLL directory set before is
// gone too, which it does show.
TEST(Win32Platform, DllSearchFallsBackOnOlderWindows) {
  ASSERT_TRUE(CopyFileW(driver::Environment(L"ORVEX_PLANTED_DLL").c_str(),
                        (driver::WorkDirectory() + L"\\orvexprobe.dll").c_str(), FALSE));
  for (const win32::ProcedureLookup lookup : {Without<kSetDefaultDllDirectories>, RefusingDefaultDirectories}) {
    ASSERT_TRUE(SetDllDirectoryW(driver::WorkDirectory().c_str()));
    const HMODULE found = LoadLibraryW(L"orvexprobe.dll");
    EXPECT_NE(found, nullptr);
    FreeLibrary(found);
    win32::LockDownDllSearch(lookup);
    EXPECT_EQ(LoadLibraryW(L"orvexprobe.dll"), nullptr);
  }
}

}  // namespace
}  // namespace orvex
