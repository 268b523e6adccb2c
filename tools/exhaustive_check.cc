// exhaustive_check: proves the formatters' fast paths over their whole
// domains against FormatFixed, the general exact path (itself checked
// against a big-number reference by the unit tests).
//
//   exhaustive_check hundredths   every uint32 n: n / 100.0 with 2 decimals
//   exhaustive_check floats       every float amount with 0 decimals
//   exhaustive_check packed       every packed word with 0 and 2 decimals
//   exhaustive_check dates        every date of the fast date path, and past
//                                 its ends, against the general date path
//
// Each takes minutes on two cores (dates: seconds); prints the count checked
// and any mismatch.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "dayfile/csv_table.h"
#include "dayfile/number_text.h"
#include "dayfile/packed_decimal.h"

namespace {

using dayfile::kMaxNumberText;

// Checks indexes [begin, end) with `check`, which returns false on mismatch.
template <typename Check>
uint64_t Sweep(uint64_t begin, uint64_t end, Check check) {
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::thread> pool;
  std::vector<uint64_t> failures(threads);
  for (unsigned t = 0; t < threads; ++t) {
    pool.emplace_back([&, t] {
      for (uint64_t i = begin + t; i < end; i += threads) {
        if (!check(i) && ++failures[t] > 10) return;
      }
    });
  }
  uint64_t total = 0;
  for (unsigned t = 0; t < threads; ++t) {
    pool[t].join();
    total += failures[t];
  }
  return total;
}

bool Same(const char* what, uint64_t i, char* a, char* a_end, char* b,
          char* b_end) {
  if (a_end - a == b_end - b && std::memcmp(a, b, a_end - a) == 0) return true;
  std::printf("MISMATCH %s %llu: %.*s vs %.*s\n", what,
              static_cast<unsigned long long>(i), static_cast<int>(a_end - a),
              a, static_cast<int>(b_end - b), b);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc == 2 ? argv[1] : "";
  uint64_t failures = 0, checked = 0;
  if (what == "hundredths") {
    checked = uint64_t{1} << 32;
    failures = Sweep(0, checked, [](uint64_t n) {
      char a[kMaxNumberText], b[kMaxNumberText];
      return Same("hundredths", n, a,
                  dayfile::FormatHundredths(static_cast<uint32_t>(n), a), b,
                  dayfile::FormatFixed(static_cast<uint32_t>(n) / 100.0, 2, b));
    });
  } else if (what == "floats") {
    checked = uint64_t{1} << 32;
    failures = Sweep(0, checked, [](uint64_t bits) {
      const uint32_t b32 = static_cast<uint32_t>(bits);
      float f;
      std::memcpy(&f, &b32, sizeof f);
      char a[kMaxNumberText], b[kMaxNumberText];
      return Same("float bits", bits, a, dayfile::FormatWholeFloat(f, a), b,
                  dayfile::FormatFixed(static_cast<double>(f), 0, b));
    });
  } else if (what == "packed") {
    checked = uint64_t{1} << 32;
    failures = Sweep(0, checked, [](uint64_t bits) {
      const dayfile::PackedDecimal p =
          dayfile::DecodePackedDecimal(static_cast<uint32_t>(bits));
      const double value = dayfile::PackedDecimalValue(p);
      for (int decimals : {0, 2}) {
        char a[kMaxNumberText], b[kMaxNumberText];
        if (!Same("packed word", bits, a,
                  dayfile::FormatPackedDecimal(p, decimals, a), b,
                  dayfile::FormatFixed(value, decimals, b))) {
          return false;
        }
      }
      return true;
    });
  } else if (what == "dates") {
    // Every date from -10^6 to 10^8 + 10^6: the fast path's whole domain,
    // with margins on both sides.
    const int64_t first = -1000000;
    checked = 100000000 + 2000000;
    failures = Sweep(0, checked, [first](uint64_t i) {
      const int64_t date = first + static_cast<int64_t>(i);
      char a[dayfile::kMaxRowSize], b[dayfile::kMaxRowSize];
      return Same("date", i, a, dayfile::FormatTradingDate(date, a), b,
                  dayfile::FormatOtherTradingDate(date, b));
    });
  } else {
    std::fprintf(stderr,
                 "usage: exhaustive_check hundredths|floats|packed|dates\n");
    return 2;
  }
  std::printf("%s: %llu values checked, %llu mismatches\n", what.c_str(),
              static_cast<unsigned long long>(checked),
              static_cast<unsigned long long>(failures));
  return failures == 0 ? 0 : 1;
}
