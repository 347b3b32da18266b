/* Stands in for a DLL planted beside the program (copied as msi.dll,
   comctl32.dll, ...). It does no harm: on loading it only leaves a mark, a
   file named after its own file in the directory ORVEX_PLANTED_MARKS. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[2 * MAX_PATH], self[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"ORVEX_PLANTED_MARKS", path, MAX_PATH);
    const DWORD selfLength = GetModuleFileNameW(instance, self, MAX_PATH);
    if (length > 0 && length < MAX_PATH && selfLength > 0 && selfLength < MAX_PATH) {
      const wchar_t* name = wcsrchr(self, L'\\');
      lstrcatW(path, name != NULL ? name : L"\\unnamed.dll");
      HANDLE mark = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
      if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
    }
  }
  return TRUE;
}
