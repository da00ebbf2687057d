// Test support: a fresh temporary folder per test, removed afterwards, and byte-exact
// file helpers. No test writes outside its own folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace kiv::test {

// A GoogleTest fixture owning one new temporary folder.
class TestFolder : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Absolute path of `name` inside the folder.
  std::string Path(const std::string &name) const;

  std::filesystem::path folder_;
};

std::string ReadBytes(const std::string &path);
void WriteBytes(const std::string &path, std::string_view bytes);
bool Exists(const std::string &path);
// `n` pseudo-random bytes from `seed`, every byte value possible.
std::string RandomBytes(std::size_t n, unsigned seed);

}  // namespace kiv::test
