// The real version query wired to the gate (the gate's own table runs
// natively): Wine reports what the prefix's registry says, so each case
// writes the version there before the program starts. Major, minor and
// service pack each decide one case.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "program_driver.h"

namespace orvex {
namespace {

using driver::Message;
using driver::ProgramRun;
using driver::Utf8;

void SetString(HKEY key, const wchar_t* name, const wchar_t* value) {
  ASSERT_EQ(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                           static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

void SetDword(HKEY key, const wchar_t* name, DWORD value) {
  ASSERT_EQ(RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)),
            ERROR_SUCCESS);
}

struct Version {
  const wchar_t* text;  // CurrentVersion
  DWORD major;
  DWORD minor;
  const wchar_t* build;
  DWORD servicePack;
};

void PretendWindows(const Version& version) {
  HKEY key = nullptr;
  // In both registry views: a 32-bit program on 64-bit Windows reads the 32-bit one.
  for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion", 0,
                            KEY_SET_VALUE | view, &key),
              ERROR_SUCCESS);
    SetString(key, L"CurrentVersion", version.text);
    SetString(key, L"CurrentBuildNumber", version.build);
    SetDword(key, L"CurrentMajorVersionNumber", version.major);
    SetDword(key, L"CurrentMinorVersionNumber", version.minor);
    RegCloseKey(key);
  }
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Windows", 0, KEY_SET_VALUE, &key),
            ERROR_SUCCESS);
  SetDword(key, L"CSDVersion", version.servicePack * 256);
  RegCloseKey(key);
}

struct GateCase {
  Version version;
  DWORD exitCode;          // for a refusal
  std::uint32_t message;   // 0: the gate passes
};

TEST(OperatingSystemGate, TheRealVersionDecides) {
  const GateCase cases[] = {
      {{L"5.2", 5, 2, L"3790", 1}, 5, 119},
      {{L"5.0", 5, 0, L"2195", 4}, 0, 0},
      {{L"10.0", 10, 0, L"19045", 0}, 0, 0},
  };
  for (const GateCase& c : cases) {
    SCOPED_TRACE(Utf8(c.version.text) + " SP" + std::to_string(c.version.servicePack));
    PretendWindows(c.version);
    {
      ProgramRun run;
      ASSERT_TRUE(run.Start(driver::ProgramPath(), L"", driver::WorkDirectory()));
      const auto box = run.WaitForBox();
      ASSERT_TRUE(box.has_value());
      EXPECT_EQ(Utf8(box->caption), Utf8(Message(104)));
      if (c.message != 0) {
        EXPECT_EQ(Utf8(box->text), Utf8(Message(c.message)));
        EXPECT_EQ(box->buttons, std::vector<int>{IDOK});
        run.Press(*box, IDOK);
        EXPECT_EQ(run.WaitForExit(), c.exitCode);
      } else {
        EXPECT_EQ(Utf8(box->text), Utf8(Message(103))) << "passed the gate to the question";
        run.Press(*box, IDNO);
        EXPECT_EQ(run.WaitForExit(), 0u);
      }
    }
    if (c.message != 0) {
      ProgramRun silent;
      ASSERT_TRUE(silent.Start(driver::ProgramPath(), L"-silent", driver::WorkDirectory()));
      EXPECT_FALSE(silent.WaitForBox(2000).has_value());
      EXPECT_EQ(silent.WaitForExit(), c.exitCode);
    }
  }
}

}  // namespace
}  // namespace orvex
