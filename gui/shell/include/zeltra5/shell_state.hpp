#pragma once
// The application shell's state and the decisions behind its windows, free of platform calls:
// the argument items of the menu, the input dialog's labels, number reading and remembered texts,
// the calculation cycle, the table shown in the value list and the text that goes to the
// clipboard. The window and dialog procedures only move texts between controls and this code.
// Texts are Windows-1251 bytes.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "zeltra5/calc.hpp"
#include "zeltra5/number_text.hpp"
#include "zeltra5/result_table.hpp"

namespace zeltra5 {

inline constexpr int ARG_ITEM_COUNT = 11;   // menu command ids 0 to 10
inline constexpr int INITIAL_ARG_ITEM = 5;  // "P, T"
inline constexpr int ARG_MODE_COUNT = 9;

// ---- Argument items of the menu ----

struct ArgItem {
    std::int32_t mode;
    std::int32_t side;
};

// The (mode, side) pair an argument item stands for; nothing for an id outside 0 to 10.
std::optional<ArgItem> arg_item(int item);

// The popup an argument item sits in: items 1, 2 under "Ps ...", items 3, 4 under "Ts ...".
enum class ArgPopup : int { none = -1, saturation_pressure = 0, saturation_temperature = 1 };
ArgPopup arg_item_popup(int item);

// Check-mark changes, applied in this order, when the item `chosen` replaces `current`.
struct MenuCheckChange {
    int uncheck_item;
    ArgPopup uncheck_popup;  // the popup of `current` when `chosen` lies elsewhere
    ArgPopup check_popup;    // the popup of `chosen`
    int check_item;
};
MenuCheckChange menu_check_change(int current, int chosen);

// ---- Input dialog ----

struct ArgLabels {
    const char* first_symbol;
    const char* first_unit;
    const char* second_symbol;
    const char* second_unit;
};

// Symbols and display units of the two fields; nullptr for a mode outside 0 to 8.
const ArgLabels* arg_labels(int mode);

// The fixed text of the second field when the pair is a saturation state (modes 1 and 2):
// " 0.0" for the liquid side, " 1.0" otherwise. nullptr when the field is edited.
const char* fixed_second_text(const CalcRequest& request);

// Slots of the remembered texts: 71 characters and the terminating zero. A longer text is
// refused as a number.
inline constexpr std::size_t REMEMBERED_TEXT_SIZE = 72;
inline constexpr std::size_t INPUT_TEXT_LIMIT = REMEMBERED_TEXT_SIZE - 1;

// Characters an input box takes. More than a slot holds, so that a text typed or pasted beyond
// INPUT_TEXT_LIMIT stays whole in the box and is refused, instead of being cut to a shorter text
// that reads as a different number.
inline constexpr std::size_t INPUT_BOX_LIMIT = 256;
static_assert(INPUT_BOX_LIMIT > INPUT_TEXT_LIMIT);

struct RememberedTexts {
    char first[ARG_MODE_COUNT][REMEMBERED_TEXT_SIZE];
    char second[ARG_MODE_COUNT][REMEMBERED_TEXT_SIZE];
};

// Copies `text` into `slot` when it fits; otherwise leaves the slot alone and answers false.
bool remember_text(char (&slot)[REMEMBERED_TEXT_SIZE], std::string_view text);

// Reads a field's text as a number in display units: empty, a complete finite decimal number of
// at most INPUT_TEXT_LIMIT characters, or refused. `value` is written only when the answer is ok.
NumberText read_field_text(std::string_view text, double& value);

// ---- Shell state ----

enum DisplayedTable : int {
    TABLE_NONE = 0,
    TABLE_SATURATED_LIQUID = 1,
    TABLE_SATURATED_VAPOUR = 2,
    TABLE_REQUESTED = 3,
};

struct ShellState {
    int current_menu_item = INITIAL_ARG_ITEM;
    CalcRequest request{MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 0.0, 0.0};
    PropertyResult requested_result{};
    PropertyResult saturated_liquid_result{};
    PropertyResult saturated_vapour_result{};
    CalcRequest saturated_liquid_request{};
    CalcRequest saturated_vapour_request{};
    ResultTable requested_table{};
    ResultTable saturated_liquid_table{};
    ResultTable saturated_vapour_table{};
    int displayed_table = TABLE_REQUESTED;
    bool results_available = false;
    bool row_selected = false;  // a row was selected since the last failed calculation
    bool copy_enabled = false;
    bool superheat_liquid = false;
    RememberedTexts remembered_texts{};
    // Why the last calculation was refused, in the library's words (UTF-8); empty after a valid
    // one, and when the library gave no reason.
    std::string refusal_reason;
};

// Moves the check mark to `item` and answers the changes to make in the menu.
MenuCheckChange choose_arg_item(ShellState& state, int item);

// Sets request.mode and request.side from the checked argument item (dialog start).
void apply_arg_item(ShellState& state);

// Reads one field of the input dialog (0 first, 1 second) into `value` and gives the text it
// read; answers false when the field was refused (the reader reports that to the user).
using FieldReader = std::function<bool(int field, double& value, std::string_view& text)>;

// The dialog's confirmation: reads the first value and remembers its text for the mode, then
// the second. A refused second field thus leaves the new first value and text in place.
// Answers true when both were read.
bool confirm_input(ShellState& state, const FieldReader& read);

// Display units to SI: bar to Pa for the pressure, kJ to J for enthalpy, energy and entropy.
void convert_to_si(CalcRequest& request);

// The saturated follow-up calculations run at the result's pressure, clamped into the domain's
// pressure range: a result on its edge may carry a pressure a rounding error outside it.
double clamp_follow_up_pressure(double pressure);

// Answers 0 with a valid `result`, otherwise 1 with `why` saying what was refused.
using CalculateFunction = int (*)(const CalcRequest&, PropertyResult&, Refusal& why);

struct CalculationOutcome {
    bool succeeded;         // false: out of the domain; the panel is disabled
    bool liquid_available;  // the saturated liquid table holds a valid state
    bool vapour_available;  // the saturated vapour table holds a valid state
    bool enable_copy;       // the copy button is to be enabled now
};

// The calculation cycle after the dialog has set `request` in display units: converts it,
// applies the superheat option, calculates and formats the requested state and, unless it is
// supercritical, the saturated liquid and vapour at its pressure. A follow-up that fails leaves
// its table blank and unavailable; after a supercritical state the earlier saturated tables stay.
// A refused request leaves its reason, in display units and in Russian, in refusal_reason.
CalculationOutcome run_calculation(ShellState& state,
                                   CalculateFunction calculate = calculate_properties_with_reason);

// The message box text after a refused calculation: "Параметры вне области определения", and on
// a second line the library's reason when there is one.
std::u16string out_of_domain_message(const ShellState& state);

// The message box text for a refused number: number_text_message's words.
std::u16string number_refusal_message(NumberText status);

// The table the value list shows; nullptr when none is (after a failed calculation).
const ResultTable* displayed_rows(const ShellState& state);

// A radio button asks for `table`; answers whether the value list must be refilled.
bool show_table(ShellState& state, int table);

// A row was selected in one of the lists (`row` as the list reports it, -1 for none).
// Answers whether the copy button is to be enabled now.
bool note_row_selection(ShellState& state, int row);

// The clipboard text of `row` in the table on display, without its sign blank. Nothing when no
// row is selected (-1), the row is out of range or no table is on display.
std::optional<std::string_view> copy_text(const ShellState& state, int row);

// The table on display as tab-separated text for a spreadsheet: one line per row with the name,
// the value and the unit, each without its padding blanks, every line ended by CR LF. Nothing
// when no table is on display.
std::optional<std::string> copy_table_text(const ShellState& state);

}  // namespace zeltra5
