// Test support: every allocation of the test process (the module's, SQLite's, the C
// library's) passes through alloc_faults.cpp, so a test can make one fail, the way
// SQLite tests itself: the Nth from now, or every one of a size and more. It also counts
// the blocks alive, so that a test sees a leak. Sanitizer builds keep their own
// allocator, which must see every block: there Available() is false.
#pragma once

#include <cstddef>

namespace kiv::test::alloc {

bool Available();

// The `n`th allocation from now fails (1: the next one); the others succeed.
void FailNth(long n);

// Every allocation of `size` bytes or more fails.
void FailFrom(std::size_t size);

// Back to normal. Returns whether an allocation was made to fail since arming.
bool Disarm();

// Blocks allocated and not yet freed, over the whole process.
long Live();

// No allocation fails while one of these is alive (a test's own work in a callback).
struct Pause {
  Pause();
  ~Pause();
};

}  // namespace kiv::test::alloc
