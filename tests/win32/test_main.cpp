// The Windows test program's main. GoogleTest's own printer hands each failure to
// OutputDebugStringA, which under Wine in the emulator raises an exception that ends the
// program in Wine's own code, so a failing test was seen only as a crash. This printer
// writes the failure itself and leaves every other event to GoogleTest's. A sentinel
// says when a wait on the main thread returns while it still runs: GoogleTest takes
// such a return for the thread's end and deletes its data (its traces, its reporter).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

class FailurePrinter final : public testing::TestEventListener {
 public:
  explicit FailurePrinter(testing::TestEventListener *inner) : inner_(inner) {}

  void OnTestPartResult(const testing::TestPartResult &result) override {
    if (result.type() == testing::TestPartResult::kSuccess) return;
    std::printf("%s:%d: %s\n%s\n", result.file_name() ? result.file_name() : "unknown file",
                result.line_number(), result.skipped() ? "Skipped" : "Failure", result.message());
    std::fflush(stdout);
  }

// Every other event goes to GoogleTest's printer as it comes.
#define KIV_PASS_ON(Event, Subject) \
  void Event(const testing::Subject &s) override { inner_->Event(s); }
#define KIV_PASS_ON_ITERATION(Event) \
  void Event(const testing::UnitTest &u, int i) override { inner_->Event(u, i); }
  KIV_PASS_ON(OnTestProgramStart, UnitTest)
  KIV_PASS_ON_ITERATION(OnTestIterationStart)
  KIV_PASS_ON(OnEnvironmentsSetUpStart, UnitTest)
  KIV_PASS_ON(OnEnvironmentsSetUpEnd, UnitTest)
  KIV_PASS_ON(OnTestSuiteStart, TestSuite)
  KIV_PASS_ON(OnTestStart, TestInfo)
  KIV_PASS_ON(OnTestDisabled, TestInfo)
  KIV_PASS_ON(OnTestEnd, TestInfo)
  KIV_PASS_ON(OnTestSuiteEnd, TestSuite)
  KIV_PASS_ON(OnEnvironmentsTearDownStart, UnitTest)
  KIV_PASS_ON(OnEnvironmentsTearDownEnd, UnitTest)
  KIV_PASS_ON_ITERATION(OnTestIterationEnd)
  KIV_PASS_ON(OnTestProgramEnd, UnitTest)
#undef KIV_PASS_ON
#undef KIV_PASS_ON_ITERATION

 private:
  std::unique_ptr<testing::TestEventListener> inner_;
};

// Waits on the main thread, as GoogleTest's watcher of its per-thread data does, and
// tells when that wait fails or returns before the thread has ended.
DWORD WINAPI Sentinel(LPVOID mainThread) {
  const HANDLE thread = static_cast<HANDLE>(mainThread);
  const DWORD result = WaitForSingleObject(thread, INFINITE);
  DWORD code = 0;
  if (result != WAIT_OBJECT_0 || (GetExitCodeThread(thread, &code) && code == STILL_ACTIVE)) {
    std::printf("sentinel: a wait on the main thread returned %lu while it runs (error %lu)\n",
                result, GetLastError());
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  CreateThread(nullptr, 0, &Sentinel,
               OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, GetCurrentThreadId()), 0,
               nullptr);
  testing::InitGoogleTest(&argc, argv);
  testing::TestEventListeners &listeners = testing::UnitTest::GetInstance()->listeners();
  listeners.Append(new FailurePrinter(listeners.Release(listeners.default_result_printer())));
  return RUN_ALL_TESTS();
}
