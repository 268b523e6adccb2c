#include "dayfile/hd_day_file.h"

#include <random>
#include <string>

#include "dayfile/csv_table.h"
#include "dayfile/number_text.h"
#include "dayfile/packed_decimal.h"
#include "gtest/gtest.h"
#include "tests/convert_in_memory.h"
#include "tests/exact_reference.h"
#include "tools/day_bytes.h"

namespace dayfile {
namespace {

using daybytes::HdHeader;
using daybytes::HdRecord;
using daybytes::Packed;
using testing_support::ConvertBytes;
using testing_support::Converted;

const std::string kHeader = kCsvHeader;

std::string PackedText(uint32_t word, int decimals) {
  char text[kMaxNumberText];
  return std::string(
      text, FormatPackedDecimal(DecodePackedDecimal(word), decimals, text));
}

TEST(PackedDecimalTest, WordsInPriceAndVolumeColumns) {
  struct Case {
    bool fraction;
    uint32_t exponent, mantissa;
    const char* price;   // two decimals
    const char* volume;  // none
  } cases[] = {
      {false, 0, 125, "125.00", "125"},
      {true, 2, 125, "1.25", "1"},
      {true, 3, 125, "0.13", "0"},  // 0.1^3 lies above 0.001
      {false, 2, 5, "500.00", "500"},
      {true, 1, 25, "2.50", "3"},  // exactly 2.5
      {true, 1, 15, "1.50", "2"},
      {true, 1, 35, "3.50", "4"},
      {true, 0, 7, "7.00", "7"},
      {true, 7, 1, "0.00", "0"},
      {true, 7, 0x0fffffff, "26.84", "27"},
      {false, 7, 0x0fffffff, "2684354550000000.00", "2684354550000000"},
      {false, 0, 0, "0.00", "0"},
  };
  for (const Case& c : cases) {
    const uint32_t word = Packed(c.fraction, c.exponent, c.mantissa);
    EXPECT_EQ(PackedText(word, 2), c.price) << std::hex << word;
    EXPECT_EQ(PackedText(word, 0), c.volume) << std::hex << word;
  }
}

// The integer fast paths give the text of the double product, which the
// reference formats from its exact binary value.
TEST(PackedDecimalTest, RandomWordsMatchReference) {
  std::mt19937 random(3);
  for (int i = 0; i < 40000; ++i) {
    uint32_t word = static_cast<uint32_t>(random());
    if (i % 2 == 0) word = (word & 0xf0000000u) | (word % 2000);  // short m
    const double value = PackedDecimalValue(DecodePackedDecimal(word));
    for (int decimals : {0, 2}) {
      ASSERT_EQ(PackedText(word, decimals), reference::Fixed(value, decimals))
          << std::hex << word << " with " << decimals;
    }
  }
}

// Words exactly on a half of the last printed decimal round up in integers;
// the double of the word must agree, for every exponent and mantissa size.
TEST(PackedDecimalTest, HalvesMatchReference) {
  std::mt19937 random(5);
  for (int decimals : {0, 2}) {
    for (uint32_t e = decimals + 1; e <= 7; ++e) {
      uint32_t unit = 1;
      for (uint32_t i = static_cast<uint32_t>(decimals); i < e; ++i) unit *= 10;
      for (int i = 0; i < 2000; ++i) {
        const uint32_t limit = kPackedMantissaMask / unit;
        const uint32_t kept = i < 10 ? static_cast<uint32_t>(i)
                              : i < 20 ? limit - static_cast<uint32_t>(i - 9)
                                       : static_cast<uint32_t>(random()) % limit;
        const uint32_t word = Packed(true, e, kept * unit + unit / 2);
        const double value = PackedDecimalValue(DecodePackedDecimal(word));
        ASSERT_EQ(PackedText(word, decimals), reference::Fixed(value, decimals))
            << std::hex << word << " with " << decimals;
      }
    }
  }
}

TEST(HdDayFileTest, HeaderLinesAndRows) {
  const uint32_t words[6] = {Packed(true, 2, 1005), Packed(true, 2, 1100),
                             Packed(true, 3, 9950), Packed(true, 3, 125),
                             Packed(false, 4, 12345), Packed(true, 1, 25)};
  const std::string file = HdHeader(2, 48, 32) + std::string(32, '\x7f') +
                           HdRecord(20240102, words, 32) +
                           HdRecord(-1, words, 32);
  const Converted out = ConvertBytes(file);
  EXPECT_EQ(out.result, ConvertResult::kDone);
  EXPECT_EQ(out.console, "RecordNum=2\nRecordStart=48\nRecordLen=32\n");
  EXPECT_EQ(out.csv, kHeader +
                         "2024/01/02,10.05,11.00,9.95,0.13,123450000,3\r\n"
                         "0000/00/-1,10.05,11.00,9.95,0.13,123450000,3\r\n");
}

TEST(HdDayFileTest, RecordNumFromTwoHalves) {
  struct Case {
    uint32_t record_num;
    const char* line;
  } cases[] = {{3, "RecordNum=3\n"},
               {3 + (1u << 16), "RecordNum=65539\n"},
               {0x80000000u, "RecordNum=-2147483648\n"},
               {0xffffffffu, "RecordNum=-1\n"}};
  for (const Case& c : cases) {
    const Converted out = ConvertBytes(HdHeader(c.record_num, 65535, 0));
    EXPECT_EQ(out.console, std::string(c.line) +
                               "RecordStart=65535\nRecordLen=0\n");
  }
}

TEST(HdDayFileTest, SignedDates) {
  struct Case {
    int32_t date;
    const char* text;
  } cases[] = {{20240102, "2024/01/02"},
               {-20240102, "-2024/-1/-2"},
               {-5, "0000/00/-5"},
               {-2147483647 - 1, "-214748/-36/-48"},
               {2147483647, "214748/36/47"}};
  const uint32_t zeros[6] = {};
  for (const Case& c : cases) {
    const Converted out =
        ConvertBytes(HdHeader(1, 0, 28) + HdRecord(0, zeros) +
                     HdRecord(c.date, zeros));
    EXPECT_EQ(out.csv, kHeader + c.text + ",0.00,0.00,0.00,0.00,0,0\r\n")
        << c.date;
  }
}

// Records of any length from 0 to 65535 are read whole; bytes a record
// lacks are zero; the block after the header is skipped whatever its length.
TEST(HdDayFileTest, RecordLengths) {
  // The volume 60 * 0.1 loses its flag and exponent in a 27-byte record.
  const uint32_t words[6] = {Packed(false, 0, 1), Packed(false, 0, 2),
                             Packed(false, 0, 3), Packed(false, 0, 4),
                             Packed(false, 0, 5), Packed(true, 1, 60)};
  const std::string row = "2024/01/02,1.00,2.00,3.00,4.00,5,6\r\n";
  for (size_t len : {1u, 27u, 28u, 200u, 65535u}) {
    const std::string record = HdRecord(20240102, words, len);
    const std::string file =
        HdHeader(2, 0, static_cast<uint16_t>(len)) + std::string(len, '\xff') +
        record + record;
    const Converted out = ConvertBytes(file);
    // A record shorter than 28 bytes decodes as if zero-padded.
    std::string expected_row = row;
    if (len == 1) expected_row = "0000/02/30,0.00,0.00,0.00,0.00,0,0\r\n";
    if (len == 27) expected_row = "2024/01/02,1.00,2.00,3.00,4.00,5,60\r\n";
    EXPECT_EQ(out.console,
              "RecordNum=2\nRecordStart=0\nRecordLen=" + std::to_string(len) +
                  "\n");
    EXPECT_EQ(out.csv, kHeader + expected_row + expected_row) << len;
  }
  // Length 0: the header lines, and nothing written.
  const Converted empty = ConvertBytes(HdHeader(5, 0, 0) + std::string(64, 'x'));
  EXPECT_EQ(empty.console, "RecordNum=5\nRecordStart=0\nRecordLen=0\n");
  EXPECT_EQ(empty.csv, "");
}

TEST(HdDayFileTest, ShortFiles) {
  const uint32_t words[6] = {Packed(false, 0, 1), Packed(false, 0, 2),
                             Packed(false, 0, 3), Packed(false, 0, 4),
                             Packed(false, 0, 5), Packed(false, 0, 6)};
  const std::string record = HdRecord(20240102, words, 40);
  struct Case {
    std::string file;
    std::string csv;
  } cases[] = {
      // The header alone: nothing to skip, so nothing is written.
      {HdHeader(1, 0, 40), ""},
      // The skipped block cut short still counts: header line, no rows.
      {HdHeader(1, 0, 40) + std::string(3, 'x'), kHeader},
      // A short last record still gives a row, its missing bytes zero.
      {HdHeader(1, 0, 40) + std::string(40, 'x') + record + record.substr(0, 9),
       kHeader + "2024/01/02,1.00,2.00,3.00,4.00,5,6\r\n" +
           "2024/01/02,1.00,2.00,0.00,0.00,0,0\r\n"},
      // The magic and part of a header: the missing header bytes are zero.
      {std::string("hd1.0\0\x07", 7), ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertBytes(c.file).csv, c.csv) << c.file.size() << " bytes";
  }
  EXPECT_EQ(ConvertBytes(std::string("hd1.0\0\x07", 7)).console,
            "RecordNum=7\nRecordStart=0\nRecordLen=0\n");
  // A file too short for the magic is judged with zeros for its missing
  // bytes: five bytes of it are completed by the NUL, four are not.
  EXPECT_EQ(ConvertBytes("hd1.0").console,
            "RecordNum=0\nRecordStart=0\nRecordLen=0\n");
  EXPECT_EQ(ConvertBytes("hd1.").console, "iFileLen:0\n");
}

}  // namespace
}  // namespace dayfile
