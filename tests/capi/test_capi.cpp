// The C interface as a C caller meets it: the options' text, the library's numbers bit for bit,
// bad arguments refused without a write past the caller's storage, bounded texts, and the same
// answers from several threads at once.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "zeltra5.h"
#include "zeltra5/calculation.hpp"

namespace zeltra5 {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double INF = std::numeric_limits<double>::infinity();
constexpr double CANARY = -12345.678;

struct Result {
    int status = -1;
    double values[ZELTRA5_FIELD_COUNT];
    int phase = -99;
    int phase_detail = -99;
};

Result calculate(const char* pair, const double first, const double second, const char* options) {
    Result r;
    r.status = zeltra5_calculate(pair, first, second, options, r.values, ZELTRA5_FIELD_COUNT,
                                 &r.phase, &r.phase_detail);
    return r;
}

std::string explanation(const char* pair, const double first, const double second,
                        const char* options) {
    char text[300];
    const int length = zeltra5_explain(pair, first, second, options, text, sizeof text);
    EXPECT_EQ(length, static_cast<int>(std::strlen(text)));
    return text;
}

bool same_bits(const double* a, const double* b, const int n) {
    return std::memcmp(a, b, sizeof(double) * static_cast<std::size_t>(n)) == 0;
}

// The options' text means what the library's options mean: the same numbers bit for bit, with
// null, blank and spaced forms alike.
TEST(CInterface, OptionsTextIsTheLibrarysOptions) {
    struct Case {
        const char* options;
        CalcOptions library;
        const char* pair;
        double first, second;
    };
    const CalcOptions display{DISPLAY_UNITS, ReferenceState::program, false};
    const Case cases[] = {
        {nullptr, {}, "p-t", 1e6, 298.15},
        {"", {}, "p-h", 1e6, 1.5e6},
        {"  ", {}, "ts-vapour", 283.15, 0.0},
        {"units=si", {}, "p-x", 5e5, 0.3},
        {"units=display", display, "p-t", 10.0, 25.0},
        {" units = display ; reference = iir ",
         {DISPLAY_UNITS, ReferenceState::iir, false},
         "p-s",
         10.0,
         5.2},
        {"reference=ashrae;units=display",
         {DISPLAY_UNITS, ReferenceState::ashrae, false},
         "p-h",
         2.0,
         1400.0},
        {"reference=nbp", {SI_UNITS, ReferenceState::nbp, false}, "p-u", 1e6, 1.2e6},
        {"reference=default;superheat=0", {}, "t-rho", 253.15, 600.0},
        {"superheat=1;units=display",
         {DISPLAY_UNITS, ReferenceState::program, true},
         "p-t",
         1.0,
         -30.0},
        {"lang=ru;units=display", display, "ps-liquid", 3.0, 0.0},
        {"units=display", display, "p-t", 200.0, 200.0},  // supercritical
        {"units=display", display, "p-t", 10.0, 500.0},   // outside the domain
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options == nullptr ? "null" : c.options);
        StateResult expected;
        calculate_state(*find_arg_pair(c.pair), c.first, c.second, c.library, expected);
        const Result r = calculate(c.pair, c.first, c.second, c.options);
        EXPECT_EQ(r.status, expected.status);
        EXPECT_EQ(r.phase, expected.phase);
        EXPECT_EQ(r.phase_detail, expected.phase_detail);
        EXPECT_TRUE(same_bits(r.values, expected.values, ZELTRA5_FIELD_COUNT));
        for (int k = 0; k < ZELTRA5_FIELD_COUNT; ++k) {
            const double value =
                zeltra5_property(zeltra5_field_symbol(k), c.pair, c.first, c.second, c.options);
            EXPECT_TRUE(same_bits(&value, &r.values[k], 1)) << zeltra5_field_name(k);
        }
    }
    // The spreadsheet's example: 10 bar and 25 degC.
    EXPECT_NEAR(zeltra5_property("h", "p-t", 10.0, 25.0, "units=display"), 1626.84216, 1e-5);
    EXPECT_EQ(zeltra5_property("specific_enthalpy", "p-t", 10.0, 25.0, "units=display"),
              zeltra5_property("h", "p-t", 10.0, 25.0, "units=display"));
}

// NaN marks what is not a number: a field the table leaves blank, a state outside the domain,
// an unknown property. zeltra5_calculate tells them apart by its status.
TEST(CInterface, PropertyIsNaNWhereThereIsNoValue) {
    struct Case {
        const char* property;
        const char* pair;
        double first, second;
        int status;
    };
    const Case cases[] = {
        {"cp", "p-x", 5e5, 0.3, ZELTRA5_VALID},            // undefined in the mixture
        {"r", "p-t", 1e6, 298.15, ZELTRA5_VALID},            // no latent heat off the line
        {"x", "p-t", 2e7, 473.15, ZELTRA5_VALID},           // supercritical
        {"h", "p-t", 1e6, 773.15, ZELTRA5_OUTSIDE_DOMAIN},  // outside
        {"hh", "p-t", 1e6, 298.15, ZELTRA5_VALID},           // no such property
        {"H", "p-t", 1e6, 298.15, ZELTRA5_VALID},            // names are exact
        {nullptr, "p-t", 1e6, 298.15, ZELTRA5_VALID},
        {"h", "p-t", NaN, 25.0, ZELTRA5_BAD_ARGUMENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.property == nullptr ? "null" : c.property);
        EXPECT_TRUE(std::isnan(zeltra5_property(c.property, c.pair, c.first, c.second, nullptr)));
        EXPECT_EQ(calculate(c.pair, c.first, c.second, nullptr).status, c.status);
    }
}

// A malformed request is status 2 and never touches storage it has no room in: every buffer is
// allocated to the size the call is given (AddressSanitizer sees any write past it) and fenced
// with canaries.
TEST(CInterface, BadArgumentsAreRefusedWithinTheCallersStorage) {
    struct Case {
        const char* what;
        const char* pair;
        double first, second;
        const char* options;
        int count;
        bool values;  // false: values is null
    };
    const Case cases[] = {
        {"null pair", nullptr, 1e6, 298.15, nullptr, 19, true},
        {"unknown pair", "p-q", 1e6, 298.15, nullptr, 19, true},
        {"pair names are exact", "P-T", 1e6, 298.15, nullptr, 19, true},
        {"unknown option", "p-t", 1e6, 298.15, "unit=si", 19, true},
        {"bad unit system", "p-t", 1e6, 298.15, "units=kelvin", 19, true},
        {"bad reference", "p-t", 1e6, 298.15, "reference=IIR", 19, true},
        {"bad superheat", "p-t", 1e6, 298.15, "superheat=yes", 19, true},
        {"bad language", "p-t", 1e6, 298.15, "lang=de", 19, true},
        {"repeated option", "p-t", 1e6, 298.15, "units=si;units=si", 19, true},
        {"no value", "p-t", 1e6, 298.15, "units", 19, true},
        {"empty item", "p-t", 1e6, 298.15, "units=si;", 19, true},
        {"superheat with a saturation pair", "ts-liquid", 0.0, 0.0, "superheat=1", 19, true},
        {"NaN first", "p-t", NaN, 25.0, nullptr, 19, true},
        {"NaN second", "p-t", 1e6, NaN, nullptr, 19, true},
        {"infinite first", "ps-vapour", INF, 0.0, nullptr, 19, true},
        {"infinite second", "p-h", 1e6, -INF, nullptr, 19, true},
        {"count 18", "p-t", 1e6, 298.15, nullptr, 18, true},
        {"count 1", "p-t", 1e6, 298.15, nullptr, 1, true},
        {"count 0", "p-t", 1e6, 298.15, nullptr, 0, true},
        {"count -1", "p-t", 1e6, 298.15, nullptr, -1, true},
        {"null values", "p-t", 1e6, 298.15, nullptr, 19, false},
    };
    constexpr int FENCE = 4;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const bool saturated : {false, true}) {
            const std::size_t room = c.count > 0 ? static_cast<std::size_t>(c.count) : 0;
            std::vector<double> storage(room + 2 * FENCE, CANARY);
            int phase[3] = {-77, -77, -77};
            int detail[3] = {-77, -77, -77};
            double* values = c.values ? storage.data() + FENCE : nullptr;
            const int status =
                saturated ? zeltra5_saturated(c.pair, c.first, c.second, c.options, ZELTRA5_VAPOUR,
                                              values, c.count, &phase[1], &detail[1])
                          : zeltra5_calculate(c.pair, c.first, c.second, c.options, values, c.count,
                                              &phase[1], &detail[1]);
            EXPECT_EQ(status, ZELTRA5_BAD_ARGUMENT);
            EXPECT_EQ(phase[1], ZELTRA5_NO_PHASE);
            EXPECT_EQ(detail[1], ZELTRA5_NO_PHASE);
            EXPECT_EQ(phase[0] + phase[2] + detail[0] + detail[2], -4 * 77);
            const bool room_for_all = c.values && c.count >= ZELTRA5_FIELD_COUNT;
            for (std::size_t i = 0; i < storage.size(); ++i) {
                const bool inside = i >= FENCE && i < FENCE + ZELTRA5_FIELD_COUNT;
                if (room_for_all && inside) {
                    EXPECT_TRUE(std::isnan(storage[i])) << i;
                } else {
                    EXPECT_EQ(storage[i], CANARY) << i;
                }
            }
        }
        if (c.values && c.count >= ZELTRA5_FIELD_COUNT) {
            EXPECT_TRUE(std::isnan(zeltra5_property("p", c.pair, c.first, c.second, c.options)));
        }
    }
    // Only the saturated state has a side.
    for (const int side : {0, 3, -1}) {
        Result r;
        EXPECT_EQ(zeltra5_saturated("p-t", 1e6, 298.15, nullptr, side, r.values, 19, &r.phase,
                                    &r.phase_detail),
                  ZELTRA5_BAD_ARGUMENT);
    }
    // phase and phase_detail may be left out; a saturation pair does not read its second value.
    double values[ZELTRA5_FIELD_COUNT];
    EXPECT_EQ(zeltra5_calculate("ts-liquid", 273.15, NaN, nullptr, values, 19, nullptr, nullptr),
              ZELTRA5_VALID);
    EXPECT_EQ(zeltra5_calculate("p-t", 1e6, 298.15, nullptr, values, 40, nullptr, nullptr),
              ZELTRA5_VALID);
}

// Every refusal is explained in the options' language and units, bad arguments included; a valid
// state has nothing to explain.
TEST(CInterface, ExplanationNamesWhatIsWrong) {
    struct Case {
        const char* pair;
        double first, second;
        const char* options;
        const char* text;
    };
    const Case cases[] = {
        {"p-t", 10.0, 25.0, "units=display", ""},
        {"p-t", 10.0, 500.0, "units=display", "temperature 500 °C is above 450 °C"},
        {"p-t", 10.0, 500.0, "units=display;lang=ru", "температура 500 °C выше 450 °C"},
        {"p-t", 1e6, NaN, nullptr, "temperature is not a finite number"},
        {"p-t", 10.0, 60.0, "units=display;superheat=1",
         "with superheat=1: 60 °C is above the liquid's superheat limit at 10 bar, "
         "43.641088629170056 °C"},
        {nullptr, 1.0, 2.0, nullptr, "no argument pair given"},
        {"p\x01q", 1.0, 2.0, nullptr, "unknown argument pair \"p?q\""},
        {"p-t", 1.0, 2.0, "lang=ru;units=bar", "недопустимое значение \"bar\" параметра \"units\""},
        {"p-t", 1.0, 2.0, "colour=red", "unknown option \"colour\""},
        {"p-t", 1.0, 2.0, "lang=en;lang=en", "option \"lang\" is given twice"},
        {"p-t", 1.0, 2.0, "units=si;;", "option \"\" is not key=value"},
        {"ts-vapour", 1.0, 2.0, "superheat=1",
         "the superheat option does not apply to a saturation state"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(explanation(c.pair, c.first, c.second, c.options), c.text);
    }
    const std::string long_name(100, 'a');
    EXPECT_EQ(explanation(long_name.c_str(), 1.0, 2.0, nullptr),
              "unknown argument pair \"" + std::string(40, 'a') + "...\"");

    struct Saturated {
        const char* pair;
        double first, second;
        int side;
        int status;
        const char* text;
    };
    const Saturated saturated[] = {
        {"p-h", 10.0, 1500.0, ZELTRA5_LIQUID, ZELTRA5_VALID, ""},
        {"p-t", 200.0, 200.0, ZELTRA5_VAPOUR, ZELTRA5_OUTSIDE_DOMAIN,
         "pressure 200 bar is not below the critical pressure, 113.59196242759728 bar: there is no "
         "two-phase state"},
        {"p-t", 10.0, 500.0, ZELTRA5_LIQUID, ZELTRA5_OUTSIDE_DOMAIN,
         "temperature 500 °C is above 450 °C"},
        {"p-t", 10.0, 25.0, 7, ZELTRA5_BAD_ARGUMENT, "side must be 1 (liquid) or 2 (vapour)"},
    };
    for (const Saturated& c : saturated) {
        SCOPED_TRACE(c.text);
        Result r;
        EXPECT_EQ(zeltra5_saturated(c.pair, c.first, c.second, "units=display", c.side, r.values,
                                    19, &r.phase, &r.phase_detail),
                  c.status);
        char text[200];
        zeltra5_explain_saturated(c.pair, c.first, c.second, "units=display", c.side, text,
                                  sizeof text);
        EXPECT_STREQ(text, c.text);
    }
}

// zeltra5_property_v2 tells the three NaNs of zeltra5_property apart, and zeltra5_explain with the
// same arguments says which; zeltra5_property keeps its value, bit for bit.
TEST(CInterface, PropertyV2TellsWhyThereIsNoValue) {
    struct Case {
        const char* property;
        const char* pair;
        double first, second;
        const char* options;
        int status;
        const char* text;
    };
    const Case cases[] = {
        {"h", "p-t", 10.0, 25.0, "units=display", ZELTRA5_VALID, ""},
        {"x", "p-x", 5.0, 0.3, "units=display", ZELTRA5_VALID, ""},
        {"cp", "p-x", 5.0, 0.3, "units=display", ZELTRA5_UNDEFINED,
         "\"cp\" has no value for this phase: Two-phase mixture"},
        {"latent_heat", "p-t", 10.0, 25.0, "units=display;lang=ru", ZELTRA5_UNDEFINED,
         "\"latent_heat\" не имеет значения в этой фазе: Перегретый пар"},
        {"x", "p-t", 200.0, 200.0, "units=display", ZELTRA5_UNDEFINED,
         "\"x\" has no value for this phase: Supercritical fluid"},
        {"h", "p-t", 10.0, 500.0, "units=display", ZELTRA5_OUTSIDE_DOMAIN,
         "temperature 500 °C is above 450 °C"},
        {"cp", "p-t", 10.0, 500.0, "units=display", ZELTRA5_OUTSIDE_DOMAIN,
         "temperature 500 °C is above 450 °C"},
        {"hh", "p-t", 10.0, 25.0, "units=display", ZELTRA5_BAD_ARGUMENT, "unknown property \"hh\""},
        {"H", "p-t", 1e6, 298.15, "lang=ru", ZELTRA5_BAD_ARGUMENT, "неизвестное свойство \"H\""},
        {nullptr, "p-t", 1e6, 298.15, nullptr, ZELTRA5_BAD_ARGUMENT, "no property given"},
        {"h", "p-q", 10.0, 25.0, nullptr, ZELTRA5_BAD_ARGUMENT, "unknown argument pair \"p-q\""},
        {"h", "p-t", 1e6, NaN, nullptr, ZELTRA5_BAD_ARGUMENT, "temperature is not a finite number"},
        {"h", "p-t", 1e6, 298.15, "units=kelvin", ZELTRA5_BAD_ARGUMENT,
         "bad value \"kelvin\" of option \"units\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        int status = -99;
        const double value =
            zeltra5_property_v2(c.property, c.pair, c.first, c.second, c.options, &status);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(std::isnan(value), c.status != ZELTRA5_VALID);
        char text[200];
        zeltra5_explain(c.pair, c.first, c.second, c.options, text, sizeof text);
        EXPECT_STREQ(text, c.text);
        const double v1 = zeltra5_property(c.property, c.pair, c.first, c.second, c.options);
        EXPECT_TRUE(same_bits(&v1, &value, 1));
        const double without_status =
            zeltra5_property_v2(c.property, c.pair, c.first, c.second, c.options, nullptr);
        EXPECT_TRUE(same_bits(&value, &without_status, 1));
    }
}

// A refusal for an argument that the explaining function does not take (the caller's storage) is
// explained by that function with the call's other arguments, in the options' language, until the
// thread's next call; never to other arguments or another thread.
TEST(CInterface, StorageRefusalsAreExplained) {
    double values[80];
    double figures[ZELTRA5_CYCLE_FIGURE_COUNT];
    char buffer[8];
    double x = 0.0;
    int rows = 0;
    const char* en = "units=display";
    struct Case {
        const char* text;
        std::function<int(const char* options)> refuse;
        std::function<int(const char* options, char* text, int size)> explain;
    };
    const Case cases[] = {
        {"room for 18 values in \"values\", 19 needed",
         [&](const char* o) {
             return zeltra5_calculate("p-t", 10, 25, o, values, 18, nullptr, nullptr);
         },
         [](const char* o, char* t, int n) { return zeltra5_explain("p-t", 10, 25, o, t, n); }},
        {"\"values\" is a null pointer",
         [&](const char* o) {
             return zeltra5_calculate("p-t", 10, 25, o, nullptr, 19, nullptr, nullptr);
         },
         [](const char* o, char* t, int n) { return zeltra5_explain("p-t", 10, 25, o, t, n); }},
        {"room for -1 values in \"values\", 19 needed",
         [&](const char* o) {
             return zeltra5_saturated("p-t", 10, 25, o, 1, values, -1, nullptr, nullptr);
         },
         [](const char* o, char* t, int n) {
             return zeltra5_explain_saturated("p-t", 10, 25, o, 1, t, n);
         }},
        {"room for 47 values in \"out\", 48 needed",
         [&](const char* o) {
             return zeltra5_table_values("isobar", 10, "0,10", o, values, 47, &rows);
         },
         [](const char* o, char* t, int n) {
             return zeltra5_explain_table("isobar", 10, "0,10", o, t, n);
         }},
        {"\"capacity\" is negative: -24",
         [&](const char* o) {
             return zeltra5_table_values("isobar", 10, "0,10", o, values, -24, &rows);
         },
         [](const char* o, char* t, int n) {
             return zeltra5_explain_table("isobar", 10, "0,10", o, t, n);
         }},
        {"\"buffer\" is a null pointer",
         [&](const char* o) { return zeltra5_table_csv("isobar", 10, "0,10", o, nullptr, 5); },
         [](const char* o, char* t, int n) {
             return zeltra5_explain_table("isobar", 10, "0,10", o, t, n);
         }},
        {"room for 13 values in \"figures\", 14 needed",
         [&](const char* o) {
             return zeltra5_cycle(-10, 35, 5, 0, 0.75, 0, o, figures, 13, nullptr, 0);
         },
         [](const char* o, char* t, int n) {
             return zeltra5_explain_cycle(-10, 35, 5, 0, 0.75, 0, o, t, n);
         }},
        {"room for 75 values in \"states\", 76 needed",
         [&](const char* o) {
             return zeltra5_cycle(-10, 35, 5, 0, 0.75, 0, o, figures, 14, values, 75);
         },
         [](const char* o, char* t, int n) {
             return zeltra5_explain_cycle(-10, 35, 5, 0, 0.75, 0, o, t, n);
         }},
        {"\"y\" is a null pointer",
         [&](const char* o) { return zeltra5_diagram_point("ph", "p-t", 10, 25, o, &x, nullptr); },
         [](const char* o, char* t, int n) {
             return zeltra5_explain_diagram("ph", "p-t", 10, 25, o, t, n);
         }},
        {"\"size\" is negative: -3",
         [&](const char* o) { return zeltra5_diagram_svg("ts", nullptr, 0, 0, o, buffer, -3); },
         [](const char* o, char* t, int n) {
             return zeltra5_explain_diagram("ts", nullptr, 0, 0, o, t, n);
         }},
    };
    const auto text_of = [](const Case& c, const char* options) {
        char text[200];
        const int length = c.explain(options, text, sizeof text);
        EXPECT_EQ(length, static_cast<int>(std::strlen(text)));
        return std::string(text);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(text_of(c, en), "");  // well-formed arguments
        const int answer = c.refuse(en);
        EXPECT_TRUE(answer == ZELTRA5_BAD_ARGUMENT || answer == -1) << answer;
        EXPECT_EQ(text_of(c, en), c.text);
        EXPECT_EQ(text_of(c, en), c.text);                   // explaining keeps it
        EXPECT_EQ(text_of(c, "units=display;lang=en"), "");  // other arguments
        std::string elsewhere = "-";
        std::thread([&] { elsewhere = text_of(c, en); }).join();
        EXPECT_EQ(elsewhere, "");
        // In the options' language.
        c.refuse("units=display;lang=ru");
        EXPECT_NE(text_of(c, "units=display;lang=ru"), c.text);
        EXPECT_NE(text_of(c, "units=display;lang=ru"), "");
        // The thread's next call replaces it.
        EXPECT_EQ(zeltra5_calculate("p-t", 10, 25, en, values, 19, nullptr, nullptr),
                  ZELTRA5_VALID);
        EXPECT_EQ(text_of(c, "units=display;lang=ru"), "");
    }
    // Long arguments: told apart by their last byte, and a long name repeated as far as any.
    const std::string blanks(300, ' ');
    const std::string long_ru = "units=display;" + blanks + "lang=ru";
    const std::string long_en = "units=display;" + blanks + "lang=en";
    const std::string name(250, 'q');
    char text[200];
    EXPECT_TRUE(std::isnan(zeltra5_property(name.c_str(), "p-t", 10, 25, long_ru.c_str())));
    EXPECT_EQ(zeltra5_explain("p-t", 10, 25, long_en.c_str(), text, sizeof text), 0);
    zeltra5_explain("p-t", 10, 25, long_ru.c_str(), text, sizeof text);
    EXPECT_EQ(std::string(text), "неизвестное свойство \"" + std::string(40, 'q') + "...\"");
}

// The text never runs past `size`, is always terminated, is cut only between whole UTF-8
// characters, and the answer is the whole text's length at any size.
void explanation_is_bounded(double t, const char* options);

TEST(CInterface, ExplanationIsBoundedAndCutAtWholeCharacters) {
    // Russian words in two-byte characters; the superheat option's words before the library's.
    explanation_is_bounded(500.0, "units=display;lang=ru");
    explanation_is_bounded(60.0, "units=display;lang=ru;superheat=1");
    char text[8] = "#######";
    EXPECT_EQ(zeltra5_explain("p-t", 10.0, 500.0, nullptr, nullptr, 5), -1);
    EXPECT_EQ(zeltra5_explain("p-t", 10.0, 500.0, nullptr, text, -1), -1);
    EXPECT_EQ(zeltra5_explain_saturated("p-t", 10.0, 500.0, nullptr, 1, text, -8), -1);
    EXPECT_STREQ(text, "#######");
}

void explanation_is_bounded(const double t, const char* options) {
    const std::string whole = explanation("p-t", 10.0, t, options);
    ASSERT_GT(whole.size(), 20u);
    const int length = static_cast<int>(whole.size());
    EXPECT_EQ(zeltra5_explain("p-t", 10.0, t, options, nullptr, 0), length);
    for (int size = 0; size <= length + 2; ++size) {
        SCOPED_TRACE(size);
        std::vector<char> storage(static_cast<std::size_t>(size) + 2, '#');
        char* text = storage.data() + 1;
        EXPECT_EQ(zeltra5_explain("p-t", 10.0, t, options, text, size), length);
        EXPECT_EQ(storage.front(), '#');
        EXPECT_EQ(storage.back(), '#');
        if (size == 0) {
            EXPECT_EQ(text[0], '#');
            continue;
        }
        const std::string kept(text);
        EXPECT_LT(kept.size(), static_cast<std::size_t>(size));
        EXPECT_EQ(whole.compare(0, kept.size(), kept), 0);
        // Cut before a continuation byte only where the whole text ends, and at most one
        // character short of the room.
        EXPECT_TRUE(kept.size() == whole.size() ||
                    (static_cast<unsigned char>(whole[kept.size()]) & 0xC0) != 0x80);
        EXPECT_GE(kept.size() + 4, std::min<std::size_t>(whole.size(), size - 1));
    }
}

// The saturated states are the library's, beside the state the same arguments give.
TEST(CInterface, SaturatedStatesAreTheLibrarys) {
    const CalcOptions options{DISPLAY_UNITS, ReferenceState::iir, false};
    StateResult of;
    calculate_state(*find_arg_pair("p-h"), 10.0, 1500.0, options, of);
    for (const int side : {ZELTRA5_LIQUID, ZELTRA5_VAPOUR}) {
        StateResult expected;
        ASSERT_EQ(calculate_saturated(of, side, expected), STATUS_VALID);
        Result r;
        EXPECT_EQ(zeltra5_saturated("p-h", 10.0, 1500.0, "units=display;reference=iir", side,
                                    r.values, 19, &r.phase, &r.phase_detail),
                  ZELTRA5_VALID);
        EXPECT_EQ(r.phase, expected.phase);
        EXPECT_EQ(r.phase_detail, ZELTRA5_DETAIL_SATURATED);
        EXPECT_TRUE(same_bits(r.values, expected.values, ZELTRA5_FIELD_COUNT));
    }
}

// Names, symbols, units and phase names come from the library's tables as terminated C strings.
TEST(CInterface, FieldsAndNamesWithoutACopyOfTheTable) {
    EXPECT_STREQ(zeltra5_version(), ZELTRA5_VERSION_STRING);
    EXPECT_STREQ(zeltra5_version(), ZELTRA5_PROJECT_VERSION);
    // The number of the text: 1.1.0 is 10100, 2.10.3 would be 21003.
    int major = 0;
    int minor = 0;
    int patch = 0;
    ASSERT_EQ(std::sscanf(zeltra5_version(), "%d.%d.%d", &major, &minor, &patch), 3);
    EXPECT_EQ(zeltra5_version_number(), major * 10000 + minor * 100 + patch);
    EXPECT_EQ(zeltra5_version_number(), ZELTRA5_VERSION_NUMBER);
    ASSERT_EQ(zeltra5_field_count(), ZELTRA5_FIELD_COUNT);
    for (int k = 0; k < ZELTRA5_FIELD_COUNT; ++k) {
        SCOPED_TRACE(k);
        EXPECT_STREQ(zeltra5_field_name(k), RESULT_VALUE_NAMES[k]);
        EXPECT_EQ(zeltra5_field_index(zeltra5_field_name(k)), k);
        EXPECT_EQ(zeltra5_field_index(zeltra5_field_symbol(k)), k);
        for (const char* options : {"", "units=display", "lang=ru", "lang=ru;units=display"}) {
            CalcOptions calc;
            calc.units = std::strstr(options, "display") ? DISPLAY_UNITS : SI_UNITS;
            const Language language =
                std::strstr(options, "ru") ? Language::russian : Language::english;
            const char* unit = zeltra5_field_unit(k, options);
            ASSERT_NE(unit, nullptr) << options;
            EXPECT_EQ(std::string(unit), unit_text(RESULT_FIELDS[k].unit, calc.units, language));
        }
    }
    EXPECT_STREQ(zeltra5_field_unit(1, "units=display"), "bar");
    EXPECT_STREQ(zeltra5_field_unit(7, "units=display;lang=ru"), "кДж / (кг·°C)");
    EXPECT_EQ(zeltra5_field_name(ZELTRA5_FIELD_COUNT), nullptr);
    EXPECT_EQ(zeltra5_field_symbol(-1), nullptr);
    EXPECT_EQ(zeltra5_field_unit(ZELTRA5_FIELD_COUNT, nullptr), nullptr);
    EXPECT_EQ(zeltra5_field_unit(0, "units=kelvin"), nullptr);
    EXPECT_EQ(zeltra5_field_index(nullptr), -1);
    EXPECT_EQ(zeltra5_field_index("enthalpy"), -1);

    for (int phase = -2; phase <= 4; ++phase) {
        for (int detail = -2; detail <= 3; ++detail) {
            for (const char* options : {"lang=en", "lang=ru"}) {
                const char* name = zeltra5_phase_name(phase, detail, options);
                ASSERT_NE(name, nullptr);
                const Language language =
                    std::strstr(options, "ru") ? Language::russian : Language::english;
                EXPECT_EQ(std::string(name), phase_state_text(phase, detail, language));
            }
            for (int k = -1; k <= ZELTRA5_FIELD_COUNT; ++k) {
                EXPECT_EQ(zeltra5_field_defined(phase, detail, k),
                          result_field_defined(phase, detail, k) ? 1 : 0);
            }
        }
    }
    EXPECT_STREQ(zeltra5_phase_name(2, 1, nullptr), "Superheated vapour");
    EXPECT_EQ(zeltra5_phase_name(2, 1, "lang=fr"), nullptr);

    // Version 1 names the Windows program's eleven; _v2 every pair.
    ASSERT_EQ(zeltra5_pair_count(), 11);
    EXPECT_EQ(zeltra5_pair_name(11), nullptr);
    ASSERT_EQ(zeltra5_pair_count_v2(), ARG_PAIR_COUNT);
    for (int i = 0; i < ARG_PAIR_COUNT; ++i) {
        EXPECT_STREQ(zeltra5_pair_name_v2(i), ARG_PAIRS[i].name);
        EXPECT_EQ(zeltra5_pair_value_count(zeltra5_pair_name_v2(i)), ARG_PAIRS[i].value_count);
    }
    EXPECT_EQ(zeltra5_pair_name_v2(ARG_PAIR_COUNT), nullptr);
    for (int i = 0; i < zeltra5_pair_count(); ++i) {
        EXPECT_STREQ(zeltra5_pair_name(i), ARG_PAIRS[i].name);
    }
    EXPECT_EQ(zeltra5_pair_value_count("p-q"), 0);
    EXPECT_EQ(zeltra5_pair_value_count(nullptr), 0);
}

// Several threads calling at once get what one thread gets, bit for bit.
TEST(CInterface, ThreadsGetTheSameAnswers) {
    struct Request {
        const char* pair;
        double first, second;
        const char* options;
    };
    std::vector<Request> requests;
    const char* options[] = {nullptr, "units=display", "units=display;reference=iir;lang=ru",
                             "superheat=1"};
    for (int i = 0; i < 120; ++i) {
        const double p = 0.1 + 0.9 * i;  // bar
        requests.push_back({"p-t", p * 1e5, -70.0 + 4.0 * i, options[i % 4]});
        requests.push_back({"p-h", p, 100.0 + 15.0 * i, "units=display"});
        requests.push_back({"ts-vapour", -75.0 + 1.5 * i, 0.0, options[i % 3]});
        requests.push_back({"p-x", p, 0.01 * i - 0.1, "units=display;lang=ru"});
    }
    struct Answer {
        Result result;
        Result saturated;
        char text[200];
    };
    const auto answer_all = [&requests](std::vector<Answer>& answers) {
        answers.resize(requests.size());
        for (std::size_t i = 0; i < requests.size(); ++i) {
            const Request& q = requests[i];
            Answer& a = answers[i];
            a.result = calculate(q.pair, q.first, q.second, q.options);
            a.saturated.status = zeltra5_saturated(q.pair, q.first, q.second, q.options,
                                                   ZELTRA5_LIQUID, a.saturated.values, 19,
                                                   &a.saturated.phase, &a.saturated.phase_detail);
            zeltra5_explain(q.pair, q.first, q.second, q.options, a.text, sizeof a.text);
        }
    };
    std::vector<Answer> alone;
    answer_all(alone);
    int valid = 0;
    int refused = 0;
    for (const Answer& a : alone) {
        valid += a.result.status == ZELTRA5_VALID;
        refused += a.result.status == ZELTRA5_OUTSIDE_DOMAIN;
    }
    EXPECT_GT(valid, 200);
    EXPECT_GT(refused, 20);

    constexpr int THREADS = 4;
    std::vector<std::vector<Answer>> together(THREADS);
    std::vector<std::thread> threads;
    for (int t = 0; t < THREADS; ++t) {
        threads.emplace_back(answer_all, std::ref(together[t]));
    }
    for (std::thread& t : threads) {
        t.join();
    }
    for (int t = 0; t < THREADS; ++t) {
        for (std::size_t i = 0; i < alone.size(); ++i) {
            const Answer& a = alone[i];
            const Answer& b = together[t][i];
            ASSERT_EQ(b.result.status, a.result.status) << i;
            ASSERT_EQ(b.result.phase, a.result.phase) << i;
            ASSERT_TRUE(same_bits(b.result.values, a.result.values, 19)) << i;
            ASSERT_EQ(b.saturated.status, a.saturated.status) << i;
            ASSERT_TRUE(same_bits(b.saturated.values, a.saturated.values, 19)) << i;
            ASSERT_STREQ(b.text, a.text) << i;
        }
    }
}

}  // namespace
}  // namespace zeltra5
