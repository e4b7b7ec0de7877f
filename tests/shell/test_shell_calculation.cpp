// The calculation cycle, the table switch, row selection and the clipboard text, with a recorded
// front end and with the real one at the edges of the domain.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "zeltra5/shell_state.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;  // the constants of the equation the tests check
namespace {

// A front end that records its requests and answers from a script.
struct Recorder {
    std::vector<CalcRequest> requests;
    PropertyResult requested{};
    int requested_status = 0;
    int follow_up_status = 0;
    Refusal refusal{};
};
Recorder recorder;

int recorded_calculation(const CalcRequest& request, PropertyResult& result, Refusal& why) {
    recorder.requests.push_back(request);
    if (recorder.requests.size() == 1) {
        result = recorder.requested;
        if (recorder.requested_status != 0) {
            why = recorder.refusal;
        }
        return recorder.requested_status;
    }
    result = recorder.requested;
    result.phase = PHASE_LIQUID;
    result.phase_detail = 0;
    result.temperature = request.side == SIDE_LIQUID ? -1.5 : -2.5;
    return recorder.follow_up_status;
}

PropertyResult liquid_result(double pressure) {
    PropertyResult result{};
    result.pressure = pressure;
    result.temperature = -20.0;
    result.specific_enthalpy = 12345.0;
    result.phase = PHASE_LIQUID;
    result.phase_detail = -1;
    return result;
}

class Calculation : public ::testing::Test {
  protected:
    void SetUp() override { recorder = Recorder{}; }

    CalculationOutcome calculate(int mode, int side, double first, double second) {
        state.request = {mode, side, first, second};
        return run_calculation(state, recorded_calculation);
    }

    ShellState state;
};

TEST_F(Calculation, SendsSiUnitsAndTheSuperheatOption) {
    struct Case {
        int mode, side;
        bool superheat;
        double first, second;
        int sent_side;
    };
    const Case cases[] = {
        {MODE_PRESSURE_TEMPERATURE, SIDE_NONE, true, 10e5, 25.0, SIDE_LIQUID},
        {MODE_PRESSURE_TEMPERATURE, SIDE_NONE, false, 10e5, 25.0, SIDE_NONE},
        {MODE_SATURATION_TEMPERATURE, SIDE_VAPOUR, true, 20.0, 1.0, SIDE_VAPOUR},
        {MODE_PRESSURE_ENTROPY, SIDE_NONE, true, 2e5, 5500.0, SIDE_LIQUID},
        {MODE_TEMPERATURE_DENSITY, SIDE_NONE, false, 20.0, 600.0, SIDE_NONE},
    };
    for (const Case& c : cases) {
        recorder = Recorder{};
        recorder.requested = liquid_result(c.first);
        state.superheat_liquid = c.superheat;
        const double display_first =
            c.mode == MODE_SATURATION_TEMPERATURE || c.mode == MODE_TEMPERATURE_DENSITY
                ? c.first
                : c.first / 1e5;
        const double display_second = c.mode == MODE_PRESSURE_ENTROPY ? c.second / 1e3 : c.second;
        calculate(c.mode, c.side, display_first, display_second);
        ASSERT_FALSE(recorder.requests.empty());
        const CalcRequest& sent = recorder.requests.front();
        EXPECT_EQ(sent.mode, c.mode);
        EXPECT_EQ(sent.side, c.sent_side) << c.mode << ' ' << c.superheat;
        EXPECT_DOUBLE_EQ(sent.first_value, c.first) << c.mode;
        EXPECT_DOUBLE_EQ(sent.second_value, c.second) << c.mode;
    }
}

TEST_F(Calculation, FailureHidesTheTablesAndForgetsTheSelection) {
    recorder.requested = liquid_result(1e6);
    state.row_selected = true;
    ASSERT_TRUE(calculate(MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 10.0, 25.0).enable_copy);
    recorder = Recorder{};
    recorder.requested_status = 1;
    const CalculationOutcome outcome = calculate(MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 10.0, 999);
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_FALSE(outcome.liquid_available || outcome.vapour_available || outcome.enable_copy);
    EXPECT_EQ(recorder.requests.size(), 1u);
    EXPECT_EQ(state.displayed_table, TABLE_NONE);
    EXPECT_FALSE(state.results_available || state.row_selected || state.copy_enabled);
    EXPECT_EQ(displayed_rows(state), nullptr);
    EXPECT_FALSE(copy_text(state, 2).has_value());
    EXPECT_FALSE(show_table(state, TABLE_SATURATED_LIQUID));
}

TEST_F(Calculation, SuccessFormatsAllThreeTables) {
    recorder.requested = liquid_result(1e6);
    state.displayed_table = TABLE_SATURATED_VAPOUR;
    const CalculationOutcome outcome = calculate(MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 10.0, -20);
    EXPECT_TRUE(outcome.succeeded && outcome.liquid_available && outcome.vapour_available);
    EXPECT_FALSE(outcome.enable_copy);
    EXPECT_TRUE(state.results_available);
    EXPECT_EQ(state.displayed_table, TABLE_REQUESTED);
    ASSERT_EQ(recorder.requests.size(), 3u);
    for (int side : {SIDE_LIQUID, SIDE_VAPOUR}) {
        const CalcRequest& follow_up = recorder.requests[static_cast<std::size_t>(side)];
        EXPECT_EQ(follow_up.mode, MODE_SATURATION_PRESSURE);
        EXPECT_EQ(follow_up.side, side);
        EXPECT_EQ(follow_up.first_value, 1e6);
        EXPECT_EQ(follow_up.second_value, 0.0);
    }
    EXPECT_STREQ(state.requested_table.rows[2], " 10");
    EXPECT_STREQ(state.requested_table.rows[3], "-20");
    EXPECT_STREQ(state.saturated_liquid_table.rows[3], "-1.5");
    EXPECT_STREQ(state.saturated_vapour_table.rows[3], "-2.5");
    EXPECT_EQ(displayed_rows(state), &state.requested_table);
}

TEST_F(Calculation, SupercriticalKeepsTheEarlierSaturatedTables) {
    recorder.requested = liquid_result(1e6);
    calculate(MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 10.0, -20);
    const ResultTable liquid = state.saturated_liquid_table;
    recorder = Recorder{};
    recorder.requested = liquid_result(2e7);
    recorder.requested.phase = PHASE_SUPERCRITICAL;
    recorder.requested.phase_detail = PHASE_SUPERCRITICAL;
    const CalculationOutcome outcome = calculate(MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 200, 200);
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_FALSE(outcome.liquid_available || outcome.vapour_available);
    EXPECT_EQ(recorder.requests.size(), 1u);
    EXPECT_EQ(std::memcmp(&liquid, &state.saturated_liquid_table, sizeof liquid), 0);
}

TEST_F(Calculation, FailedFollowUpsLeaveBlankUnavailableTables) {
    recorder.requested = liquid_result(1e6);
    recorder.follow_up_status = 1;
    const CalculationOutcome outcome = calculate(MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 10.0, -20);
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_FALSE(outcome.liquid_available || outcome.vapour_available);
    for (const ResultTable* table :
         {&state.saturated_liquid_table, &state.saturated_vapour_table}) {
        for (const auto& row : table->rows) {
            EXPECT_STREQ(row, " ");
        }
    }
}

TEST_F(Calculation, FollowUpPressureIsClampedIntoTheDomain) {
    const double cases[][2] = {{11359197.0, CRITICAL_PRESSURE},
                               {MIN_PRESSURE * (1 - 1e-15), MIN_PRESSURE},
                               {1e6, 1e6},
                               {CRITICAL_PRESSURE, CRITICAL_PRESSURE},
                               {MIN_PRESSURE, MIN_PRESSURE}};
    for (const auto& c : cases) {
        recorder = Recorder{};
        recorder.requested = liquid_result(c[0]);
        calculate(MODE_SATURATION_TEMPERATURE, SIDE_LIQUID, 0.0, 0.0);
        ASSERT_EQ(recorder.requests.size(), 3u);
        EXPECT_EQ(recorder.requests[1].first_value, c[1]) << c[0];
        EXPECT_EQ(recorder.requests[2].first_value, c[1]) << c[0];
        EXPECT_EQ(state.requested_result.pressure, c[0]) << "the shown result keeps its pressure";
    }
}

std::vector<std::string> crlf_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text after the last line end";
    return lines;
}

TEST_F(Calculation, TableTextIsTheShownTableTabSeparated) {
    recorder.requested = liquid_result(1e6);
    calculate(MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 10.0, -20);
    const struct {
        int table;
        const char* phase_line;
        const char* temperature_line;
    } shown[] = {
        {TABLE_REQUESTED, "Фазовое состояние\tНедогретая ж-ть\t", "Температура\t-20\t°C"},
        {TABLE_SATURATED_VAPOUR, "Фазовое состояние\tНасыщенная ж-ть\t", "Температура\t-2.5\t°C"},
        {TABLE_SATURATED_LIQUID, "Фазовое состояние\tНасыщенная ж-ть\t", "Температура\t-1.5\t°C"},
    };
    for (const auto& s : shown) {
        show_table(state, s.table);
        const auto text = copy_table_text(state);
        ASSERT_TRUE(text.has_value()) << s.table;
        const std::vector<std::string> lines = crlf_lines(utf8_from_cp1251(*text));
        ASSERT_EQ(lines.size(), static_cast<std::size_t>(RESULT_ROWS)) << s.table;
        for (const std::string& line : lines) {
            EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 2) << line;
            EXPECT_EQ(line.find('\n'), std::string::npos) << line;
        }
        EXPECT_EQ(lines[0], s.phase_line);
        EXPECT_EQ(lines[3], s.temperature_line);
    }
    show_table(state, TABLE_REQUESTED);
    const std::vector<std::string> lines = crlf_lines(utf8_from_cp1251(*copy_table_text(state)));
    EXPECT_EQ(lines[2], "Давление\t10\tбар");
    EXPECT_EQ(lines[8], "Энтропия\t0\tкДж / (кг·°C)");
    EXPECT_EQ(lines[11], "Коэффициент изоэнтропы\t0\t") << "a unit of blanks is empty";
    EXPECT_EQ(lines[19], "Теплота парообразования\t\tкДж / кг") << "a blank value is empty";

    recorder = Recorder{};
    recorder.requested_status = 1;
    calculate(MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 10.0, 999);
    EXPECT_FALSE(copy_table_text(state).has_value()) << "no table on display";
}

// The real front end at both ends of the saturation line: the request is refused as a whole, or
// every follow-up table is either a formatted saturated state or blank and unavailable, never a
// record the front end refused.
class DomainEdges : public ::testing::TestWithParam<std::pair<double, int>> {};

TEST_P(DomainEdges, FollowUpsAreValidOrBlank) {
    ShellState state;
    state.request = {MODE_SATURATION_TEMPERATURE, GetParam().second, GetParam().first, 0.0};
    const CalculationOutcome outcome = run_calculation(state);
    if (!outcome.succeeded) {
        EXPECT_EQ(displayed_rows(state), nullptr);
        return;
    }
    const double pressure = state.saturated_liquid_request.first_value;
    EXPECT_GE(pressure, MIN_PRESSURE);
    EXPECT_LE(pressure, CRITICAL_PRESSURE);
    const std::pair<bool, const ResultTable*> tables[] = {
        {outcome.liquid_available, &state.saturated_liquid_table},
        {outcome.vapour_available, &state.saturated_vapour_table}};
    for (const auto& [available, table] : tables) {
        if (available) {
            EXPECT_STRNE(table->rows[0], " ");
            EXPECT_STRNE(table->rows[2], " ");
        } else {
            EXPECT_STREQ(table->rows[0], " ");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    SaturationLine, DomainEdges,
    ::testing::Values(std::pair{132.25, SIDE_LIQUID}, std::pair{132.25, SIDE_VAPOUR},
                      std::pair{132.0, SIDE_LIQUID}, std::pair{132.0, SIDE_VAPOUR},
                      std::pair{-77.0, SIDE_LIQUID}, std::pair{-77.0, SIDE_VAPOUR}));

class Panel : public ::testing::Test {
  protected:
    void SetUp() override {
        state.results_available = true;
        std::strcpy(state.requested_table.rows[2], " 10");
        std::strcpy(state.requested_table.rows[3], "-20");
        std::strcpy(state.requested_table.rows[19], " ");
        std::strcpy(state.saturated_vapour_table.rows[3], " 24.89");
    }
    ShellState state;
};

TEST_F(Panel, CopyTextDropsTheSignBlankOnly) {
    EXPECT_EQ(copy_text(state, 2), "10");
    EXPECT_EQ(copy_text(state, 3), "-20");
    EXPECT_EQ(copy_text(state, 19), "");
    ASSERT_TRUE(show_table(state, TABLE_SATURATED_VAPOUR));
    EXPECT_EQ(copy_text(state, 3), "24.89");
}

TEST_F(Panel, NothingToCopyWithoutASelectedRow) {
    EXPECT_FALSE(copy_text(state, -1).has_value());
    EXPECT_FALSE(copy_text(state, RESULT_ROWS).has_value());
    state.displayed_table = TABLE_NONE;
    EXPECT_FALSE(copy_text(state, 2).has_value());
}

TEST_F(Panel, TableSwitchRefillsOnlyOnChange) {
    EXPECT_FALSE(show_table(state, TABLE_REQUESTED));
    EXPECT_TRUE(show_table(state, TABLE_SATURATED_LIQUID));
    EXPECT_EQ(displayed_rows(state), &state.saturated_liquid_table);
    EXPECT_FALSE(show_table(state, TABLE_SATURATED_LIQUID));
    EXPECT_TRUE(show_table(state, TABLE_SATURATED_VAPOUR));
    EXPECT_EQ(displayed_rows(state), &state.saturated_vapour_table);
    EXPECT_FALSE(show_table(state, TABLE_NONE));
    EXPECT_FALSE(show_table(state, 4));
    EXPECT_EQ(state.displayed_table, TABLE_SATURATED_VAPOUR);
}

TEST_F(Panel, FirstRowSelectionWithResultsEnablesCopyOnce) {
    EXPECT_FALSE(note_row_selection(state, -1));
    EXPECT_FALSE(state.row_selected);
    EXPECT_TRUE(note_row_selection(state, 5));
    EXPECT_TRUE(state.row_selected && state.copy_enabled);
    EXPECT_FALSE(note_row_selection(state, 6));
}

TEST_F(Panel, SelectionBeforeAnyResultEnablesCopyAtTheNextSuccess) {
    state = ShellState{};
    EXPECT_FALSE(note_row_selection(state, 0));
    EXPECT_TRUE(state.row_selected);
    EXPECT_FALSE(state.copy_enabled);
    recorder = Recorder{};
    recorder.requested = liquid_result(1e6);
    state.request = {MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 10.0, -20.0};
    EXPECT_TRUE(run_calculation(state, recorded_calculation).enable_copy);
    EXPECT_TRUE(state.copy_enabled);
}

// The message after a refusal: the old words exactly as the first line, the library's reason in
// display units (bar, °C, kJ) as the second.
struct RefusedRequest {
    const char* name;
    int mode, side;
    bool superheat;
    double first, second;
    const char16_t* reason;  // the second line starts with it
};

class RefusalMessage : public ::testing::TestWithParam<RefusedRequest> {};

TEST_P(RefusalMessage, OldWordsThenTheLibrarysReason) {
    const RefusedRequest& c = GetParam();
    ShellState state;
    state.superheat_liquid = c.superheat;
    state.request = {c.mode, c.side, c.first, c.second};
    ASSERT_FALSE(run_calculation(state).succeeded);
    const std::u16string message = out_of_domain_message(state);
    const std::size_t line_end = message.find(u'\n');
    ASSERT_NE(line_end, std::u16string::npos);
    EXPECT_EQ(message.substr(0, line_end), u"Параметры вне области определения");
    const std::u16string reason = message.substr(line_end + 1);
    EXPECT_EQ(reason.substr(0, std::char_traits<char16_t>::length(c.reason)), c.reason)
        << std::string(state.refusal_reason);
    EXPECT_EQ(reason.find(u'\n'), std::u16string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    RealFrontEnd, RefusalMessage,
    ::testing::Values(RefusedRequest{"temperature_above_the_domain", MODE_PRESSURE_TEMPERATURE,
                                     SIDE_NONE, false, 10.0, 500.0, u"температура 500 °C выше "},
                      RefusedRequest{"pressure_in_bar", MODE_PRESSURE_TEMPERATURE, SIDE_NONE, false,
                                     1000.0, 25.0, u"давление 1000 бар выше "},
                      RefusedRequest{"quality_above_the_critical_pressure", MODE_PRESSURE_QUALITY,
                                     SIDE_NONE, false, 200.0, 0.5, u"давление 200 бар"},
                      RefusedRequest{"saturation_temperature", MODE_SATURATION_TEMPERATURE,
                                     SIDE_VAPOUR, false, 200.0, 1.0, u"температура 200 °C выше "},
                      RefusedRequest{"enthalpy_in_kilojoules", MODE_PRESSURE_ENTHALPY, SIDE_NONE,
                                     false, 10.0, 1e6, u"энтальпия 1000000 кДж / кг выше "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Calculation, RefusalWithoutAReasonKeepsTheOneLineMessage) {
    recorder.requested_status = 1;
    calculate(MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 10.0, 25.0);
    EXPECT_EQ(out_of_domain_message(state), u"Параметры вне области определения");
}

TEST_F(Calculation, ValidResultForgetsTheLastReason) {
    recorder.requested_status = 1;
    recorder.refusal = {RefusalReason::above_maximum, 1, FIELD_TEMPERATURE, 500.0, 450.0};
    calculate(MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 10.0, 500.0);
    EXPECT_NE(state.refusal_reason.find("500"), std::string::npos);
    recorder = Recorder{};
    recorder.requested = liquid_result(1e6);
    calculate(MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 10.0, 25.0);
    EXPECT_TRUE(state.refusal_reason.empty());
}

TEST(NumberRefusal, MessageIsTheReadersWords) {
    EXPECT_EQ(number_refusal_message(NumberText::bad_format), u"Неверный формат числа !");
    EXPECT_EQ(number_refusal_message(NumberText::empty), u"Не задан параметр !");
    EXPECT_TRUE(number_refusal_message(NumberText::ok).empty());
}

}  // namespace
}  // namespace zeltra5
