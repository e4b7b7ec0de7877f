// The C interface's tables, cycle and diagrams: the library's bytes and numbers bit for bit,
// malformed requests refused without a write into the caller's storage, texts cut at the
// buffer's size.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "zeltra5.h"
#include "zeltra5/chart.hpp"
#include "zeltra5/chart_svg.hpp"
#include "zeltra5/property_table.hpp"
#include "zeltra5/refrigeration_cycle.hpp"
#include "zeltra5/table_csv.hpp"
#include "zeltra5/value_range.hpp"

namespace zeltra5 {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double CANARY = -12345.678;

bool same_bits(const double a, const double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A text function called with the room the text needs.
template <typename F>
std::string whole_text(F f) {
    const int length = f(nullptr, 0);
    if (length < 0) {
        return "<-1>";
    }
    std::string text(static_cast<std::size_t>(length) + 1, '#');
    EXPECT_EQ(f(text.data(), length + 1), length);
    EXPECT_EQ(text.back(), '\0');
    text.pop_back();
    return text;
}

// The same text at every size from 0 to `step` past its end in steps: the prefix that fits, cut
// before a continuation byte, the whole length answered, nothing written past the size.
template <typename F>
void cut_at_every_size(F f, const std::string& whole, const int step) {
    const int length = static_cast<int>(whole.size());
    for (int size = 0; size <= length + 1; size += size < 40 ? 1 : step) {
        SCOPED_TRACE(size);
        std::vector<char> storage(static_cast<std::size_t>(size) + 1, '#');
        EXPECT_EQ(f(storage.data(), size), length);
        EXPECT_EQ(storage.back(), '#');
        if (size == 0) {
            continue;
        }
        const std::string kept(storage.data());
        EXPECT_LT(kept.size(), static_cast<std::size_t>(size));
        EXPECT_EQ(whole.compare(0, kept.size(), kept), 0);
        EXPECT_TRUE(kept.size() == whole.size() ||
                    (static_cast<unsigned char>(whole[kept.size()]) & 0xC0) != 0x80);
        EXPECT_GE(kept.size() + 4, std::min<std::size_t>(whole.size(), size - 1));
    }
}

struct TableCase {
    const char* kind;
    double fixed;
    const char* values;
    const char* options;
    TableKind library_kind;
    CalcOptions library;
    Language language;
};

const CalcOptions SI{SI_UNITS, ReferenceState::program, false};
const CalcOptions DISPLAY{DISPLAY_UNITS, ReferenceState::program, false};

const TableCase TABLES[] = {
    {"saturation-t", NaN, "-70:130:5", "units=display;lang=ru", TableKind::saturation_temperature,
     DISPLAY, Language::russian},
    {"saturation-p",
     0.0,
     "1:100:*1.5",
     "units=display;reference=iir",
     TableKind::saturation_pressure,
     {DISPLAY_UNITS, ReferenceState::iir, false},
     Language::english},
    {"isotherm", 25.0, "1:100:*1.5", "", TableKind::isotherm, SI, Language::english},
    {"isotherm", 25.0, "1e5:2e6:1e5", nullptr, TableKind::isotherm, SI, Language::english},
    {"isobar", 10.0, "-80:500:20", "units=display;lang=ru", TableKind::isobar, DISPLAY,
     Language::russian},
    {"isobar",
     10.0,
     "20,30,40",
     "units=display;superheat=1",
     TableKind::isobar,
     {DISPLAY_UNITS, ReferenceState::program, true},
     Language::english},
    {"isochore",
     600.0,
     "-70:140:10",
     "units=display;reference=ashrae",
     TableKind::isochore,
     {DISPLAY_UNITS, ReferenceState::ashrae, false},
     Language::english},
};

PropertyTable library_table(const TableCase& c) {
    std::vector<double> values;
    EXPECT_EQ(parse_value_range(c.values, values), RangeError::none);
    return build_property_table(c.library_kind, c.fixed, values, c.library);
}

// The CSV is the library's writer's, byte for byte, and is cut as every text is.
TEST(CInterfaceTables, CsvIsTheLibrarysTable) {
    for (const TableCase& c : TABLES) {
        SCOPED_TRACE(std::string(c.kind) + " " + c.values);
        const auto csv = [&](char* b, int n) {
            return zeltra5_table_csv(c.kind, c.fixed, c.values, c.options, b, n);
        };
        const std::string text = whole_text(csv);
        EXPECT_EQ(text, property_table_csv(library_table(c), c.language));
        EXPECT_EQ(whole_text([&](char* b, int n) {
                      return zeltra5_explain_table(c.kind, c.fixed, c.values, c.options, b, n);
                  }),
                  "");
        if (&c == &TABLES[0]) {
            cut_at_every_size(csv, text, 97);
        }
    }
}

// The numbers are the rows' results bit for bit, in the header's columns; too little room is a
// bad argument that writes nothing but tells the number of rows.
TEST(CInterfaceTables, ValuesAreTheLibrarysRows) {
    for (const TableCase& c : TABLES) {
        SCOPED_TRACE(std::string(c.kind) + " " + c.values);
        const PropertyTable table = library_table(c);
        const int n = static_cast<int>(table.rows.size());
        int rows = -1;
        std::vector<double> out(static_cast<std::size_t>(n) * ZELTRA5_TABLE_COLUMNS + 1, CANARY);
        EXPECT_EQ(zeltra5_table_values(c.kind, c.fixed, c.values, c.options, out.data(),
                                       n * ZELTRA5_TABLE_COLUMNS - 1, &rows),
                  ZELTRA5_BAD_ARGUMENT);
        EXPECT_EQ(rows, n);
        EXPECT_EQ(out.front(), CANARY);
        EXPECT_EQ(zeltra5_table_values(c.kind, c.fixed, c.values, c.options, nullptr, 0, &rows),
                  ZELTRA5_BAD_ARGUMENT);
        EXPECT_EQ(rows, n);
        bool any_valid = false;
        for (const TableRow& row : table.rows) {
            any_valid = any_valid || row.state.status == STATUS_VALID;
        }
        EXPECT_EQ(zeltra5_table_values(c.kind, c.fixed, c.values, c.options, out.data(),
                                       n * ZELTRA5_TABLE_COLUMNS, &rows),
                  any_valid ? ZELTRA5_VALID : ZELTRA5_OUTSIDE_DOMAIN);
        EXPECT_EQ(out.back(), CANARY);
        for (int i = 0; i < n; ++i) {
            const TableRow& row = table.rows[static_cast<std::size_t>(i)];
            const double* v = out.data() + i * ZELTRA5_TABLE_COLUMNS;
            const bool valid = row.state.status == STATUS_VALID;
            EXPECT_EQ(v[0], static_cast<int>(row.kind));
            EXPECT_EQ(v[1], row.state.status);
            EXPECT_TRUE(same_bits(v[2], row.value));
            EXPECT_EQ(v[3], valid ? row.state.phase : ZELTRA5_NO_PHASE);
            EXPECT_EQ(v[4], valid ? row.state.phase_detail : ZELTRA5_NO_PHASE);
            for (int k = 0; k < ZELTRA5_FIELD_COUNT; ++k) {
                const double expected = valid ? row.state.values[k] : NaN;
                EXPECT_TRUE(same_bits(v[ZELTRA5_TABLE_FIELD_COLUMN + k], expected) ||
                            (std::isnan(expected) && std::isnan(v[ZELTRA5_TABLE_FIELD_COLUMN + k])))
                    << "row " << i << " field " << k;
            }
        }
    }
}

// A malformed request is refused by every table function alike, with its reason.
TEST(CInterfaceTables, MalformedTablesAreBadArguments) {
    struct Case {
        const char* kind;
        double fixed;
        const char* values;
        const char* options;
        const char* words;
    };
    const Case cases[] = {
        {nullptr, 25.0, "1:10:1", nullptr, "no kind of table"},
        {"saturation", 25.0, "1:10:1", nullptr, "unknown kind of table \"saturation\""},
        {"isotherm", NaN, "1:10:1", nullptr, "not a finite number"},
        {"isotherm", 25.0, nullptr, nullptr, "no range"},
        {"isotherm", 25.0, "0:10:0", nullptr, "range \"0:10:0\": the step is zero"},
        {"isotherm", 25.0, "1:10", nullptr, "range \"1:10\""},
        {"isobar", 10.0, "0:1e9:0.001", nullptr, "range \"0:1e9:0.001\""},
        {"saturation-t", 0.0, "-70:130:5", "superheat=1", "\"superheat\" does not apply"},
        {"isotherm", 25.0, "1:10:1", "units=bar", "bad value \"bar\" of option \"units\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words);
        char text[8] = "#######";
        EXPECT_EQ(zeltra5_table_csv(c.kind, c.fixed, c.values, c.options, text, sizeof text), -1);
        EXPECT_STREQ(text, "");
        double out[ZELTRA5_TABLE_COLUMNS] = {CANARY};
        int rows = -1;
        EXPECT_EQ(zeltra5_table_values(c.kind, c.fixed, c.values, c.options, out,
                                       ZELTRA5_TABLE_COLUMNS, &rows),
                  ZELTRA5_BAD_ARGUMENT);
        EXPECT_EQ(rows, 0);
        EXPECT_EQ(out[0], CANARY);
        const std::string why = whole_text([&](char* b, int n) {
            return zeltra5_explain_table(c.kind, c.fixed, c.values, c.options, b, n);
        });
        EXPECT_NE(why.find(c.words), std::string::npos) << why;
    }
    char text[4] = "###";
    EXPECT_EQ(zeltra5_table_csv("isotherm", 25.0, "1,2", nullptr, nullptr, 4), -1);
    EXPECT_EQ(zeltra5_table_csv("isotherm", 25.0, "1,2", nullptr, text, -1), -1);
    EXPECT_STREQ(text, "###");
}

// A range is echoed as every other text the caller gives: cut, with what is not printable
// UTF-8 replaced, however long or strange it is.
TEST(CInterfaceTables, RangeEchoedCutAndClean) {
    const struct {
        std::string values;
        std::string words;
    } cases[] = {
        {"1:\xFF\x01:2", "range \"1:??:2\": a value is not a number"},
        {std::string("1:2\0", 4), "range \"1:2\""},  // the C string ends at the NUL
        {std::string(1 << 20, '7') + ":x", "range \"" + std::string(40, '7') + "...\""},
        {"1,2,\xD0\x9F\xD0", "range \"1,2,П?\""},
    };
    for (const auto& c : cases) {
        const std::string why = whole_text([&](char* b, int n) {
            return zeltra5_explain_table("isotherm", 25.0, c.values.c_str(), nullptr, b, n);
        });
        EXPECT_EQ(why.rfind(c.words, 0), 0u) << why;
        EXPECT_LT(why.size(), 200u);
        for (const char ch : why) {
            EXPECT_GE(static_cast<unsigned char>(ch), 0x20u) << why;
        }
    }
}

struct CycleCase {
    CycleInput input;
    const char* options;
    CalcOptions library;
};

// The cycle is the library's, figures and states bit for bit (NaN throughout for a refusal),
// with the library's words for why not.
TEST(CInterfaceTables, CycleIsTheLibrarys) {
    const CycleCase cases[] = {
        {{-10.0, 35.0, 5.0, 0.0, 0.75, 100.0}, "units=display", DISPLAY},
        {{-10.0, 35.0, 0.0, 3.0, 1.0, 0.0}, nullptr, SI},
        {{-40.0, 20.0, 10.0, 5.0, 0.6, 25.0},
         "units=display;reference=iir;lang=ru",
         {DISPLAY_UNITS, ReferenceState::iir, false}},
        {{-10.0, 140.0, 0.0, 0.0, 1.0, 0.0}, "units=display", DISPLAY},  // above critical
        {{30.0, 20.0, 0.0, 0.0, 1.0, 0.0}, "", SI},                      // t0 above tc
        {{-10.0, 35.0, 0.0, 0.0, 1.5, 0.0}, "", SI},                     // efficiency
    };
    for (const CycleCase& c : cases) {
        const CycleInput& i = c.input;
        SCOPED_TRACE(i.condensing_temperature);
        CycleResult expected;
        const int status = calculate_cycle(i, c.library, expected);
        double figures[ZELTRA5_CYCLE_FIGURE_COUNT];
        double states[ZELTRA5_CYCLE_STATE_VALUES];
        EXPECT_EQ(zeltra5_cycle(i.evaporating_temperature, i.condensing_temperature, i.superheat,
                                i.subcooling, i.efficiency, i.capacity, c.options, figures,
                                ZELTRA5_CYCLE_FIGURE_COUNT, states, ZELTRA5_CYCLE_STATE_VALUES),
                  status);
        const bool valid = status == STATUS_VALID;
        for (int k = 0; k < ZELTRA5_CYCLE_FIGURE_COUNT; ++k) {
            EXPECT_TRUE(valid ? same_bits(figures[k], expected.figures[k]) ||
                                    (std::isnan(figures[k]) && std::isnan(expected.figures[k]))
                              : std::isnan(figures[k]));
        }
        for (int k = 0; k < ZELTRA5_CYCLE_STATE_VALUES; ++k) {
            const double e =
                expected.states[k / ZELTRA5_FIELD_COUNT].values[k % ZELTRA5_FIELD_COUNT];
            EXPECT_TRUE(valid ? same_bits(states[k], e) || (std::isnan(states[k]) && std::isnan(e))
                              : std::isnan(states[k]));
        }
        // Only the figures, as a spreadsheet cell asks.
        double cop = CANARY;
        double few[ZELTRA5_CYCLE_FIGURE_COUNT];
        EXPECT_EQ(zeltra5_cycle(i.evaporating_temperature, i.condensing_temperature, i.superheat,
                                i.subcooling, i.efficiency, i.capacity, c.options, few,
                                ZELTRA5_CYCLE_FIGURE_COUNT, nullptr, 0),
                  status);
        cop = few[CYCLE_COP];
        EXPECT_TRUE(same_bits(cop, figures[CYCLE_COP]) || (std::isnan(cop) && !valid));
        const std::string why = whole_text([&](char* b, int n) {
            return zeltra5_explain_cycle(i.evaporating_temperature, i.condensing_temperature,
                                         i.superheat, i.subcooling, i.efficiency, i.capacity,
                                         c.options, b, n);
        });
        char words[1024];
        describe_cycle_refusal(expected,
                               c.options != nullptr && std::strstr(c.options, "lang=ru")
                                   ? Language::russian
                                   : Language::english,
                               words, sizeof words);
        EXPECT_EQ(why, valid ? std::string() : std::string(words));
    }
}

// Storage too small, values that are no numbers and bad options write nothing.
TEST(CInterfaceTables, CycleBadArgumentsWriteNothing) {
    struct Case {
        double t0, superheat;
        const char* options;
        int figure_count, state_count;
        bool figures_null, states_null;
    };
    const Case cases[] = {
        {NaN, 0.0, nullptr, 14, 76, false, false},
        {-10.0, std::numeric_limits<double>::infinity(), nullptr, 14, 76, false, false},
        {-10.0, 0.0, "superheat=1", 14, 76, false, false},
        {-10.0, 0.0, "lang=de", 14, 76, false, false},
        {-10.0, 0.0, nullptr, 13, 76, false, false},
        {-10.0, 0.0, nullptr, 14, 75, false, false},
        {-10.0, 0.0, nullptr, 14, 76, true, false},
        {-10.0, 0.0, nullptr, 14, 76, false, true},
    };
    for (const Case& c : cases) {
        std::vector<double> figures(15, CANARY);
        std::vector<double> states(77, CANARY);
        EXPECT_EQ(zeltra5_cycle(c.t0, 35.0, c.superheat, 0.0, 1.0, 0.0, c.options,
                                c.figures_null ? nullptr : figures.data(), c.figure_count,
                                c.states_null ? nullptr : states.data(), c.state_count),
                  ZELTRA5_BAD_ARGUMENT);
        for (const double v : figures) {
            EXPECT_EQ(v, CANARY);
        }
        for (const double v : states) {
            EXPECT_EQ(v, CANARY);
        }
    }
    EXPECT_NE(whole_text([](char* b, int n) {
                  return zeltra5_explain_cycle(NaN, 35.0, 0.0, 0.0, 1.0, 0.0, nullptr, b, n);
              }).find("not a finite number"),
              std::string::npos);
}

// Names and units of the figures and of the result table's rows are the library's.
TEST(CInterfaceTables, NamesAreTheLibrarys) {
    ASSERT_EQ(zeltra5_cycle_figure_count(), CYCLE_FIGURE_COUNT);
    for (int k = -1; k <= CYCLE_FIGURE_COUNT; ++k) {
        const bool inside = k >= 0 && k < CYCLE_FIGURE_COUNT;
        const char* name = zeltra5_cycle_figure_name(k);
        EXPECT_EQ(name == nullptr, !inside);
        const char* unit = zeltra5_cycle_figure_unit(k, "units=si;lang=ru");
        EXPECT_EQ(unit == nullptr, !inside);
        if (inside) {
            EXPECT_STREQ(name, CYCLE_FIGURES[k].name);
            EXPECT_EQ(std::string(unit), cycle_figure_unit(k, SI_UNITS, Language::russian));
        }
    }
    EXPECT_EQ(zeltra5_cycle_figure_unit(0, "units=none"), nullptr);
    ASSERT_EQ(zeltra5_table_row_count(), TABLE_ROW_COUNT);
    for (int row = -1; row <= TABLE_ROW_COUNT; ++row) {
        const bool inside = row >= 0 && row < TABLE_ROW_COUNT;
        EXPECT_EQ(zeltra5_table_row_field(row), inside ? table_row_field(row) : -1);
        for (const Language l : {Language::english, Language::russian}) {
            const char* name =
                zeltra5_table_row_name(row, l == Language::english ? nullptr : "lang=ru");
            ASSERT_EQ(name == nullptr, !inside);
            if (inside) {
                EXPECT_EQ(std::string(name), table_row_name(row, l));
            }
        }
    }
    EXPECT_EQ(zeltra5_table_row_field(0), -1);
    EXPECT_EQ(zeltra5_table_row_name(1, "lang"), nullptr);
}

struct DiagramCase {
    const char* type;
    const char* pair;
    double first, second;
    const char* options;
    int status;  // of the marker's place
};

ChartOptions library_chart(const DiagramCase& c) {
    ChartOptions o;
    o.type = std::strcmp(c.type, "ph") == 0 ? ChartType::pressure_enthalpy
                                            : ChartType::temperature_entropy;
    const bool si = c.options == nullptr || std::strstr(c.options, "display") == nullptr;
    o.calc = si ? SI : DISPLAY;
    o.language = c.options != nullptr && std::strstr(c.options, "lang=ru") ? Language::russian
                                                                           : Language::english;
    if (c.pair != nullptr && *c.pair != '\0') {
        ChartState s;
        s.pair = find_arg_pair(c.pair);
        s.first = c.first;
        s.second = s.pair->value_count > 1 ? c.second : 0.0;
        o.states.push_back(s);
    }
    return o;
}

// The SVG is the library's writer's, and the marker's place is where that SVG draws it.
TEST(CInterfaceTables, DiagramIsTheLibrarysAndTheMarkerSitsWhereItIsDrawn) {
    const DiagramCase cases[] = {
        {"ph", "p-t", 10.0, 25.0, "units=display", ZELTRA5_VALID},
        {"ts", "ts-vapour", -10.0, NaN, "units=display;lang=ru", ZELTRA5_VALID},
        {"ph", "p-h", 5e5, 1.6e6, nullptr, ZELTRA5_VALID},
        {"ts", "", 0.0, 0.0, "units=display", ZELTRA5_BAD_ARGUMENT},
        {"ph", "p-t", 1000.0, 25.0, "units=display", ZELTRA5_OUTSIDE_DOMAIN},  // outside
        {"ph", "p-t", 0.01, 25.0, "units=display", ZELTRA5_OUTSIDE_DOMAIN},    // below the axis
        {"ts", "p-t", 10.0, 300.0, "units=display", ZELTRA5_OUTSIDE_DOMAIN},   // above the axis
    };
    for (const DiagramCase& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.pair + " " + std::to_string(c.first));
        const ChartOptions o = library_chart(c);
        Chart chart;
        std::string error;
        const int built = build_chart(o, chart, error);
        const std::string svg = whole_text([&](char* b, int n) {
            return zeltra5_diagram_svg(c.type, c.pair, c.first, c.second, c.options, b, n);
        });
        EXPECT_EQ(svg, built == STATUS_VALID ? chart_to_svg(chart) : std::string("<-1>"));
        double x = CANARY;
        double y = CANARY;
        EXPECT_EQ(zeltra5_diagram_point(c.type, c.pair, c.first, c.second, c.options, &x, &y),
                  c.status);
        const std::string why = whole_text([&](char* b, int n) {
            return zeltra5_explain_diagram(c.type, c.pair, c.first, c.second, c.options, b, n);
        });
        // Without a state the SVG is drawn: nothing to explain.
        EXPECT_EQ(why.empty(), c.status == ZELTRA5_VALID || *c.pair == '\0') << why;
        if (c.status != ZELTRA5_VALID) {
            EXPECT_TRUE(std::isnan(x) && std::isnan(y));
            continue;
        }
        const ChartMarker& m = chart.markers.at(0);
        const ChartPoint p = chart_svg_position(chart, m.x, m.y);
        EXPECT_TRUE(same_bits(x, p.x) && same_bits(y, p.y));
        EXPECT_NE(svg.find("<circle cx=\""), std::string::npos);
        const std::size_t at = svg.find("<circle cx=\"");
        const std::string drawn = svg.substr(at, svg.find(" r=", at) - at);
        double dx = 0.0;
        double dy = 0.0;
        ASSERT_EQ(std::sscanf(drawn.c_str(), "<circle cx=\"%lf\" cy=\"%lf\"", &dx, &dy), 2);
        EXPECT_NEAR(dx, x, 0.005);
        EXPECT_NEAR(dy, y, 0.005);
        if (&c == &cases[0]) {
            cut_at_every_size(
                [&](char* b, int n) {
                    return zeltra5_diagram_svg(c.type, c.pair, c.first, c.second, c.options, b, n);
                },
                svg, 4001);
        }
    }
    struct Bad {
        const char* type;
        const char* pair;
        double first;
        const char* options;
        const char* words;
    };
    const Bad bad[] = {
        {"hs", "p-t", 10.0, nullptr, "unknown kind of diagram \"hs\""},
        {nullptr, "p-t", 10.0, nullptr, "unknown kind of diagram"},
        {"ph", "t-p", 10.0, nullptr, "unknown argument pair \"t-p\""},
        {"ph", "p-t", NaN, nullptr, "not a finite number"},
        {"ph", "p-t", 10.0, "superheat=1", "\"superheat\" does not apply"},
        {"ph", "p-t", 10.0, "units=display;units=si", "given twice"},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.words);
        char text[8] = "#######";
        EXPECT_EQ(zeltra5_diagram_svg(b.type, b.pair, b.first, 25.0, b.options, text, 8), -1);
        EXPECT_STREQ(text, "");
        double x = CANARY;
        double y = CANARY;
        EXPECT_EQ(zeltra5_diagram_point(b.type, b.pair, b.first, 25.0, b.options, &x, &y),
                  ZELTRA5_BAD_ARGUMENT);
        EXPECT_TRUE(std::isnan(x) && std::isnan(y));
        const std::string why = whole_text([&](char* t, int n) {
            return zeltra5_explain_diagram(b.type, b.pair, b.first, 25.0, b.options, t, n);
        });
        EXPECT_NE(why.find(b.words), std::string::npos) << why;
    }
    // With the cycle: the library's chart of it; refused like the cycle, with nothing drawn.
    ChartOptions o;
    o.calc = DISPLAY;
    o.cycle = true;
    o.cycle_input = {-10.0, 35.0, 5.0, 2.0, 0.75, 0.0};
    Chart chart;
    std::string error;
    ASSERT_EQ(build_chart(o, chart, error), STATUS_VALID);
    EXPECT_EQ(whole_text([](char* b, int n) {
                  return zeltra5_diagram_cycle_svg("ph", -10.0, 35.0, 5.0, 2.0, 0.75,
                                                   "units=display", b, n);
              }),
              chart_to_svg(chart));
    for (const double tc : {140.0, -20.0, NaN}) {
        char text[8] = "#######";
        EXPECT_EQ(zeltra5_diagram_cycle_svg("ts", -10.0, tc, 0.0, 0.0, 1.0, nullptr, text, 8), -1);
        EXPECT_STREQ(text, "");
    }
    EXPECT_EQ(zeltra5_diagram_cycle_svg("hs", -10.0, 35.0, 0.0, 0.0, 1.0, nullptr, nullptr, 0), -1);
    double x = CANARY;
    EXPECT_EQ(zeltra5_diagram_point("ph", "p-t", 10.0, 25.0, nullptr, &x, nullptr),
              ZELTRA5_BAD_ARGUMENT);
    EXPECT_TRUE(std::isnan(x));
}

}  // namespace
}  // namespace zeltra5
