// Input dialog: labels and texts per argument item, refusals, remembered texts and the request
// it hands to the calculation.

#include <ostream>
#include <string>

#include "app_test.hpp"

namespace zeltra5::gui_test {
namespace {

// `count` copies of `fill`, then `tail`.
std::string repeated(std::size_t count, char fill, const char* tail) {
    std::string text(count, fill);
    text.append(tail);
    return text;
}

struct DialogView {
    std::string first_symbol, first_unit, second_symbol, second_unit, first, second;
    bool second_enabled = false;
};

class InputDialog : public AppTest {
  protected:
    // Opens the dialog for `item`, reads it and cancels it.
    DialogView open_and_read(int item, int* first_limit = nullptr) {
        choose(item);
        DialogView view;
        ModalScript script;
        script.on(INPUT_CAPTION, [&](HWND dialog) {
            view = {item_text(dialog, IDC_FIRST_SYMBOL),
                    item_text(dialog, IDC_FIRST_UNIT),
                    item_text(dialog, IDC_SECOND_SYMBOL),
                    item_text(dialog, IDC_SECOND_UNIT),
                    item_text(dialog, IDC_FIRST_VALUE),
                    item_text(dialog, IDC_SECOND_VALUE),
                    IsWindowEnabled(GetDlgItem(dialog, IDC_SECOND_VALUE)) != FALSE};
            if (first_limit != nullptr) {
                *first_limit = static_cast<int>(
                    SendDlgItemMessageA(dialog, IDC_FIRST_VALUE, EM_GETLIMITTEXT, 0, 0));
            }
            post_command(dialog, IDCANCEL);
        });
        EXPECT_TRUE(script.run([this] { command(IDM_INPUT); }));
        return view;
    }

    // Confirms the texts, expects the refusal `message`, then cancels; answers the control that
    // had the focus after the message.
    int refused(const std::string& first, const std::string& second, const std::string& message) {
        std::string shown;
        int focused = 0;
        ModalScript script;
        script
            .on(INPUT_CAPTION,
                [&](HWND dialog) {
                    set_item_text(dialog, IDC_FIRST_VALUE, first);
                    set_item_text(dialog, IDC_SECOND_VALUE, second);
                    post_command(dialog, IDOK);
                })
            .on(ERROR_CAPTION,
                [&](HWND box) {
                    shown = message_box_text(box);
                    post_command(box, IDOK);
                })
            .on(INPUT_CAPTION, [&](HWND dialog) {
                focused = GetDlgCtrlID(GetFocus());
                post_command(dialog, IDCANCEL);
            });
        EXPECT_TRUE(script.run([this] { command(IDM_INPUT); }));
        EXPECT_EQ(shown, message) << '"' << first << "\", \"" << second << '"';
        return focused;
    }
};

struct ItemView {
    int item;
    int mode, side;
    DialogView view;
};

TEST_F(InputDialog, ShowsTheLabelsOfEachArgumentItem) {
    const ItemView items[] = {
        {IDM_ARG_P_X, 0, 0, {"P", "бар", "X", " ", "", "", true}},
        {IDM_ARG_PS_LIQUID, 1, 1, {"Ps", "бар", "X", " ", "", " 0.0", false}},
        {IDM_ARG_PS_VAPOUR, 1, 2, {"Ps", "бар", "X", " ", "", " 1.0", false}},
        {IDM_ARG_TS_LIQUID, 2, 1, {"Ts", "°C", "X", " ", "", " 0.0", false}},
        {IDM_ARG_TS_VAPOUR, 2, 2, {"Ts", "°C", "X", " ", "", " 1.0", false}},
        {IDM_ARG_P_T, 3, 0, {"P", "бар", "T", "°C", "", "", true}},
        {IDM_ARG_P_H, 4, 0, {"P", "бар", "H", "кДж / кг", "", "", true}},
        {IDM_ARG_P_U, 5, 0, {"P", "бар", "U", "кДж / кг", "", "", true}},
        {IDM_ARG_P_S, 6, 0, {"P", "бар", "S", "кДж / (кг·°C)", "", "", true}},
        {IDM_ARG_P_RO, 7, 0, {"P", "бар", "Ro", "кг / м3", "", "", true}},
        {IDM_ARG_T_RO, 8, 0, {"T", "°C", "Ro", "кг / м3", "", "", true}},
    };
    for (const ItemView& expected : items) {
        const DialogView view = open_and_read(expected.item);
        const DialogView& e = expected.view;
        EXPECT_EQ(view.first_symbol, e.first_symbol) << expected.item;
        EXPECT_EQ(view.first_unit, e.first_unit) << expected.item;
        EXPECT_EQ(view.second_symbol, e.second_symbol) << expected.item;
        EXPECT_EQ(view.second_unit, e.second_unit) << expected.item;
        EXPECT_EQ(view.first, e.first) << expected.item;
        EXPECT_EQ(view.second, e.second) << expected.item;
        EXPECT_EQ(view.second_enabled, e.second_enabled) << expected.item;
        EXPECT_EQ(state().request.mode, expected.mode) << expected.item;
        EXPECT_EQ(state().request.side, expected.side) << expected.item;
    }
    EXPECT_TRUE(sent_requests.empty()) << "a cancelled dialog starts no calculation";
}

// The boxes take more than a remembered slot holds: a longer text stays whole and is refused,
// rather than being cut to 71 characters that read as another number.
TEST_F(InputDialog, LimitsTheFieldsAboveARememberedSlot) {
    int limit = 0;
    open_and_read(IDM_ARG_P_T, &limit);
    EXPECT_EQ(limit, 256);
}

struct Refusal {
    const char* name;
    std::string first, second;
    const char* message;
    int focused;
};

void PrintTo(const Refusal& r, std::ostream* os) {
    *os << r.name;
}

class Refusals : public InputDialog, public ::testing::WithParamInterface<Refusal> {};

TEST_P(Refusals, KeepTheDialogOpenWithAMessage) {
    const Refusal& r = GetParam();
    EXPECT_EQ(refused(r.first, r.second, r.message), r.focused);
    EXPECT_TRUE(sent_requests.empty());
}

constexpr char EMPTY[] = "Не задан параметр !";
constexpr char BAD[] = "Неверный формат числа !";

INSTANTIATE_TEST_SUITE_P(
    Texts, Refusals,
    ::testing::Values(
        Refusal{"empty_first", "", "25", EMPTY, IDC_FIRST_VALUE},
        Refusal{"empty_first_before_bad_second", "", "abc", EMPTY, IDC_FIRST_VALUE},
        Refusal{"empty_second", "10", "", EMPTY, IDC_SECOND_VALUE},
        Refusal{"trailing_blank", "10", "25 ", BAD, IDC_SECOND_VALUE},
        Refusal{"decimal_comma", "1,5", "25", BAD, IDC_FIRST_VALUE},
        Refusal{"letters", "10", "abc", BAD, IDC_SECOND_VALUE},
        Refusal{"nan", "nan", "25", BAD, IDC_FIRST_VALUE},
        Refusal{"infinity", "10", "-inf", BAD, IDC_SECOND_VALUE},
        Refusal{"hexadecimal", "0x1p3", "25", BAD, IDC_FIRST_VALUE},
        Refusal{"overflow", "10", "1e999", BAD, IDC_SECOND_VALUE},
        Refusal{"longer_than_a_slot", repeated(71, '1', "5"), "25", BAD, IDC_FIRST_VALUE},
        Refusal{"longer_than_the_line_buffer", std::string(300, '1'), "25", BAD, IDC_FIRST_VALUE}),
    [](const auto& info) { return std::string(info.param.name); });

struct Sent {
    int item;
    const char* first;
    const char* second;
    CalcRequest request;
};

TEST_F(InputDialog, HandsTheValuesOnInSiUnits) {
    win32::calculate_function = canned_calculation;
    const Sent cases[] = {
        {IDM_ARG_P_X, "5", "0.5", {0, 0, 5e5, 0.5}},
        {IDM_ARG_PS_LIQUID, "5", "", {1, 1, 5e5, 0.0}},
        {IDM_ARG_PS_VAPOUR, "5", "", {1, 2, 5e5, 1.0}},
        {IDM_ARG_TS_LIQUID, "-20", "", {2, 1, -20.0, 0.0}},
        {IDM_ARG_TS_VAPOUR, "20", "", {2, 2, 20.0, 1.0}},
        {IDM_ARG_P_T, "   10", "1e1", {3, 0, 1e6, 10.0}},
        {IDM_ARG_P_H, "10", "1500", {4, 0, 1e6, 1.5e6}},
        {IDM_ARG_P_U, "10", "-2.5", {5, 0, 1e6, -2500.0}},
        {IDM_ARG_P_S, "2", "5.5", {6, 0, 2e5, 5500.0}},
        {IDM_ARG_P_RO, "10", "600", {7, 0, 1e6, 600.0}},
        {IDM_ARG_T_RO, "20", "600", {8, 0, 20.0, 600.0}},
    };
    for (const Sent& c : cases) {
        sent_requests.clear();
        choose(c.item);
        ASSERT_TRUE(calculate(c.first, c.second)) << c.item;
        ASSERT_FALSE(sent_requests.empty()) << c.item;
        const CalcRequest& sent = sent_requests.front();
        EXPECT_EQ(sent.mode, c.request.mode) << c.item;
        EXPECT_EQ(sent.side, c.request.side) << c.item;
        EXPECT_DOUBLE_EQ(sent.first_value, c.request.first_value) << c.item;
        EXPECT_DOUBLE_EQ(sent.second_value, c.request.second_value) << c.item;
    }
}

// A text typed or pasted into the second field, longer than the box is wide.
struct LongText {
    const char* what;
    bool pasted;  // otherwise typed, character by character
    std::string text;
    double value;         // read as the second value
    const char* refusal;  // or refused with this message
};

TEST_F(InputDialog, ReadsTheWholeTextTypedOrPasted) {
    win32::calculate_function = canned_calculation;
    const LongText cases[] = {
        {"pasted 30 characters", true, "1.10000000000000000000000000e2", 110.0, nullptr},
        {"pasted 36 characters", true, repeated(34, '0', "10"), 10.0, nullptr},
        {"typed 36 characters", false, repeated(34, '0', "10"), 10.0, nullptr},
        {"pasted 71 characters", true, repeated(69, '0', "25"), 25.0, nullptr},
        {"pasted 72 characters", true, repeated(70, '0', "25"), 0.0, "Неверный формат числа !"},
        {"typed 72 characters", false, repeated(70, '0', "25"), 0.0, "Неверный формат числа !"},
    };
    for (const LongText& c : cases) {
        sent_requests.clear();
        std::string in_box;
        std::string shown;
        ModalScript script;
        script.on(INPUT_CAPTION, [&](HWND dialog) {
            set_item_text(dialog, IDC_FIRST_VALUE, "10");
            set_item_text(dialog, IDC_SECOND_VALUE, "");
            HWND field = GetDlgItem(dialog, IDC_SECOND_VALUE);
            if (c.pasted) {
                set_clipboard_text(c.text);
                SendMessageA(field, WM_PASTE, 0, 0);
            } else {
                for (char ch : c.text) {
                    SendMessageA(field, WM_CHAR, static_cast<WPARAM>(ch), 1);
                }
            }
            in_box = item_text(dialog, IDC_SECOND_VALUE);
            post_command(dialog, IDOK);
        });
        if (c.refusal != nullptr) {
            script
                .on(ERROR_CAPTION,
                    [&](HWND box) {
                        shown = message_box_text(box);
                        post_command(box, IDOK);
                    })
                .on(INPUT_CAPTION, [](HWND dialog) { post_command(dialog, IDCANCEL); });
        }
        ASSERT_TRUE(script.run([this] { command(IDM_INPUT); })) << c.what;
        EXPECT_EQ(in_box, c.text) << c.what << ": the box cut the text";
        if (c.refusal != nullptr) {
            EXPECT_EQ(shown, c.refusal) << c.what;
            EXPECT_TRUE(sent_requests.empty()) << c.what;
        } else {
            ASSERT_FALSE(sent_requests.empty()) << c.what;
            EXPECT_EQ(sent_requests.front().second_value, c.value) << c.what;
        }
    }
}

TEST_F(InputDialog, ReadsEachFieldWithTheWholeLineBuffer) {
    // A one-character first text once limited the next read to the character code (53 for '5').
    win32::calculate_function = canned_calculation;
    ASSERT_TRUE(calculate("5", repeated(57, ' ', "250")));
    ASSERT_FALSE(sent_requests.empty());
    EXPECT_EQ(sent_requests.front().second_value, 250.0);
}

TEST_F(InputDialog, SuperheatOptionAppliesToPairsWithoutASide) {
    win32::calculate_function = canned_calculation;
    click(windows().superheat_box);
    EXPECT_TRUE(state().superheat_liquid);
    ASSERT_TRUE(calculate("10", "25"));
    choose(IDM_ARG_TS_VAPOUR);
    ASSERT_TRUE(calculate("20", ""));
    click(windows().superheat_box);
    EXPECT_FALSE(state().superheat_liquid);
    choose(IDM_ARG_P_T);
    ASSERT_TRUE(calculate("10", "25"));
    ASSERT_EQ(sent_requests.size(), 9u);  // each successful calculation has two follow-ups
    EXPECT_EQ(sent_requests[0].side, SIDE_LIQUID);
    EXPECT_EQ(sent_requests[3].side, SIDE_VAPOUR);
    EXPECT_EQ(sent_requests[6].side, SIDE_NONE);
}

TEST_F(InputDialog, RemembersTheConfirmedTextsPerPair) {
    win32::calculate_function = canned_calculation;
    ASSERT_TRUE(calculate("10", " 25"));
    DialogView view = open_and_read(IDM_ARG_P_T);
    EXPECT_EQ(view.first, "10");
    EXPECT_EQ(view.second, " 25");
    view = open_and_read(IDM_ARG_P_H);
    EXPECT_EQ(view.first, "");
    EXPECT_EQ(view.second, "");
    ASSERT_TRUE(calculate("3", "1400"));
    view = open_and_read(IDM_ARG_P_T);
    EXPECT_EQ(view.first, "10");
    EXPECT_EQ(view.second, " 25");
}

TEST_F(InputDialog, KeepsTheFirstTextAfterARefusedSecond) {
    win32::calculate_function = canned_calculation;
    ASSERT_TRUE(calculate("10", "25"));
    EXPECT_EQ(refused("12", "x", "Неверный формат числа !"), IDC_SECOND_VALUE);
    const DialogView view = open_and_read(IDM_ARG_P_T);
    EXPECT_EQ(view.first, "12");
    EXPECT_EQ(view.second, "25");
    EXPECT_EQ(sent_requests.size(), 3u);
}

TEST_F(InputDialog, IsCentredOnTheDesktop) {
    RECT dialog_rect{};
    ModalScript script;
    script.on(INPUT_CAPTION, [&](HWND dialog) {
        GetWindowRect(dialog, &dialog_rect);
        post_command(dialog, IDCANCEL);
    });
    ASSERT_TRUE(script.run([this] { command(IDM_INPUT); }));
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_EQ(dialog_rect.left, (desktop.right - (dialog_rect.right - dialog_rect.left)) / 2);
    EXPECT_EQ(dialog_rect.top, (desktop.bottom - (dialog_rect.bottom - dialog_rect.top)) / 2);
}

}  // namespace
}  // namespace zeltra5::gui_test
