// Fuzzes the whole conversion of one day file: the probe's decision between
// the layouts, both converters and the CSV writer, on arbitrary bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "dayfile/csv_table.h"
#include "dayfile/day_file.h"
#include "tests/convert_in_memory.h"

namespace {

struct Output {
  std::string console;
  std::string csv;
};

Output Convert(const uint8_t* data, size_t size,
               dayfile::ConvertBuffers* buffers) {
  Output out;
  dayfile::MemoryCursor cursor{data, size, 0};
  const dayfile::ConvertResult result = dayfile::ConvertDayFile(
      dayfile::MemorySource(&cursor), size, dayfile::StringSink(&out.csv),
      dayfile::StringSink(&out.console), buffers);
  if (result != dayfile::ConvertResult::kDone) std::abort();
  return out;
}

// Two lanes with chunks of a record or two: every input of more than one
// chunk goes through them.
dayfile::ConvertBuffers LanedBuffers() {
  dayfile::ConvertBuffers buffers = dayfile::MakeConvertBuffers();
  buffers.lanes = dayfile::MakeLaneBuffers(64);
  buffers.lanes.threads = testing_support::StdThreads();
  return buffers;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Buffers live for the whole run, as in the tool, so one input could
  // leak into the next if anything were left uncleared.
  static dayfile::ConvertBuffers normal = dayfile::MakeConvertBuffers();
  // The smallest buffers allowed put a block boundary inside most records.
  static dayfile::ConvertBuffers tiny = {
      dayfile::ByteBuffer(dayfile::kMinInputBlockSize),
      dayfile::TextBuffer(dayfile::kMinOutputBlockSize), dayfile::LaneBuffers{}};
  static dayfile::ConvertBuffers laned = LanedBuffers();
  const Output a = Convert(data, size, &normal);
  const Output b = Convert(data, size, &tiny);
  if (a.console != b.console || a.csv != b.csv) std::abort();
  // A thread per conversion is slow under the sanitizers: one input in four
  // (by its size, so a failing input replays) goes through the lanes too.
  if (size % 4 == 0) {
    const Output c = Convert(data, size, &laned);
    if (a.console != c.console || a.csv != c.csv) std::abort();
  }
  // An empty table, or the header line and rows that all end in CR LF.
  if (!a.csv.empty()) {
    if (a.csv.compare(0, dayfile::kCsvHeaderSize, dayfile::kCsvHeader) != 0) {
      std::abort();
    }
    if (a.csv.size() < 2 || a.csv.compare(a.csv.size() - 2, 2, "\r\n") != 0) {
      std::abort();
    }
    for (size_t i = a.csv.find('\n'); i != std::string::npos;
         i = a.csv.find('\n', i + 1)) {
      if (a.csv[i - 1] != '\r') std::abort();
    }
  }
  if (size != 0 && (a.console.empty() || a.console.back() != '\n')) {
    std::abort();
  }
  return 0;
}
