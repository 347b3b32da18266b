// The command line parser against a plain model of its rules. (The help
// text has only four forms, each checked whole by the native tests.)
//
// Input: the arguments, separated by NUL bytes, as UTF-8 (any byte goes).
// The first is the program; it also gives the options' starting content, so
// that "flags stay set, strings only grow" is checked from a non-empty state.

#include <set>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/switches.h"
#include "fake/fake_platform.h"
#include "fuzz_input.h"

namespace {

using orvex::InstallOptions;
using orvex::ParseOutcome;
using orvex::WideString;
using orvex::fuzz::Holds;

struct Model {
  bool silent, reinstall, noUpdate, noRestart, csp, ucsp, selectDialog;
  std::u16string cspArgs, ucspArgs, pluginArgs;
};

std::u16string FoldAscii(std::u16string text) {
  for (char16_t& unit : text) {
    if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit + (u'a' - u'A'));
  }
  return text;
}

// Every switch the model knows, letter case folded. A switch added to the
// tables but not here (or the other way round) fails the run at once.
const std::set<std::u16string> kModelSwitches = {
    u"-help", u"--help", u"/help", u"-csp", u"-ucsp", u"-selectdlg", u"-silent", u"-reinstall",
    u"-noupdate", u"-norestart", u"-cspargs", u"-kc", u"-lang", u"-ucspargs", u"-orvexargs"};

bool ModelKnowsTheTablesSwitches() {
  std::set<std::u16string> table;
  for (std::size_t index = 0; index < orvex::kSwitchCount; ++index) {
    table.insert(FoldAscii(orvex::kSwitches[index].text));
  }
  for (const orvex::Provider& provider : orvex::kProviders) {
    table.insert(FoldAscii(provider.selectSwitch));
    table.insert(FoldAscii(provider.argsSwitch));
  }
  return table == kModelSwitches;
}

// The rules as the README states them, written out plainly.
ParseOutcome ModelParse(const std::vector<std::u16string>& arguments, Model& m) {
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::u16string& exact = arguments[i];
    const std::u16string folded = FoldAscii(exact);
    const bool hasValue = i + 1 < arguments.size();
    if (folded == u"-csp") {
      m.csp = true;
    } else if (folded == u"-ucsp") {
      m.ucsp = true;
    } else if (folded == u"-selectdlg") {
      m.selectDialog = true;
    } else if (folded == u"-silent") {
      m.silent = true;
    } else if (exact == u"-reinstall") {
      m.reinstall = true;
    } else if (exact == u"-noupdate") {
      m.noUpdate = true;
    } else if (folded == u"-norestart") {
      m.noRestart = true;
    } else if (folded == u"-cspargs" && m.csp && hasValue) {
      m.cspArgs += arguments[++i] + u" ";
    } else if ((folded == u"-kc" || folded == u"-lang") && m.csp && hasValue) {
      ++i;
    } else if (folded == u"-ucspargs" && m.ucsp && hasValue) {
      m.ucspArgs += arguments[++i] + u" ";
    } else if (folded == u"-orvexargs" && hasValue) {
      m.pluginArgs += u" " + arguments[++i] + u" ";
    } else {
      return ParseOutcome::kShowHelp;
    }
  }
  return ParseOutcome::kValid;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::u16string> arguments;
  if (size != 0) arguments = orvex::fuzz::SplitAtNul(data, size);  // empty input: a failed split

  // The starting state: flags from the program name's length, strings from its text.
  static const bool modelMatchesTables = ModelKnowsTheTablesSwitches();
  FUZZ_CHECK(modelMatchesTables);

  const std::u16string start = arguments.empty() ? u"" : arguments[0];
  const unsigned bits = static_cast<unsigned>(start.size());
  Model model{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0, (bits & 8) != 0, (bits & 16) != 0,
              (bits & 32) != 0, (bits & 64) != 0, start, start, start};
  InstallOptions options;
  options.silent = model.silent;
  options.reinstall = model.reinstall;
  options.noUpdate = model.noUpdate;
  options.noRestart = model.noRestart;
  options.installProvider[orvex::kCsp] = model.csp;
  options.installProvider[orvex::kUcsp] = model.ucsp;
  options.selectDialog = model.selectDialog;
  options.providerArgs[orvex::kCsp] = WideString(start.c_str());
  options.providerArgs[orvex::kUcsp] = options.providerArgs[orvex::kCsp];  // shared buffers must come apart
  options.pluginArgs = options.providerArgs[orvex::kCsp];

  orvex::fake::FakeCommandLine commandLine(arguments);
  const ParseOutcome outcome = orvex::ParseCommandLine(commandLine, options);
  FUZZ_CHECK(commandLine.splits == 1 && commandLine.releases == 1);

  const ParseOutcome expected = ModelParse(arguments, model);
  FUZZ_CHECK(outcome == expected);
  FUZZ_CHECK(options.silent == model.silent && options.reinstall == model.reinstall &&
             options.noUpdate == model.noUpdate && options.noRestart == model.noRestart &&
             options.installProvider[orvex::kCsp] == model.csp &&
             options.installProvider[orvex::kUcsp] == model.ucsp &&
             options.selectDialog == model.selectDialog);
  FUZZ_CHECK(Holds(options.providerArgs[orvex::kCsp], model.cspArgs));
  FUZZ_CHECK(Holds(options.providerArgs[orvex::kUcsp], model.ucspArgs));
  FUZZ_CHECK(Holds(options.pluginArgs, model.pluginArgs));
  for (const WideString* value :
       {&options.providerArgs[orvex::kCsp], &options.providerArgs[orvex::kUcsp], &options.pluginArgs}) {
    FUZZ_CHECK(orvex::TextLength(value->c_str()) == value->Length());
    FUZZ_CHECK(orvex::fuzz::Text(*value).compare(0, start.size(), start) == 0);  // only grown
  }

  return 0;
}
