// daygen: writes day files of realistic-looking quotes, for the bundled
// examples, the tests and the benchmarks.
//
//   daygen plain FILE RECORDS [SEED]   32-byte records, prices in hundredths
//   daygen hd FILE RECORDS [SEED]      hd1.0 header, a skipped block, records
//   daygen plain-varied ..., daygen hd-varied ...
//                                      the same, with amounts from 10^5 to
//                                      10^10 and volumes from 10^3 to 10^9
//                                      whose digit counts change from row to
//                                      row, as in a file of many stocks
//
// The same arguments always give the same bytes.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "tools/day_bytes.h"

namespace {

constexpr uint16_t kHdRecordLen = 32;  // 28 decoded bytes and 4 spare
// Closes in hundredths stay within about 5.00 to 200.00.
constexpr uint32_t kLowestPrice = 500;
constexpr uint32_t kHighestPrice = 20000;

// A random walk of a price in hundredths, with a day's high and low.
struct Walk {
  std::mt19937 random;
  uint32_t close = 1000;
  uint32_t date = 20100104;

  void NextDay() {
    date += (date % 100 >= 28) ? 100 - date % 100 + 1 : 1;  // roughly days
    if (date % 10000 / 100 > 12) date = (date / 10000 + 1) * 10000 + 101;
  }
  // A day's move by a factor of up to 1.02 up or down, the same in either
  // direction so that the walk does not drift, rounded to the nearest
  // hundredth, and turned back at the edges of a band of real prices, so
  // that a million days still look like quotes.
  uint32_t Step(uint32_t price) {
    const int change = static_cast<int>(random() % 41) - 20;  // per mille
    const int64_t factor = 1000 + (change < 0 ? -change : change);
    bool up = change > 0;
    if (price < kLowestPrice) up = true;
    if (price > kHighestPrice) up = false;
    const int64_t p = price;
    const int64_t next =
        up ? (p * factor + 500) / 1000 : (p * 1000 + factor / 2) / factor;
    return next < 1 ? 1 : static_cast<uint32_t>(next);
  }
};

// One trading day's prices in hundredths.
struct Bar {
  uint32_t open, high, low, close;
};

Bar NextBar(Walk* walk) {
  Bar bar;
  bar.open = walk->close;
  bar.close = walk->close = walk->Step(bar.open);
  const uint32_t top = std::max(bar.open, bar.close);
  const uint32_t bottom = std::min(bar.open, bar.close);
  bar.high = top + static_cast<uint32_t>(walk->random() % 30);
  bar.low = bottom - std::min(bottom - 1, static_cast<uint32_t>(walk->random() % 30));
  return bar;
}

bool WriteFile(const char* path, const std::string& bytes) {
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// A number of `lowest` to `highest` decimal digits, each count as likely.
uint64_t AnyDigits(std::mt19937* random, int lowest, int highest) {
  const int digits =
      lowest + static_cast<int>((*random)() % (highest - lowest + 1));
  uint64_t low = 1;
  for (int i = 1; i < digits; ++i) low *= 10;
  const uint64_t span = 9 * low;  // low to 10 * low - 1
  const uint64_t r = (static_cast<uint64_t>((*random)()) << 32) | (*random)();
  return low + r % span;
}

std::string Plain(long records, uint32_t seed, bool varied) {
  Walk walk{std::mt19937(seed)};
  std::string out;
  out.reserve(static_cast<size_t>(records) * 32);
  for (long i = 0; i < records; ++i) {
    const Bar bar = NextBar(&walk);
    int32_t volume = static_cast<int32_t>(walk.random() % 5000000);
    float amount = static_cast<float>(volume) * bar.close / 100.0f;
    if (varied) {
      volume = static_cast<int32_t>(AnyDigits(&walk.random, 4, 10) / 10);
      amount = static_cast<float>(AnyDigits(&walk.random, 6, 11) / 10);
    }
    out += daybytes::PlainRecord(walk.date, bar.open, bar.high, bar.low,
                                 bar.close, amount, volume);
    walk.NextDay();
  }
  return out;
}

std::string Hd(long records, uint32_t seed, bool varied) {
  Walk walk{std::mt19937(seed)};
  std::string out = daybytes::HdHeader(static_cast<uint32_t>(records),
                                       16 + kHdRecordLen, kHdRecordLen);
  out += std::string(kHdRecordLen, '\0');  // the block readers skip
  for (long i = 0; i < records; ++i) {
    const Bar bar = NextBar(&walk);
    // Prices in thousandths (bit 31 set, exponent 3); amount and volume with
    // exponents of either direction.
    auto price = [](uint32_t hundredths) {
      return daybytes::Packed(true, 3, hundredths * 10 + hundredths % 7);
    };
    const uint32_t volume_mantissa = walk.random() % 200000000;
    const uint32_t amount_mantissa = walk.random() % 268435456;
    uint32_t amount = daybytes::Packed(walk.random() % 2 == 0,
                                       walk.random() % 4, amount_mantissa);
    uint32_t volume = daybytes::Packed(walk.random() % 4 == 0,
                                       walk.random() % 3, volume_mantissa);
    if (varied) {  // whole numbers: mantissas of up to 8 digits, scaled up
      const uint64_t a = AnyDigits(&walk.random, 5, 10);
      const uint64_t v = AnyDigits(&walk.random, 3, 9);
      amount = a >= 100000000 ? daybytes::Packed(false, 3, a / 1000)
                              : daybytes::Packed(false, 0, a);
      volume = v >= 100000000 ? daybytes::Packed(false, 2, v / 100)
                              : daybytes::Packed(false, 0, v);
    }
    const uint32_t words[6] = {price(bar.open), price(bar.high),
                               price(bar.low), price(bar.close), amount,
                               volume};
    out += daybytes::HdRecord(static_cast<int32_t>(walk.date), words,
                              kHdRecordLen);
    walk.NextDay();
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string kind = argc >= 2 ? argv[1] : "";
  const bool varied = kind == "plain-varied" || kind == "hd-varied";
  const bool plain = kind == "plain" || kind == "plain-varied";
  if (argc < 4 || argc > 5 || (!plain && kind != "hd" && kind != "hd-varied")) {
    std::fprintf(stderr,
                 "usage: daygen plain|hd|plain-varied|hd-varied FILE RECORDS "
                 "[SEED]\n");
    return 2;
  }
  const long records = std::strtol(argv[3], nullptr, 10);
  const uint32_t seed =
      argc == 5 ? static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 10)) : 1;
  const std::string bytes =
      plain ? Plain(records, seed, varied) : Hd(records, seed, varied);
  if (!WriteFile(argv[2], bytes)) {
    std::fprintf(stderr, "daygen: can't write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
