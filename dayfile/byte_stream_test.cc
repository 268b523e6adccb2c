#include "dayfile/byte_stream.h"

#include <algorithm>
#include <string>

#include "dayfile/csv_table.h"
#include "dayfile/day_file.h"
#include "gtest/gtest.h"
#include "tests/convert_in_memory.h"
#include "tools/day_bytes.h"

namespace dayfile {
namespace {

// Hands out at most `step` bytes per read, then fails after `fail_after`.
struct Trickle {
  std::string data;
  size_t position;
  size_t step;
  size_t fail_after;
};

int64_t ReadTrickle(void* context, uint8_t* dst, size_t size) {
  auto* t = static_cast<Trickle*>(context);
  if (t->position >= t->fail_after) return -1;
  size_t n = std::min({size, t->step, t->data.size() - t->position});
  std::copy(t->data.begin() + t->position, t->data.begin() + t->position + n,
            dst);
  t->position += n;
  return static_cast<int64_t>(n);
}

struct Converted {
  std::string console, csv;
  ConvertResult result;
};

Converted ConvertTrickle(Trickle* trickle, ByteSink output) {
  ConvertBuffers buffers = MakeConvertBuffers();
  Converted out;
  out.result = ConvertDayFile(ByteSource{ReadTrickle, trickle},
                              trickle->data.size(), output,
                              StringSink(&out.console), &buffers);
  return out;
}

std::string SomeHdFile() {
  const uint32_t words[6] = {daybytes::Packed(true, 2, 12345), 1, 2, 3, 4, 5};
  std::string file = daybytes::HdHeader(3, 0, 50) + std::string(50, 'x');
  for (int i = 0; i < 3; ++i) file += daybytes::HdRecord(20240101 + i, words, 50);
  return file + "tail";
}

// Records and the header split across reads of any size convert as if the
// file came in one piece.
TEST(ByteStreamTest, ReadsOfAnySizeGiveTheSameTable) {
  for (const std::string& file :
       {SomeHdFile(),
        daybytes::PlainRecord(20240102, 1, 2, 3, 4, 5, 6) + "partial"}) {
    const std::string whole = testing_support::ConvertBytes(file).csv;
    for (size_t step : {1u, 3u, 7u, 16u, 31u}) {
      Trickle trickle{file, 0, step, SIZE_MAX};
      std::string csv;
      const Converted out = ConvertTrickle(&trickle, StringSink(&csv));
      EXPECT_EQ(out.result, ConvertResult::kDone);
      EXPECT_EQ(csv, whole) << "step " << step;
    }
  }
}

TEST(ByteStreamTest, ReadErrorIsReported) {
  for (size_t fail_after : {0u, 10u, 100u}) {
    Trickle trickle{SomeHdFile(), 0, 4, fail_after};
    std::string csv;
    EXPECT_EQ(ConvertTrickle(&trickle, StringSink(&csv)).result,
              ConvertResult::kReadFailed)
        << fail_after;
  }
}

bool RefuseWrite(void*, const char*, size_t) { return false; }

TEST(ByteStreamTest, WriteErrorIsReported) {
  Trickle trickle{SomeHdFile(), 0, 1 << 20, SIZE_MAX};
  EXPECT_EQ(ConvertTrickle(&trickle, ByteSink{RefuseWrite, nullptr}).result,
            ConvertResult::kWriteFailed);
}

}  // namespace
}  // namespace dayfile
