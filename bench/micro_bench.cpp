// Microbenchmarks of the module's own work: the hex codec, the parameter split and the
// record-set text. Throughput in bytes per second of input.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "actions/sql_actions.h"
#include "blob/hex_codec.h"
#include "blob/hex_codec_pieces.h"
#include "frame/param_text.h"

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
    kiv::blob::DecodeQuotedBlob(quoted, reinterpret_cast<unsigned char *>(bytes.data()));
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

// The record-set text of a result of rows of (id, 20-character name, score, note), as
// the query action reads it.
void BM_RecordSetText(benchmark::State &state) {
  const std::string sql =
      "WITH RECURSIVE c(r) AS (SELECT 0 UNION ALL SELECT r + 1 FROM c WHERE r < " +
      std::to_string(state.range(0) - 1) +
      ") SELECT r + 1, 'name-' || (1000000000000000 + r), r * 0.25,"
      " CASE WHEN r % 5 = 0 THEN NULL ELSE 'name-' || (1000000000000000 + r) END FROM c";
  kiv::db::DbHandle db;
  kiv::db::ResultTable table;
  if (!kiv::db::OpenDatabase("", db) || !kiv::db::QueryTable(db, sql.c_str(), table)) {
    state.SkipWithError("the result could not be made");
    return;
  }
  std::size_t size = 0;
  for (auto _ : state) {
    kiv::ByteBuffer text;
    kiv::actions::BuildRecordSetText(table, text);
    size = text.size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}
BENCHMARK(BM_RecordSetText)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
