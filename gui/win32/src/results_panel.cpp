// Results panel "RESTBLDLG": the names, values and units lists kept on the same row, the table
// switch, the liquid-superheat option and the copies of the selected value and of the whole table
// to the clipboard.

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "app.hpp"
#include "resource_ids.h"
#include "zeltra5/panel_layout.hpp"

namespace zeltra5::win32 {

namespace {

constexpr COLORREF LIST_TEXT = RGB(0, 0, 0);
constexpr COLORREF LIST_BACKGROUND = RGB(192, 192, 192);
constexpr COLORREF VALUES_BACKGROUND = RGB(255, 255, 200);
constexpr wchar_t EMPTY_VALUE_ROW[] = L"        ";
// The language of the Windows-1251 copy on the clipboard, for programs that read CF_TEXT.
constexpr LCID RUSSIAN_LOCALE =
    MAKELCID(MAKELANGID(LANG_RUSSIAN, SUBLANG_RUSSIAN_RUSSIA), SORT_DEFAULT);
// The notification code of a WM_COMMAND sent by TranslateAccelerator.
constexpr int FROM_ACCELERATOR = 1;

// Created once and reused for every repaint; freed with the panel.
HBRUSH list_brush = nullptr;
HBRUSH values_brush = nullptr;
COLORREF values_colour = CLR_INVALID;

// The lists' own window procedure, which list_proc hands every message to.
WNDPROC list_base_proc = nullptr;
bool aligning_lists = false;

// The other two lists take the top row of `source`, so that each line of the panel shows one row
// of the table whatever scrolled a list: keys, the wheel, a selection, a refill.
void align_top_rows(HWND source) {
    const AppWindows& w = app_windows();
    aligning_lists = true;
    const LRESULT top = SendMessageW(source, LB_GETTOPINDEX, 0, 0);
    for (HWND list : {w.names_list, w.values_list, w.units_list}) {
        if (list != source && SendMessageW(list, LB_GETTOPINDEX, 0, 0) != top) {
            SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
        }
    }
    aligning_lists = false;
}

LRESULT CALLBACK list_proc(HWND list, UINT message, WPARAM wparam, LPARAM lparam) {
    const LRESULT result = CallWindowProcW(list_base_proc, list, message, wparam, lparam);
    if (!aligning_lists && message != WM_DESTROY && message != WM_NCDESTROY) {
        align_top_rows(list);
    }
    return result;
}

void add_row(HWND list, const std::wstring& text) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

PanelBox box_in_panel(HWND panel, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}

// The template's lists hold 20 rows only for a font as high as the one it was drawn for: with a
// taller font the lists, the frame around them and the panel grow, and what lies below moves
// down, by what the rows lack. The main window is fitted to the panel afterwards.
void show_every_row(HWND panel) {
    const AppWindows& w = app_windows();
    const auto item_height = static_cast<int>(SendMessageW(w.names_list, LB_GETITEMHEIGHT, 0, 0));
    RECT client;
    GetClientRect(w.names_list, &client);
    const int growth = list_shortfall(item_height, client.bottom);
    if (item_height <= 0 || growth == 0) {
        return;
    }
    const int lists_bottom = box_in_panel(panel, w.names_list).bottom;
    for (HWND child = GetWindow(panel, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const PanelBox b = after_list_growth(box_in_panel(panel, child), lists_bottom, growth);
        SetWindowPos(child, nullptr, b.left, b.top, b.right - b.left, b.bottom - b.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT frame;
    GetWindowRect(panel, &frame);
    const PanelBox b = after_list_growth({0, 0, frame.right - frame.left, frame.bottom - frame.top},
                                         lists_bottom, growth);
    SetWindowPos(panel, nullptr, 0, 0, b.right, b.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void init_panel(HWND panel) {
    AppWindows& w = app_windows();
    w.panel = panel;
    w.names_list = GetDlgItem(panel, IDC_NAMES_LIST);
    w.values_list = GetDlgItem(panel, IDC_VALUES_LIST);
    w.units_list = GetDlgItem(panel, IDC_UNITS_LIST);
    w.superheat_box = GetDlgItem(panel, IDC_SUPERHEAT);
    w.show_liquid = GetDlgItem(panel, IDC_SHOW_SATURATED_LIQUID);
    w.show_vapour = GetDlgItem(panel, IDC_SHOW_SATURATED_VAPOUR);
    w.show_requested = GetDlgItem(panel, IDC_SHOW_REQUESTED);
    w.copy_button = GetDlgItem(panel, IDC_COPY);
    w.copy_table_button = GetDlgItem(panel, IDC_COPY_TABLE);
    for (int row = 0; row < RESULT_ROWS; ++row) {
        add_row(w.names_list, wide(result_row_name(row)));
        add_row(w.values_list, EMPTY_VALUE_ROW);
        add_row(w.units_list, wide(result_row_unit(row)));
    }
    show_every_row(panel);
    for (HWND list : {w.names_list, w.values_list, w.units_list}) {
        list_base_proc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(list_proc)));
    }
    if (list_brush == nullptr) {
        list_brush = CreateSolidBrush(LIST_BACKGROUND);
    }
}

void free_brushes() {
    for (HBRUSH* brush : {&list_brush, &values_brush}) {
        if (*brush != nullptr) {
            DeleteObject(*brush);
            *brush = nullptr;
        }
    }
    values_colour = CLR_INVALID;
}

// The value list's background: the display's nearest colour to a pale yellow. The brush is
// made again only if that colour changes.
COLORREF nearest_values_colour(HWND panel) {
    HDC dc = GetDC(panel);
    const COLORREF colour = GetNearestColor(dc, VALUES_BACKGROUND);
    ReleaseDC(panel, dc);
    if (colour != values_colour || values_brush == nullptr) {
        if (values_brush != nullptr) {
            DeleteObject(values_brush);
        }
        values_brush = CreateSolidBrush(colour);
        values_colour = colour;
    }
    return colour;
}

INT_PTR list_colours(HWND panel, HDC dc, HWND list) {
    SetTextColor(dc, LIST_TEXT);
    if (list == app_windows().values_list) {
        SetBkColor(dc, nearest_values_colour(panel));
        return reinterpret_cast<INT_PTR>(values_brush);
    }
    SetBkColor(dc, LIST_BACKGROUND);
    return reinterpret_cast<INT_PTR>(list_brush);
}

void show_table_rows(int table) {
    if (show_table(shell_state(), table)) {
        fill_value_list(displayed_rows(shell_state()));
        select_value_row_as_names();
    }
}

void synchronise_lists(HWND source) {
    const AppWindows& w = app_windows();
    const auto row = static_cast<int>(SendMessageW(source, LB_GETCURSEL, 0, 0));
    if (row == LB_ERR) {
        return;
    }
    for (HWND list : {w.names_list, w.values_list, w.units_list}) {
        if (list != source) {
            SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        }
    }
    if (note_row_selection(shell_state(), row)) {
        EnableWindow(w.copy_button, TRUE);
    }
}

// A movable global block holding `bytes` bytes of `data`; nullptr when memory is short.
HGLOBAL global_copy(const void* data, std::size_t bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (block == nullptr) {
        return nullptr;
    }
    void* target = GlobalLock(block);
    if (target == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, data, bytes);
    GlobalUnlock(block);
    return block;
}

// Puts `text` (Windows-1251) on the clipboard as CF_UNICODETEXT, which every program reads
// whatever its code page, and as CF_TEXT with CF_LOCALE saying that it is Russian. The clipboard
// takes each block only when the step succeeds; otherwise it is freed here.
void put_on_clipboard(HWND panel, std::string_view text) {
    const AppWindows& w = app_windows();
    const std::string ansi(text);
    const std::wstring unicode = wide(text);
    HGLOBAL blocks[3] = {global_copy(unicode.c_str(), (unicode.size() + 1) * sizeof(wchar_t)),
                         global_copy(ansi.c_str(), ansi.size() + 1),
                         global_copy(&RUSSIAN_LOCALE, sizeof(RUSSIAN_LOCALE))};
    const UINT formats[3] = {CF_UNICODETEXT, CF_TEXT, CF_LOCALE};
    const auto free_blocks = [&blocks] {
        for (HGLOBAL& block : blocks) {
            if (block != nullptr) {
                GlobalFree(block);
                block = nullptr;
            }
        }
    };
    if (blocks[0] == nullptr || blocks[1] == nullptr || blocks[2] == nullptr) {
        free_blocks();
        MessageBoxW(panel, L"Не хватает памяти для завершения операции", ERROR_CAPTION,
                    MB_OK | MB_ICONHAND);
        return;
    }
    if (!OpenClipboard(w.main_window)) {
        free_blocks();
        return;
    }
    EmptyClipboard();
    for (int k = 0; k < 3; ++k) {
        if (SetClipboardData(formats[k], blocks[k]) != nullptr) {
            blocks[k] = nullptr;  // the clipboard's now
        }
    }
    CloseClipboard();
    free_blocks();
}

void copy_selected_value(HWND panel) {
    const auto row = static_cast<int>(SendMessageW(app_windows().values_list, LB_GETCURSEL, 0, 0));
    if (const auto text = copy_text(shell_state(), row)) {
        put_on_clipboard(panel, *text);
    }
}

void copy_shown_table(HWND panel) {
    if (const auto text = copy_table_text(shell_state())) {
        put_on_clipboard(panel, *text);
    }
}

void panel_command(HWND panel, int id, int code, HWND control) {
    // The shortcuts do what their buttons do, and nothing while the button is disabled.
    if (code == FROM_ACCELERATOR && control == nullptr) {
        if (id == IDC_COPY && shell_state().copy_enabled) {
            copy_selected_value(panel);
        } else if (id == IDC_COPY_TABLE && shell_state().results_available) {
            copy_shown_table(panel);
        }
        return;
    }
    if (code == BN_CLICKED) {
        switch (id) {
            case IDC_SUPERHEAT:
                shell_state().superheat_liquid =
                    SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
                return;
            case IDC_SHOW_SATURATED_LIQUID:
                show_table_rows(TABLE_SATURATED_LIQUID);
                return;
            case IDC_SHOW_SATURATED_VAPOUR:
                show_table_rows(TABLE_SATURATED_VAPOUR);
                return;
            case IDC_SHOW_REQUESTED:
                show_table_rows(TABLE_REQUESTED);
                return;
            case IDC_COPY:
                copy_selected_value(panel);
                return;
            case IDC_COPY_TABLE:
                copy_shown_table(panel);
                return;
            default:
                return;
        }
    }
    if (code == LBN_SELCHANGE &&
        (id == IDC_NAMES_LIST || id == IDC_VALUES_LIST || id == IDC_UNITS_LIST)) {
        synchronise_lists(control);
    }
}

}  // namespace

void fill_value_list(const ResultTable* table) {
    HWND list = app_windows().values_list;
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (int row = 0; row < RESULT_ROWS; ++row) {
        add_row(list, table != nullptr ? wide(table->rows[row]) : std::wstring(L" "));
    }
}

void select_value_row_as_names() {
    const AppWindows& w = app_windows();
    const LRESULT row = SendMessageW(w.names_list, LB_GETCURSEL, 0, 0);
    if (row != LB_ERR) {
        SendMessageW(w.values_list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    }
}

void disable_results_panel() {
    const AppWindows& w = app_windows();
    for (HWND list : {w.names_list, w.values_list, w.units_list}) {
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    }
    for (HWND control : {w.copy_button, w.copy_table_button, w.names_list, w.values_list,
                         w.units_list, w.show_liquid, w.show_vapour, w.show_requested}) {
        EnableWindow(control, FALSE);
    }
}

void show_requested_results(const CalculationOutcome& outcome) {
    const AppWindows& w = app_windows();
    EnableWindow(w.show_requested, TRUE);
    EnableWindow(w.copy_table_button, TRUE);
    SendMessageW(w.show_liquid, BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(w.show_vapour, BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(w.show_requested, BM_SETCHECK, BST_CHECKED, 0);
    for (HWND list : {w.names_list, w.values_list, w.units_list}) {
        EnableWindow(list, TRUE);
    }
    fill_value_list(&shell_state().requested_table);
    select_value_row_as_names();
    if (outcome.enable_copy) {
        EnableWindow(w.copy_button, TRUE);
    }
    EnableWindow(w.show_liquid, outcome.liquid_available ? TRUE : FALSE);
    EnableWindow(w.show_vapour, outcome.vapour_available ? TRUE : FALSE);
}

INT_PTR CALLBACK results_panel_proc(HWND panel, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            init_panel(panel);
            return TRUE;
        case WM_CTLCOLORLISTBOX:
            return list_colours(panel, reinterpret_cast<HDC>(wparam),
                                reinterpret_cast<HWND>(lparam));
        case WM_COMMAND:
            panel_command(panel, LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
            return FALSE;
        case WM_DESTROY:
            free_brushes();
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace zeltra5::win32
