// The CSP configuration dialog (resource 141): a welcome view and an options
// view with the installation language and the security level. Its marks are
// for show only; nothing is read from them when it closes.
#include <windows.h>

#include "win32/unique_handle.h"
#include "win32/win32_platform.h"
#include "resources/message_ids.h"
#include "resources/resource_ids.h"

namespace orvex::win32 {

namespace {

inline void DestroyIconHandle(HICON icon) noexcept { ::DestroyIcon(icon); }
using unique_hicon = UniqueHandle<HICON, DestroyIconHandle>;

constexpr LANGID kRussianRussia = 0x0419;
constexpr int kToggleCaptionUnits = 10;

// Lives on the caller's stack for the length of the dialog.
struct DialogState {
  unique_hicon icon;
};

void Initialise(HWND dialog, DialogState& state) noexcept {
  state.icon.reset(static_cast<HICON>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ORVEX_ICON_MAIN), IMAGE_ICON, 32, 32, 0)));
  ::SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(state.icon.get()));
  // Only Russian as used in Russia gets "Русский"; every other language,
  // other Russian sublanguages included, gets "English".
  const int language = ::GetSystemDefaultUILanguage() == kRussianRussia ? ORVEX_ID_RUSSIAN : ORVEX_ID_ENGLISH;
  ::CheckDlgButton(dialog, language, BST_CHECKED);
  ::CheckDlgButton(dialog, ORVEX_ID_KC1, BST_CHECKED);
}

// The caption of the toggle button says which view is showing.
void ToggleView(HWND dialog) noexcept {
  wchar_t caption[kToggleCaptionUnits] = {};
  ::GetDlgItemTextW(dialog, ORVEX_ID_OPTIONS, caption, kToggleCaptionUnits);
  WideString options;
  // The program's own string table holds both texts of the button.
  (void)LoadMessageFrom(::GetModuleHandleW(nullptr), kMsgOptions, options);
  const bool welcomeShowing = options.compare(WideString(reinterpret_cast<const char16_t*>(caption))) == 0;
  for (int id = ORVEX_ID_RUSSIAN; id <= ORVEX_ID_WELCOME_TEXT; ++id) {
    const bool welcomeControl = id == ORVEX_ID_BANNER_FRAME || id == ORVEX_ID_WELCOME_TEXT;
    ::ShowWindow(::GetDlgItem(dialog, id), welcomeControl == welcomeShowing ? SW_HIDE : SW_SHOW);
  }
  WideString next;
  (void)LoadMessageFrom(::GetModuleHandleW(nullptr), welcomeShowing ? kMsgHide : kMsgOptions, next);
  ::SetDlgItemTextW(dialog, ORVEX_ID_OPTIONS, Wide(next.c_str()));
}

INT_PTR CALLBACK SelectionDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* state = reinterpret_cast<DialogState*>(lParam);
      ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      Initialise(dialog, *state);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case ORVEX_ID_NEXT:
          ::EndDialog(dialog, 0);
          return TRUE;
        case IDCANCEL:  // also Esc and the close box
          ::EndDialog(dialog, IDCANCEL);
          return TRUE;
        case ORVEX_ID_OPTIONS:
          ToggleView(dialog);
          return FALSE;
        default:
          return FALSE;
      }
    case WM_DESTROY: {
      auto* state = reinterpret_cast<DialogState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
      if (state != nullptr) state->icon.reset();
      return FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

bool Win32Ui::ShowSelectionDialog() noexcept {
  DialogState state;
  const INT_PTR result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ORVEX_DIALOG_SELECTION),
                                           nullptr, SelectionDialogProcedure, reinterpret_cast<LPARAM>(&state));
  // The process ends through the entry's return rather than from inside the
  // dialog, so the cancelled run unwinds like any other.
  return result != IDCANCEL;
}

}  // namespace orvex::win32
