// Number text of the CSV table.
//
// Every number in a table is printed from its value rounded to 17 significant
// decimal digits (half away from zero); digit positions past those 17 print as
// 0, and the digit string is then rounded half away from zero to the decimals
// the column shows. This is neither glibc's nor any other C library's printf:
// 2.5 with no decimals is "3", the float 1e20 is "100000002004087730000".
// The formatters below all follow that one rule; the narrow ones are fast
// paths that give the same text as FormatFixed for the values they accept.
#ifndef READZEMLO_DAYFILE_NUMBER_TEXT_H_
#define READZEMLO_DAYFILE_NUMBER_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace dayfile {

// "00" to "99", the digit pairs every integer is written with.
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536"
    "37383940414243444546474849505152535455565758596061626364656667686970717273"
    "74757677787980818283848586878889909192939495969798999";

// Writes value (0 to 99) as exactly two digits; returns the end.
inline char* WriteTwoDigits(unsigned value, char* dst) {
  dst[0] = kDigitPairs[2 * value];
  dst[1] = kDigitPairs[2 * value + 1];
  return dst + 2;
}

// Stores eight bytes at dst, the lowest byte of `bytes` first.
inline void StoreEight(uint64_t bytes, char* dst) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  bytes = __builtin_bswap64(bytes);
#endif
  std::memcpy(dst, &bytes, sizeof bytes);
}

// The eight decimal digits of value (below 10^8), zero-padded, as ASCII in
// the bytes of the result, the first digit lowest. Every step works on all
// lanes at once, with no branch: halves of four digits in 32-bit lanes,
// pairs in 16-bit lanes, digits in bytes. x / 100 is x * 5243 >> 19 below
// 43699, and x / 10 is x * 103 >> 10 below 179; no product leaves its lane.
inline uint64_t EightDigits(uint32_t value) {
  const uint64_t halves =
      (value / 10000) | (static_cast<uint64_t>(value % 10000) << 32);
  const uint64_t hundreds = ((halves * 5243) >> 19) & 0x0000007F0000007Full;
  const uint64_t pairs = hundreds | ((halves - hundreds * 100) << 16);
  const uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000Full;
  const uint64_t digits = tens | ((pairs - tens * 10) << 8);
  return digits + 0x3030303030303030ull;
}

// Room any formatter below may need: 309 integer digits of the largest double,
// sign, point and kMaxDecimals decimals.
constexpr size_t kMaxNumberText = 340;

// The most decimals FormatFixed accepts.
constexpr int kMaxDecimals = 17;

// Writes `value` with `decimals` (0..kMaxDecimals) decimals under the table's
// rule. NaN prints "nan", infinities "inf" and "-inf"; a negative value keeps
// its sign even when it rounds to zero ("-0"), as printf does. Returns the end.
char* FormatFixed(double value, int decimals, char* dst);

// n / 100 with two decimals: the text FormatFixed gives for n / 100.0.
char* FormatHundredths(uint32_t n, char* dst);

// A float widened to double, without decimals: FormatFixed(value, 0).
char* FormatWholeFloat(float value, char* dst);

// `value * 10^-decimals` for an exact integer value, e.g. (125, 2) -> "1.25".
char* FormatScaled(uint64_t value, int decimals, char* dst);

// FormatScaled for the two column kinds: no decimals (amounts and volumes),
// and two (prices). Small, so that the row formatters can take them inline.
char* FormatWhole(uint64_t value, char* dst);
char* FormatCents(uint64_t value, char* dst);

// A decimal integer, as "%lld" prints it.
char* FormatSigned(int64_t value, char* dst);

// A signed integer zero-padded to at least `width` characters, sign included,
// as "%0*ld" prints it: (-3, 4) -> "-003".
char* FormatZeroPadded(int64_t value, int width, char* dst);

}  // namespace dayfile

#endif  // READZEMLO_DAYFILE_NUMBER_TEXT_H_
