#include "dayfile/row_lanes.h"

#include <algorithm>
#include <random>
#include <string>

#include "dayfile/day_file.h"
#include "gtest/gtest.h"
#include "tests/convert_in_memory.h"
#include "tools/day_bytes.h"

namespace dayfile {
namespace {

using testing_support::ConvertBytes;
using testing_support::Converted;
using testing_support::StdThreads;

bool NoThread(void (*)(void*), void*, void**) { return false; }

// The tool's buffers, with lanes of `chunk_bytes`.
ConvertBuffers LanedBuffers(size_t chunk_bytes, ThreadStarter threads) {
  ConvertBuffers buffers = MakeConvertBuffers();
  buffers.lanes = MakeLaneBuffers(chunk_bytes);
  buffers.lanes.threads = threads;
  return buffers;
}

std::string PlainFile(int records, std::mt19937* random) {
  std::string file;
  for (int i = 0; i < records; ++i) {
    const uint32_t price = 500 + (*random)() % 20000;
    file += daybytes::PlainRecord(20100104 + i, price, price + 7, price - 3,
                                  price + 1, (*random)() % 100000000 / 7.0f,
                                  static_cast<int32_t>((*random)()));
  }
  return file;
}

std::string HdFile(int records, uint16_t record_len, std::mt19937* random) {
  std::string file = daybytes::HdHeader(static_cast<uint32_t>(records), 99,
                                        record_len) +
                     std::string(record_len, 'x');
  for (int i = 0; i < records; ++i) {
    uint32_t words[6];
    for (uint32_t& w : words) w = (*random)();
    file += daybytes::HdRecord(20100104 + i, words, record_len);
  }
  return file;
}

// Two lanes give the very bytes of one thread, whatever the chunk size and
// wherever the file ends: on a chunk boundary, inside a chunk or inside a
// record.
TEST(RowLanesTest, SameTableAsOneThread) {
  std::mt19937 random(5);
  std::vector<std::string> files;
  for (const int records : {0, 1, 5, 31, 32, 33, 64, 1000}) {
    files.push_back(PlainFile(records, &random));
    files.push_back(files.back() + "short");  // a last, partial record
    files.push_back(HdFile(records, 32, &random));
    files.push_back(HdFile(records, 29, &random) + "ab");
  }
  ConvertBuffers one = MakeConvertBuffers();
  for (const size_t chunk : {32, 96, 100, 1024, 4096}) {
    ConvertBuffers laned = LanedBuffers(chunk, StdThreads());
    for (size_t i = 0; i < files.size(); ++i) {
      const Converted a = ConvertBytes(files[i], &one);
      const Converted b = ConvertBytes(files[i], &laned);
      ASSERT_EQ(a.csv, b.csv) << "file " << i << ", chunk " << chunk;
      ASSERT_EQ(a.console, b.console) << "file " << i;
      ASSERT_EQ(a.result, b.result) << "file " << i;
    }
  }
}

// Fails every write after the first `allowed` bytes.
struct LimitedSink {
  std::string text;
  size_t allowed;
};
bool WriteLimited(void* context, const char* data, size_t size) {
  auto* sink = static_cast<LimitedSink*>(context);
  if (sink->text.size() + size > sink->allowed) return false;
  sink->text.append(data, size);
  return true;
}

// Fails the read that would go past `fail_at`.
struct FailingSource {
  const std::string* data;
  size_t position;
  size_t fail_at;
};
int64_t ReadFailing(void* context, uint8_t* dst, size_t size) {
  auto* source = static_cast<FailingSource*>(context);
  if (source->position + size > source->fail_at) return -1;
  const size_t n = std::min(size, source->data->size() - source->position);
  std::copy_n(source->data->data() + source->position, n, dst);
  source->position += n;
  return static_cast<int64_t>(n);
}

// A failed write or read in either lane ends the conversion as it would on
// one thread; no thread at all means one lane.
TEST(RowLanesTest, FailuresAndNoSecondThread) {
  std::mt19937 random(9);
  const std::string file = PlainFile(5000, &random);
  ConvertBuffers laned = LanedBuffers(1024, StdThreads());
  std::string console;
  for (const size_t allowed : {size_t{100}, size_t{5000}, size_t{100000}}) {
    MemoryCursor cursor{reinterpret_cast<const uint8_t*>(file.data()),
                        file.size(), 0};
    LimitedSink sink{"", allowed};
    EXPECT_EQ(ConvertDayFile(MemorySource(&cursor), file.size(),
                             ByteSink{WriteLimited, &sink},
                             StringSink(&console), &laned),
              ConvertResult::kWriteFailed)
        << allowed;
  }
  for (const size_t fail_at : {size_t{3000}, size_t{100000}}) {
    FailingSource source{&file, 0, fail_at};
    std::string csv;
    EXPECT_EQ(ConvertDayFile(ByteSource{ReadFailing, &source}, file.size(),
                             StringSink(&csv), StringSink(&console), &laned),
              ConvertResult::kReadFailed)
        << fail_at;
  }
  ConvertBuffers alone = LanedBuffers(1024, {NoThread, nullptr});
  ConvertBuffers one = MakeConvertBuffers();
  EXPECT_EQ(ConvertBytes(file, &alone).csv, ConvertBytes(file, &one).csv);
}

}  // namespace
}  // namespace dayfile
