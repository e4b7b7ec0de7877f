#pragma once
// A fresh main window with its results panel for every test, created by the program's own
// start-up code from the real resources, and torn down with its quit message drained.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app.hpp"
#include "gui_driver.hpp"
#include "resource_ids.h"

namespace zeltra5::gui_test {

// Every request the calculation cycle sends, answered by the real front end.
inline std::vector<CalcRequest> sent_requests;

inline int recording_calculation(const CalcRequest& request, PropertyResult& result, Refusal& why) {
    sent_requests.push_back(request);
    return calculate_properties_with_reason(request, result, why);
}

// Records the request and answers with a fixed liquid state, whatever was asked.
inline int canned_calculation(const CalcRequest& request, PropertyResult& result, Refusal& why) {
    sent_requests.push_back(request);
    return calculate_properties_with_reason({MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 1e6, 20.0},
                                            result, why);
}

class AppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 1251u) << "run under a Russian locale (LC_ALL=ru_RU.UTF-8)";
        sent_requests.clear();
        win32::calculate_function = recording_calculation;
        main_window = win32::start_application(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        ASSERT_NE(main_window, nullptr);
    }

    void TearDown() override {
        if (IsWindow(main_window)) {
            DestroyWindow(main_window);
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        win32::calculate_function = calculate_properties_with_reason;
    }

    const win32::AppWindows& windows() const { return win32::app_windows(); }
    ShellState& state() { return win32::shell_state(); }

    void command(int id) { SendMessageA(main_window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    void choose(int item) { command(item); }

    // "Задание" with the two texts and "Произвести расчет"; `error` receives the text of an
    // error message shown afterwards by the main window ("" when none is expected).
    bool calculate(const std::string& first, const std::string& second,
                   std::string* error = nullptr) {
        ModalScript script;
        script.on(INPUT_CAPTION, [&](HWND dialog) {
            set_item_text(dialog, IDC_FIRST_VALUE, first);
            if (IsWindowEnabled(GetDlgItem(dialog, IDC_SECOND_VALUE))) {
                set_item_text(dialog, IDC_SECOND_VALUE, second);
            }
            post_command(dialog, IDOK);
        });
        if (error != nullptr) {
            script.on(ERROR_CAPTION, [error](HWND box) {
                *error = message_box_text(box);
                post_command(box, IDOK);
            });
        }
        return script.run([this] { command(IDM_INPUT); });
    }

    // Clicks a control of the panel as the user would.
    void click(HWND control) { SendMessageA(control, BM_CLICK, 0, 0); }

    // Selects a row in one list and notifies the panel, as a click on the row does.
    void select_row(HWND list, int row) {
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        SendMessageA(windows().panel, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    }

    static std::vector<std::string> list_rows(HWND list) {
        std::vector<std::string> rows;
        const auto count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[256] = {};
            SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            rows.emplace_back(text);
        }
        return rows;
    }

    static std::vector<std::string> table_rows(const ResultTable& table) {
        return {std::begin(table.rows), std::end(table.rows)};
    }

    static int selected_row(HWND list) {
        return static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
    }

    static bool checked(HWND button) {
        return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }

    HWND main_window = nullptr;
};

}  // namespace zeltra5::gui_test
