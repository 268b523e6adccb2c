// Schoolbook decimal arithmetic on the exact binary value of a double.
#include "tests/exact_reference.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace reference {
namespace {

// Decimal digits, least significant first.
using Digits = std::vector<uint32_t>;

void MultiplySmall(Digits* digits, uint64_t factor) {
  uint64_t carry = 0;
  for (uint32_t& d : *digits) {
    const uint64_t x = d * factor + carry;
    d = static_cast<uint32_t>(x % 10);
    carry = x / 10;
  }
  while (carry != 0) {
    digits->push_back(static_cast<uint32_t>(carry % 10));
    carry /= 10;
  }
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
  Digits digits;
  for (uint64_t m = mantissa; m != 0; m /= 10) {
    digits.push_back(static_cast<uint32_t>(m % 10));
  }
  if (digits.empty()) digits.push_back(0);
  // m * 2^e = m * 5^-e / 10^-e for negative e.
  int fraction_digits = 0;
  for (int e = exponent; e > 0; --e) MultiplySmall(&digits, 2);
  for (int e = exponent; e < 0; ++e) {
    MultiplySmall(&digits, 5);
    ++fraction_digits;
  }
  while (static_cast<int>(digits.size()) <= fraction_digits) digits.push_back(0);
  std::string text = std::signbit(value) ? "-" : "";
  for (int i = static_cast<int>(digits.size()) - 1; i >= 0; --i) {
    if (i == fraction_digits - 1) text += '.';
    text += static_cast<char>('0' + digits[i]);
  }
  return text;
}

std::string Fixed(double value, int decimals) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  std::string exact = ExactDecimal(value);
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
