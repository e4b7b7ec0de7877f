#pragma once
// The Windows program: main window, input dialog, results panel and About dialog. The decisions
// live in the portable shell state (zeltra5/shell_state.hpp); the procedures here move texts and
// flags between the controls and that state. Every text reaches the system through the wide
// (UTF-16) functions, so that the Russian texts read the same whatever code page Windows runs.

#include <windows.h>

#include <string>
#include <string_view>

#include "zeltra5/shell_state.hpp"
#include "zeltra5/wide_text.hpp"

namespace zeltra5::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the wide functions take UTF-16");

inline constexpr wchar_t WINDOW_CLASS[] = L"zeltra5";
inline constexpr wchar_t WINDOW_TITLE[] = L"zeltra5";
inline constexpr wchar_t ERROR_CAPTION[] = L"Ошибка";

// A shell text (Windows-1251) or message (UTF-16) as the wide functions take it.
inline std::wstring wide(std::string_view cp1251) {
    const std::u16string text = utf16_from_cp1251(cp1251);
    return std::wstring(text.begin(), text.end());
}
inline std::wstring wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

// Window handles, obtained at start-up and valid until the main window is destroyed.
struct AppWindows {
    HINSTANCE instance;
    HWND main_window;
    HWND panel;
    HWND names_list;
    HWND values_list;
    HWND units_list;
    HWND superheat_box;
    HWND show_liquid;
    HWND show_vapour;
    HWND show_requested;
    HWND copy_button;
    HWND copy_table_button;
    HACCEL accelerators;  // the panel's shortcuts, offered every message before its dialog manager
};

// Process-wide storage: one program, one main window.
ShellState& shell_state();
AppWindows& app_windows();

// The front end the calculation cycle calls; replaceable so that tests can watch the requests.
extern CalculateFunction calculate_function;

// Start-up up to the message loop: registers the window class, creates the main window and the
// results panel, fits and centres the window and shows it. The shell state starts afresh.
// Returns the main window, or nullptr when a window could not be created.
HWND start_application(HINSTANCE instance, int show_command);

// Runs until WM_QUIT and returns its exit code; the panel's shortcuts and then its dialog manager
// see every message first.
int run_message_loop();

// Moves `child` so that it is centred over `parent`, keeping its size; puts it on top.
void center_window(HWND parent, HWND child);

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK input_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK results_panel_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Reads the number in an edit control of `dialog` into `destination`. Answers 1 on success;
// otherwise reports the problem in a message box, focuses the control and answers 0.
int read_number_field(HWND dialog, int control_id, double& destination);

// The text of the field last read by read_number_field (Windows-1251).
const char* last_field_text();

// Results panel operations the calculation cycle uses.
void fill_value_list(const ResultTable* table);  // nullptr: twenty rows " "
void select_value_row_as_names();
void disable_results_panel();
void show_requested_results(const CalculationOutcome& outcome);

}  // namespace zeltra5::win32
