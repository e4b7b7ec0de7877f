#pragma once
// Property tables: the saturation by temperature or by pressure, an isotherm, an isobar and an
// isochore over a list of values (see value_range.hpp). Every row is a full result of
// calculate_state, in the units and on the reference state of the options, exactly what the
// single request at that row's values gives. A row outside the domain stays in the table with
// its status and refusal; where an isotherm or an isobar crosses the saturation line, the
// saturated states are inserted at the crossing in the order of the table.

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "zeltra5/calculation.hpp"

namespace zeltra5 {

enum class TableKind : int {
    saturation_temperature = 0,  // ts-liquid and ts-vapour at each temperature
    saturation_pressure = 1,     // ps-liquid and ps-vapour at each pressure
    isotherm = 2,                // p-t at each pressure, the temperature fixed
    isobar = 3,                  // p-t at each temperature, the pressure fixed
    isochore = 4,                // t-rho at each temperature, the density fixed
};

enum class RowKind : int {
    point = 0,             // the state at one of the given values
    saturated_liquid = 1,  // a row of a saturation table, or inserted at a crossing
    saturated_vapour = 2,
};

struct TableRow {
    RowKind kind;
    bool inserted;  // a saturated state at an isotherm's or isobar's crossing
    double value;   // the varied value of this row, in the options' units (for an inserted row
                    // the saturation pressure or temperature as its state shows it)
    StateResult state;
};

struct PropertyTable {
    TableKind kind;
    double fixed;  // the temperature, pressure or density held; NaN for a saturation table
    CalcOptions options;
    std::vector<TableRow> rows;
};

// A kind of table by its names on every interface, what it takes and what it holds. The
// command line and Python name a table by `name` and its arguments (`fixed`=VALUE,
// `varied`=RANGE); the two saturation tables share the name and are told apart by the argument
// given. The C library and the Excel module name each kind by `c_name`, the Python module by
// `core_name`.
struct TableKindInfo {
    TableKind kind;
    const char* name;       // also the JSON output's "table"
    const char* c_name;     // "saturation-t", ...
    const char* core_name;  // "saturation_temperature", ...
    const char* fixed;      // the argument of the value held; nullptr for the saturation tables
    const char* varied;     // the argument of the values
    int fixed_field;        // a FIELD_ index; -1 for the saturation tables
    int varied_field;
    const char* title[2];     // the text table's title by Language
    const char* description;  // what each row holds, as the C header says it
};

inline constexpr int TABLE_KIND_COUNT = 5;
// In the order of TableKind.
extern const TableKindInfo TABLE_KINDS[TABLE_KIND_COUNT];

const TableKindInfo& table_kind_info(TableKind kind);

// Which of a kind's names a surface uses.
enum class TableKindNaming { shared, c, core };

// The first kind of that name (exact), or nullptr. By the shared name this is the saturation
// table by temperature for "saturation".
const TableKindInfo* find_table_kind(std::string_view name, TableKindNaming naming);

// The different names in the order of TableKind, joined by ", ": "saturation, isotherm, isobar,
// isochore" or "saturation-t, saturation-p, isotherm, isobar, isochore".
std::string table_kind_names(TableKindNaming naming);

// The result field a table varies (FIELD_TEMPERATURE or FIELD_PRESSURE) and the one it holds
// (-1 for the saturation tables).
int table_varied_field(TableKind kind);
int table_fixed_field(TableKind kind);

// "saturation", "isotherm", "isobar", "isochore" (the saturation tables share a name).
const char* table_kind_name(TableKind kind);
const char* row_kind_name(RowKind kind);  // "point", "liquid", "vapour"

// Builds the table of `values` (ascending or descending). The superheat option applies to the
// isotherm, isobar and isochore points (not to the saturated rows); a saturation table with it
// has every row refused as calculate_state refuses it. When `cancel` is given and becomes true
// (set from another thread), the table stops after the row in hand and holds only the rows so far.
PropertyTable build_property_table(TableKind kind, double fixed, const std::vector<double>& values,
                                   const CalcOptions& options,
                                   const std::atomic<bool>* cancel = nullptr);

}  // namespace zeltra5
