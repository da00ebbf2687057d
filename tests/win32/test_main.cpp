// The Windows test program's main. GoogleTest's own printer hands each failure to
// OutputDebugStringA, which under Wine in the emulator raises an exception that ends the
// program in Wine's own code, so a failing test was seen only as a crash. This printer
// writes the failure itself and leaves every other event to GoogleTest's.
// The program runs on one thread: under the emulator that runs Wine here, a thread that
// handles a signal after another thread has started takes on that thread's Windows and
// C library data, and hangs or crashes (README, "The Windows release"). A thread that
// starts fails the program, whether or not the run broke.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

// Threads started in this process: Windows calls each program's TLS callbacks for every
// thread that starts.
volatile LONG threadsStarted = 0;

void NTAPI OnThreadEvent(PVOID, DWORD reason, PVOID) {
  if (reason == DLL_THREAD_ATTACH) InterlockedIncrement(&threadsStarted);
}

[[gnu::section(".CRT$XLF"), gnu::used]] PIMAGE_TLS_CALLBACK threadEvent = &OnThreadEvent;

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

}  // namespace

int main(int argc, char **argv) {
  testing::InitGoogleTest(&argc, argv);
  testing::TestEventListeners &listeners = testing::UnitTest::GetInstance()->listeners();
  listeners.Append(new FailurePrinter(listeners.Release(listeners.default_result_printer())));
  const int failed = RUN_ALL_TESTS();
  if (threadsStarted == 0) return failed;
  std::printf("%ld thread(s) started: this program must run on one thread\n", threadsStarted);
  return 1;
}
