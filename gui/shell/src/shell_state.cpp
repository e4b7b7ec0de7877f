#include "zeltra5/shell_state.hpp"

#include <algorithm>
#include <array>
#include <cstring>

#include "zeltra5/calculation.hpp"
#include "zeltra5/models.hpp"
#include "zeltra5/pairs.hpp"
#include "zeltra5/quantities.hpp"
#include "zeltra5/wide_text.hpp"

namespace zeltra5 {

namespace {

constexpr std::array<ArgItem, ARG_ITEM_COUNT> ARG_ITEMS{{
    {MODE_PRESSURE_QUALITY, SIDE_NONE},          // 0 "P, X"
    {MODE_SATURATION_PRESSURE, SIDE_LIQUID},     // 1 "Ps ..." "Ж-ть"
    {MODE_SATURATION_PRESSURE, SIDE_VAPOUR},     // 2 "Ps ..." "Пар"
    {MODE_SATURATION_TEMPERATURE, SIDE_LIQUID},  // 3 "Ts ..." "Ж-ть"
    {MODE_SATURATION_TEMPERATURE, SIDE_VAPOUR},  // 4 "Ts ..." "Пар"
    {MODE_PRESSURE_TEMPERATURE, SIDE_NONE},      // 5 "P, T"
    {MODE_PRESSURE_ENTHALPY, SIDE_NONE},         // 6 "P, H"
    {MODE_PRESSURE_ENERGY, SIDE_NONE},           // 7 "P, U"
    {MODE_PRESSURE_ENTROPY, SIDE_NONE},          // 8 "P, S"
    {MODE_PRESSURE_DENSITY, SIDE_NONE},          // 9 "P, RO"
    {MODE_TEMPERATURE_DENSITY, SIDE_NONE},       // 10 "T, RO"
}};

constexpr std::array<ArgLabels, ARG_MODE_COUNT> ARG_LABELS{{
    {"P", "бар", "X", " "},
    {"Ps", "бар", "X", " "},
    {"Ts", "°C", "X", " "},
    {"P", "бар", "T", "°C"},
    {"P", "бар", "H", "кДж / кг"},
    {"P", "бар", "U", "кДж / кг"},
    {"P", "бар", "S", "кДж / (кг·°C)"},
    {"P", "бар", "Ro", "кг / м3"},
    {"T", "°C", "Ro", "кг / м3"},
}};

// `text` without the blanks that pad it at either end.
std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

void blank_table(ResultTable& table) {
    for (auto& row : table.rows) {
        std::strcpy(row, " ");
    }
}

// The library's words for a refused request, given in display units as the dialog took it.
std::string describe_refused_request(const CalcRequest& display_request, const bool superheat,
                                     const CalcRequest& si_request, const Refusal& why) {
    StateResult result;
    result.status = STATUS_OUTSIDE_DOMAIN;
    result.pair = find_arg_pair(display_request.mode, display_request.side);
    if (result.pair == nullptr) {
        result.pair = find_arg_pair(display_request.mode, SIDE_LIQUID);
    }
    result.given[0] = display_request.first_value;
    result.given[1] = display_request.second_value;
    result.options.units = DISPLAY_UNITS;
    result.options.superheat = superheat;
    result.request = si_request;
    result.refusal = why;
    char text[512];
    const std::size_t length = describe_refusal(result, Language::russian, text, sizeof text);
    return std::string(text, std::min(length, sizeof text - 1));
}

}  // namespace

std::optional<ArgItem> arg_item(int item) {
    if (item < 0 || item >= ARG_ITEM_COUNT) {
        return std::nullopt;
    }
    return ARG_ITEMS[static_cast<std::size_t>(item)];
}

ArgPopup arg_item_popup(int item) {
    if (item == 1 || item == 2) {
        return ArgPopup::saturation_pressure;
    }
    if (item == 3 || item == 4) {
        return ArgPopup::saturation_temperature;
    }
    return ArgPopup::none;
}

MenuCheckChange menu_check_change(int current, int chosen) {
    const ArgPopup old_popup = arg_item_popup(current);
    const ArgPopup new_popup = arg_item_popup(chosen);
    return {current, old_popup == new_popup ? ArgPopup::none : old_popup, new_popup, chosen};
}

const ArgLabels* arg_labels(int mode) {
    if (mode < 0 || mode >= ARG_MODE_COUNT) {
        return nullptr;
    }
    return &ARG_LABELS[static_cast<std::size_t>(mode)];
}

const char* fixed_second_text(const CalcRequest& request) {
    if (request.mode != MODE_SATURATION_PRESSURE && request.mode != MODE_SATURATION_TEMPERATURE) {
        return nullptr;
    }
    return request.side == SIDE_LIQUID ? " 0.0" : " 1.0";
}

bool remember_text(char (&slot)[REMEMBERED_TEXT_SIZE], std::string_view text) {
    if (text.size() >= REMEMBERED_TEXT_SIZE) {
        return false;
    }
    std::memcpy(slot, text.data(), text.size());
    slot[text.size()] = '\0';
    return true;
}

NumberText read_field_text(std::string_view text, double& value) {
    if (text.size() > INPUT_TEXT_LIMIT) {
        return NumberText::bad_format;
    }
    return read_number_text(text, value);
}

MenuCheckChange choose_arg_item(ShellState& state, int item) {
    const MenuCheckChange change = menu_check_change(state.current_menu_item, item);
    state.current_menu_item = item;
    return change;
}

void apply_arg_item(ShellState& state) {
    if (const auto item = arg_item(state.current_menu_item)) {
        state.request.mode = item->mode;
        state.request.side = item->side;
    }
}

bool confirm_input(ShellState& state, const FieldReader& read) {
    const int mode = state.request.mode;
    if (mode < 0 || mode >= ARG_MODE_COUNT) {
        return false;
    }
    RememberedTexts& texts = state.remembered_texts;
    std::string_view text;
    if (!read(0, state.request.first_value, text)) {
        return false;
    }
    remember_text(texts.first[mode], text);
    if (!read(1, state.request.second_value, text)) {
        return false;
    }
    remember_text(texts.second[mode], text);
    return true;
}

void convert_to_si(CalcRequest& request) {
    // The units depend on the mode only; a saturation mode's side picks one of two equal pairs.
    const ArgPair* pair = find_arg_pair(request.mode, SIDE_LIQUID);
    if (pair == nullptr) {
        return;
    }
    const auto unit = [](const int field) {
        return field < 0 ? UnitKind::none : RESULT_FIELDS[field].unit;
    };
    request.first_value = to_base(unit(pair->first_field), DISPLAY_UNITS, request.first_value);
    request.second_value =
        to_base(unit(pair->second_field), DISPLAY_UNITS, request.second_value);
}

double clamp_follow_up_pressure(double pressure) {
    return std::clamp(pressure, DEFAULT_CONSTANTS.domain.min_pressure,
                      DEFAULT_CONSTANTS.critical_pressure);
}

CalculationOutcome run_calculation(ShellState& state, CalculateFunction calculate) {
    const CalcRequest display_request = state.request;
    convert_to_si(state.request);
    const bool superheat = state.request.side == SIDE_NONE && state.superheat_liquid;
    if (state.request.side == SIDE_NONE) {
        state.request.side = state.superheat_liquid ? 1 : 0;
    }
    state.refusal_reason.clear();
    Refusal why;
    if (calculate(state.request, state.requested_result, why) != 0) {
        if (why.reason != RefusalReason::none) {
            state.refusal_reason =
                describe_refused_request(display_request, superheat, state.request, why);
        }
        state.displayed_table = TABLE_NONE;
        state.row_selected = false;
        state.copy_enabled = false;
        state.results_available = false;
        return {false, false, false, false};
    }

    CalculationOutcome outcome{true, false, false, false};
    state.displayed_table = TABLE_REQUESTED;
    format_result_table(state.requested_result, state.requested_table);
    state.results_available = true;
    if (state.row_selected && !state.copy_enabled) {
        state.copy_enabled = true;
        outcome.enable_copy = true;
    }
    if (state.requested_result.phase_detail == PHASE_SUPERCRITICAL) {
        return outcome;
    }

    const double pressure = clamp_follow_up_pressure(state.requested_result.pressure);
    state.saturated_liquid_request = {MODE_SATURATION_PRESSURE, SIDE_LIQUID, pressure, 0.0};
    outcome.liquid_available =
        calculate(state.saturated_liquid_request, state.saturated_liquid_result, why) == 0;
    if (outcome.liquid_available) {
        format_result_table(state.saturated_liquid_result, state.saturated_liquid_table);
    } else {
        blank_table(state.saturated_liquid_table);
    }
    state.saturated_vapour_request = {MODE_SATURATION_PRESSURE, SIDE_VAPOUR, pressure, 0.0};
    outcome.vapour_available =
        calculate(state.saturated_vapour_request, state.saturated_vapour_result, why) == 0;
    if (outcome.vapour_available) {
        format_result_table(state.saturated_vapour_result, state.saturated_vapour_table);
    } else {
        blank_table(state.saturated_vapour_table);
    }
    return outcome;
}

const ResultTable* displayed_rows(const ShellState& state) {
    switch (state.displayed_table) {
        case TABLE_SATURATED_LIQUID:
            return &state.saturated_liquid_table;
        case TABLE_SATURATED_VAPOUR:
            return &state.saturated_vapour_table;
        case TABLE_REQUESTED:
            return &state.requested_table;
        default:
            return nullptr;
    }
}

bool show_table(ShellState& state, int table) {
    if (!state.results_available || table < TABLE_SATURATED_LIQUID || table > TABLE_REQUESTED ||
        state.displayed_table == table) {
        return false;
    }
    state.displayed_table = table;
    return true;
}

bool note_row_selection(ShellState& state, int row) {
    if (row < 0 || row >= RESULT_ROWS) {
        return false;
    }
    state.row_selected = true;
    if (state.results_available && !state.copy_enabled) {
        state.copy_enabled = true;
        return true;
    }
    return false;
}

std::optional<std::string_view> copy_text(const ShellState& state, int row) {
    const ResultTable* table = displayed_rows(state);
    if (table == nullptr || !state.results_available || row < 0 || row >= RESULT_ROWS) {
        return std::nullopt;
    }
    const char* text = table->rows[row];
    std::string_view view(text, strnlen(text, RESULT_ROW_SIZE));
    if (!view.empty() && view.front() == ' ') {
        view.remove_prefix(1);
    }
    return view;
}

std::optional<std::string> copy_table_text(const ShellState& state) {
    const ResultTable* table = displayed_rows(state);
    if (table == nullptr || !state.results_available) {
        return std::nullopt;
    }
    std::string text;
    for (int row = 0; row < RESULT_ROWS; ++row) {
        const char* value = table->rows[row];
        text.append(trimmed(result_row_name(row)));
        text.push_back('\t');
        text.append(trimmed(std::string_view(value, strnlen(value, RESULT_ROW_SIZE))));
        text.push_back('\t');
        text.append(trimmed(result_row_unit(row)));
        text.append("\r\n");
    }
    return text;
}

std::u16string out_of_domain_message(const ShellState& state) {
    std::u16string text = utf16_from_cp1251("Параметры вне области определения");
    if (!state.refusal_reason.empty()) {
        text.push_back(u'\n');
        text.append(utf16_from_utf8(state.refusal_reason));
    }
    return text;
}

std::u16string number_refusal_message(const NumberText status) {
    const char* words = number_text_message(status);
    return words == nullptr ? std::u16string() : utf16_from_cp1251(words);
}

}  // namespace zeltra5
