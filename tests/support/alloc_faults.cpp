// The allocator of the host-test process: malloc and its kin defined here take the
// place of the C library's for the program and every library it loads (the module and
// SQLite included), and pass on to the C library's own functions. Nothing here may
// allocate, and it works from the first call, before main.
#include "support/alloc_faults.h"

#include <atomic>

#if !defined(__SANITIZE_ADDRESS__)

extern "C" {
void *__libc_malloc(std::size_t size);
void *__libc_calloc(std::size_t count, std::size_t size);
void *__libc_realloc(void *block, std::size_t size);
void *__libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void *block);
}

namespace {

std::atomic<long> live{0};              // blocks allocated and not freed
std::atomic<long> countdown{0};         // > 0: the allocation that brings it to 0 fails
std::atomic<std::size_t> threshold{0};  // > 0: allocations of this size and more fail
std::atomic<bool> fired{false};
std::atomic<int> paused{0};

// True when this allocation must fail.
bool Refuse(std::size_t size) {
  if (paused.load(std::memory_order_relaxed) > 0) return false;
  const std::size_t from = threshold.load(std::memory_order_relaxed);
  if (from > 0 && size >= from) {
    fired = true;
    return true;
  }
  if (countdown.load(std::memory_order_relaxed) > 0 && --countdown == 0) {
    fired = true;
    return true;
  }
  return false;
}

void *Counted(void *block) {
  if (block != nullptr) ++live;
  return block;
}

}  // namespace

extern "C" {

void *malloc(std::size_t size) { return Refuse(size) ? nullptr : Counted(__libc_malloc(size)); }

void *calloc(std::size_t count, std::size_t size) {
  return Refuse(count * size) ? nullptr : Counted(__libc_calloc(count, size));
}

void *realloc(void *block, std::size_t size) {
  if (block == nullptr) return malloc(size);
  if (size == 0) {  // frees the block, as the C library's realloc does
    --live;
    return __libc_realloc(block, 0);
  }
  return Refuse(size) ? nullptr : __libc_realloc(block, size);
}

void free(void *block) {
  if (block != nullptr) --live;
  __libc_free(block);
}

void *memalign(std::size_t alignment, std::size_t size) {
  return Refuse(size) ? nullptr : Counted(__libc_memalign(alignment, size));
}

void *aligned_alloc(std::size_t alignment, std::size_t size) { return memalign(alignment, size); }

int posix_memalign(void **out, std::size_t alignment, std::size_t size) {
  void *block = memalign(alignment, size);
  if (block == nullptr) return 12;  // ENOMEM
  *out = block;
  return 0;
}

}  // extern "C"

namespace kiv::test::alloc {

bool Available() { return true; }

void FailNth(long n) {
  fired = false;
  countdown = n;
}

void FailFrom(std::size_t size) {
  fired = false;
  threshold = size;
}

bool Disarm() {
  countdown = 0;
  threshold = 0;
  return fired.exchange(false);
}

long Live() { return live.load(); }

Pause::Pause() { ++paused; }
Pause::~Pause() { --paused; }

}  // namespace kiv::test::alloc

#else

namespace kiv::test::alloc {

bool Available() { return false; }
void FailNth(long) {}
void FailFrom(std::size_t) {}
bool Disarm() { return false; }
long Live() { return 0; }
Pause::Pause() {}
Pause::~Pause() {}

}  // namespace kiv::test::alloc

#endif
