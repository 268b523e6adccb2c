// Packed decimal words: decoding, their double value, and their text.
#include "dayfile/packed_decimal.h"

#include "dayfile/number_text.h"

namespace dayfile {
namespace {

constexpr uint32_t kPow10[8] = {1,      10,      100,      1000,
                                10000, 100000, 1000000, 10000000};

// Division by 10^k as a multiply and a shift: floor(n / d) is
// n * ceil(2^s / d) >> s for every n below 2^29 when s is 29 plus the bits
// of d, since the reciprocal is then too large by less than 2^-29 of it.
struct Divisor {
  uint64_t reciprocal;
  int shift;
  uint32_t half;
};

constexpr Divisor MakeDivisor(uint32_t d) {
  int bits = 0;
  while ((uint64_t{1} << bits) < d) ++bits;
  const int shift = 29 + bits;
  return {((uint64_t{1} << shift) + d - 1) / d, shift, d / 2};
}

constexpr Divisor kDivisors[8] = {
    MakeDivisor(kPow10[0]), MakeDivisor(kPow10[1]), MakeDivisor(kPow10[2]),
    MakeDivisor(kPow10[3]), MakeDivisor(kPow10[4]), MakeDivisor(kPow10[5]),
    MakeDivisor(kPow10[6]), MakeDivisor(kPow10[7])};

// m / 10^digits (digits 0 to 7) rounded half up: floor of (m plus half the
// divisor) over it. The sum stays below 2^29, and a table takes the place of
// a branch on the digits.
uint64_t RoundHalfUp(uint32_t m, int digits) {
  const Divisor& d = kDivisors[digits];
  return (static_cast<uint64_t>(m + d.half) * d.reciprocal) >> d.shift;
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

namespace {

// The text with `decimals` decimals, `Emit` writing the scaled integer.
template <typename Emit>
char* FormatPacked(PackedDecimal value, int decimals, Emit emit, char* dst) {
  const uint64_t m = value.mantissa;
  const int e = value.exponent;
  if (!value.fraction) {
    // m * 10^e is below 2^53, so the double product is this exact integer.
    return emit(m * kPow10[e] * kPow10[decimals], dst);
  }
  if (e <= decimals) {
    // The double lies within a few units of the 16th digit of m / 10^e,
    // which already has no more decimals than print: the text is m / 10^e.
    return emit(m * kPow10[decimals - e], dst);
  }
  // m / 10^e has more decimals than print. Away from a half of the last
  // printed decimal, the tiny error of the double cannot change the
  // rounding, so m / 10^e itself is rounded. Exactly on a half, the double
  // lies on or above it, so it rounds up as the half itself would: for
  // e = 1 the half is a double and 0.1 exceeds a tenth, so the product
  // cannot round below it; from e = 2 on, 0.1^e made by repeated
  // multiplication exceeds 10^-e by more than the product's rounding can
  // take away. tools/exhaustive_check confirms it for every word.
  return emit(RoundHalfUp(value.mantissa, e - decimals), dst);
}

}  // namespace

char* FormatPackedDecimal(PackedDecimal value, int decimals, char* dst) {
  // The columns' decimals get the small formatters, the rest the general.
  if (decimals == 2) return FormatPacked(value, 2, FormatCents, dst);
  if (decimals == 0) return FormatPacked(value, 0, FormatWhole, dst);
  auto scaled = [decimals](uint64_t v, char* out) {
    return FormatScaled(v, decimals, out);
  };
  return FormatPacked(value, decimals, scaled, dst);
}

}  // namespace dayfile
