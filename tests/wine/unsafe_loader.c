/* A deliberately unsafe program: loads each DLL named on its command line by
   its bare name, so the DLL search may find a planted copy first. It proves
   that the planted-DLL test can fail. The exit code counts the failed loads. */
#include <windows.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
  (void)instance;
  (void)previous;
  (void)commandLine;
  (void)show;
  int count = 0, failed = 0;
  wchar_t** names = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; i < count; ++i) failed += LoadLibraryW(names[i]) == NULL;
  return failed;
}
