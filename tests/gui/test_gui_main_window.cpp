// Main window: start-up state, argument menu, About dialog and the two ways to exit.

#include <ostream>
#include <string>

#include "app_test.hpp"

namespace zeltra5::gui_test {
namespace {

UINT menu_state(HMENU menu, UINT item, UINT by) {
    return GetMenuState(menu, item, by);
}

bool item_checked(HWND window, int id) {
    return (menu_state(GetMenu(window), static_cast<UINT>(id), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

bool popup_checked(HWND window, int position) {
    HMENU arguments = GetSubMenu(GetMenu(window), MENU_POS_ARGUMENTS);
    return (menu_state(arguments, static_cast<UINT>(position), MF_BYPOSITION) & MF_CHECKED) != 0;
}

using MainWindow = AppTest;

TEST_F(MainWindow, StartsWithPressureAndTemperatureAndAnIdlePanel) {
    EXPECT_EQ(window_text(main_window), "zeltra5");
    for (int item = 0; item < ARG_ITEM_COUNT; ++item) {
        EXPECT_EQ(item_checked(main_window, item), item == IDM_ARG_P_T) << item;
    }
    EXPECT_FALSE(popup_checked(main_window, MENU_POS_PS_POPUP));
    EXPECT_FALSE(popup_checked(main_window, MENU_POS_TS_POPUP));
    EXPECT_EQ(state().current_menu_item, IDM_ARG_P_T);
    EXPECT_EQ(state().request.mode, MODE_PRESSURE_TEMPERATURE);
    EXPECT_EQ(state().request.side, SIDE_NONE);

    const auto& w = windows();
    for (HWND control : {w.names_list, w.values_list, w.units_list, w.show_liquid, w.show_vapour,
                         w.show_requested, w.copy_button}) {
        EXPECT_FALSE(IsWindowEnabled(control)) << GetDlgCtrlID(control);
    }
    EXPECT_TRUE(IsWindowEnabled(w.superheat_box));
    EXPECT_FALSE(checked(w.superheat_box));
    const auto values = list_rows(w.values_list);
    const auto names = list_rows(w.names_list);
    const auto units = list_rows(w.units_list);
    ASSERT_EQ(values.size(), 20u);
    ASSERT_EQ(names.size(), 20u);
    ASSERT_EQ(units.size(), 20u);
    for (int row = 0; row < RESULT_ROWS; ++row) {
        EXPECT_EQ(values[row], "        ") << row;
        EXPECT_EQ(names[row], result_row_name(row)) << row;
        EXPECT_EQ(units[row], result_row_unit(row)) << row;
    }
}

TEST_F(MainWindow, HasAFixedFrameAroundThePanel) {
    const LONG style = GetWindowLongA(main_window, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_CLIPCHILDREN);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(GetWindowLongA(main_window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(GetParent(windows().panel), main_window);

    HMENU system_menu = GetSystemMenu(main_window, FALSE);
    for (UINT kept : {SC_MOVE, SC_MINIMIZE, SC_CLOSE}) {
        EXPECT_NE(GetMenuState(system_menu, kept, MF_BYCOMMAND), static_cast<UINT>(-1)) << kept;
    }
    for (UINT removed : {SC_RESTORE, SC_SIZE, SC_MAXIMIZE}) {
        EXPECT_EQ(GetMenuState(system_menu, removed, MF_BYCOMMAND), static_cast<UINT>(-1))
            << removed;
    }

    RECT client;
    RECT panel;
    GetClientRect(main_window, &client);
    GetWindowRect(windows().panel, &panel);
    EXPECT_GE(client.right, panel.right - panel.left);
    EXPECT_GE(client.bottom, panel.bottom - panel.top);

    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof window_class;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "zeltra5", &window_class));
    EXPECT_EQ(window_class.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_NE(window_class.hIcon, nullptr);
    EXPECT_NE(window_class.hIconSm, nullptr);
    LOGBRUSH background{};
    ASSERT_TRUE(GetObjectA(window_class.hbrBackground, sizeof background, &background));
    EXPECT_EQ(background.lbColor, RGB(128, 128, 128));
}

std::vector<std::string> menu_texts(HMENU menu) {
    std::vector<std::string> texts;
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        char text[64] = {};
        GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
        texts.emplace_back(text);
    }
    return texts;
}

TEST_F(MainWindow, MenuNamesTheArgumentPairsAndCommands) {
    HMENU bar = GetMenu(main_window);
    EXPECT_EQ(menu_texts(bar),
              (std::vector<std::string>{"Аргументы", "Задание", "О_программе...", "Выход"}));
    const std::vector<std::pair<int, UINT>> commands = {
        {1, IDM_INPUT}, {2, IDM_ABOUT}, {3, IDM_EXIT}};
    for (const auto& [position, id] : commands) {
        EXPECT_EQ(GetMenuItemID(bar, position), id);
    }
    HMENU arguments = GetSubMenu(bar, MENU_POS_ARGUMENTS);
    EXPECT_EQ(menu_texts(arguments),
              (std::vector<std::string>{"Ps ...", "Ts ...", "P, X", "P, T", "P, H", "P, U", "P, S",
                                        "P, RO", "T, RO"}));
    const UINT argument_ids[] = {IDM_ARG_P_X, IDM_ARG_P_T,  IDM_ARG_P_H, IDM_ARG_P_U,
                                 IDM_ARG_P_S, IDM_ARG_P_RO, IDM_ARG_T_RO};
    for (int position = 2; position < 9; ++position) {
        EXPECT_EQ(GetMenuItemID(arguments, position), argument_ids[position - 2]);
    }
    for (int popup : {MENU_POS_PS_POPUP, MENU_POS_TS_POPUP}) {
        HMENU sides = GetSubMenu(arguments, popup);
        EXPECT_EQ(menu_texts(sides), (std::vector<std::string>{"Ж-ть", "Пар"}));
        EXPECT_EQ(GetMenuItemID(sides, 0), static_cast<UINT>(popup == 0 ? 1 : 3));
        EXPECT_EQ(GetMenuItemID(sides, 1), static_cast<UINT>(popup == 0 ? 2 : 4));
    }
}

TEST_F(MainWindow, IsCentredOnTheDesktop) {
    RECT desktop;
    RECT window;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(main_window, &window);
    EXPECT_EQ(window.left, (desktop.right - desktop.left - (window.right - window.left)) / 2);
    EXPECT_EQ(window.top, (desktop.bottom - desktop.top - (window.bottom - window.top)) / 2);
}

struct MenuStep {
    int item;
    bool ps_checked;
    bool ts_checked;
};

TEST_F(MainWindow, ArgumentItemsMoveOnlyTheCheckMarks) {
    const MenuStep steps[] = {{IDM_ARG_PS_VAPOUR, true, false}, {IDM_ARG_T_RO, false, false},
                              {IDM_ARG_PS_LIQUID, true, false}, {IDM_ARG_TS_VAPOUR, false, true},
                              {IDM_ARG_TS_LIQUID, false, true}, {IDM_ARG_PS_VAPOUR, true, false},
                              {IDM_ARG_PS_LIQUID, true, false}, {IDM_ARG_P_X, false, false}};
    for (const MenuStep& step : steps) {
        choose(step.item);
        for (int item = 0; item < ARG_ITEM_COUNT; ++item) {
            EXPECT_EQ(item_checked(main_window, item), item == step.item)
                << "after " << step.item << ", item " << item;
        }
        EXPECT_EQ(popup_checked(main_window, MENU_POS_PS_POPUP), step.ps_checked) << step.item;
        EXPECT_EQ(popup_checked(main_window, MENU_POS_TS_POPUP), step.ts_checked) << step.item;
        EXPECT_EQ(state().current_menu_item, step.item);
    }
    EXPECT_TRUE(sent_requests.empty()) << "choosing an item calculates nothing";
    EXPECT_EQ(state().request.mode, MODE_PRESSURE_TEMPERATURE) << "the dialog applies the item";
}

TEST_F(MainWindow, AboutDialogShowsItsTextsAndClosesWithOk) {
    std::vector<std::string> texts;
    HICON icon = nullptr;
    LRESULT background = 0;
    ModalScript script;
    script.on(ABOUT_CAPTION, [&](HWND dialog) {
        for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
                icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
            } else {
                texts.push_back(window_text(child));
            }
        }
        HDC dc = GetDC(dialog);
        background = SendMessageA(dialog, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                                  reinterpret_cast<LPARAM>(dialog));
        ReleaseDC(dialog, dc);
        post_command(dialog, IDOK);
    });
    ASSERT_TRUE(script.run([this] { command(IDM_ABOUT); }));
    EXPECT_NE(icon, nullptr);
    const std::vector<std::string> expected = {
        "Z E L T R A 5", "Теплофизические свойства аммиака жидкость-пар",
        "По данным лит.источников 1995-2000 гг", "OK", "Версия 1.0 для Windows 32bit"};
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(background, reinterpret_cast<LRESULT>(GetStockObject(LTGRAY_BRUSH)));
    EXPECT_TRUE(IsWindow(main_window));
}

TEST_F(MainWindow, AboutDialogClosesWithEscape) {
    ModalScript script;
    script.on(ABOUT_CAPTION, [](HWND dialog) { post_command(dialog, IDCANCEL); });
    EXPECT_TRUE(script.run([this] { command(IDM_ABOUT); }));
}

TEST_F(MainWindow, ExitCommandEndsTheLoopWithCodeZero) {
    PostMessageA(main_window, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
    EXPECT_EQ(run_message_loop_with_watchdog(5000, 99), 0);
    EXPECT_FALSE(IsWindow(main_window));
}

TEST_F(MainWindow, CloseCommandEndsTheLoopWithCodeZero) {
    PostMessageA(main_window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(run_message_loop_with_watchdog(5000, 99), 0);
    EXPECT_FALSE(IsWindow(main_window));
}

// The real program as its own process, ended from outside.
struct Ending {
    const char* name;
    UINT message;
    WPARAM command;
};

void PrintTo(const Ending& e, std::ostream* os) {
    *os << e.name;
}

class Program : public ::testing::TestWithParam<Ending> {};

HWND find_process_window(DWORD process_id) {
    struct Search {
        DWORD process_id;
        HWND found;
    } search{process_id, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            char name[32] = {};
            GetClassNameA(window, name, sizeof name);
            if (owner == s->process_id && std::string(name) == "zeltra5") {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_P(Program, ExitsWithCodeZero) {
    std::string path = std::string("Z:") + ZELTRA5_EXE;
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << path;
    HWND window = nullptr;
    for (int wait = 0; wait < 400 && window == nullptr; ++wait) {
        Sleep(50);
        window = find_process_window(process.dwProcessId);
    }
    EXPECT_NE(window, nullptr) << "no main window within 20 s";
    if (window != nullptr) {
        PostMessageA(window, GetParam().message, GetParam().command, 0);
    }
    const bool ended = WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0;
    if (!ended) {
        TerminateProcess(process.hProcess, 1);
    }
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_TRUE(ended);
    EXPECT_EQ(code, 0u);
}

INSTANTIATE_TEST_SUITE_P(EndedBy, Program,
                         ::testing::Values(Ending{"exit_item", WM_COMMAND, IDM_EXIT},
                                           Ending{"close_command", WM_SYSCOMMAND, SC_CLOSE}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeltra5::gui_test
