/* A deliberately unsafe program: loads msi.dll by its bare name, so the DLL
   search may find a planted copy first. It proves that the planted-DLL test
   can fail. */
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
  (void)instance;
  (void)previous;
  (void)commandLine;
  (void)show;
  return LoadLibraryW(L"msi.dll") != NULL ? 0 : 1;
}
