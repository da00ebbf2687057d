// TestFolder and the file helpers.
#include "support/test_folder.h"

#include <fstream>
#include <iterator>
#include <random>

namespace kiv::test {

void TestFolder::SetUp() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  const auto base = std::filesystem::temp_directory_path();
  do {
    folder_ = base / ("kivtest-" + std::to_string(random()));
  } while (!std::filesystem::create_directory(folder_));
}

void TestFolder::TearDown() {
  std::error_code ignored;
  // Files made read-only by a test must not stop the clean-up.
  for (const auto &entry : std::filesystem::recursive_directory_iterator(folder_, ignored)) {
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(folder_, ignored);
}

std::string TestFolder::Path(const std::string &name) const { return (folder_ / name).string(); }

std::string ReadBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string &path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::string &path) { return std::filesystem::exists(path); }

std::string RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(n, '\0');
  for (char &c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

}  // namespace kiv::test
