#include "dayfile/plain_day_file.h"

#include <cmath>
#include <limits>
#include <string>

#include "dayfile/csv_table.h"
#include "gtest/gtest.h"
#include "tests/convert_in_memory.h"
#include "tools/day_bytes.h"

namespace dayfile {
namespace {

using daybytes::PlainRecord;
using testing_support::ConvertBytes;
using testing_support::Converted;

const std::string kHeader = kCsvHeader;

TEST(PlainDayFileTest, ThreeRecords) {
  const std::string file =
      PlainRecord(20240102, 1005, 1100, 995, 1050, 123456.5f, 1000) +
      PlainRecord(20240103, 1050, 1060, 1040, 1045, 2.5f, 0) +
      PlainRecord(20240104, 0, 5, 105, 4294967295u, -2.5f, -1);
  const Converted out = ConvertBytes(file);
  EXPECT_EQ(out.result, ConvertResult::kDone);
  EXPECT_EQ(out.console, "iFileLen:3\n");
  EXPECT_EQ(out.csv, kHeader +
                         "2024/01/02,10.05,11.00,9.95,10.50,123457,1000\r\n"
                         "2024/01/03,10.50,10.60,10.40,10.45,3,0\r\n"
                         "2024/01/04,0.00,0.05,1.05,42949672.95,-3,-1\r\n");
}

TEST(PlainDayFileTest, FieldsAtTheirLimits) {
  struct Case {
    std::string record;
    const char* row;
  } cases[] = {
      // A volume with its top bit set is negative; prices never are.
      {PlainRecord(0, 2147483648u, 0, 0, 0, 0, -2147483647 - 1),
       "0000/00/00,21474836.48,0.00,0.00,0.00,0,-2147483648\r\n"},
      // The date is unsigned: its year may run to six digits.
      {PlainRecord(4294967295u, 1, 10, 100, 1000, 0.49999997f, 7),
       "429496/72/95,0.01,0.10,1.00,10.00,0,7\r\n"},
      {PlainRecord(19991231, 0, 0, 0, 0, 1e20f, 0),
       "1999/12/31,0.00,0.00,0.00,0.00,100000002004087730000,0\r\n"},
      {PlainRecord(20000101, 0, 0, 0, 0,
                   std::numeric_limits<float>::quiet_NaN(), 0),
       "2000/01/01,0.00,0.00,0.00,0.00,nan,0\r\n"},
      {PlainRecord(20000101, 0, 0, 0, 0,
                   -std::numeric_limits<float>::infinity(), 0),
       "2000/01/01,0.00,0.00,0.00,0.00,-inf,0\r\n"},
      {PlainRecord(20000101, 0, 0, 0, 0,
                   std::numeric_limits<float>::infinity(), 0),
       "2000/01/01,0.00,0.00,0.00,0.00,inf,0\r\n"},
  };
  for (const Case& c : cases) {
    const Converted out = ConvertBytes(c.record);
    EXPECT_EQ(out.csv, kHeader + c.row) << c.row;
  }
}

// A length that is no multiple of 32 still gives a row for its tail, and
// the bytes the tail lacks are zero.
TEST(PlainDayFileTest, PartialLastRecord) {
  const std::string full =
      PlainRecord(20240102, 100, 200, 300, 400, 5.0f, 6, 0xffffffffu);
  struct Case {
    std::string file;
    const char* console;
    std::string csv;
  } cases[] = {
      {full + full.substr(0, 8), "iFileLen:1\n",
       kHeader + "2024/01/02,1.00,2.00,3.00,4.00,5,6\r\n" +
           "2024/01/02,1.00,0.00,0.00,0.00,0,0\r\n"},
      {full.substr(0, 10), "iFileLen:0\n",
       kHeader + "2024/01/02,1.00,2.00,0.00,0.00,0,0\r\n"},
      {std::string(1, '\x01'), "iFileLen:0\n",
       kHeader + "0000/00/01,0.00,0.00,0.00,0.00,0,0\r\n"},
  };
  for (const Case& c : cases) {
    const Converted out = ConvertBytes(c.file);
    EXPECT_EQ(out.console, c.console) << c.file.size() << " bytes";
    EXPECT_EQ(out.csv, c.csv) << c.file.size() << " bytes";
  }
}

// The buffers of one run serve every file: a short file after a full one
// must not pick up the earlier file's bytes.
TEST(PlainDayFileTest, ReusedBuffersLeakNothing) {
  ConvertBuffers buffers = MakeConvertBuffers();
  ConvertBytes(PlainRecord(20240102, 9, 9, 9, 9, 9.0f, 9, 9), &buffers);
  const Converted out = ConvertBytes(std::string(4, '\0'), &buffers);
  EXPECT_EQ(out.csv, kHeader + "0000/00/00,0.00,0.00,0.00,0.00,0,0\r\n");
}

TEST(PlainDayFileTest, EmptyInputWritesNothing) {
  const Converted out = ConvertBytes("");
  EXPECT_EQ(out.result, ConvertResult::kDone);
  EXPECT_EQ(out.console, "");
  EXPECT_EQ(out.csv, "");
}

// Many blocks' worth of records: the same rows as one record at a time.
TEST(PlainDayFileTest, LongFileCrossesBlocks) {
  std::string file, expected = kHeader;
  for (uint32_t i = 0; i < 20001; ++i) {
    const DayRecord r{20000101 + i, i, i * 3, i * 7, i * 11,
                      static_cast<float>(i) * 0.75f,
                      static_cast<int32_t>(i) - 10000};
    file += PlainRecord(r.date, r.open, r.high, r.low, r.close, r.amount,
                        r.volume);
    char row[kMaxRowSize];
    expected.append(row, FormatDayRow(r, row));
  }
  const Converted out = ConvertBytes(file);
  EXPECT_EQ(out.console, "iFileLen:20001\n");
  EXPECT_EQ(out.csv, expected);
}

}  // namespace
}  // namespace dayfile
