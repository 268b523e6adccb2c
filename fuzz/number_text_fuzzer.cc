// Fuzzes the number text: every formatter, at the widths the table uses,
// against the big-number reference of the rounding rule.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dayfile/number_text.h"
#include "dayfile/packed_decimal.h"
#include "tests/exact_reference.h"

namespace {

void Expect(const char* what, const char* begin, const char* end,
            const std::string& want) {
  if (std::string(begin, end) != want) {
    std::fprintf(stderr, "%s: got %s, want %s\n", what,
                 std::string(begin, end).c_str(), want.c_str());
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  uint64_t bits;
  std::memcpy(&bits, data, sizeof bits);
  char text[dayfile::kMaxNumberText];

  double value;
  std::memcpy(&value, &bits, sizeof value);
  // One exact expansion, the slow part, serves both widths.
  const std::string exact =
      std::isfinite(value) ? reference::ExactDecimal(value) : "";
  for (int decimals : {0, 2}) {
    Expect("FormatFixed", text, dayfile::FormatFixed(value, decimals, text),
           std::isfinite(value) ? reference::FixedFromExact(exact, decimals)
                                : reference::Fixed(value, decimals));
  }

  const uint32_t word = static_cast<uint32_t>(bits);
  float amount;
  std::memcpy(&amount, &word, sizeof amount);
  Expect("FormatWholeFloat", text, dayfile::FormatWholeFloat(amount, text),
         reference::Fixed(static_cast<double>(amount), 0));

  Expect("FormatHundredths", text, dayfile::FormatHundredths(word, text),
         reference::Fixed(word / 100.0, 2));

  const dayfile::PackedDecimal packed = dayfile::DecodePackedDecimal(word);
  const double packed_value = dayfile::PackedDecimalValue(packed);
  for (int decimals : {0, 2}) {
    Expect("FormatPackedDecimal", text,
           dayfile::FormatPackedDecimal(packed, decimals, text),
           reference::Fixed(packed_value, decimals));
  }
  return 0;
}
