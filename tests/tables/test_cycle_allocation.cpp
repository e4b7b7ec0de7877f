// The cycle allocates nothing: it runs with the global allocation functions counting.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "zeltra5/refrigeration_cycle.hpp"

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace zeltra5 {
namespace {

TEST(CycleAllocation, ValidAndRefusedCyclesAllocateNothing) {
    const CycleInput inputs[] = {{-10.0, 35.0, 5.0, 0.0, 0.75, 100.0},
                                 {-30.0, 40.0, 0.0, 5.0, 0.6, 0.0},
                                 {40.0, 35.0, 5.0, 0.0, 0.75, 0.0},
                                 {-80.0, 35.0, 5.0, 0.0, 0.75, 0.0}};
    CycleResult r;
    char text[300];
    const long before = g_allocations.load();
    for (const CycleInput& in : inputs) {
        calculate_cycle(in, {UnitSystem::display, ReferenceState::iir, false}, r);
        describe_cycle_refusal(r, Language::english, text, sizeof text);
    }
    EXPECT_EQ(g_allocations.load() - before, 0);
}

}  // namespace
}  // namespace zeltra5
