// The Windows test program's main. GoogleTest's own printer hands each failure to
// OutputDebugStringA, which under Wine in the emulator raises an exception that ends the
// program in Wine's own code, so a failing test was seen only as a crash. This printer
// writes the failure itself and leaves every other event to GoogleTest's.
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
  void OnTestProgramStart(const testing::UnitTest &u) override { inner_->OnTestProgramStart(u); }
  void OnTestIterationStart(const testing::UnitTest &u, int i) override {
    inner_->OnTestIterationStart(u, i);
  }
  void OnEnvironmentsSetUpStart(const testing::UnitTest &u) override {
    inner_->OnEnvironmentsSetUpStart(u);
  }
  void OnEnvironmentsSetUpEnd(const testing::UnitTest &u) override {
    inner_->OnEnvironmentsSetUpEnd(u);
  }
  void OnTestSuiteStart(const testing::TestSuite &s) override { inner_->OnTestSuiteStart(s); }
  void OnTestStart(const testing::TestInfo &t) override { inner_->OnTestStart(t); }
  void OnTestDisabled(const testing::TestInfo &t) override { inner_->OnTestDisabled(t); }
  void OnTestEnd(const testing::TestInfo &t) override { inner_->OnTestEnd(t); }
  void OnTestSuiteEnd(const testing::TestSuite &s) override { inner_->OnTestSuiteEnd(s); }
  void OnEnvironmentsTearDownStart(const testing::UnitTest &u) override {
    inner_->OnEnvironmentsTearDownStart(u);
  }
  void OnEnvironmentsTearDownEnd(const testing::UnitTest &u) override {
    inner_->OnEnvironmentsTearDownEnd(u);
  }
  void OnTestIterationEnd(const testing::UnitTest &u, int i) override {
    inner_->OnTestIterationEnd(u, i);
  }
  void OnTestProgramEnd(const testing::UnitTest &u) override { inner_->OnTestProgramEnd(u); }

 private:
  std::unique_ptr<testing::TestEventListener> inner_;
};

}  // namespace

int main(int argc, char **argv) {
  testing::InitGoogleTest(&argc, argv);
  testing::TestEventListeners &listeners = testing::UnitTest::GetInstance()->listeners();
  listeners.Append(new FailurePrinter(listeners.Release(listeners.default_result_printer())));
  return RUN_ALL_TESTS();
}
