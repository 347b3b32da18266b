/* Loaded into the program by a message hook of the tests. Under Wine
   WM_GETICON does not cross processes, so the big icon of the window that a
   WM_NULL is posted to is read here, inside the program, and its size left
   in the window's property "OrvexBigIcon": MAKELONG(width, height), or 1
   when the window has none. */
#include <windows.h>

__declspec(dllexport) LRESULT CALLBACK ReadBigIcon(int code, WPARAM wParam, LPARAM lParam) {
  const MSG *msg = (const MSG *)lParam;
  if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_NULL && msg->hwnd != NULL) {
    const HICON icon = (HICON)SendMessageW(msg->hwnd, WM_GETICON, ICON_BIG, 0);
    ULONG_PTR size = 1;
    ICONINFO info;
    if (icon != NULL && GetIconInfo(icon, &info)) {
      BITMAP bitmap;
      GetObjectW(info.hbmMask, sizeof(bitmap), &bitmap);
      /* Without a colour bitmap the mask holds AND and XOR images, one above the other. */
      size = MAKELONG(bitmap.bmWidth, info.hbmColor != NULL ? bitmap.bmHeight : bitmap.bmHeight / 2);
      DeleteObject(info.hbmMask);
      if (info.hbmColor != NULL) DeleteObject(info.hbmColor);
    }
    SetPropW(msg->hwnd, L"OrvexBigIcon", (HANDLE)size);
  }
  return CallNextHookEx(NULL, code, wParam, lParam);
}
