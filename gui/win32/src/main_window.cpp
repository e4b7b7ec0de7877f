// Main window: window class, start-up, menu handling, the calculation cycle and the message loop.

#include <windows.h>

#include "app.hpp"
#include "resource_ids.h"

namespace zeltra5::win32 {

namespace {

ShellState state;
AppWindows windows;

constexpr DWORD MAIN_STYLE = WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

bool register_window_class(HINSTANCE instance) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, WINDOW_CLASS, &existing)) {
        return true;
    }
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = main_window_proc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconW(instance, L"zeltra5");
    // The 16-pixel image of the same icon rather than the large one shrunk.
    window_class.hIconSm = static_cast<HICON>(LoadImageW(instance, L"zeltra5", IMAGE_ICON,
                                                         GetSystemMetrics(SM_CXSMICON),
                                                         GetSystemMetrics(SM_CYSMICON), 0));
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = CreateSolidBrush(RGB(128, 128, 128));
    window_class.lpszMenuName = L"zeltra5";
    window_class.lpszClassName = WINDOW_CLASS;
    if (RegisterClassExW(&window_class) == 0) {
        DeleteObject(window_class.hbrBackground);
        return false;
    }
    return true;
}

// Leaves Move, Minimize and Close: deletes Restore, then Size, then Maximize, each position
// counted after the previous deletion.
void trim_system_menu(HWND window) {
    HMENU system_menu = GetSystemMenu(window, FALSE);
    for (UINT position = 0; position < 3; ++position) {
        DeleteMenu(system_menu, position, MF_BYPOSITION);
    }
}

// Gives the main window a client area two pixels larger each way than the panel, within the
// screen.
void fit_to_panel(HWND window, HWND panel) {
    RECT panel_rect;
    GetWindowRect(panel, &panel_rect);
    const LONG width = panel_rect.right - panel_rect.left + 1;
    const LONG height = panel_rect.bottom - panel_rect.top + 1;
    RECT frame;
    SetRect(&frame, 0, 0, GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN));
    if (width + 1 < frame.right) {
        frame.right = width + 1;
    }
    if (height + 1 < frame.bottom) {
        frame.bottom = height + 1;
    }
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, TRUE);
    OffsetRect(&frame, -frame.left, -frame.top);
    SetWindowPos(window, nullptr, 0, 0, frame.right, frame.bottom, SWP_NOMOVE | SWP_NOZORDER);
}

HMENU arguments_popup(HWND window) {
    return GetSubMenu(GetMenu(window), MENU_POS_ARGUMENTS);
}

void check_popup(HMENU arguments, ArgPopup popup, UINT check) {
    if (popup != ArgPopup::none) {
        CheckMenuItem(arguments, static_cast<UINT>(popup), MF_BYPOSITION | check);
    }
}

void choose_argument(HWND window, int item) {
    const MenuCheckChange change = choose_arg_item(state, item);
    HMENU menu = GetMenu(window);
    HMENU arguments = arguments_popup(window);
    CheckMenuItem(menu, static_cast<UINT>(change.uncheck_item), MF_BYCOMMAND | MF_UNCHECKED);
    check_popup(arguments, change.uncheck_popup, MF_UNCHECKED);
    check_popup(arguments, change.check_popup, MF_CHECKED);
    CheckMenuItem(menu, static_cast<UINT>(change.check_item), MF_BYCOMMAND | MF_CHECKED);
}

void calculation_cycle(HWND window) {
    if (DialogBoxParamW(windows.instance, L"ARGDLG", window, input_dialog_proc, 0) != 1) {
        return;
    }
    const CalculationOutcome outcome = run_calculation(state, calculate_function);
    fill_value_list(nullptr);
    if (!outcome.succeeded) {
        disable_results_panel();
        MessageBoxW(window, wide(out_of_domain_message(state)).c_str(), ERROR_CAPTION,
                    MB_OK | MB_ICONHAND);
        return;
    }
    show_requested_results(outcome);
}

void handle_command(HWND window, int id) {
    switch (id) {
        case IDM_ARG_P_X:
        case IDM_ARG_PS_LIQUID:
        case IDM_ARG_PS_VAPOUR:
        case IDM_ARG_TS_LIQUID:
        case IDM_ARG_TS_VAPOUR:
        case IDM_ARG_P_T:
        case IDM_ARG_P_H:
        case IDM_ARG_P_U:
        case IDM_ARG_P_S:
        case IDM_ARG_P_RO:
        case IDM_ARG_T_RO:
            choose_argument(window, id);
            break;
        case IDM_INPUT:
            calculation_cycle(window);
            break;
        case IDM_ABOUT:
            DialogBoxParamW(windows.instance, L"ABOUTDLG", window, about_dialog_proc, 0);
            break;
        case IDM_EXIT:
            SendMessageW(window, WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
}

bool is_command(int id) {
    return (id >= IDM_ARG_P_X && id <= IDM_ARG_T_RO) || id == IDM_INPUT || id == IDM_ABOUT ||
           id == IDM_EXIT;
}

}  // namespace

CalculateFunction calculate_function = calculate_properties_with_reason;

ShellState& shell_state() {
    return state;
}
AppWindows& app_windows() {
    return windows;
}

void center_window(HWND parent, HWND child) {
    RECT parent_rect;
    RECT child_rect;
    GetWindowRect(parent, &parent_rect);
    GetWindowRect(child, &child_rect);
    const LONG parent_width = parent_rect.right - parent_rect.left;
    const LONG parent_height = parent_rect.bottom - parent_rect.top;
    const LONG child_width = child_rect.right - child_rect.left;
    const LONG child_height = child_rect.bottom - child_rect.top;
    SetWindowPos(child, HWND_TOP, parent_rect.left + (parent_width - child_width) / 2,
                 parent_rect.top + (parent_height - child_height) / 2, 0, 0, SWP_NOSIZE);
}

HWND start_application(HINSTANCE instance, int show_command) {
    state = ShellState{};
    windows = AppWindows{};
    windows.instance = instance;
    if (!register_window_class(instance)) {
        return nullptr;
    }
    HWND window = CreateWindowExW(WS_EX_CLIENTEDGE, WINDOW_CLASS, WINDOW_TITLE, MAIN_STYLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                  nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return nullptr;
    }
    windows.main_window = window;
    trim_system_menu(window);
    HWND panel = CreateDialogParamW(instance, L"RESTBLDLG", window, results_panel_proc, 0);
    if (panel == nullptr) {
        DestroyWindow(window);
        return nullptr;
    }
    windows.panel = panel;
    windows.accelerators = LoadAcceleratorsW(instance, L"zeltra5");
    fit_to_panel(window, panel);
    center_window(GetDesktopWindow(), window);
    ShowWindow(window, show_command);
    UpdateWindow(window);
    SetFocus(window);
    state.request.mode = MODE_PRESSURE_TEMPERATURE;
    state.request.side = SIDE_NONE;
    state.superheat_liquid = false;
    return window;
}

int run_message_loop() {
    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            return static_cast<int>(message.wParam);
        }
        if (got == -1) {
            return -1;
        }
        if (windows.panel != nullptr) {
            // The shortcuts first: the dialog manager would hand Ctrl+C to the focused list.
            if (windows.accelerators != nullptr &&
                TranslateAcceleratorW(windows.panel, windows.accelerators, &message)) {
                continue;
            }
            if (IsDialogMessageW(windows.panel, &message)) {
                continue;
            }
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE:
            windows.instance = reinterpret_cast<const CREATESTRUCTW*>(lparam)->hInstance;
            return 0;
        case WM_DESTROY:
            windows.panel = nullptr;
            PostQuitMessage(0);
            return 0;
        case WM_KEYDOWN:
            if (wparam == VK_TAB && windows.values_list != nullptr) {
                SetFocus(windows.values_list);
                for (HWND list : {windows.names_list, windows.values_list, windows.units_list}) {
                    SendMessageW(list, LB_SETCURSEL, 0, 0);
                }
                return 0;
            }
            break;
        case WM_COMMAND:
            if (is_command(LOWORD(wparam))) {
                handle_command(window, LOWORD(wparam));
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace zeltra5::win32
