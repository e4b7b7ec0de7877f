// The shell's menu, dialog and text logic, without any window.

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>

#include "zeltra5/shell_state.hpp"

namespace zeltra5 {
namespace {

TEST(ArgItems, OutsideTheMenuLeaveTheRequestAlone) {
    ShellState state;
    state.request = {MODE_PRESSURE_DENSITY, SIDE_LIQUID, 1.0, 2.0};
    state.current_menu_item = 42;
    apply_arg_item(state);
    EXPECT_EQ(state.request.mode, MODE_PRESSURE_DENSITY);
    EXPECT_EQ(state.request.side, SIDE_LIQUID);
    state.current_menu_item = 4;
    apply_arg_item(state);
    EXPECT_EQ(state.request.mode, MODE_SATURATION_TEMPERATURE);
    EXPECT_EQ(state.request.side, SIDE_VAPOUR);
}

struct MenuCase {
    const char* name;
    int current;
    int chosen;
    ArgPopup uncheck_popup;
    ArgPopup check_popup;
};

void PrintTo(const MenuCase& c, std::ostream* os) {
    *os << c.name;
}

class MenuChecks : public ::testing::TestWithParam<MenuCase> {};

TEST_P(MenuChecks, MovePopupMarksOnlyWhenThePopupChanges) {
    const MenuCase& c = GetParam();
    ShellState state;
    state.current_menu_item = c.current;
    const MenuCheckChange change = choose_arg_item(state, c.chosen);
    EXPECT_EQ(change.uncheck_item, c.current);
    EXPECT_EQ(change.check_item, c.chosen);
    EXPECT_EQ(change.uncheck_popup, c.uncheck_popup);
    EXPECT_EQ(change.check_popup, c.check_popup);
    EXPECT_EQ(state.current_menu_item, c.chosen);
}

constexpr ArgPopup NONE = ArgPopup::none;
constexpr ArgPopup PS = ArgPopup::saturation_pressure;
constexpr ArgPopup TS = ArgPopup::saturation_temperature;

INSTANTIATE_TEST_SUITE_P(
    Transitions, MenuChecks,
    ::testing::Values(MenuCase{"pt_to_ps_vapour", 5, 2, NONE, PS},
                      MenuCase{"ps_vapour_to_t_ro", 2, 10, PS, NONE},
                      MenuCase{"ps_liquid_to_ts_vapour", 1, 4, PS, TS},
                      MenuCase{"ts_liquid_to_ps_liquid", 3, 1, TS, PS},
                      MenuCase{"ts_liquid_to_ts_vapour_keeps_ts", 3, 4, NONE, TS},
                      MenuCase{"ps_vapour_to_ps_liquid_keeps_ps", 2, 1, NONE, PS},
                      MenuCase{"ts_vapour_to_p_x", 4, 0, TS, NONE},
                      MenuCase{"pt_to_ph", 5, 6, NONE, NONE},
                      MenuCase{"same_item", 7, 7, NONE, NONE}),
    [](const auto& info) { return std::string(info.param.name); });

struct ConversionCase {
    int mode;
    double first_factor;
    double second_factor;
};

void PrintTo(const ConversionCase& c, std::ostream* os) {
    *os << "mode " << c.mode;
}

class UnitConversion : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(UnitConversion, ScalesOnlyPressureAndKilojoules) {
    const ConversionCase& c = GetParam();
    CalcRequest request{c.mode, SIDE_NONE, 12.5, -3.25};
    convert_to_si(request);
    EXPECT_EQ(request.first_value, 12.5 * c.first_factor);
    EXPECT_EQ(request.second_value, -3.25 * c.second_factor);
    EXPECT_EQ(request.mode, c.mode);
}

INSTANTIATE_TEST_SUITE_P(Modes, UnitConversion,
                         ::testing::Values(ConversionCase{0, 1e5, 1.0}, ConversionCase{1, 1e5, 1.0},
                                           ConversionCase{2, 1.0, 1.0}, ConversionCase{3, 1e5, 1.0},
                                           ConversionCase{4, 1e5, 1e3}, ConversionCase{5, 1e5, 1e3},
                                           ConversionCase{6, 1e5, 1e3}, ConversionCase{7, 1e5, 1.0},
                                           ConversionCase{8, 1.0, 1.0}));

TEST(DialogLabels, NoneOutsideTheModes) {
    EXPECT_EQ(arg_labels(-1), nullptr);
    EXPECT_EQ(arg_labels(ARG_MODE_COUNT), nullptr);
}

TEST(DialogLabels, SaturationPairsFixTheQuality) {
    EXPECT_STREQ(fixed_second_text({1, SIDE_LIQUID, 0, 0}), " 0.0");
    EXPECT_STREQ(fixed_second_text({1, SIDE_VAPOUR, 0, 0}), " 1.0");
    EXPECT_STREQ(fixed_second_text({2, SIDE_LIQUID, 0, 0}), " 0.0");
    EXPECT_STREQ(fixed_second_text({2, SIDE_VAPOUR, 0, 0}), " 1.0");
    EXPECT_STREQ(fixed_second_text({2, SIDE_NONE, 0, 0}), " 1.0");
    for (int mode : {0, 3, 4, 5, 6, 7, 8}) {
        EXPECT_EQ(fixed_second_text({mode, SIDE_LIQUID, 0, 0}), nullptr) << mode;
    }
}

struct FieldCase {
    const char* text;
    NumberText status;
    double value;
};

void PrintTo(const FieldCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class FieldReading : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldReading, AcceptsExactlyACompleteFiniteNumber) {
    const FieldCase& c = GetParam();
    double value = -12345.0;
    EXPECT_EQ(read_field_text(c.text, value), c.status) << '"' << c.text << '"';
    EXPECT_EQ(value, c.status == NumberText::ok ? c.value : -12345.0) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FieldReading,
    ::testing::Values(
        FieldCase{"", NumberText::empty, 0}, FieldCase{"25", NumberText::ok, 25},
        FieldCase{"   10.5", NumberText::ok, 10.5}, FieldCase{"-3.25", NumberText::ok, -3.25},
        FieldCase{"+7", NumberText::ok, 7}, FieldCase{"1e5", NumberText::ok, 1e5},
        FieldCase{"2.5E-3", NumberText::ok, 2.5e-3}, FieldCase{".5", NumberText::ok, 0.5},
        FieldCase{"5.", NumberText::ok, 5}, FieldCase{"25 ", NumberText::bad_format, 0},
        FieldCase{"1,5", NumberText::bad_format, 0}, FieldCase{"abc", NumberText::bad_format, 0},
        FieldCase{" ", NumberText::bad_format, 0}, FieldCase{"nan", NumberText::bad_format, 0},
        FieldCase{"inf", NumberText::bad_format, 0},
        FieldCase{"-infinity", NumberText::bad_format, 0},
        FieldCase{"0x1p3", NumberText::bad_format, 0},
        FieldCase{"1e999", NumberText::bad_format, 0}, FieldCase{"1e", NumberText::bad_format, 0}));

TEST(FieldReading, RefusesWhatAnInputSlotCannotHold) {
    double value = 0.0;
    // 71 characters: the longest text a slot keeps.
    const std::string longest = std::string(69, ' ') + "42";
    EXPECT_EQ(read_field_text(longest, value), NumberText::ok);
    EXPECT_EQ(value, 42.0);
    // One more digit would be read as a different number if it were cut to fit: refuse it.
    const std::string too_long = "1" + std::string(70, '0') + "5";
    value = 0.0;
    EXPECT_EQ(read_field_text(too_long, value), NumberText::bad_format);
    EXPECT_EQ(value, 0.0);
}

TEST(RememberedTexts, KeepTextsThatFitAndRefuseLongerOnes) {
    RememberedTexts texts{};
    ASSERT_TRUE(remember_text(texts.first[3], "10"));
    EXPECT_STREQ(texts.first[3], "10");
    const std::string longest(INPUT_TEXT_LIMIT, '7');
    ASSERT_TRUE(remember_text(texts.first[3], longest));
    EXPECT_EQ(std::string(texts.first[3]), longest);
    EXPECT_FALSE(remember_text(texts.first[3], std::string(REMEMBERED_TEXT_SIZE, '8')));
    EXPECT_EQ(std::string(texts.first[3]), longest);
    // The neighbouring slots are untouched.
    EXPECT_STREQ(texts.first[4], "");
    EXPECT_STREQ(texts.second[3], "");
    ASSERT_TRUE(remember_text(texts.first[3], ""));
    EXPECT_STREQ(texts.first[3], "");
}

// Reads the dialog's two texts as the dialog does, counting the reads.
struct FakeDialog {
    std::string texts[2];
    int reads = 0;

    FieldReader reader() {
        return [this](int field, double& value, std::string_view& text) {
            ++reads;
            text = texts[field];
            return read_field_text(texts[field], value) == NumberText::ok;
        };
    }
};

TEST(ConfirmInput, RemembersBothTextsPerMode) {
    ShellState state;
    state.request.mode = MODE_PRESSURE_TEMPERATURE;
    FakeDialog dialog{{"10", " 25"}};
    ASSERT_TRUE(confirm_input(state, dialog.reader()));
    EXPECT_EQ(state.request.first_value, 10.0);
    EXPECT_EQ(state.request.second_value, 25.0);
    EXPECT_STREQ(state.remembered_texts.first[3], "10");
    EXPECT_STREQ(state.remembered_texts.second[3], " 25");
    for (int mode = 0; mode < ARG_MODE_COUNT; ++mode) {
        if (mode != 3) {
            EXPECT_STREQ(state.remembered_texts.first[mode], "") << mode;
            EXPECT_STREQ(state.remembered_texts.second[mode], "") << mode;
        }
    }
}

TEST(ConfirmInput, KeepsTheFirstFieldAfterARefusedSecond) {
    ShellState state;
    state.request = {MODE_PRESSURE_ENTHALPY, SIDE_NONE, 0.0, 7.0};
    ASSERT_TRUE(remember_text(state.remembered_texts.second[4], "1500"));
    FakeDialog dialog{{"2", "15,5"}};
    EXPECT_FALSE(confirm_input(state, dialog.reader()));
    EXPECT_EQ(state.request.first_value, 2.0);
    EXPECT_EQ(state.request.second_value, 7.0);
    EXPECT_STREQ(state.remembered_texts.first[4], "2");
    EXPECT_STREQ(state.remembered_texts.second[4], "1500");
}

TEST(ConfirmInput, StopsAtARefusedFirstField) {
    ShellState state;
    state.request.mode = MODE_TEMPERATURE_DENSITY;
    ASSERT_TRUE(remember_text(state.remembered_texts.first[8], "20"));
    FakeDialog dialog{{"", "abc"}};
    EXPECT_FALSE(confirm_input(state, dialog.reader()));
    EXPECT_EQ(dialog.reads, 1);
    EXPECT_STREQ(state.remembered_texts.first[8], "20");
}

}  // namespace
}  // namespace zeltra5
