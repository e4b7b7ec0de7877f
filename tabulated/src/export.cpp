// OpenFOAM's uniform p-T tables from the equation: one file per property, and a physicalProperties
// dictionary that reads them.

#include <cmath>
#include <cstddef>
#include <limits>
#include <string_view>

#include "zeltra5/calc.hpp"
#include "zeltra5/calculation.hpp"
#include "zeltra5/format_shortest.hpp"
#include "zeltra5/models.hpp"
#include "zeltra5/quantities.hpp"
#include "zeltra5/tabulated_export.hpp"

namespace zeltra5::tabulated {

const OpenFoamField OPENFOAM_FIELDS[OPENFOAM_FIELD_COUNT] = {
    {"rho", FIELD_DENSITY, "kg/m3"},
    {"hs", FIELD_ENTHALPY, "J/kg"},
    {"es", FIELD_INTERNAL_ENERGY, "J/kg"},
    {"Cp", FIELD_CP, "J/(kg K)"},
    {"Cv", FIELD_CV, "J/(kg K)"},
    {"mu", FIELD_DYNAMIC_VISCOSITY, "Pa s"},
    {"kappa", FIELD_CONDUCTIVITY, "W/(m K)"},
};

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

void append_number(std::string& out, const double value) {
    char text[SHORTEST_TEXT_SIZE];
    out.append(text, format_shortest(text, value));
}

std::string number_string(const double value) {
    std::string s;
    append_number(s, value);
    return s;
}

double node(const double low, const double high, const int count, const int i) {
    // The last node is the high end exactly, as the tool computes its spacing from the two ends.
    return i == count - 1 ? high : low + (high - low) * i / (count - 1);
}

// Fills the NaN of one field's values (p_count rows of t_count) as export_openfoam says; answers
// how many it filled, -1 when none has a value.
long long fill_gaps(std::vector<double>& v, const int rows, const int columns) {
    long long filled = 0;
    std::vector<bool> row_has(static_cast<std::size_t>(rows), false);
    for (int i = 0; i < rows; ++i) {
        double* row = v.data() + static_cast<std::size_t>(i) * columns;
        // The nearest node with a value on either side, from two sweeps.
        std::vector<int> left(static_cast<std::size_t>(columns), -1);
        std::vector<int> right(static_cast<std::size_t>(columns), -1);
        for (int j = 0, last = -1; j < columns; ++j) {
            last = std::isnan(row[j]) ? last : j;
            left[static_cast<std::size_t>(j)] = last;
        }
        for (int j = columns - 1, last = -1; j >= 0; --j) {
            last = std::isnan(row[j]) ? last : j;
            right[static_cast<std::size_t>(j)] = last;
        }
        if (left[static_cast<std::size_t>(columns - 1)] < 0) {
            continue;  // no value on this isobar
        }
        row_has[static_cast<std::size_t>(i)] = true;
        for (int j = 0; j < columns; ++j) {
            if (!std::isnan(row[j])) {
                continue;
            }
            const int a = left[static_cast<std::size_t>(j)];
            const int b = right[static_cast<std::size_t>(j)];
            const int from = b < 0 || (a >= 0 && j - a <= b - j) ? a : b;
            row[j] = row[from];
            ++filled;
        }
    }
    int nearest_below = -1;
    std::vector<int> below(static_cast<std::size_t>(rows), -1);
    for (int i = 0; i < rows; ++i) {
        nearest_below = row_has[static_cast<std::size_t>(i)] ? i : nearest_below;
        below[static_cast<std::size_t>(i)] = nearest_below;
    }
    if (nearest_below < 0) {
        return -1;
    }
    for (int i = rows - 1, above = -1; i >= 0; --i) {
        if (row_has[static_cast<std::size_t>(i)]) {
            above = i;
            continue;
        }
        const int a = below[static_cast<std::size_t>(i)];
        const int from = above < 0 || (a >= 0 && i - a <= above - i) ? a : above;
        for (int j = 0; j < columns; ++j) {
            v[static_cast<std::size_t>(i) * columns + j] =
                v[static_cast<std::size_t>(from) * columns + j];
        }
        filled += columns;
    }
    return filled;
}

std::string field_file(const OpenFoamGrid& g, const OpenFoamField& f, const std::vector<double>& v,
                       const long long filled) {
    std::string out;
    out.reserve(v.size() * 24 + 512);
    out += "// ";
    out += f.name;
    out += ": ";
    out += RESULT_VALUE_NAMES[f.field];
    out += " [";
    out += f.unit;
    out += "] of ammonia, model ";
    out += MODELS[g.model].name;
    out += ", zeltra5 ";
    out += library_version();
    out +=
        ".\n// A uniform table: rows along pressure [Pa] from low to high, columns along\n"
        "// temperature [K] from low to high.\n// ";
    out += std::to_string(filled);
    out +=
        " values filled in: nodes outside the domain, or without this property there, take\n"
        "// the value of the nearest node of their isobar (or of the nearest isobar) that has"
        " one.\n";
    out += "low  (";
    append_number(out, g.p_low);
    out += ' ';
    append_number(out, g.t_low);
    out += ");\nhigh (";
    append_number(out, g.p_high);
    out += ' ';
    append_number(out, g.t_high);
    out += ");\nvalues\n";
    out += std::to_string(g.p_count);
    out += ' ';
    out += std::to_string(g.t_count);
    out += "\n(\n";
    for (int i = 0; i < g.p_count; ++i) {
        out += '(';
        for (int j = 0; j < g.t_count; ++j) {
            if (j > 0) {
                out += ' ';
            }
            append_number(out, v[static_cast<std::size_t>(i) * g.t_count + j]);
        }
        out += ")\n";
    }
    out += ");\n";
    return out;
}

std::string properties_file(const OpenFoamGrid& g, const OpenFoamExport& e) {
    std::string out =
        "FoamFile\n{\n    format      ascii;\n    class       dictionary;\n"
        "    location    \"constant\";\n    object      physicalProperties;\n}\n\n";
    out += "// Ammonia, model ";
    out += MODELS[g.model].name;
    out += " (zeltra5 ";
    out += library_version();
    out += "): uniform tables over p = ";
    append_number(out, g.p_low);
    out += " .. ";
    append_number(out, g.p_high);
    out += " Pa (" + std::to_string(g.p_count) + " nodes), T = ";
    append_number(out, g.t_low);
    out += " .. ";
    append_number(out, g.t_high);
    out += " K (" + std::to_string(g.t_count) + " nodes); ";
    out += std::to_string(e.refused);
    out += " of the " + std::to_string(e.nodes) + " nodes lie outside the domain;\n// " +
           std::to_string(e.crossing) +
           " isobars cross the saturation line, where the tables jump from liquid to vapour.\n"
           "// h and u on the reference h = s = 0 for the saturated liquid at the triple point.\n\n"
           "thermoType\n{\n    type            heRhoThermo;\n    mixture         pureMixture;\n"
           "    transport       tabulated;\n    thermo          hTabulated;\n"
           "    equationOfState rhoTabulated;\n    specie          specie;\n"
           "    energy          sensibleEnthalpy;\n}\n\nmixture\n{\n    specie\n    {\n"
           "        molWeight   ";
    append_number(out, MODELS[g.model].molar_mass * 1000.0);
    out +=
        ";\n    }\n    equationOfState\n    {\n"
        "        rho   { type uniformTable; #include \"rho\" }\n    }\n"
        "    thermodynamics\n    {\n        hf    0;\n        sf    0;\n"
        "        hs    { type uniformTable; #include \"hs\" }\n"
        "        Cp    { type uniformTable; #include \"Cp\" }\n"
        "        Cv    { type uniformTable; #include \"Cv\" }\n    }\n"
        "    transport\n    {\n        mu    { type uniformTable; #include \"mu\" }\n"
        "        kappa { type uniformTable; #include \"kappa\" }\n    }\n}\n";
    return out;
}

}  // namespace

std::string check_openfoam_grid(const OpenFoamGrid& g) {
    if (!is_model_index(g.model)) {
        return "unknown model";
    }
    struct Axis {
        const char* name;
        const char* unit;
        double low, high;
        int count;
    };
    const Axis axes[2] = {{"pressure", "Pa", g.p_low, g.p_high, g.p_count},
                          {"temperature", "K", g.t_low, g.t_high, g.t_count}};
    for (const Axis& a : axes) {
        if (!std::isfinite(a.low) || !std::isfinite(a.high) || a.low <= 0) {
            return std::string("the ") + a.name + " range must be positive finite numbers";
        }
        if (!(a.high > a.low)) {
            return std::string("the ") + a.name + " range is empty: " + number_string(a.high) +
                   " " + a.unit + " is not above " + number_string(a.low) + " " + a.unit;
        }
        if (a.count < 2) {
            return std::string("the ") + a.name + " needs 2 nodes or more, not " +
                   std::to_string(a.count);
        }
    }
    if (static_cast<long long>(g.p_count) * g.t_count > OPENFOAM_MAX_NODES) {
        return "the grid has " + std::to_string(static_cast<long long>(g.p_count) * g.t_count) +
               " nodes, more than " + std::to_string(OPENFOAM_MAX_NODES);
    }
    return {};
}

OpenFoamExport export_openfoam(const OpenFoamGrid& g) {
    OpenFoamExport e;
    e.problem = check_openfoam_grid(g);
    if (!e.problem.empty()) {
        return e;
    }
    const std::size_t n = static_cast<std::size_t>(g.p_count) * static_cast<std::size_t>(g.t_count);
    e.nodes = static_cast<long long>(n);
    std::vector<std::vector<double>> values(OPENFOAM_FIELD_COUNT, std::vector<double>(n, NaN));
    double empty_isobar = NaN;  // the first isobar without a node inside the domain
    bool any_inside = false;
    for (int i = 0; i < g.p_count; ++i) {
        const double p = node(g.p_low, g.p_high, g.p_count, i);
        int last_phase = -1;  // of the last node of the isobar inside the domain
        bool crosses = false;
        bool inside = false;  // some node of the isobar is inside the domain
        for (int j = 0; j < g.t_count; ++j) {
            const double T = node(g.t_low, g.t_high, g.t_count, j);
            const CalcRequest request{MODE_PRESSURE_TEMPERATURE, SIDE_NONE, p, T - KELVIN_OFFSET};
            PropertyResult r{};
            Refusal why;
            if (calculate_request(g.model, request, r, why) != 0) {
                ++e.refused;
                continue;
            }
            inside = true;
            crosses = crosses || (last_phase == PHASE_LIQUID && r.phase != PHASE_LIQUID);
            last_phase = r.phase;
            const ResultValues all = result_values(r);
            const std::size_t at = static_cast<std::size_t>(i) * g.t_count + j;
            for (int k = 0; k < OPENFOAM_FIELD_COUNT; ++k) {
                const int field = OPENFOAM_FIELDS[k].field;
                if (result_field_defined(r.phase, r.phase_detail, field)) {
                    values[k][at] = all.value[field];
                }
            }
        }
        e.crossing += crosses;
        if (!inside && std::isnan(empty_isobar)) {
            empty_isobar = p;
        }
        any_inside = any_inside || inside;
    }
    if (any_inside && !std::isnan(empty_isobar)) {
        // The isobar would be copied from its neighbour: a table that looks complete but does
        // not depend on the pressure there. The grid is refused instead.
        std::string at;
        append_number(at, empty_isobar);
        e.problem = "no node of the isobar at " + at +
                    " Pa lies inside the domain (the grid's pressures reach beyond it)";
        return e;
    }
    for (int k = 0; k < OPENFOAM_FIELD_COUNT; ++k) {
        const long long filled = fill_gaps(values[k], g.p_count, g.t_count);
        if (filled < 0) {
            e.problem = std::string("no node of the grid has a value of ") +
                        RESULT_VALUE_NAMES[OPENFOAM_FIELDS[k].field] +
                        " (the grid lies outside the domain)";
            e.files.clear();
            return e;
        }
        e.filled[k] = filled;
        e.files.push_back(
            {OPENFOAM_FIELDS[k].name, field_file(g, OPENFOAM_FIELDS[k], values[k], filled)});
    }
    e.files.push_back({"physicalProperties", properties_file(g, e)});
    return e;
}

}  // namespace zeltra5::tabulated
