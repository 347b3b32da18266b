// The Win32 layer against real Windows calls (Wine's).
#include <windows.h>
#include <msi.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "win32/installer_library.h"
#include "win32/unique_handle.h"
#include "win32/win32_platform.h"
#include "plugin_scenario.h"
#include "resources/resource_ids.h"

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
    // HKCU\Software is shared by both views: the 64-bit view sees the key too.
    HKEY key = nullptr, child = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\OrvexPlatformTest", 0,
                            KEY_READ | KEY_CREATE_SUB_KEY | KEY_WOW64_64KEY, &key),
              ERROR_SUCCESS);
    // It outlives a restart: only such a key may have one below it that does.
    EXPECT_EQ(RegCreateKeyExW(key, L"Lasting", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, &child, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(child);
    RegDeleteKeyW(key, L"Lasting");
    RegCloseKey(key);

    EXPECT_EQ(registry->DeleteUserSubkey(u"Software", kReadWrite32, u"OrvexPlatformTest", KEY_WOW64_32KEY), 0u);
    cleared();
    EXPECT_EQ(registry->OpenUserKey(u"Software\\OrvexPlatformTest", kRead32), kMissing);
    cleared();
    EXPECT_EQ(registry->DeleteUserSubkey(u"Software", kReadWrite32, u"OrvexPlatformTest", KEY_WOW64_32KEY), kMissing);
    cleared();
    EXPECT_EQ(registry->DeleteUserSubkey(u"NoSuchParent\\Below", kReadWrite32, u"X", KEY_WOW64_32KEY), kMissing);
    EXPECT_EQ(OpenHandles(), handles);
  }
}

TEST(Win32Platform, InstallerComesFromTheSystemDirectory) {
  win32::Win32Installer installer;
  installer.SetInternalUiNone();
  const WideString unknown(u"{00000000-1111-2222-3333-444444444444}");
  EXPECT_EQ(installer.QueryProductState(unknown), INSTALLSTATE_UNKNOWN);
  EXPECT_EQ(installer.QueryFeatureState(unknown, WideString(u"NPORVEX")), INSTALLSTATE_UNKNOWN);
  char16_t buffer[64];
  std::uint32_t size = 64;
  EXPECT_EQ(installer.GetProductInfo(unknown, u"VersionString", buffer, size),
            static_cast<Status>(ERROR_UNKNOWN_PRODUCT));
  InstallerHandle handle = 0;
  EXPECT_NE(installer.OpenPackage(WideString(u"Z:\\no\\such.msi"), 1, handle), 0u);

  // The source list, read back from Windows Installer: msiexec records the
  // package name itself, so only a name of our own shows that the call took.
  const auto setName = [&installer](const WideString& product) {
    return installer.SourceListSetInfo(product, MSIINSTALLCONTEXT_MACHINE, MSICODE_PRODUCT, u"PackageName",
                                       WideString(u"renamed.msi"));
  };
  EXPECT_EQ(setName(unknown), static_cast<Status>(ERROR_UNKNOWN_PRODUCT));
  ASSERT_EQ(MsiInstallProductW(driver::Package(L"normal-2.0.9").c_str(), L"ADDNPORVEX=1 REBOOT=R"), 0u);
  const WideString product(U16(driver::kProduct).c_str());
  EXPECT_EQ(installer.SourceListClearAll(product), 0u);
  EXPECT_EQ(setName(product), 0u);
  wchar_t name[MAX_PATH] = {};
  DWORD units = MAX_PATH;
  EXPECT_EQ(MsiSourceListGetInfoW(driver::kProduct, nullptr, MSIINSTALLCONTEXT_MACHINE, MSICODE_PRODUCT,
                                  INSTALLPROPERTY_PACKAGENAME, name, &units),
            0u);
  EXPECT_EQ(driver::Utf8(name), "renamed.msi");

  HMODULE msi = GetModuleHandleW(L"msi.dll");
  ASSERT_NE(msi, nullptr);
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(msi, path, MAX_PATH);
  EXPECT_EQ(_wcsicmp(path, (SystemDirectory() + L"\\msi.dll").c_str()), 0) << driver::Utf8(path);
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
  EXPECT_TRUE(win32::TerminateOnHeapCorruption());
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

// DLLs planted where a downloaded program runs must never be loaded. The
// program's directory and the current directory (the distribution) each hold
// a harmless msi.dll, comctl32.dll and uxtheme.dll that leave a mark when
// loaded, and Wine is told to prefer them to its own: the program loads
// msi.dll itself, comctl32.dll (version 6) through its manifest for its boxes
// and dialog, uxtheme.dll with its first window. Wine's user32 and shell32
// also load imm32.dll and version.dll before the program's entry runs,
// searching the program's directory first; Windows takes those from the
// system directory (known DLLs and their dependencies), so a planted copy of
// them would judge Wine, not the program. The unsafe stand-in, which loads
// each by bare name, shows that the test would see a planted load.
TEST(PlantedLibrary, IsIgnoredByTheProgramButTakenByAnUnsafeLoader) {
  const wchar_t* const planted[] = {L"msi", L"comctl32", L"uxtheme"};
  const std::wstring folder = driver::WorkDirectory() + L"\\downloads", dist = folder + L"\\dist",
                     marks = driver::WorkDirectory() + L"\\marks";
  ASSERT_TRUE(driver::CopyDistribution(driver::Dist(L"normal-2.0.10"), dist));
  CreateDirectoryW(marks.c_str(), nullptr);
  SetEnvironmentVariableW(L"ORVEX_PLANTED_MARKS", marks.c_str());
  const auto Marks = [&marks] {
    std::wstring names;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((marks + L"\\*.dll").c_str(), &entry);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &entry)) {
      names += std::wstring(entry.cFileName) + L" ";
      DeleteFileW((marks + L"\\" + entry.cFileName).c_str());
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return driver::Utf8(names);
  };
  for (const std::wstring& directory : {folder, dist}) {
    for (const wchar_t* name : planted) {
      ASSERT_TRUE(CopyFileW(driver::Environment(L"ORVEX_PLANTED_DLL").c_str(),
                            (directory + L"\\" + name + L".dll").c_str(), FALSE));
    }
  }
  // Wine is to prefer a DLL beside the program over its own, as Windows
  // does for a DLL that is not a known DLL.
  for (const wchar_t* program : {L"orvexplugin.exe", L"unsafe_loader.exe"}) {
    HKEY key = nullptr;
    const std::wstring overrides = std::wstring(L"Software\\Wine\\AppDefaults\\") + program + L"\\DllOverrides";
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, overrides.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    const wchar_t value[] = L"native,builtin";
    for (const wchar_t* name : planted) {
      RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof(value));
    }
    RegCloseKey(key);
  }
  const std::wstring program = folder + L"\\orvexplugin.exe", unsafe = folder + L"\\unsafe_loader.exe";
  ASSERT_TRUE(CopyFileW(driver::ProgramPath().c_str(), program.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(driver::Environment(L"ORVEX_UNSAFE_LOADER").c_str(), unsafe.c_str(), FALSE));
  struct Case {
    std::wstring program;
    const wchar_t* arguments;
    std::vector<int> answers;
    const char* marks;
  };
  const Case cases[] = {
      {unsafe, L"msi.dll comctl32.dll uxtheme.dll", {}, "comctl32.dll msi.dll uxtheme.dll "},
      // A complete silent installation, providers included.
      {program, L"-silent -csp -ucsp", {}, ""},
      // Every window the program has: question, selection dialog, closing box.
      {program, L"-csp -ucsp -selectDlg -reinstall", {IDYES, ORVEX_ID_NEXT, IDOK}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(driver::Utf8(c.arguments));
    driver::ProgramRun run;
    ASSERT_TRUE(run.Start(c.program, c.arguments, dist));
    for (const int answer : c.answers) {
      const auto box = run.WaitForBox();
      ASSERT_TRUE(box.has_value()) << "before answer " << answer;
      run.Press(*box, answer);
    }
    EXPECT_EQ(run.WaitForExit(), 0u);
    EXPECT_EQ(Marks(), c.marks);
  }
  EXPECT_EQ(MsiQueryProductStateW(driver::kProduct), INSTALLSTATE_DEFAULT);
}

}  // namespace
}  // namespace orvex
