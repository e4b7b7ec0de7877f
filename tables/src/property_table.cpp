// Property tables over a list of values, through calculate_state.

#include "zeltra5/property_table.hpp"

#include <limits>

namespace zeltra5 {
namespace {

const ArgPair& pair(const char* name) {
    return *find_arg_pair(name);
}

TableRow row(const RowKind kind, const bool inserted, const double value) {
    TableRow r;
    r.kind = kind;
    r.inserted = inserted;
    r.value = value;
    return r;
}

void add_saturation_rows(const ArgPair& liquid, const ArgPair& vapour, const double value,
                         const CalcOptions& options, std::vector<TableRow>& rows) {
    rows.push_back(row(RowKind::saturated_liquid, false, value));
    calculate_state(liquid, value, 0.0, options, rows.back().state);
    rows.push_back(row(RowKind::saturated_vapour, false, value));
    calculate_state(vapour, value, 0.0, options, rows.back().state);
}

// The saturated liquid and vapour where the line of `fixed` meets the saturation line, by the
// held temperature (isotherm) or pressure (isobar); status 1 when it does not.
struct Crossing {
    StateResult liquid;
    StateResult vapour;
    double value;  // the varied value there: saturation pressure or temperature
    bool exists;
};

Crossing find_crossing(const TableKind kind, const double fixed, const CalcOptions& options) {
    Crossing c;
    CalcOptions saturated = options;
    saturated.superheat = false;
    const bool isotherm = kind == TableKind::isotherm;
    calculate_state(pair(isotherm ? "ts-liquid" : "ps-liquid"), fixed, 0.0, saturated, c.liquid);
    calculate_state(pair(isotherm ? "ts-vapour" : "ps-vapour"), fixed, 0.0, saturated, c.vapour);
    c.exists = c.liquid.status == STATUS_VALID && c.vapour.status == STATUS_VALID;
    // An isotherm meets the line at the vapour's pressure; an isobar at the liquid's
    // temperature (both ends of the line hold the given value itself).
    c.value =
        c.exists ? (isotherm ? c.vapour.values[FIELD_PRESSURE] : c.liquid.values[FIELD_TEMPERATURE])
                 : 0.0;
    return c;
}

}  // namespace

int table_varied_field(const TableKind kind) {
    return table_kind_info(kind).varied_field;
}

int table_fixed_field(const TableKind kind) {
    return table_kind_info(kind).fixed_field;
}

const char* table_kind_name(const TableKind kind) {
    return table_kind_info(kind).name;
}

const char* row_kind_name(const RowKind kind) {
    switch (kind) {
        case RowKind::saturated_liquid:
            return "liquid";
        case RowKind::saturated_vapour:
            return "vapour";
        default:
            return "point";
    }
}

PropertyTable build_property_table(const TableKind kind, const double fixed,
                                   const std::vector<double>& values, const CalcOptions& options,
                                   const std::atomic<bool>* cancel) {
    const auto cancelled = [cancel] {
        return cancel != nullptr && cancel->load(std::memory_order_relaxed);
    };
    PropertyTable table;
    table.kind = kind;
    table.options = options;
    table.fixed = table_fixed_field(kind) < 0 ? std::numeric_limits<double>::quiet_NaN() : fixed;
    std::vector<TableRow>& rows = table.rows;
    switch (kind) {
        case TableKind::saturation_temperature:
        case TableKind::saturation_pressure: {
            const bool by_t = kind == TableKind::saturation_temperature;
            rows.reserve(2 * values.size());
            for (const double v : values) {
                if (cancelled()) {
                    return table;
                }
                add_saturation_rows(pair(by_t ? "ts-liquid" : "ps-liquid"),
                                    pair(by_t ? "ts-vapour" : "ps-vapour"), v, options, rows);
            }
            return table;
        }
        case TableKind::isochore:
            rows.reserve(values.size());
            for (const double v : values) {
                if (cancelled()) {
                    return table;
                }
                rows.push_back(row(RowKind::point, false, v));
                calculate_state(pair("t-rho"), v, fixed, options, rows.back().state);
            }
            return table;
        case TableKind::isotherm:
        case TableKind::isobar:
            break;
    }
    const bool isotherm = kind == TableKind::isotherm;
    const Crossing crossing = find_crossing(kind, fixed, options);
    rows.reserve(values.size() + 2);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (cancelled()) {
            return table;
        }
        const double v = values[i];
        if (crossing.exists && i > 0) {
            // Between the previous value and this one, or at this one. Rising pressure on an
            // isotherm goes from vapour to liquid, rising temperature on an isobar the other way.
            const double a = values[i - 1];
            const double s = crossing.value;
            const bool up = a < s && s <= v;
            const bool down = a > s && s >= v;
            if (up || down) {
                const bool liquid_first = isotherm ? down : up;
                const StateResult& first = liquid_first ? crossing.liquid : crossing.vapour;
                const StateResult& second = liquid_first ? crossing.vapour : crossing.liquid;
                for (const StateResult* s_row : {&first, &second}) {
                    const RowKind k = s_row == &crossing.liquid ? RowKind::saturated_liquid
                                                                : RowKind::saturated_vapour;
                    rows.push_back(row(k, true, s_row->values[table_varied_field(kind)]));
                    rows.back().state = *s_row;
                }
            }
        }
        rows.push_back(row(RowKind::point, false, v));
        calculate_state(pair("p-t"), isotherm ? v : fixed, isotherm ? fixed : v, options,
                        rows.back().state);
    }
    return table;
}

}  // namespace zeltra5
