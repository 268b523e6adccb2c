// Schoolbook decimal arithmetic on the exact binary value of a double.
#include "tests/exact_reference.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <algorithm>
#include <vector>

namespace reference {
namespace {

// A big integer in base 10^9 limbs, least significant first.
constexpr uint64_t kLimb = 1000000000;
using Limbs = std::vector<uint64_t>;

// Multiplies by a factor below 2^32.
void MultiplySmall(Limbs* limbs, uint64_t factor) {
  uint64_t carry = 0;
  for (uint64_t& limb : *limbs) {
    const uint64_t x = limb * factor + carry;
    limb = x % kLimb;
    carry = x / kLimb;
  }
  while (carry != 0) {
    limbs->push_back(carry % kLimb);
    carry /= kLimb;
  }
}

// Multiplies by base^count, a few powers at a time.
void MultiplyPower(Limbs* limbs, uint64_t base, int count, int per_step) {
  uint64_t step = 1;
  for (int i = 0; i < per_step; ++i) step *= base;
  for (; count >= per_step; count -= per_step) MultiplySmall(limbs, step);
  for (; count > 0; --count) MultiplySmall(limbs, base);
}

// Adds one unit at `position` (0 = least significant) and carries.
void AddUnit(std::vector<int>* msd_first, int position) {
  for (int i = position; i >= 0; --i) {
    if (++(*msd_first)[i] < 10) return;
    (*msd_first)[i] = 0;
  }
  msd_first->insert(msd_first->begin(), 1);
}

}  // namespace

std::string ExactDecimal(double value) {
  double magnitude = std::fabs(value);
  uint64_t bits;
  std::memcpy(&bits, &magnitude, sizeof bits);
  const int biased = static_cast<int>(bits >> 52);
  uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
  int exponent = -1074;
  if (biased != 0) {
    mantissa |= uint64_t{1} << 52;
    exponent = biased - 1075;
  }
  Limbs limbs = {mantissa % kLimb, mantissa / kLimb % kLimb,
                 mantissa / kLimb / kLimb};
  // m * 2^e, or m * 5^-e / 10^-e for negative e.
  int fraction_digits = 0;
  if (exponent > 0) MultiplyPower(&limbs, 2, exponent, 29);
  if (exponent < 0) {
    MultiplyPower(&limbs, 5, -exponent, 13);
    fraction_digits = -exponent;
  }
  std::string digits;  // most significant first, with leading zeros
  for (auto it = limbs.rbegin(); it != limbs.rend(); ++it) {
    const std::string limb = std::to_string(*it);
    digits += std::string(9 - limb.size(), '0') + limb;
  }
  const size_t first = digits.find_first_not_of('0');
  digits.erase(0, std::min(first, digits.size() - 1));
  if (static_cast<int>(digits.size()) <= fraction_digits) {
    digits.insert(0, fraction_digits + 1 - digits.size(), '0');
  }
  std::string text = std::signbit(value) ? "-" : "";
  text += digits.substr(0, digits.size() - fraction_digits);
  if (fraction_digits > 0) {
    text += '.' + digits.substr(digits.size() - fraction_digits);
  }
  return text;
}

std::string Fixed(double value, int decimals) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  return FixedFromExact(ExactDecimal(value), decimals);
}

std::string FixedFromExact(const std::string& exact_text, int decimals) {
  std::string exact = exact_text;
  const bool negative = exact[0] == '-';
  if (negative) exact.erase(0, 1);
  // Split into one digit list with a known count of integer digits.
  const size_t point = exact.find('.');
  std::vector<int> digits;
  for (char c : exact) {
    if (c != '.') digits.push_back(c - '0');
  }
  int int_digits =
      static_cast<int>(point == std::string::npos ? exact.size() : point);
  // Step 1: 17 significant digits, half away from zero, the rest zero.
  size_t first = 0;
  while (first < digits.size() && digits[first] == 0) ++first;
  const size_t cut17 = first + 17;
  if (first < digits.size() && cut17 < digits.size()) {
    const bool up = digits[cut17] >= 5;
    for (size_t i = cut17; i < digits.size(); ++i) digits[i] = 0;
    if (up) {
      const size_t before = digits.size();
      AddUnit(&digits, static_cast<int>(cut17) - 1);
      int_digits += static_cast<int>(digits.size() - before);
    }
  }
  // Step 2: round the digit string half away from zero to `decimals`.
  while (static_cast<int>(digits.size()) < int_digits + decimals + 1) {
    digits.push_back(0);
  }
  const int cut = int_digits + decimals;
  const bool up = digits[cut] >= 5;
  digits.resize(cut);
  if (up) {
    if (cut == 0) {
      digits.insert(digits.begin(), 1);
      ++int_digits;
    } else {
      const size_t before = digits.size();
      AddUnit(&digits, cut - 1);
      int_digits += static_cast<int>(digits.size() - before);
    }
  }
  std::string text = negative ? "-" : "";
  int start = 0;
  while (start < int_digits - 1 && digits[start] == 0) ++start;
  if (int_digits == 0) text += '0';
  for (int i = start; i < int_digits; ++i) text += static_cast<char>('0' + digits[i]);
  if (decimals > 0) {
    text += '.';
    for (int i = int_digits; i < int_digits + decimals; ++i) {
      text += static_cast<char>('0' + digits[i]);
    }
  }
  return text;
}

}  // namespace reference
