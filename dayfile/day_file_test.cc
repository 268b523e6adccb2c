#include "dayfile/day_file.h"

#include <string>

#include "dayfile/csv_table.h"
#include "gtest/gtest.h"
#include "tests/convert_in_memory.h"
#include "tools/day_bytes.h"

namespace dayfile {
namespace {

using daybytes::HdHeader;
using testing_support::ConvertBytes;
using testing_support::Converted;

const std::string kHeader = kCsvHeader;
const std::string kZeroRow = "0000/00/00,0.00,0.00,0.00,0.00,0,0\r\n";

std::string HdLines(int num, int start, int len) {
  return "RecordNum=" + std::to_string(num) + "\nRecordStart=" +
         std::to_string(start) + "\nRecordLen=" + std::to_string(len) + "\n";
}

// Tiny files as they arrive truncated, padded or garbled: each gives exactly
// this console text and this table.
TEST(DayFileTest, HostileFiles) {
  const std::string ff_row =
      "429496/72/95,42949672.95,42949672.95,42949672.95,42949672.95,nan,-1\r\n";
  struct Case {
    const char* label;
    std::string file;
    std::string console;
    std::string csv;
  } cases[] = {
      {"empty", "", "", ""},
      {"1 byte", "\x01", "iFileLen:0\n",
       kHeader + "0000/00/01,0.00,0.00,0.00,0.00,0,0\r\n"},
      // Judged with zeros for the missing sixth byte, it carries the magic.
      {"5 bytes of the magic", "hd1.0", HdLines(0, 0, 0), ""},
      {"the magic alone", std::string("hd1.0\0", 6), HdLines(0, 0, 0), ""},
      {"RecordLen 0", HdHeader(9, 16, 0) + std::string(64, '\x01'),
       HdLines(9, 16, 0), ""},
      {"RecordLen 1", HdHeader(3, 17, 1) + "\x63\x05\x06\x07",
       HdLines(3, 17, 1),
       kHeader + "0000/00/05,0.00,0.00,0.00,0.00,0,0\r\n" +
           "0000/00/06,0.00,0.00,0.00,0.00,0,0\r\n" +
           "0000/00/07,0.00,0.00,0.00,0.00,0,0\r\n"},
      // The 28th byte is missing: the volume word keeps only its low bytes.
      {"RecordLen 27", HdHeader(1, 43, 27) + std::string(54, '\xff'),
       HdLines(1, 43, 27),
       kHeader + "0000/00/-1,26.84,26.84,26.84,26.84,27,16777215\r\n"},
      {"RecordLen 65535",
       HdHeader(1, 0, 65535) + std::string(65535, '\xff') +
           std::string(100, '\0'),
       HdLines(1, 0, 65535), kHeader + kZeroRow},
      {"skipped block cut short", HdHeader(4, 48, 32) + "12345",
       HdLines(4, 48, 32), kHeader},
      {"not a whole number of records", std::string(33, '\0'), "iFileLen:1\n",
       kHeader + kZeroRow + kZeroRow},
      {"0xFF bytes", std::string(64, '\xff'), "iFileLen:2\n",
       kHeader + ff_row + ff_row},
      {"NUL bytes", std::string(64, '\0'), "iFileLen:2\n",
       kHeader + kZeroRow + kZeroRow},
  };
  for (const Case& c : cases) {
    const Converted out = ConvertBytes(c.file);
    EXPECT_EQ(out.result, ConvertResult::kDone) << c.label;
    EXPECT_EQ(out.console, c.console) << c.label;
    EXPECT_EQ(out.csv, c.csv) << c.label;
  }
}

}  // namespace
}  // namespace dayfile
