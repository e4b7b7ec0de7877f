// calculate_properties allocates nothing: every request of every mode runs with the global
// allocation functions counting.

#include <gtest/gtest.h>

#include "counting_allocator.hpp"
#include "zeltra5/calc.hpp"

namespace zeltra5 {
namespace {

TEST(Allocation, CalculatePropertiesAllocatesNothing) {
    // One request per mode and phase, valid and refused, superheat box on and off.
    const CalcRequest requests[] = {
        {MODE_PRESSURE_QUALITY, SIDE_NONE, 5e5, 0.4},
        {MODE_PRESSURE_QUALITY, SIDE_LIQUID, 5e5, -0.1},
        {MODE_SATURATION_PRESSURE, SIDE_LIQUID, 1e6, 0.0},
        {MODE_SATURATION_PRESSURE, SIDE_VAPOUR, 1e6, 0.0},
        {MODE_SATURATION_TEMPERATURE, SIDE_VAPOUR, 20.0, 0.0},
        {MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 1e6, 0.0},
        {MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 1e5, 50.0},
        {MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 2e7, 200.0},
        {MODE_PRESSURE_TEMPERATURE, SIDE_LIQUID, 1e5, -20.0},
        {MODE_PRESSURE_ENTHALPY, SIDE_NONE, 1e6, 1.0e6},
        {MODE_PRESSURE_ENERGY, SIDE_NONE, 1e6, 1.2e6},
        {MODE_PRESSURE_ENTROPY, SIDE_NONE, 1e6, 5000.0},
        {MODE_PRESSURE_DENSITY, SIDE_NONE, 1e6, 600.0},
        {MODE_TEMPERATURE_DENSITY, SIDE_NONE, 20.0, 100.0},
        {MODE_TEMPERATURE_DENSITY, SIDE_LIQUID, 20.0, 450.0},
        {MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 1.0, 0.0},  // refused by the range check
        {9, SIDE_NONE, 1e5, 0.0},
    };
    // The counter sees what this executable allocates.
    ASSERT_TRUE(test_support::allocations_counted());

    PropertyResult result{};
    const long before = test_support::allocation_count();
    int valid = 0;
    for (const CalcRequest& r : requests) valid += calculate_properties(r, result) == 0;
    EXPECT_EQ(test_support::allocation_count() - before, 0);
    EXPECT_GE(valid, 12);
}

}  // namespace
}  // namespace zeltra5
