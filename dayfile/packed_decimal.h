// The packed decimal values of hd1.0 day files.
//
// One 32-bit word holds a 28-bit mantissa, a 3-bit power-of-ten exponent and
// a direction bit: bit 31 set means m * 0.1^e, clear means m * 10^e. The
// value is the double product of m and IntPower(base, e), so a scale built
// from 0.1 carries its rounding error into the value, and the text follows
// that double, not the decimal the word seems to spell.
#ifndef READZEMLO_DAYFILE_PACKED_DECIMAL_H_
#define READZEMLO_DAYFILE_PACKED_DECIMAL_H_

#include <cstdint>

namespace dayfile {

constexpr uint32_t kPackedMantissaMask = 0x0fffffff;  // bits 0 to 27
constexpr int kPackedExponentShift = 28;              // bits 28 to 30
constexpr uint32_t kPackedExponentMask = 7;
constexpr uint32_t kPackedFractionBit = 0x80000000;  // bit 31

struct PackedDecimal {
  uint32_t mantissa;  // 0 to 2^28 - 1
  int exponent;       // 0 to 7
  bool fraction;      // true: m * 0.1^e; false: m * 10^e
};

PackedDecimal DecodePackedDecimal(uint32_t word);

// x^n by binary exponentiation in double arithmetic (n from 0 to 7):
// IntPower(0.1, 3) is 0.1 * (0.1 * 0.1) rounded at each step.
double IntPower(double x, int n);

// The double the word stands for: m * IntPower(0.1 or 10.0, e).
double PackedDecimalValue(PackedDecimal value);

// Writes PackedDecimalValue(value) with `decimals` (0 to 2) decimals under
// the table's number rule: the text FormatFixed gives, found in integer
// arithmetic on the word alone.
char* FormatPackedDecimal(PackedDecimal value, int decimals, char* dst);

}  // namespace dayfile

#endif  // READZEMLO_DAYFILE_PACKED_DECIMAL_H_
