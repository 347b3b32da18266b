/* Stands in for an msi.dll planted beside the program. It does no harm: on
   loading it only leaves a mark, the file named by ORVEX_PLANTED_MARK. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"ORVEX_PLANTED_MARK", path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      HANDLE mark = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
      if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
    }
  }
  return TRUE;
}
