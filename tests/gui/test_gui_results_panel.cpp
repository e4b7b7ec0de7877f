// Results panel: the calculation's effect on the lists and buttons, the table switch, the
// synchronised lists and their rows on the same lines, the copy buttons, their shortcuts and the
// clipboard, and the list colours.

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "app_test.hpp"

namespace zeltra5::gui_test {
namespace {

constexpr char OUT_OF_DOMAIN[] = "Параметры вне области определения";

ResultTable expected_table(const CalcRequest& request) {
    PropertyResult result{};
    EXPECT_EQ(calculate_properties(request, result), 0);
    ResultTable table{};
    format_result_table(result, table);
    return table;
}

// The main request succeeds with the real front end; the follow-ups are refused.
int refused_follow_ups(const CalcRequest& request, PropertyResult& result, Refusal& why) {
    sent_requests.push_back(request);
    if (request.mode == MODE_SATURATION_PRESSURE && sent_requests.size() > 1) {
        return 1;
    }
    return calculate_properties_with_reason(request, result, why);
}

class ResultsPanel : public AppTest {
  protected:
    bool enabled(HWND control) { return IsWindowEnabled(control) != FALSE; }

    // The copy button's click; a message box would fail the script.
    bool copy(HWND button = nullptr) {
        ModalScript script;
        return script.run([&] { click(button != nullptr ? button : windows().copy_button); }, 2000);
    }

    // Presses Ctrl+C, or Ctrl+Shift+C, with the focus on `focus`, through the program's own
    // message loop; the modifiers are set in the thread's keyboard state, which the shortcut
    // reads.
    void press_copy_keys(HWND focus, bool shift) {
        BYTE keys[256] = {};
        keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
        if (shift) {
            keys[VK_SHIFT] = keys[VK_LSHIFT] = 0x80;
        }
        SetKeyboardState(keys);
        SetFocus(focus);
        PostMessageA(focus, WM_KEYDOWN, 'C', 0x002E0001);
        PostMessageA(focus, WM_KEYUP, 'C', static_cast<LPARAM>(0xC02E0001u));
        PostQuitMessage(0);
        EXPECT_EQ(run_message_loop_with_watchdog(3000, 99), 0);
        const BYTE released[256] = {};
        SetKeyboardState(const_cast<BYTE*>(released));
    }

    // For every row, the top edge of its line in each list: equal when the lists show the same
    // rows on the same lines.
    std::vector<std::vector<LONG>> row_tops() {
        std::vector<std::vector<LONG>> tops;
        for (HWND list : {windows().names_list, windows().values_list, windows().units_list}) {
            auto& list_tops = tops.emplace_back();
            for (int row = 0; row < RESULT_ROWS; ++row) {
                RECT item{};
                SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(row),
                             reinterpret_cast<LPARAM>(&item));
                list_tops.push_back(item.top);
            }
        }
        return tops;
    }
};

TEST_F(ResultsPanel, SuccessShowsTheRequestedTable) {
    ASSERT_TRUE(calculate("10", "25"));
    const auto& w = windows();
    EXPECT_EQ(list_rows(w.values_list), table_rows(expected_table({3, 0, 1e6, 25.0})));
    for (HWND control : {w.names_list, w.values_list, w.units_list, w.show_liquid, w.show_vapour,
                         w.show_requested}) {
        EXPECT_TRUE(enabled(control)) << GetDlgCtrlID(control);
    }
    EXPECT_FALSE(enabled(w.copy_button)) << "no row selected yet";
    EXPECT_TRUE(checked(w.show_requested));
    EXPECT_FALSE(checked(w.show_liquid));
    EXPECT_FALSE(checked(w.show_vapour));
    EXPECT_EQ(state().displayed_table, TABLE_REQUESTED);
    ASSERT_EQ(sent_requests.size(), 3u);
    EXPECT_EQ(sent_requests[1].mode, MODE_SATURATION_PRESSURE);
    EXPECT_EQ(sent_requests[1].side, SIDE_LIQUID);
    EXPECT_EQ(sent_requests[2].side, SIDE_VAPOUR);
    EXPECT_EQ(sent_requests[2].first_value, state().requested_result.pressure);
}

TEST_F(ResultsPanel, SupercriticalResultDisablesTheSaturatedTables) {
    ASSERT_TRUE(calculate("10", "25"));
    click(windows().show_liquid);
    const ResultTable liquid = state().saturated_liquid_table;
    sent_requests.clear();
    ASSERT_TRUE(calculate("150", "200"));
    const auto& w = windows();
    EXPECT_EQ(sent_requests.size(), 1u);
    EXPECT_FALSE(enabled(w.show_liquid));
    EXPECT_FALSE(enabled(w.show_vapour));
    EXPECT_TRUE(enabled(w.show_requested));
    EXPECT_TRUE(checked(w.show_requested));
    EXPECT_FALSE(checked(w.show_liquid));
    EXPECT_EQ(table_rows(state().saturated_liquid_table), table_rows(liquid));
    EXPECT_EQ(list_rows(w.values_list), table_rows(expected_table({3, 0, 150e5, 200.0})));
}

TEST_F(ResultsPanel, FailureReportsAndDisablesThePanel) {
    ASSERT_TRUE(calculate("10", "25"));
    select_row(windows().names_list, 4);
    ASSERT_TRUE(enabled(windows().copy_button));
    std::string message;
    ASSERT_TRUE(calculate("10", "1000", &message));
    // The old words as the first line, the library's reason as the second.
    EXPECT_EQ(message.substr(0, message.find('\n')), OUT_OF_DOMAIN);
    EXPECT_EQ(message.substr(message.find('\n') + 1, 25), "температура 1000 °C выше ") << message;
    const auto& w = windows();
    for (HWND control : {w.names_list, w.values_list, w.units_list, w.show_liquid, w.show_vapour,
                         w.show_requested, w.copy_button}) {
        EXPECT_FALSE(enabled(control)) << GetDlgCtrlID(control);
        if (control == w.names_list || control == w.values_list || control == w.units_list) {
            EXPECT_EQ(selected_row(control), LB_ERR);
        }
    }
    EXPECT_EQ(list_rows(w.values_list), std::vector<std::string>(20, " "));
    EXPECT_EQ(state().displayed_table, TABLE_NONE);
    EXPECT_FALSE(state().results_available || state().row_selected || state().copy_enabled);

    // After the failure the copy button waits for a new selection.
    ASSERT_TRUE(calculate("10", "25"));
    EXPECT_FALSE(enabled(w.copy_button));
    select_row(w.values_list, 2);
    EXPECT_TRUE(enabled(w.copy_button));
}

TEST_F(ResultsPanel, RadioButtonsSwitchTablesWithoutRecalculating) {
    ASSERT_TRUE(calculate("10", "-20"));
    const auto& w = windows();
    const std::size_t calculations = sent_requests.size();
    const struct {
        HWND button;
        const ResultTable* table;
    } switches[] = {{w.show_liquid, &state().saturated_liquid_table},
                    {w.show_vapour, &state().saturated_vapour_table},
                    {w.show_requested, &state().requested_table},
                    {w.show_vapour, &state().saturated_vapour_table}};
    for (const auto& s : switches) {
        click(s.button);
        EXPECT_TRUE(checked(s.button));
        EXPECT_EQ(list_rows(w.values_list), table_rows(*s.table)) << GetDlgCtrlID(s.button);
    }
    EXPECT_EQ(sent_requests.size(), calculations);
    EXPECT_EQ(list_rows(w.values_list), table_rows(expected_table({1, 2, 1e6, 0.0})));

    // The button of the table on display does not rebuild the list.
    SendMessageA(w.values_list, LB_DELETESTRING, 0, 0);
    SendMessageA(w.values_list, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("marker"));
    click(w.show_vapour);
    EXPECT_EQ(list_rows(w.values_list).front(), "marker");
}

TEST_F(ResultsPanel, FailedFollowUpsLeaveTheirRadioButtonsDisabled) {
    win32::calculate_function = refused_follow_ups;
    ASSERT_TRUE(calculate("10", "25"));
    EXPECT_FALSE(enabled(windows().show_liquid));
    EXPECT_FALSE(enabled(windows().show_vapour));
    EXPECT_TRUE(enabled(windows().show_requested));
    EXPECT_EQ(table_rows(state().saturated_vapour_table), std::vector<std::string>(20, " "));
}

TEST_F(ResultsPanel, ListsFollowTheSelectedRow) {
    ASSERT_TRUE(calculate("10", "25"));
    const auto& w = windows();
    const struct {
        HWND list;
        int row;
    } selections[] = {{w.units_list, 5}, {w.names_list, 0}, {w.values_list, 19}};
    for (const auto& s : selections) {
        select_row(s.list, s.row);
        for (HWND list : {w.names_list, w.values_list, w.units_list}) {
            EXPECT_EQ(selected_row(list), s.row) << GetDlgCtrlID(s.list);
        }
    }
}

TEST_F(ResultsPanel, RecalculationKeepsTheSelectedRow) {
    ASSERT_TRUE(calculate("10", "25"));
    select_row(windows().names_list, 4);
    ASSERT_TRUE(calculate("12", "25"));
    EXPECT_EQ(selected_row(windows().values_list), 4);
    click(windows().show_liquid);
    EXPECT_EQ(selected_row(windows().values_list), 4);
}

TEST_F(ResultsPanel, TabSelectsTheFirstRowEverywhere) {
    ASSERT_TRUE(calculate("10", "25"));
    SendMessageA(main_window, WM_KEYDOWN, VK_TAB, 0);
    const auto& w = windows();
    for (HWND list : {w.names_list, w.values_list, w.units_list}) {
        EXPECT_EQ(selected_row(list), 0);
    }
    EXPECT_EQ(GetFocus(), w.values_list);
}

TEST_F(ResultsPanel, SelectionEnablesCopyOnlyWithAResultOnShow) {
    const auto& w = windows();
    select_row(w.names_list, 3);
    EXPECT_FALSE(enabled(w.copy_button));
    EXPECT_TRUE(state().row_selected);
    ASSERT_TRUE(calculate("10", "25"));
    EXPECT_TRUE(enabled(w.copy_button)) << "a row was selected before the result arrived";
}

TEST_F(ResultsPanel, CopyTextsAreExact) {
    ASSERT_TRUE(calculate("10", "-20"));
    select_row(windows().values_list, 2);
    ASSERT_TRUE(copy());
    EXPECT_EQ(clipboard_text(), "10");
    select_row(windows().values_list, 3);
    ASSERT_TRUE(copy());
    EXPECT_EQ(clipboard_text(), "-20");
    select_row(windows().values_list, 19);
    ASSERT_TRUE(copy());
    EXPECT_EQ(clipboard_text(), "") << "the blank latent heat of a subcooled liquid";

    // The row of the table on display, here the saturated vapour's enthalpy.
    click(windows().show_vapour);
    select_row(windows().values_list, 4);
    ASSERT_TRUE(copy());
    const std::string row = state().saturated_vapour_table.rows[4];
    ASSERT_EQ(row.front(), ' ');
    EXPECT_EQ(clipboard_text(), row.substr(1));
}

// The texts reach the system as UTF-16, so that they read the same under any code page.
TEST_F(ResultsPanel, TextsAreWide) {
    const auto& w = windows();
    for (HWND window : {main_window, w.panel, w.names_list, w.superheat_box, w.show_liquid}) {
        EXPECT_TRUE(IsWindowUnicode(window)) << GetDlgCtrlID(window);
    }
    wchar_t text[64] = {};
    SendMessageW(w.names_list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_NE(std::wstring(text).find(L"Фазовое состояние"), std::wstring::npos);
    SendMessageW(w.units_list, LB_GETTEXT, 2, reinterpret_cast<LPARAM>(text));
    EXPECT_NE(std::wstring(text).find(L"бар"), std::wstring::npos);
    GetWindowTextW(w.superheat_box, text, 64);
    EXPECT_EQ(std::wstring(text), L"Перегрев ж-ти");
    GetWindowTextW(w.show_requested, text, 64);
    EXPECT_EQ(std::wstring(text), L"По изначальному требованию");
}

// Both refusals as the system shows them (UTF-16): the old words first, then the library's
// reason on a second line; a refused number keeps its one line.
TEST_F(ResultsPanel, RefusalMessagesAreWide) {
    const auto wide_text = [](HWND box) {
        wchar_t text[512] = {};
        GetWindowTextW(GetDlgItem(box, 0xFFFF), text, 512);
        return std::wstring(text);
    };
    const auto enter = [](const char* first, const char* second, int button) {
        return [=](HWND dialog) {
            set_item_text(dialog, IDC_FIRST_VALUE, first);
            set_item_text(dialog, IDC_SECOND_VALUE, second);
            post_command(dialog, button);
        };
    };
    std::wstring out_of_domain;
    std::wstring bad_number;
    ModalScript script;
    script.on(INPUT_CAPTION, enter("1,5", "25", IDOK))
        .on(ERROR_CAPTION,
            [&](HWND box) {
                bad_number = wide_text(box);
                post_command(box, IDOK);
            })
        .on(INPUT_CAPTION, enter("10", "500", IDOK))
        .on(ERROR_CAPTION, [&](HWND box) {
            out_of_domain = wide_text(box);
            post_command(box, IDOK);
        });
    ASSERT_TRUE(script.run([this] { command(IDM_INPUT); }));
    EXPECT_EQ(bad_number, L"Неверный формат числа !");
    EXPECT_EQ(out_of_domain, L"Параметры вне области определения\nтемпература 500 °C выше 450 °C");
}

// The table goes to the clipboard as UTF-16 for every program and as Windows-1251 marked
// Russian for those that read CF_TEXT.
TEST_F(ResultsPanel, CopyGivesUnicodeAndRussianText) {
    ASSERT_TRUE(calculate("10", "-20"));
    ASSERT_TRUE(copy(windows().copy_table_button));
    const std::optional<std::string> ansi = copy_table_text(state());
    ASSERT_TRUE(ansi.has_value());
    EXPECT_EQ(clipboard_text(), *ansi);
    std::wstring unicode;
    LCID locale = 0;
    ASSERT_TRUE(OpenClipboard(nullptr));
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            unicode = chars;
            GlobalUnlock(data);
        }
    }
    if (HANDLE data = GetClipboardData(CF_LOCALE)) {
        if (const auto* id = static_cast<const LCID*>(GlobalLock(data))) {
            locale = *id;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    EXPECT_EQ(unicode.find(L"Фазовое состояние\tНедогретая ж-ть\t"), 0u) << unicode.size();
    EXPECT_NE(unicode.find(L"\tбар\r\n"), std::wstring::npos);
    EXPECT_EQ(unicode.size(), ansi->size());
    EXPECT_EQ(PRIMARYLANGID(LANGIDFROMLCID(locale)), LANG_RUSSIAN);
}

TEST_F(ResultsPanel, CopyWithoutASelectedRowDoesNothing) {
    ASSERT_TRUE(calculate("10", "25"));
    select_row(windows().values_list, 2);
    SendMessageA(windows().values_list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    set_clipboard_text("sentinel");
    ASSERT_TRUE(copy());
    EXPECT_EQ(clipboard_text(), "sentinel");
}

TEST_F(ResultsPanel, CopyLeavesABusyClipboardAlone) {
    ASSERT_TRUE(calculate("10", "25"));
    select_row(windows().values_list, 2);
    set_clipboard_text("sentinel");
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> held{false};
    std::thread holder([&] {
        held = OpenClipboard(nullptr) != FALSE;
        SetEvent(opened);
        WaitForSingleObject(release, 10000);
        if (held) {
            CloseClipboard();
        }
    });
    WaitForSingleObject(opened, 5000);
    EXPECT_TRUE(held);
    EXPECT_TRUE(copy()) << "no message for a busy clipboard";
    SetEvent(release);
    holder.join();
    CloseHandle(opened);
    CloseHandle(release);
    EXPECT_EQ(clipboard_text(), "sentinel");
}

TEST_F(ResultsPanel, ListsShowEveryRow) {
    const auto& w = windows();
    for (HWND list : {w.names_list, w.values_list, w.units_list}) {
        RECT client;
        RECT last{};
        GetClientRect(list, &client);
        SendMessageA(list, LB_GETITEMRECT, RESULT_ROWS - 1, reinterpret_cast<LPARAM>(&last));
        EXPECT_GT(last.bottom, last.top) << GetDlgCtrlID(list);
        EXPECT_LE(last.bottom, client.bottom) << GetDlgCtrlID(list) << ": the last row is cut";
        EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 0) << GetDlgCtrlID(list);
    }
    // What lies below the lists stays below them, and the main window holds the whole panel.
    RECT list;
    RECT control;
    GetWindowRect(w.names_list, &list);
    for (HWND below : {w.superheat_box, w.copy_button, w.copy_table_button, w.show_liquid}) {
        GetWindowRect(below, &control);
        EXPECT_GE(control.top, list.bottom) << GetDlgCtrlID(below);
    }
    RECT client;
    RECT panel;
    GetClientRect(main_window, &client);
    GetWindowRect(w.panel, &panel);
    EXPECT_GE(client.bottom, panel.bottom - panel.top);
}

TEST_F(ResultsPanel, ListsKeepTheirRowsOnTheSameLines) {
    ASSERT_TRUE(calculate("12", "110"));
    const auto& w = windows();
    // Lists of eight lines, as a font taller than the layout would give them, so that they scroll.
    const auto item_height = static_cast<int>(SendMessageA(w.names_list, LB_GETITEMHEIGHT, 0, 0));
    for (HWND list : {w.names_list, w.values_list, w.units_list}) {
        RECT window;
        RECT client;
        GetWindowRect(list, &window);
        GetClientRect(list, &client);
        SetWindowPos(list, nullptr, 0, 0, window.right - window.left,
                     window.bottom - window.top - client.bottom + 8 * item_height,
                     SWP_NOMOVE | SWP_NOZORDER);
    }
    const auto key = [](HWND list, WPARAM code) {
        return [list, code] { SendMessageA(list, WM_KEYDOWN, code, 0); };
    };
    const auto wheel = [](HWND list, int notches) {
        return [list, notches] {
            SendMessageA(list, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA * notches), 0);
        };
    };
    const struct {
        const char* what;
        std::function<void()> act;
    } steps[] = {
        {"wheel over the values", wheel(w.values_list, 2)},
        {"wheel back over the units", wheel(w.units_list, -1)},
        {"End in the names", key(w.names_list, VK_END)},
        {"Down on the last row of the values", key(w.values_list, VK_DOWN)},
        {"wheel over the names", wheel(w.names_list, -5)},
        {"Home in the units", key(w.units_list, VK_HOME)},
        {"row 15 selected in the names", [&] { select_row(w.names_list, 15); }},
        {"wheel up over the values", wheel(w.values_list, -5)},
        {"table switch", [&] { click(w.show_vapour); }},
        {"recalculation", [&] { ASSERT_TRUE(calculate("12", "111")); }},
        {"page down in the values", key(w.values_list, VK_NEXT)},
    };
    for (const auto& step : steps) {
        step.act();
        const auto tops = row_tops();
        EXPECT_EQ(tops[1], tops[0]) << "values against names after " << step.what;
        EXPECT_EQ(tops[2], tops[0]) << "units against names after " << step.what;
    }
    EXPECT_NE(SendMessageA(w.names_list, LB_GETTOPINDEX, 0, 0), 0) << "the lists did not scroll";
    EXPECT_EQ(list_rows(w.values_list), table_rows(state().requested_table));
}

struct CopyKeys {
    const char* what;
    HWND win32::AppWindows::*focus;  // nullptr: the main window
    bool shift;
    bool whole_table;
};

TEST_F(ResultsPanel, ShortcutsCopyAsTheButtonsDo) {
    ASSERT_TRUE(calculate("10", "-20"));
    const auto& w = windows();
    const std::string table = *copy_table_text(state());
    // Before a row is selected "В буфер" is disabled, and so is its shortcut.
    set_clipboard_text("sentinel");
    press_copy_keys(w.values_list, false);
    EXPECT_EQ(clipboard_text(), "sentinel");

    select_row(w.names_list, 3);
    const CopyKeys cases[] = {
        {"Ctrl+C in the value list", &win32::AppWindows::values_list, false, false},
        {"Ctrl+C in the names list", &win32::AppWindows::names_list, false, false},
        {"Ctrl+C on the main window", nullptr, false, false},
        {"Ctrl+Shift+C in the units list", &win32::AppWindows::units_list, true, true},
        {"Ctrl+Shift+C in the names list", &win32::AppWindows::names_list, true, true},
    };
    for (const CopyKeys& c : cases) {
        set_clipboard_text("sentinel");
        press_copy_keys(c.focus != nullptr ? w.*c.focus : main_window, c.shift);
        EXPECT_EQ(clipboard_text(), c.whole_table ? table : std::string("-20")) << c.what;
        EXPECT_EQ(selected_row(w.names_list), 3) << c.what;
    }

    // "Таблицу в буфер" copies the table on display.
    click(w.show_vapour);
    set_clipboard_text("sentinel");
    ASSERT_TRUE(copy(w.copy_table_button));
    const std::string vapour = clipboard_text();
    EXPECT_EQ(vapour, *copy_table_text(state()));
    EXPECT_NE(vapour, table);
    EXPECT_EQ(vapour.substr(0, vapour.find("\r\n")), "Фазовое состояние\tНасыщенный пар\t");

    // After a failure neither the buttons nor the shortcuts copy anything.
    std::string message;
    ASSERT_TRUE(calculate("10", "1000", &message));
    EXPECT_FALSE(IsWindowEnabled(w.copy_table_button));
    for (bool shift : {false, true}) {
        set_clipboard_text("sentinel");
        press_copy_keys(main_window, shift);
        EXPECT_EQ(clipboard_text(), "sentinel") << (shift ? "Ctrl+Shift+C" : "Ctrl+C");
    }
}

TEST_F(ResultsPanel, ListColoursUseBrushesMadeOnce) {
    const auto& w = windows();
    HDC dc = GetDC(w.panel);
    auto brush_for = [&](HWND list) {
        return reinterpret_cast<HBRUSH>(SendMessageA(w.panel, WM_CTLCOLORLISTBOX,
                                                     reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(list)));
    };
    HBRUSH values = brush_for(w.values_list);
    HBRUSH names = brush_for(w.names_list);
    for (int repaint = 0; repaint < 50; ++repaint) {
        EXPECT_EQ(brush_for(w.values_list), values);
        EXPECT_EQ(brush_for(w.units_list), names);
        EXPECT_EQ(brush_for(w.names_list), names);
    }
    const COLORREF pale = GetNearestColor(dc, RGB(255, 255, 200));
    EXPECT_EQ(GetBkColor(dc), RGB(192, 192, 192));
    brush_for(w.values_list);
    EXPECT_EQ(GetBkColor(dc), pale);
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    ReleaseDC(w.panel, dc);
    LOGBRUSH brush{};
    ASSERT_TRUE(GetObjectA(values, sizeof brush, &brush));
    EXPECT_EQ(brush.lbColor, pale);
    ASSERT_TRUE(GetObjectA(names, sizeof brush, &brush));
    EXPECT_EQ(brush.lbColor, RGB(192, 192, 192));

    DestroyWindow(main_window);
    EXPECT_EQ(GetObjectType(values), 0u) << "brushes are freed with the panel";
    EXPECT_EQ(GetObjectType(names), 0u);
}

}  // namespace
}  // namespace zeltra5::gui_test
