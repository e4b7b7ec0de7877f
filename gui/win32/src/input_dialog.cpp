// Input dialog "ARGDLG": labels and remembered texts of the chosen argument pair, and reading of
// the two values into the shell's request (display units).

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "app.hpp"
#include "resource_ids.h"

namespace zeltra5::win32 {

namespace {

constexpr std::size_t LINE_BUFFER_CHARS = 256;

// EM_GETLINE reads the room it may fill from the first word of the buffer.
wchar_t line_buffer[LINE_BUFFER_CHARS + 1];
// The same text in Windows-1251, as the shell reads and remembers it.
std::string field_text;

void set_field_text(HWND dialog, int id, const char* text) {
    const std::wstring w = wide(text);
    SendDlgItemMessageW(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()));
}

void set_label(HWND dialog, int id, const char* text) {
    SetWindowTextW(GetDlgItem(dialog, id), wide(text).c_str());
}

void init_dialog(HWND dialog) {
    ShellState& shell = shell_state();
    center_window(GetDesktopWindow(), dialog);
    apply_arg_item(shell);
    const ArgLabels* labels = arg_labels(shell.request.mode);
    if (labels == nullptr) {
        return;
    }
    RememberedTexts& texts = shell.remembered_texts;
    const auto mode = static_cast<std::size_t>(shell.request.mode);
    for (int id : {IDC_FIRST_VALUE, IDC_SECOND_VALUE}) {
        SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, INPUT_BOX_LIMIT, 0);
    }
    set_field_text(dialog, IDC_FIRST_VALUE, texts.first[mode]);
    set_label(dialog, IDC_FIRST_SYMBOL, labels->first_symbol);
    set_label(dialog, IDC_FIRST_UNIT, labels->first_unit);
    set_label(dialog, IDC_SECOND_SYMBOL, labels->second_symbol);
    set_label(dialog, IDC_SECOND_UNIT, labels->second_unit);
    HWND second = GetDlgItem(dialog, IDC_SECOND_VALUE);
    if (const char* fixed = fixed_second_text(shell.request)) {
        set_field_text(dialog, IDC_SECOND_VALUE, fixed);
        EnableWindow(second, FALSE);
    } else {
        EnableWindow(second, TRUE);
        set_field_text(dialog, IDC_SECOND_VALUE, texts.second[mode]);
    }
}

bool read_values(HWND dialog) {
    return confirm_input(shell_state(), [dialog](int field, double& value, std::string_view& text) {
        if (!read_number_field(dialog, field == 0 ? IDC_FIRST_VALUE : IDC_SECOND_VALUE, value)) {
            return false;
        }
        text = last_field_text();
        return true;
    });
}

}  // namespace

int read_number_field(HWND dialog, int control_id, double& destination) {
    const WORD room = LINE_BUFFER_CHARS;
    std::memcpy(line_buffer, &room, sizeof(room));
    const LRESULT copied = SendDlgItemMessageW(dialog, control_id, EM_GETLINE, 0,
                                               reinterpret_cast<LPARAM>(line_buffer));
    const LRESULT length = SendDlgItemMessageW(dialog, control_id, EM_LINELENGTH, 0, 0);
    const auto end = static_cast<std::size_t>(
        std::clamp<LRESULT>(std::min(copied, length), 0, LINE_BUFFER_CHARS));
    line_buffer[end] = L'\0';
    // A character Windows-1251 lacks becomes '?', which no number holds.
    field_text =
        cp1251_from_utf16(std::u16string_view(reinterpret_cast<const char16_t*>(line_buffer), end));

    // A text longer than a remembered slot is refused by its full length, even one longer than
    // the buffer.
    NumberText status = NumberText::empty;
    if (length > 0) {
        status = static_cast<std::size_t>(length) > INPUT_TEXT_LIMIT
                     ? NumberText::bad_format
                     : read_field_text(field_text, destination);
    }
    if (status == NumberText::ok) {
        return 1;
    }
    MessageBoxW(dialog, wide(number_refusal_message(status)).c_str(), ERROR_CAPTION,
                MB_OK | MB_ICONHAND);
    SetFocus(GetDlgItem(dialog, control_id));
    return 0;
}

const char* last_field_text() {
    return field_text.c_str();
}

INT_PTR CALLBACK input_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            init_dialog(dialog);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK) {
                if (read_values(dialog)) {
                    EndDialog(dialog, 1);
                }
                return FALSE;
            }
            if (LOWORD(wparam) == IDCANCEL) {
                EndDialog(dialog, 0);
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace zeltra5::win32
