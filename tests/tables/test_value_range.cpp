// Ranges of values from text: the values, exactly as their decimal texts read, and a clear
// refusal (never a hang or an absurd list) for every malformed range.

#include <gtest/gtest.h>

#include <charconv>
#include <string>
#include <vector>

#include "zeltra5/value_range.hpp"

namespace zeltra5 {
namespace {

double read(const std::string& text) {
    double v = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

TEST(ValueRange, GivesTheValuesInOrder) {
    struct Case {
        const char* text;
        std::size_t count;
        double first;
        double last;
    };
    const Case cases[] = {
        {"-70:130:5", 41, -70.0, 130.0},
        {"130:-70:-5", 41, 130.0, -70.0},
        {"0:1:0.1", 11, 0.0, 1.0},
        {"-0.3:0.3:0.1", 7, -0.3, 0.3},
        {"0:10:3", 4, 0.0, 9.0},  // the steps stop before TO
        {"1:100:*1.5", 12, 1.0, 86.49755859375},
        {"0.1:1000:*10", 5, 0.1, 1000.0},
        {"-1:-100:*2", 7, -1.0, -64.0},
        {"100:1:*0.5", 7, 100.0, 1.5625},
        {"5:5:1", 1, 5.0, 5.0},
        {"25", 1, 25.0, 25.0},
        {" 1 , 2.5,+7 ", 3, 1.0, 7.0},
        {"1e-3:3e-3:1e-3", 3, 0.001, 0.003},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<double> v;
        ASSERT_EQ(parse_value_range(c.text, v), RangeError::none);
        ASSERT_EQ(v.size(), c.count);
        EXPECT_EQ(v.front(), c.first);
        EXPECT_EQ(v.back(), c.last);
    }
}

// Each value of a decimal range is the double its own text reads as, so a table row at 0.3
// equals the single request at 0.3 bit for bit.
TEST(ValueRange, DecimalStepsGiveTheDecimalValues) {
    std::vector<double> v;
    ASSERT_EQ(parse_value_range("-1:1:0.1", v), RangeError::none);
    ASSERT_EQ(v.size(), 21u);
    for (std::size_t i = 0; i < v.size(); ++i) {
        // "-1.0", "-0.9", ... "1.0"
        char text[16];
        const int tenths = -10 + static_cast<int>(i);
        char* end =
            std::to_chars(text, text + sizeof text, tenths / 10.0, std::chars_format::fixed, 1).ptr;
        const std::string decimal(text, static_cast<std::size_t>(end - text));
        EXPECT_EQ(v[i], read(decimal)) << decimal;
    }
    ASSERT_EQ(parse_value_range("0.1:1000:*10", v), RangeError::none);
    EXPECT_EQ(v, (std::vector<double>{0.1, 1.0, 10.0, 100.0, 1000.0}));
}

TEST(ValueRange, RefusesMalformedRanges) {
    struct Case {
        const char* text;
        RangeError error;
    };
    const Case cases[] = {
        {"", RangeError::bad_number},
        {"abc", RangeError::bad_number},
        {"1,,2", RangeError::bad_number},
        {"1:2:x", RangeError::bad_number},
        {"1:2", RangeError::bad_form},
        {"1:2:3:4", RangeError::bad_form},
        {"1:5:1,2", RangeError::bad_form},
        {"1:2:nan", RangeError::not_finite},
        {"1:inf:1", RangeError::not_finite},
        {"1:1e999:1", RangeError::not_finite},
        {"0:10:0", RangeError::zero_step},
        {"0:10:-1", RangeError::wrong_direction},
        {"10:0:1", RangeError::wrong_direction},
        {"1:100:*0.5", RangeError::wrong_direction},
        {"100:1:*2", RangeError::wrong_direction},
        {"1:100:*1", RangeError::bad_factor},
        {"1:100:*0", RangeError::bad_factor},
        {"1:100:*-2", RangeError::bad_factor},
        {"0:100:*2", RangeError::factor_sign},
        {"-1:100:*2", RangeError::factor_sign},
        {"0:1e9:0.001", RangeError::too_many_values},
        {"0:1e300:1e-300", RangeError::too_many_values},
        {"1:2:*1.0000000000001", RangeError::too_many_values},
        {"0:10000:1", RangeError::too_many_values},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<double> v{1.0};
        EXPECT_EQ(parse_value_range(c.text, v), c.error);
        EXPECT_TRUE(v.empty());
        const std::string why = describe_range_error(c.error, c.text, Language::english);
        EXPECT_NE(why.find(std::string("\"") + c.text + "\""), std::string::npos) << why;
        EXPECT_FALSE(describe_range_error(c.error, c.text, Language::russian).empty());
    }
    // The longest list allowed is allowed.
    std::vector<double> v;
    EXPECT_EQ(parse_value_range("1:10000:1", v), RangeError::none);
    EXPECT_EQ(v.size(), MAX_RANGE_VALUES);
}

}  // namespace
}  // namespace zeltra5
