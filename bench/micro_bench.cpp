// Microbenchmarks of the module's own work: the hex codec, the parameter split and the
// record-set text. Throughput in bytes per second of input.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "actions/sql_actions.h"
#include "blob/hex_codec.h"
#include "frame/frame.h"

namespace {

std::string Random(std::size_t n) {
  std::mt19937 random(7);
  std::string bytes(n, '\0');
  for (char &c : bytes) c = static_cast<char>(random());
  return bytes;
}

void BM_BlobToHex(benchmark::State &state) {
  const std::string data = Random(static_cast<std::size_t>(state.range(0)));
  std::string hex(2 * data.size(), '\0');
  for (auto _ : state) {
    kiv::blob::WriteHex(reinterpret_cast<const unsigned char *>(data.data()), data.size(),
                        hex.data());
    benchmark::DoNotOptimize(hex.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_BlobToHex)->Arg(1 << 20)->Arg(16 << 20);

void BM_HexToBlob(benchmark::State &state) {
  kiv::ByteBuffer hex;
  kiv::blob::BlobToHex(Random(static_cast<std::size_t>(state.range(0))), hex);
  const std::string quoted = "X'" + std::string(hex.view()) + "'";
  std::string bytes(kiv::blob::HexToBlobLength(quoted.size()), '\0');
  for (auto _ : state) {
    kiv::blob::WriteBlob(quoted, reinterpret_cast<unsigned char *>(bytes.data()));
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));  // bytes made
}
BENCHMARK(BM_HexToBlob)->Arg(1 << 20)->Arg(16 << 20);

void BM_ParamField(benchmark::State &state) {
  const std::string text = "C:\\Data\\shop.db|pics|img|12345|C:\\Pictures\\some picture.jpg|answer";
  for (auto _ : state) {
    for (int n = 1; n <= 6; ++n) benchmark::DoNotOptimize(kiv::frame::ParamField(text, n));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParamField);

// A result table like sqlite3_get_table's for rows of (id, 20-character name, score, note).
void BM_RecordSetText(benchmark::State &state) {
  const int rows = static_cast<int>(state.range(0));
  std::vector<std::string> texts;
  texts.reserve(static_cast<std::size_t>(rows) * 4);
  std::vector<char *> cells = {nullptr, nullptr, nullptr, nullptr};
  for (int r = 0; r < rows; ++r) {
    texts.push_back(std::to_string(r + 1));
    texts.push_back("name-" + std::to_string(1000000000000000 + r));
    texts.push_back(std::to_string(r * 0.25));
  }
  for (int r = 0; r < rows; ++r) {
    cells.push_back(texts[3 * r].data());
    cells.push_back(texts[3 * r + 1].data());
    cells.push_back(texts[3 * r + 2].data());
    cells.push_back(r % 5 == 0 ? nullptr : texts[3 * r + 1].data());
  }
  std::size_t size = 0;
  for (auto _ : state) {
    kiv::ByteBuffer text;
    kiv::actions::BuildRecordSetText({cells.data(), rows, 4}, text);
    size = text.size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}
BENCHMARK(BM_RecordSetText)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
