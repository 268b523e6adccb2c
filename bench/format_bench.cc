// Micro-benchmarks of the row formatters, writing to memory only.
#include <cstdint>
#include <random>
#include <vector>

#include "benchmark/benchmark.h"
#include "dayfile/csv_table.h"
#include "dayfile/hd_day_file.h"
#include "dayfile/number_text.h"
#include "dayfile/plain_day_file.h"
#include "tools/day_bytes.h"

namespace {

constexpr int kRecords = 4096;

void BM_PlainRow(benchmark::State& state) {
  std::mt19937 random(1);
  std::vector<dayfile::DayRecord> records;
  for (int i = 0; i < kRecords; ++i) {
    const uint32_t price = 500 + random() % 5000;
    records.push_back({20100104u + static_cast<uint32_t>(i), price, price + 30,
                       price - 20, price + 5,
                       static_cast<float>(random() % 100000000),
                       static_cast<int32_t>(random() % 5000000)});
  }
  char row[dayfile::kMaxRowSize];
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(dayfile::FormatDayRow(records[i++ % kRecords], row));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlainRow);

void BM_HdRow(benchmark::State& state) {
  std::mt19937 random(2);
  std::vector<std::string> records;
  for (int i = 0; i < kRecords; ++i) {
    const uint32_t price = 5000 + random() % 50000;
    const uint32_t words[6] = {
        daybytes::Packed(true, 3, price), daybytes::Packed(true, 3, price + 300),
        daybytes::Packed(true, 3, price - 200), daybytes::Packed(true, 3, price + 55),
        daybytes::Packed(random() % 2, random() % 4, random() % 268435456),
        daybytes::Packed(random() % 4 == 0, random() % 3, random() % 200000000)};
    records.push_back(daybytes::HdRecord(20100104 + i, words));
  }
  char row[dayfile::kMaxRowSize];
  size_t i = 0;
  for (auto _ : state) {
    const std::string& r = records[i++ % kRecords];
    benchmark::DoNotOptimize(
        dayfile::FormatHdRow(reinterpret_cast<const uint8_t*>(r.data()), row));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HdRow);

// The general exact path, which the fast paths avoid for nearly every value.
void BM_FormatFixed(benchmark::State& state) {
  std::mt19937_64 random(3);
  std::vector<double> values;
  for (int i = 0; i < kRecords; ++i) values.push_back((random() % 100000000) / 1000.0);
  char text[dayfile::kMaxNumberText];
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(dayfile::FormatFixed(values[i++ % kRecords], 2, text));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormatFixed);

}  // namespace

BENCHMARK_MAIN();
