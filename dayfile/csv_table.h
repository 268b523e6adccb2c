// Pieces shared by every CSV table: the header line, the line end, the
// longest row, and the trading date column.
#ifndef READZEMLO_DAYFILE_CSV_TABLE_H_
#define READZEMLO_DAYFILE_CSV_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "dayfile/number_text.h"

namespace dayfile {

// The first line of every table. "Colse" is how stored tables spell it, and
// scripts that read them match on it.
constexpr char kCsvHeader[] = "Date,Open,High,Low,Colse,Amount,Volume\r\n";
constexpr size_t kCsvHeaderSize = sizeof kCsvHeader - 1;

// No row of either layout is longer: a date of three signed 32-bit parts and
// six numbers of at most 40 characters each, with commas and CR LF.
constexpr size_t kMaxRowSize = 512;

// A TradingDate holds year * 10000 + month * 100 + day. The parts come from
// truncating division, so a negative date gives parts that are negative or 0.
struct DateParts {
  int64_t year;
  int64_t month;
  int64_t day;
};

inline DateParts SplitTradingDate(int64_t date) {
  return {date / 10000, date % 10000 / 100, date % 100};
}

// Any date outside 0 to 99999999: signed or with a year beyond 9999.
char* FormatOtherTradingDate(int64_t date, char* dst);

// Writes the date column: year with at least four digits, month and day with
// at least two, zero-padded after any sign, joined by "/". Returns the end.
inline char* FormatTradingDate(int64_t date, char* dst) {
  if (date < 0 || date > 99999999) return FormatOtherTradingDate(date, dst);
  // Every real date: its eight digits at once, then "YYYY/MM/" in one
  // store and "DD" after it.
  const uint64_t digits = EightDigits(static_cast<uint32_t>(date));
  StoreEight((digits & 0xFFFFFFFFull) | (uint64_t{'/'} << 32) |
                 ((digits & 0x0000FFFF00000000ull) << 8) |
                 (uint64_t{'/'} << 56),
             dst);
  dst[8] = static_cast<char>(digits >> 48);
  dst[9] = static_cast<char>(digits >> 56);
  return dst + 10;
}

// Ends a row: every line of a table ends in CR LF, on every system.
inline char* EndRow(char* dst) {
  std::memcpy(dst, "\r\n", 2);
  return dst + 2;
}

}  // namespace dayfile

#endif  // READZEMLO_DAYFILE_CSV_TABLE_H_
