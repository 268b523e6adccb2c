// Packed decimal words: decoding, their double value, and their text.
#include "dayfile/packed_decimal.h"

#include "dayfile/number_text.h"

namespace dayfile {
namespace {

constexpr uint32_t kPow10[8] = {1,      10,      100,      1000,
                                10000, 100000, 1000000, 10000000};

// m / kUnit rounded half up, and whether m lies exactly on the half. A
// constant divisor compiles to a multiply; a divisor from a table would not.
template <uint32_t kUnit>
uint64_t RoundToUnit(uint32_t m, bool* on_half) {
  const uint32_t rest = m % kUnit;
  *on_half = rest == kUnit / 2;
  return m / kUnit + (rest > kUnit / 2 ? 1 : 0);
}

uint64_t RoundAwayDigits(uint32_t m, int digits, bool* on_half) {
  switch (digits) {
    case 1: return RoundToUnit<10>(m, on_half);
    case 2: return RoundToUnit<100>(m, on_half);
    case 3: return RoundToUnit<1000>(m, on_half);
    case 4: return RoundToUnit<10000>(m, on_half);
    case 5: return RoundToUnit<100000>(m, on_half);
    case 6: return RoundToUnit<1000000>(m, on_half);
    default: return RoundToUnit<10000000>(m, on_half);
  }
}

}  // namespace

PackedDecimal DecodePackedDecimal(uint32_t word) {
  return {word & kPackedMantissaMask,
          static_cast<int>((word >> kPackedExponentShift) & kPackedExponentMask),
          (word & kPackedFractionBit) != 0};
}

double IntPower(double x, int n) {
  double z = 1.0;
  for (;;) {
    if (n & 1) z *= x;
    n >>= 1;
    if (n == 0) return z;
    x *= x;
  }
}

double PackedDecimalValue(PackedDecimal value) {
  return static_cast<double>(value.mantissa) *
         IntPower(value.fraction ? 0.1 : 10.0, value.exponent);
}

char* FormatPackedDecimal(PackedDecimal value, int decimals, char* dst) {
  const uint64_t m = value.mantissa;
  const int e = value.exponent;
  if (!value.fraction) {
    // m * 10^e is below 2^53, so the double product is this exact integer.
    return FormatScaled(m * kPow10[e] * kPow10[decimals], decimals, dst);
  }
  if (e <= decimals) {
    // The double lies within a few units of the 16th digit of m / 10^e,
    // which already has no more decimals than print: the text is m / 10^e.
    return FormatScaled(m * kPow10[decimals - e], decimals, dst);
  }
  // m / 10^e has more decimals than print. Away from a half of the last
  // printed decimal, the tiny error of the double cannot change the rounding,
  // so round m / 10^e itself; exactly on a half, the side of the half on
  // which the double lies decides, and only the exact path knows it.
  bool on_half;
  const uint64_t kept = RoundAwayDigits(value.mantissa, e - decimals, &on_half);
  if (on_half) return FormatFixed(PackedDecimalValue(value), decimals, dst);
  return FormatScaled(kept, decimals, dst);
}

}  // namespace dayfile
