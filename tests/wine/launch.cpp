// Runs a program as a person at the screen would: prints every box it shows
// and answers it, then prints the program's output and full exit code.
//   orvex_launch.exe [--answer yes|no] [--dir DIRECTORY] PROGRAM [ARGUMENTS...]
// Boxes with Yes and No get the chosen answer; other boxes get OK.
#include <windows.h>

#include <cstdio>
#include <string>

#include "program_driver.h"

using orvex::testing::Utf8;

int wmain(int argc, wchar_t** argv) {
  bool yes = true;
  std::wstring directory;
  int index = 1;
  for (; index < argc; ++index) {
    const std::wstring argument = argv[index];
    if (argument == L"--answer" && index + 1 < argc) {
      yes = std::wstring(argv[++index]) != L"no";
    } else if (argument == L"--dir" && index + 1 < argc) {
      directory = argv[++index];
    } else {
      break;
    }
  }
  if (index >= argc) {
    std::fprintf(stderr, "usage: orvex_launch.exe [--answer yes|no] [--dir DIRECTORY] PROGRAM [ARGUMENTS...]\n");
    return 2;
  }
  const std::wstring program = argv[index++];
  std::wstring arguments;
  for (; index < argc; ++index) {
    if (!arguments.empty()) arguments += L" ";
    const std::wstring argument = argv[index];
    const bool quote = argument.empty() || argument.find_first_of(L" \t\"") != std::wstring::npos;
    arguments += quote ? L"\"" + argument + L"\"" : argument;
  }

  orvex::testing::ProgramRun run;
  if (!run.Start(program, arguments, directory)) {
    std::printf("cannot start %s: error %lu\n", Utf8(program).c_str(), GetLastError());
    return 2;
  }
  while (auto box = run.WaitForBox(600000)) {
    const bool question = box->buttons.size() == 2 && box->buttons[0] == IDYES;
    const int answer = question ? (yes ? IDYES : IDNO) : box->buttons.empty() ? IDOK : box->buttons[0];
    std::printf("--- box \"%s\"\n%s\n--- answered %s\n", Utf8(box->caption).c_str(), Utf8(box->text).c_str(),
                answer == IDYES ? "Yes" : answer == IDNO ? "No" : "OK");
    std::fflush(stdout);
    run.Press(*box, answer);
  }
  const auto code = run.WaitForExit(600000);
  const std::string output = run.Output();
  if (!output.empty()) std::printf("--- standard output\n%s", output.c_str());
  if (!code) {
    std::printf("exit code: none (still running, ended)\n");
    return 2;
  }
  std::printf("exit code: %lu\n", *code);
  return 0;
}
