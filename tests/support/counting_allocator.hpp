#pragma once
// A test binary that links counting_allocator.cpp has the global allocation functions replaced
// by ones that count, so that a test can show that a piece of code allocates nothing.

namespace zeltra5::test_support {

// Allocations by operator new and new[] in this process so far.
long allocation_count();

// Whether the replacement is the one in use: one allocation, counted once.
bool allocations_counted();

}  // namespace zeltra5::test_support
