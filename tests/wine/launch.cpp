// Runs a program as a person at the screen would: prints every box it shows
// and answers it, then prints the program's output and full exit code.
// Boxes of the installers it starts (msiexec's error box under /qb, say) are
// printed and answered too, so that a failing installer cannot hold the run.
//   orvex_launch.exe [--answer yes|no] [--dir DIRECTORY] PROGRAM [ARGUMENTS...]
// Boxes with Yes and No get the chosen answer; other boxes and dialogs get
// their default button (OK).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "program_driver.h"

using orvex::driver::ShownBox;
using orvex::driver::Utf8;

namespace {

std::wstring Text(HWND window) {
  wchar_t text[4096] = {};
  if (window != nullptr) GetWindowTextW(window, text, 4096);
  return text;
}

// The file name of the process that owns window.
std::wstring OwnerName(HWND window) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner);
  if (process != nullptr) {
    if (!QueryFullProcessImageNameW(process, 0, path, &size)) path[0] = 0;
    CloseHandle(process);
  }
  const std::wstring full = path;
  const std::size_t slash = full.find_last_of(L"\\/");
  return slash == std::wstring::npos ? full : full.substr(slash + 1);
}

}  // namespace

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

  orvex::driver::ProgramRun run;
  if (!run.Start(program, arguments, directory)) {
    std::printf("cannot start %s: error %lu\n", Utf8(program).c_str(), GetLastError());
    return 2;
  }
  std::vector<HWND> answeredOthers;
  const ULONGLONG deadline = GetTickCount64() + 600000;
  while (GetTickCount64() < deadline) {
    std::string owner;
    auto box = run.WaitForBox(500);
    if (!box) {
      box = orvex::driver::FindOtherBox(run.ProcessId(), answeredOthers);
      if (box) {
        owner = " of " + Utf8(OwnerName(box->window));
        answeredOthers.push_back(box->window);
      }
    }
    if (!box) {
      if (run.HasEnded()) break;
      continue;
    }
    const bool question = box->buttons.size() == 2 && box->buttons[0] == IDYES;
    int answer = question ? (yes ? IDYES : IDNO) : box->buttons.empty() ? IDOK : box->buttons[0];
    if (!question) {
      // A dialog of the program's own (the selection dialog) goes on with
      // its default button, as Enter would.
      const LRESULT defaultId = SendMessageW(box->window, DM_GETDEFID, 0, 0);
      if (HIWORD(defaultId) == DC_HASDEFID) answer = LOWORD(defaultId);
    }
    const std::string label = answer == IDYES   ? "Yes"
                              : answer == IDNO  ? "No"
                              : answer == IDOK  ? "OK"
                                                : Utf8(Text(GetDlgItem(box->window, answer)));
    std::printf("--- box \"%s\"%s\n%s\n--- answered %s\n", Utf8(box->caption).c_str(), owner.c_str(),
                Utf8(box->text).c_str(), label.c_str());
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
