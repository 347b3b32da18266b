#include <windows.h>

#include "win32/unique_handle.h"
#include "win32/win32_platform.h"

namespace orvex::win32 {

Status Win32Processes::RunProcess(const WideString& commandLine, bool& exitCodeRead) noexcept {
  exitCodeRead = false;
  // CreateProcessW may write into the command line it is given: hand it a
  // private copy, so the caller's text stays as it was.
  WideString privateCopy(commandLine);
  char16_t* buffer = privateCopy.GetBuffer(privateCopy.Length());

  STARTUPINFOW startup;
  ZeroMemory(&startup, sizeof(startup));
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info;
  ZeroMemory(&info, sizeof(info));
  DWORD exitCode = 0;

  if (!::CreateProcessW(nullptr, Wide(buffer), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &info)) {
    return ::GetLastError();
  }
  // Declared in this order so that the process handle closes first.
  unique_handle thread(info.hThread);
  unique_handle process(info.hProcess);
  ::WaitForSingleObject(process.get(), INFINITE);
  // An unread exit code must not pass for the child's success.
  if (!::GetExitCodeProcess(process.get(), &exitCode)) return ::GetLastError();
  exitCodeRead = true;
  return exitCode;
}

}  // namespace orvex::win32
