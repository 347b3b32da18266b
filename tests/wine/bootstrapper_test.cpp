// The real orvexplugin.exe, started and answered as a person would.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "program_driver.h"
#include "tests/expected_help.h"

namespace orvex {
namespace {

using driver::Message;
using driver::ProgramRun;
using driver::Utf8;

class Bootstrapper : public ::testing::Test {
 protected:

  void Start(ProgramRun& run, const std::wstring& arguments) {
    // A csp sub-directory without Setup.exe: one start error on every system.
    CreateDirectoryW((driver::WorkDirectory() + L"\\csp").c_str(), nullptr);
    ASSERT_TRUE(run.Start(driver::ProgramPath(), arguments, driver::WorkDirectory())) << GetLastError();
  }
};

const wchar_t kHelpCommon[] = ORVEX_HELP_COMMON(L);

struct HelpCase {
  std::wstring arguments;
  std::wstring text;
};

TEST_F(Bootstrapper, HelpBoxForHelpSwitchesAndUnrecognisedArguments) {
  // The parser's table and the help texts run natively; these take the real
  // split (an empty quoted argument is an argument) and the real box.
  const HelpCase cases[] = {
      {L"-HeLp", kHelpCommon},
      {L"\"\"", kHelpCommon},
  };
  for (const HelpCase& c : cases) {
    SCOPED_TRACE(Utf8(c.arguments));
    ProgramRun run;
    Start(run, c.arguments);
    const auto box = run.WaitForBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, L"Справка");
    EXPECT_EQ(Utf8(box->text), Utf8(c.text));
    EXPECT_EQ(box->buttons, std::vector<int>{IDOK});
    run.Press(*box, IDOK);
    EXPECT_FALSE(run.WaitForBox(1000).has_value()) << "one box only";
    EXPECT_EQ(run.WaitForExit(), 0u);
  }
}

// A provider whose setup program cannot be started has failed, whatever the
// start error (2 here, where the sub-directory exists without Setup.exe; 3
// for a missing directory is also an accepted exit code of a setup that ran).
TEST_F(Bootstrapper, ProviderWithoutSetupProgramFailsWithTheStartError) {
  ProgramRun run;
  Start(run, L"-csp");
  auto box = run.WaitForBox();
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(Utf8(box->text), Utf8(Message(102)));
  run.Press(*box, IDYES);
  box = run.WaitForBox();
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(Utf8(box->caption), Utf8(Message(129)));
  EXPECT_EQ(Utf8(box->text), Utf8(Message(105) + L": 2.\n"));
  run.Press(*box, IDOK);
  EXPECT_FALSE(run.WaitForBox(2000).has_value()) << "the plug-in is not attempted";
  EXPECT_EQ(run.WaitForExit(), 2u);
}

TEST_F(Bootstrapper, SilentShowsNoBoxAndTheExitCodeCarriesTheOutcome) {
  ProgramRun run;
  Start(run, L"-silent -csp");
  EXPECT_FALSE(run.WaitForBox(3000).has_value());
  EXPECT_EQ(run.WaitForExit(), 2u);
  // The provider's log path was made: its timestamp line is the only output.
  EXPECT_TRUE(std::regex_match(run.Output(), std::regex("20[0-9]{2}(-[0-9]{2}){5}\n"))) << run.Output();
}

}  // namespace
}  // namespace orvex
