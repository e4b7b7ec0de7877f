// The twenty-row text of a result: values in display units with "% -.16g", phase names, blank
// rows per phase, and the Windows-1251 texts behind the UTF-8 the command line prints.

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "comma_locale.hpp"
#include "zeltra5/result_table.hpp"

namespace zeltra5 {
namespace {

std::string utf8_row(const ResultTable& t, const int row) {
    return utf8_from_cp1251(t.rows[row]);
}

PropertyResult sample(const int phase, const int detail) {
    PropertyResult r{};
    double* f = &r.relative_enthalpy;
    for (int i = 0; i < 19; ++i) {
        f[i] = 1.5 + i;
    }
    r.phase = phase;
    r.phase_detail = detail;
    return r;
}

TEST(ResultTable, ValuesInDisplayUnits) {
    PropertyResult r = sample(1, -1);
    r.pressure = 1000000.0;
    r.specific_enthalpy = -12345.6;
    r.specific_volume = 0.25;
    r.mass_density = 4.0;
    r.specific_entropy = 5792.5;
    r.latent_heat = 1247333.0;
    r.phase_detail = 0;
    ResultTable t{};
    format_result_table(r, t);
    EXPECT_STREQ(t.rows[2], " 10");
    EXPECT_STREQ(t.rows[4], "-12.3456");
    EXPECT_STREQ(t.rows[5], " 0.25");  // specific volume, then density
    EXPECT_STREQ(t.rows[6], " 4");
    EXPECT_STREQ(t.rows[8], " 5.7925");
    EXPECT_STREQ(t.rows[19], " 1247.333");
    // The factors multiply: 770000 Pa x 1e-05 is 7.700000000000001.
    r.pressure = 770000.0;
    format_result_table(r, t);
    EXPECT_STREQ(t.rows[2], " 7.700000000000001");
}

// What the C library prints with "% -.16g", without its locale.
TEST(ResultTable, SameDigitsAsTheGeneralFormat) {
    const double values[] = {0.0,     -0.0,       1.0 / 3.0,  -2.0 / 3.0, 1e16,    1.2345e-7,
                             1e-5,    123456.789, 1e15 + 0.5, 9.87e21,    -1e-300, DBL_MAX,
                             DBL_MIN, 4.9e-324,   0.1 + 0.2,  100.0,      1e100,   -7.0};
    for (const double v : values) {
        PropertyResult r = sample(3, 3);
        r.temperature = v;
        ResultTable t{};
        format_result_table(r, t);
        char expected[64];
        std::snprintf(expected, sizeof expected, "% -.16g", v);
        EXPECT_STREQ(t.rows[3], expected) << v;
    }
}

TEST(ResultTable, NoCommaInACommaDecimalLocale) {
    PropertyResult r = sample(2, 1);
    r.temperature = 2.5;
    ResultTable t{};
    {
        const testing_support::CommaDecimalLocale comma;
        if (!comma.available) {
            GTEST_SKIP() << "no comma-decimal locale installed";
        }
        format_result_table(r, t);
    }
    EXPECT_STREQ(t.rows[3], " 2.5");
}

TEST(ResultTable, ExtremeValuesFitTheirSlots) {
    const double extremes[] = {-DBL_MAX,
                               DBL_MAX,
                               -DBL_MIN,
                               -4.9e-324,
                               -1.2345678901234567e-308,
                               -9.999999999999999e-100,
                               std::numeric_limits<double>::quiet_NaN(),
                               -std::numeric_limits<double>::infinity()};
    for (const double v : extremes) {
        PropertyResult r{};
        double* f = &r.relative_enthalpy;
        for (int i = 0; i < 19; ++i) {
            f[i] = v;
        }
        r.phase = 1;
        r.phase_detail = 0;
        ResultTable t{};
        std::memset(&t, 'X', sizeof t);
        format_result_table(r, t);
        for (int row = 0; row < RESULT_ROWS; ++row) {
            EXPECT_LT(std::strlen(t.rows[row]), static_cast<std::size_t>(RESULT_ROW_SIZE))
                << v << " row " << row;
        }
    }
}

struct PhaseCase {
    int phase;
    int detail;
    const char* name;     // UTF-8
    unsigned blank_rows;  // bit i: row i is " "
};

constexpr unsigned rows(std::initializer_list<int> list) {
    unsigned bits = 0;
    for (const int r : list) {
        bits |= 1u << r;
    }
    return bits;
}

class Phases : public ::testing::TestWithParam<PhaseCase> {};

TEST_P(Phases, NameAndBlankRows) {
    const PhaseCase& c = GetParam();
    ResultTable t{};
    format_result_table(sample(c.phase, c.detail), t);
    EXPECT_EQ(utf8_row(t, 0), c.name);
    for (int row = 1; row < RESULT_ROWS; ++row) {
        if ((c.blank_rows >> row) & 1u) {
            EXPECT_STREQ(t.rows[row], " ") << "row " << row;
        } else {
            EXPECT_STRNE(t.rows[row], " ") << "row " << row;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ResultTable, Phases,
                         ::testing::Values(PhaseCase{0, 0, " Парожидкостная смесь",
                                                     rows({9, 10, 11, 12, 13, 14, 15, 16, 17, 18})},
                                           PhaseCase{1, -1, " Недогретая ж-ть", rows({19})},
                                           PhaseCase{1, 0, " Насыщенная ж-ть", 0},
                                           PhaseCase{1, 1, " Перегретая ж-ть", rows({19})},
                                           PhaseCase{2, 0, " Насыщенный пар", rows({17})},
                                           PhaseCase{2, 1, " Перегретый пар", rows({17, 19})},
                                           PhaseCase{3, 3, " Закритика", rows({1, 17, 19})}));

TEST(ResultTable, UnknownPhaseLeavesRowZero) {
    ResultTable t{};
    std::strcpy(t.rows[0], "earlier");
    for (const auto& [phase, detail] : {std::pair{2, -1}, std::pair{4, 0}, std::pair{-1, 0}}) {
        format_result_table(sample(phase, detail), t);
        EXPECT_STREQ(t.rows[0], "earlier");
    }
}

TEST(ResultTable, RowNamesAndUnits) {
    EXPECT_EQ(utf8_from_cp1251(result_row_name(0)), " Фазовое состояние ");
    EXPECT_EQ(utf8_from_cp1251(result_row_name(16)), " Скорость звука ");
    EXPECT_EQ(utf8_from_cp1251(result_row_name(18)), " Темп. к-т объемного расширения ");
    EXPECT_EQ(utf8_from_cp1251(result_row_unit(2)), " бар");
    EXPECT_EQ(utf8_from_cp1251(result_row_unit(8)), " кДж / (кг·°C)");
    EXPECT_EQ(utf8_from_cp1251(result_row_unit(14)), " Па·сек");
    EXPECT_STREQ(result_row_unit(15), " ");
    // One byte per letter: the texts are Windows-1251, not UTF-8.
    EXPECT_STREQ(result_row_name(2), " \xC4\xE0\xE2\xEB\xE5\xED\xE8\xE5 ");
    EXPECT_STREQ(result_row_name(20), "");
    EXPECT_STREQ(result_row_unit(-1), "");
}

TEST(Cp1251, ToUtf8) {
    EXPECT_EQ(utf8_from_cp1251("abc 09"), "abc 09");
    EXPECT_EQ(utf8_from_cp1251("\xC0\xFF\xA8\xB8"), "АяЁё");
    EXPECT_EQ(utf8_from_cp1251("\xB0\xB7\xB9\x88\x96"), "°·№€–");
    EXPECT_EQ(utf8_from_cp1251("\x98"), "\xEF\xBF\xBD");
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    const std::string utf8 = utf8_from_cp1251(all);
    // 127 one-byte characters; of 0x80-0xFF, 18 punctuation and symbol characters at U+2000 and
    // above and U+FFFD take three bytes, the other 109 two.
    EXPECT_EQ(utf8.size(), 127u + 2u * 128u + 19u);
}

}  // namespace
}  // namespace zeltra5
