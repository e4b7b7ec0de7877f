// About dialog "ABOUTDLG": centred on the desktop, grey background, closed by OK or Escape.

#include <windows.h>

#include "app.hpp"

namespace zeltra5::win32 {

INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            center_window(GetDesktopWindow(), dialog);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
                EndDialog(dialog, 0);
                return TRUE;
            }
            return FALSE;
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
            SetBkColor(reinterpret_cast<HDC>(wparam), RGB(192, 192, 192));
            return reinterpret_cast<INT_PTR>(GetStockObject(LTGRAY_BRUSH));
        default:
            return FALSE;
    }
}

}  // namespace zeltra5::win32
