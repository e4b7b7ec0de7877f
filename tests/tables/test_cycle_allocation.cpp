// The cycle allocates nothing: it runs with the global allocation functions counting.

#include <gtest/gtest.h>

#include "counting_allocator.hpp"
#include "zeltra5/refrigeration_cycle.hpp"

namespace zeltra5 {
namespace {

TEST(CycleAllocation, ValidAndRefusedCyclesAllocateNothing) {
    const CycleInput inputs[] = {{-10.0, 35.0, 5.0, 0.0, 0.75, 100.0},
                                 {-30.0, 40.0, 0.0, 5.0, 0.6, 0.0},
                                 {40.0, 35.0, 5.0, 0.0, 0.75, 0.0},
                                 {-80.0, 35.0, 5.0, 0.0, 0.75, 0.0}};
    CycleResult r;
    char text[300];
    ASSERT_TRUE(test_support::allocations_counted());  // the counter sees this executable
    const long before = test_support::allocation_count();
    for (const CycleInput& in : inputs) {
        calculate_cycle(in, {DISPLAY_UNITS, ReferenceState::iir, false}, r);
        describe_cycle_refusal(r, Language::english, text, sizeof text);
    }
    EXPECT_EQ(test_support::allocation_count() - before, 0);
}

}  // namespace
}  // namespace zeltra5
