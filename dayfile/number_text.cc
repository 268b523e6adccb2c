// Number text of the CSV table: the one rounding rule and its fast paths.
#include "dayfile/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace dayfile {
namespace {

constexpr uint64_t kPow10[20] = {1ull,
                                 10ull,
                                 100ull,
                                 1000ull,
                                 10000ull,
                                 100000ull,
                                 1000000ull,
                                 10000000ull,
                                 100000000ull,
                                 1000000000ull,
                                 10000000000ull,
                                 100000000000ull,
                                 1000000000000ull,
                                 10000000000000ull,
                                 100000000000000ull,
                                 1000000000000000ull,
                                 10000000000000000ull,
                                 100000000000000000ull,
                                 1000000000000000000ull,
                                 10000000000000000000ull};

// 5^27 is the largest power of five that fits below 2^63; with a 53-bit
// mantissa the product stays below 2^116, so the scaling is exact in 128 bits.
constexpr int kMaxExactScale = 27;

struct U128 {
  uint64_t hi;
  uint64_t lo;
};

U128 Multiply(uint64_t a, uint64_t b) {
#if defined(__SIZEOF_INT128__)
  const unsigned __int128 p = static_cast<unsigned __int128>(a) * b;
  return {static_cast<uint64_t>(p >> 64), static_cast<uint64_t>(p)};
#else
  const uint64_t a_lo = a & 0xffffffffu, a_hi = a >> 32;
  const uint64_t b_lo = b & 0xffffffffu, b_hi = b >> 32;
  const uint64_t ll = a_lo * b_lo, lh = a_lo * b_hi;
  const uint64_t hl = a_hi * b_lo, hh = a_hi * b_hi;
  const uint64_t mid = (ll >> 32) + (lh & 0xffffffffu) + (hl & 0xffffffffu);
  return {hh + (lh >> 32) + (hl >> 32) + (mid >> 32),
          (mid << 32) | (ll & 0xffffffffu)};
#endif
}

// kPow5[n] = 5^n for n up to kMaxExactScale.
constexpr auto kPow5 = [] {
  struct Table {
    uint64_t value[kMaxExactScale + 1];
  } t{};
  t.value[0] = 1;
  for (int i = 1; i <= kMaxExactScale; ++i) t.value[i] = t.value[i - 1] * 5;
  return t;
}();

// Index of the highest set bit of a nonzero value.
int TopBit(uint64_t value) {
#if defined(__GNUC__)
  return 63 - __builtin_clzll(value);
#else
  int bit = 63;
  while ((value >> bit) == 0) --bit;
  return bit;
#endif
}

// value == mantissa * 2^exponent exactly, for a finite value > 0.
void Decompose(double value, uint64_t* mantissa, int* exponent) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
  if (biased == 0) {  // subnormal
    *mantissa = fraction;
    *exponent = -1074;
  } else {
    *mantissa = fraction | (uint64_t{1} << 52);
    *exponent = biased - 1075;
  }
}

// round_half_up(mantissa * 2^exponent * 10^scale) when 128-bit integer
// arithmetic does it exactly and the result fits 64 bits; false otherwise.
bool ScaleExactly(uint64_t mantissa, int exponent, int scale,
                  uint64_t* result) {
  if (scale < 0 || scale > kMaxExactScale) return false;
  const U128 x = Multiply(mantissa, kPow5.value[scale]);
  const int shift = exponent + scale;  // the power of two left over
  if (shift >= 0) {
    if (x.hi != 0 || shift >= 64 || (x.lo >> (63 - shift)) != 0) return false;
    *result = x.lo << shift;
    return true;
  }
  const int k = -shift;
  if (k > 127) return false;
  // Add half of the last kept unit, then drop k bits: half rounds up.
  uint64_t lo = x.lo, hi = x.hi;
  if (k - 1 < 64) {
    const uint64_t half = uint64_t{1} << (k - 1);
    lo += half;
    if (lo < half) ++hi;
  } else {
    hi += uint64_t{1} << (k - 1 - 64);
  }
  if (k < 64) {
    if ((hi >> k) != 0) return false;
    *result = (lo >> k) | (hi << (64 - k));
  } else {
    *result = hi >> (k - 64);
  }
  return true;
}

// A positive finite value rounded to 17 significant digits:
// value ~= digits * 10^(exponent - 16), with 10^16 <= digits < 10^17.
struct Decimal17 {
  uint64_t digits;
  int exponent;
};

// to_chars rounds ties to even, ours go away from zero. Outside the decades
// the exact path covers (values below 1e-11 or from 1e17 up) no double lies
// exactly halfway between two 17-digit decimals, so both agree there.
Decimal17 RoundWithToChars(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value,
                                    std::chars_format::scientific, 16);
  // text is "d.dddddddddddddddde[+-]x..."
  uint64_t digits = static_cast<uint64_t>(text[0] - '0');
  for (int i = 2; i < 18; ++i) digits = digits * 10 + (text[i] - '0');
  int exponent = 0;
  std::from_chars(text + 19 + (text[19] == '+' ? 1 : 0), result.ptr, exponent);
  return {digits, exponent};
}

// The number of decimal digits of value (1 for 0).
int CountDigits(uint64_t value) {
  // log10 from the bit length (1233 / 4096 is just above log10(2)), then
  // one comparison to settle it, with no branch. Setting the lowest bit
  // makes 0 count as 1 and moves no other value past a power of ten.
  value |= 1;
  const int guess = ((TopBit(value) + 1) * 1233) >> 12;
  return guess + (value >= kPow10[guess] ? 1 : 0);
}

// Writes the low `count` decimal digits of value, zero-padded, backwards
// from `end`. Fixed-size copies keep the hot path free of library calls.
void WriteDigitsBackward(uint64_t value, int count, char* end) {
  while (count >= 2) {
    const unsigned pair = static_cast<unsigned>(value % 100);
    value /= 100;
    end -= 2;
    std::memcpy(end, kDigitPairs + 2 * pair, 2);
    count -= 2;
  }
  if (count == 1) *--end = static_cast<char>('0' + value % 10);
}

// The leading one or two digits of a number (value below 100).
char* WriteLead(uint32_t value, char* dst) {
  if (value < 10) {
    *dst = static_cast<char>('0' + value);
    return dst + 1;
  }
  return WriteTwoDigits(value, dst);
}

// Exactly four digits, zero-padded (value below 10^4).
char* WriteFour(uint32_t value, char* dst) {
  return WriteTwoDigits(value % 100, WriteTwoDigits(value / 100, dst));
}

// Branches on the magnitude, which stays the same from row to row of one
// stock, and writes digit pairs that do not depend on each other.
char* WriteDigits32(uint32_t value, char* dst) {
  if (value < 100) return WriteLead(value, dst);
  if (value < 10000) {
    return WriteTwoDigits(value % 100, WriteLead(value / 100, dst));
  }
  if (value < 1000000) {
    return WriteFour(value % 10000, WriteLead(value / 10000, dst));
  }
  if (value < 100000000) {
    const uint32_t low = value % 1000000;
    dst = WriteTwoDigits(low / 10000, WriteLead(value / 1000000, dst));
    return WriteFour(low % 10000, dst);
  }
  const uint32_t low = value % 100000000;
  dst = WriteFour(low / 10000, WriteLead(value / 100000000, dst));
  return WriteFour(low % 10000, dst);
}

// Writes the decimal digits of value; returns the end.
char* WriteDigits(uint64_t value, char* dst) {
  if (value <= UINT32_MAX) {
    return WriteDigits32(static_cast<uint32_t>(value), dst);
  }
  const uint64_t high = value / 100000000;
  const uint32_t low = static_cast<uint32_t>(value % 100000000);
  if (high <= UINT32_MAX) {
    dst = WriteDigits32(static_cast<uint32_t>(high), dst);
  } else {
    const int count = CountDigits(high);
    WriteDigitsBackward(high, count, dst + count);
    dst += count;
  }
  return WriteFour(low % 10000, WriteFour(low / 10000, dst));
}

char* WriteLongDigits(uint64_t value, char* dst);

// Writes the decimal digits of value; returns the end. May store up to 16
// bytes from dst, past the digits: callers leave that room. The cost is the
// same for every value below 10^16: the digit count comes from the bit
// length, and the digits go out in two fixed-width stores, shifted so that
// the leading zeros fall away.
inline char* WriteDigitsUniform(uint64_t value, char* dst) {
  if (value < 100000000) {
    const int count = CountDigits(value);
    StoreEight(EightDigits(static_cast<uint32_t>(value)) >> (8 * (8 - count)),
               dst);
    return dst + count;
  }
  if (value >= kPow10[16]) return WriteLongDigits(value, dst);
  const int count = CountDigits(value);
  const int high_count = count > 8 ? count - 8 : 0;
  const uint64_t high = EightDigits(static_cast<uint32_t>(value / 100000000));
  const uint64_t low = EightDigits(static_cast<uint32_t>(value % 100000000));
  // Without high digits the second store covers the first entirely, so its
  // shift (then 64 bits, masked to 0) does not matter.
  StoreEight(high >> ((8 * (8 - high_count)) & 63), dst);
  StoreEight(low >> (8 * (8 - (count - high_count))), dst + high_count);
  return dst + count;
}

// Values from 10^16 on (only amounts that large): up to four leading
// digits, then sixteen.
__attribute__((noinline)) char* WriteLongDigits(uint64_t value, char* dst) {
  dst = WriteDigitsUniform(value / kPow10[16], dst);
  const uint64_t low = value % kPow10[16];
  StoreEight(EightDigits(static_cast<uint32_t>(low / 100000000)), dst);
  StoreEight(EightDigits(static_cast<uint32_t>(low % 100000000)), dst + 8);
  return dst + 16;
}

// Writes the integer given by `count` digits with the point `decimals`
// places from the right, with at least one digit before the point.
char* WritePointed(const char* digits, int count, int decimals, char* dst) {
  const int int_digits = count - decimals;
  if (int_digits <= 0) {
    *dst++ = '0';
    if (decimals <= 0) return dst;
    *dst++ = '.';
    std::memset(dst, '0', static_cast<size_t>(-int_digits));
    dst += -int_digits;
    std::memcpy(dst, digits, static_cast<size_t>(count));
    return dst + count;
  }
  std::memcpy(dst, digits, static_cast<size_t>(int_digits));
  dst += int_digits;
  if (decimals <= 0) return dst;
  *dst++ = '.';
  std::memcpy(dst, digits + int_digits, static_cast<size_t>(decimals));
  return dst + decimals;
}

// Rounds a finite value > 0 to 17 significant digits, half away from zero.
Decimal17 RoundTo17Digits(double value) {
  uint64_t mantissa;
  int exponent;
  Decompose(value, &mantissa, &exponent);
  // floor(log10(2^k)) by a fixed-point multiply: an estimate of the decade
  // within one or two, corrected below from the digit count.
  const int binary_exponent = exponent + TopBit(mantissa);
  int decade = (binary_exponent * 78913) >> 18;
  for (int attempt = 0; attempt < 3; ++attempt) {
    uint64_t digits;
    if (!ScaleExactly(mantissa, exponent, 16 - decade, &digits)) break;
    if (digits >= kPow10[17]) {
      ++decade;
    } else if (digits < kPow10[16]) {
      --decade;
    } else {
      return {digits, decade};
    }
  }
  return RoundWithToChars(value);
}

}  // namespace

char* FormatWhole(uint64_t value, char* dst) {
  return WriteDigitsUniform(value, dst);
}

char* FormatCents(uint64_t value, char* dst) {
  dst = WriteDigits(value / 100, dst);
  *dst++ = '.';
  return WriteTwoDigits(static_cast<unsigned>(value % 100), dst);
}

char* FormatScaled(uint64_t value, int decimals, char* dst) {
  if (decimals <= 0) return FormatWhole(value, dst);
  if (decimals == 2) return FormatCents(value, dst);  // every price
  dst = WriteDigits(value / kPow10[decimals], dst);
  *dst++ = '.';
  WriteDigitsBackward(value % kPow10[decimals], decimals, dst + decimals);
  return dst + decimals;
}

char* FormatFixed(double value, int decimals, char* dst) {
  if (std::isnan(value)) {
    std::memcpy(dst, "nan", 3);
    return dst + 3;
  }
  if (std::signbit(value)) *dst++ = '-';
  if (std::isinf(value)) {
    std::memcpy(dst, "inf", 3);
    return dst + 3;
  }
  const double magnitude = std::fabs(value);
  if (magnitude == 0) return FormatScaled(0, decimals, dst);
  const Decimal17 d = RoundTo17Digits(magnitude);
  // Significant digits that reach the last printed decimal.
  const int keep = d.exponent + 1 + decimals;
  if (keep >= 17) {
    // All 17 digits print, and every further position is a 0.
    char digits[kMaxNumberText];
    WriteDigits(d.digits, digits);
    std::memset(digits + 17, '0', static_cast<size_t>(keep - 17));
    return WritePointed(digits, keep, decimals, dst);
  }
  uint64_t kept = 0;
  if (keep >= 0) {
    kept = d.digits / kPow10[17 - keep];
    const uint64_t first_dropped = d.digits / kPow10[16 - keep] % 10;
    if (first_dropped >= 5) ++kept;
  }
  return FormatScaled(kept, decimals, dst);
}

char* FormatHundredths(uint32_t n, char* dst) {
  // The double nearest n/100 lies far closer to n/100 than the half
  // hundredth at which the two-decimal rounding would turn, so its text is
  // n's own hundredths (checked for every n by tools/exhaustive_check).
  return FormatScaled(n, 2, dst);
}

char* FormatWholeFloat(float value, char* dst) {
  const double widened = value;
  if (!std::isfinite(widened)) return FormatFixed(widened, 0, dst);
  if (std::signbit(widened)) *dst++ = '-';
  const double magnitude = std::fabs(widened);
  if (magnitude >= 1e17) return FormatFixed(magnitude, 0, dst);
  // Below 1e17 the 17 digits hold the whole integer part, and a float is
  // either exactly on a half or much farther from it than the 17-digit
  // rounding moves it, so rounding the float itself half up is the rule.
  // From 2^24 on every float is a whole number; below it, magnitude + 0.5 is
  // exact or at least lands on the same side of the next whole number.
  // Truncation is floor here: the value is positive.
  const double rounded = magnitude >= 16777216.0 ? magnitude : magnitude + 0.5;
  return WriteDigitsUniform(static_cast<uint64_t>(rounded), dst);
}

char* FormatSigned(int64_t value, char* dst) {
  uint64_t magnitude = static_cast<uint64_t>(value);
  if (value < 0) {
    *dst++ = '-';
    magnitude = 0 - magnitude;
  }
  return WriteDigitsUniform(magnitude, dst);
}

char* FormatZeroPadded(int64_t value, int width, char* dst) {
  uint64_t magnitude = static_cast<uint64_t>(value);
  if (value < 0) {
    *dst++ = '-';
    magnitude = 0 - magnitude;
    --width;
  }
  const int count = std::max(CountDigits(magnitude), width);
  WriteDigitsBackward(magnitude, count, dst + count);
  return dst + count;
}

}  // namespace dayfile
