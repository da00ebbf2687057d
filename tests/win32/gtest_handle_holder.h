// Read into GoogleTest's own sources in the Windows build, which makes GoogleTest work on
// one thread (GTEST_IS_THREADSAFE=0): its Windows death-test code still holds the child
// process's handles in an AutoHandle, which only the thread-safe build declares. This
// one closes what it holds, as GoogleTest's does.
#pragma once
#include <windows.h>

namespace testing::internal {

class AutoHandle {
 public:
  using Handle = HANDLE;
  explicit AutoHandle(Handle handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  AutoHandle(const AutoHandle &) = delete;
  AutoHandle &operator=(const AutoHandle &) = delete;
  ~AutoHandle() { Reset(); }
  Handle Get() const { return handle_; }
  void Reset(Handle handle = INVALID_HANDLE_VALUE) {
    if (handle_ != handle && handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE)
      CloseHandle(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_;
};

}  // namespace testing::internal
