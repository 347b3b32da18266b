// The real orvexplugin.exe, started and answered as a person would.
#include <gtest/gtest.h>

#include <string>

#include "app/command_line.h"
#include "program_driver.h"
#include "resources/message_catalogue.h"

namespace orvex {
namespace {

using testing::Message;
using testing::ProgramRun;
using testing::Utf8;

std::wstring Wide(const WideString& text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.c_str()), text.Length());
}

class Bootstrapper : public ::testing::Test {
 protected:

  void Start(ProgramRun& run, const std::wstring& arguments) {
    ASSERT_TRUE(run.Start(testing::ProgramPath(), arguments, testing::WorkDirectory())) << GetLastError();
  }
};

struct HelpCase {
  const wchar_t* arguments;
  bool listsCsp;
};

TEST_F(Bootstrapper, HelpBoxForHelpSwitchesAndUnrecognisedArguments) {
  const HelpCase cases[] = {
      {L"-help", false},
      {L"--help", false},
      {L"/help", false},
      {L"-HeLp", false},
      {L"-?", false},
      {L"-unknown", false},
      {L"\"\"", false},
      {L"-OrvexArgs", false},
      {L"-silent -help", false},
      {L"-help -csp", false},
      {L"-csp -help", true},
      {L"-csp -?", true},
      {L"-csp -bogus", true},
      {L"-csp -CSPArgs", true},
      {L"-csp -ucsp -OrvexArgs", true},
  };
  for (const HelpCase& c : cases) {
    SCOPED_TRACE(Utf8(c.arguments));
    ProgramRun run;
    Start(run, c.arguments);
    const auto box = run.WaitForBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, L"Справка");
    const bool listsUcsp = std::wstring(c.arguments).find(L"-ucsp") != std::wstring::npos;
    EXPECT_EQ(Utf8(box->text), Utf8(Wide(BuildHelpText(c.listsCsp, listsUcsp))));
    EXPECT_EQ(box->buttons, std::vector<int>{IDOK});
    run.Press(*box, IDOK);
    EXPECT_FALSE(run.WaitForBox(1000).has_value()) << "one box only";
    EXPECT_EQ(run.WaitForExit(), 0u);
  }
}

struct QuestionCase {
  const wchar_t* arguments;
  std::uint32_t question;
};

TEST_F(Bootstrapper, ConfirmationByFlagsAnsweredNoEndsWithZero) {
  const QuestionCase cases[] = {
      {L"", 103},
      {L"-csp", 102},
      {L"-ucsp", 122},
      {L"-CSP -UCSP", 125},
      {L"-selectDlg -norestart -reinstall -noupdate -OrvexArgs \"/l*v x.log\"", 103},
      {L"-csp -KC KC2 -Lang ru -CSPArgs /qn", 102},
  };
  for (const QuestionCase& c : cases) {
    SCOPED_TRACE(Utf8(c.arguments));
    ProgramRun run;
    Start(run, c.arguments);
    const auto box = run.WaitForBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(Utf8(box->caption), Utf8(Message(104)));
    EXPECT_EQ(Utf8(box->text), Utf8(Message(c.question)));
    EXPECT_EQ(box->buttons, (std::vector<int>{IDYES, IDNO}));
    run.Press(*box, IDNO);
    EXPECT_EQ(run.WaitForExit(), 0u);
  }
}

// A provider whose setup program cannot be started has failed, whatever
// the number Windows gives the failed start (3 is also an accepted exit code).
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
  const std::wstring text = box->text;
  EXPECT_TRUE(text == Message(105) + L": 3.\n" || text == Message(105) + L": 2.\n") << Utf8(text);
  run.Press(*box, IDOK);
  EXPECT_FALSE(run.WaitForBox(2000).has_value()) << "the plug-in is not attempted";
  const auto code = run.WaitForExit();
  EXPECT_TRUE(code == 3u || code == 2u);
}

TEST_F(Bootstrapper, SilentShowsNoBoxAndTheExitCodeCarriesTheOutcome) {
  ProgramRun run;
  Start(run, L"-silent -csp");
  EXPECT_FALSE(run.WaitForBox(3000).has_value());
  const auto code = run.WaitForExit();
  EXPECT_TRUE(code == 3u || code == 2u);
  // The provider's log path was made: its timestamp line is the only output.
  EXPECT_EQ(run.Output().size(), 20u) << run.Output();
}

}  // namespace
}  // namespace orvex
