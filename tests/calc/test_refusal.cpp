// Why a request is refused: the rule, the value that broke it and the limit, for every kind of
// refusal; and the same statuses with and without the reason asked for.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "zeltra5/calc.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;  // the constants of the equation the tests check
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
using R = RefusalReason;

struct RefusalCase {
    const char* what;
    CalcRequest request;
    RefusalReason reason;
    int input;
    int field;
    double value;  // NaN: not checked
    double limit;  // NaN: not checked
    double edge_pressure;
    double edge_temperature;
};

class Reason : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Reason, NamesTheRuleTheValueAndTheLimit) {
    const RefusalCase& c = GetParam();
    PropertyResult r{};
    Refusal why{};
    ASSERT_EQ(calculate_properties_with_reason(c.request, r, why), 1);
    EXPECT_EQ(calculate_properties(c.request, r), 1);
    EXPECT_EQ(why.reason, c.reason);
    EXPECT_EQ(why.input, c.input);
    EXPECT_EQ(why.field, c.field);
    if (!std::isnan(c.value)) {
        EXPECT_EQ(why.value, c.value);
    }
    if (!std::isnan(c.limit)) {
        EXPECT_NEAR(why.limit, c.limit, 1e-9 * std::fabs(c.limit) + 1e-12);
    }
    EXPECT_EQ(why.edge_pressure, c.edge_pressure);
    EXPECT_EQ(why.edge_temperature, c.edge_temperature);
}

// Band edges are the states at the domain's lowest or highest temperature (or pressure); their
// values are checked by the range-check tests, so only the edge itself is pinned here.
INSTANTIATE_TEST_SUITE_P(
    EveryRule, Reason,
    ::testing::Values(
        RefusalCase{"mode_9", {9, 0, 1e5, 25.0}, R::bad_request, -1, -1, NaN, NaN, 0, 0},
        RefusalCase{"saturation_side_3", {1, 3, 1e5, 0.0}, R::bad_request, -1, -1, NaN, NaN, 0, 0},
        RefusalCase{"nan_second", {3, 0, 1e5, NaN}, R::not_finite, 1, -1, NaN, NaN, 0, 0},
        RefusalCase{"p_t_hot",
                    {3, 0, 1e6, 500.0},
                    R::above_maximum,
                    1,
                    FIELD_TEMPERATURE,
                    500.0,
                    450.0,
                    0,
                    0},
        RefusalCase{"p_t_thin",
                    {3, 0, 6417.2, 25.0},
                    R::below_minimum,
                    0,
                    FIELD_PRESSURE,
                    6417.2,
                    MIN_PRESSURE,
                    0,
                    0},
        RefusalCase{"ts_hot",
                    {2, 1, 132.345, 0.0},
                    R::above_maximum,
                    0,
                    FIELD_TEMPERATURE,
                    132.345,
                    SATURATION_LIMIT_TEMPERATURE_C,
                    0,
                    0},
        RefusalCase{"px_critical",
                    {0, 0, CRITICAL_PRESSURE, 0.5},
                    R::no_two_phase,
                    0,
                    FIELD_PRESSURE,
                    CRITICAL_PRESSURE,
                    CRITICAL_PRESSURE,
                    0,
                    0},
        RefusalCase{"px_quality_high",
                    {0, 0, 1e5, 9.0},
                    R::above_band,
                    1,
                    FIELD_ENTHALPY,
                    NaN,
                    NaN,
                    1e5,
                    500.0},
        RefusalCase{
            "ph_cold", {4, 0, 1e6, -1e6}, R::below_band, 1, FIELD_ENTHALPY, -1e6, NaN, 1e6, -77.0},
        RefusalCase{
            "ps_hot", {6, 0, 1e6, 2e4}, R::above_band, 1, FIELD_ENTROPY, 2e4, NaN, 1e6, 450.0},
        RefusalCase{"prho_dense",
                    {7, 0, 1e6, 1000.0},
                    R::above_band,
                    1,
                    FIELD_DENSITY,
                    1000.0,
                    NaN,
                    1e6,
                    -77.0},
        RefusalCase{"trho_thin",
                    {8, 0, 25.0, 1e-4},
                    R::below_band,
                    1,
                    FIELD_DENSITY,
                    1e-4,
                    NaN,
                    MIN_PRESSURE,
                    25.0},
        RefusalCase{"superheat_limit",
                    {3, 1, 1e5, 50.0},
                    R::superheat_limit,
                    1,
                    FIELD_TEMPERATURE,
                    50.0,
                    NaN,
                    1e5,
                    0},
        // The saturated states at 132.2 degC were refused as unstable with the fitted densities;
        // with the equilibrium a mixture is refused only above the saturation limit.
        RefusalCase{"trho_mixture_above_saturation_limit",
                    {8, 0, 132.345, 224.8},
                    R::above_maximum,
                    -1,
                    FIELD_TEMPERATURE,
                    NaN,
                    SATURATION_LIMIT_TEMPERATURE_C,
                    0,
                    0}),
    [](const auto& info) { return std::string(info.param.what); });

// The superheat limit the refusal names is the one the front end enforces: a liquid just below
// it is accepted.
TEST(Reason, SuperheatLimitIsTheOneEnforced) {
    PropertyResult r{};
    Refusal why{};
    ASSERT_EQ(calculate_properties_with_reason({3, 1, 1e5, 50.0}, r, why), 1);
    ASSERT_EQ(why.reason, R::superheat_limit);
    EXPECT_GT(why.limit, -33.0);  // above the saturation temperature at 1 bar
    EXPECT_LT(why.limit, 50.0);
    EXPECT_EQ(calculate_properties({3, 1, 1e5, why.limit - 1e-3}, r), 0);
    EXPECT_EQ(r.phase_detail, 1);
}

}  // namespace
}  // namespace zeltra5
