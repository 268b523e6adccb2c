#include "dayfile/number_text.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "dayfile/packed_decimal.h"
#include "gtest/gtest.h"
#include "tests/exact_reference.h"

namespace dayfile {
namespace {

std::string Fixed(double value, int decimals) {
  char text[kMaxNumberText];
  return std::string(text, FormatFixed(value, decimals, text));
}

double DoubleFromBits(uint64_t bits) {
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

TEST(NumberTextTest, KnownTexts) {
  const double kNan = std::numeric_limits<double>::quiet_NaN();
  const double kInf = std::numeric_limits<double>::infinity();
  struct Case {
    double value;
    int decimals;
    const char* text;
  } cases[] = {
      {2.5, 0, "3"},  // printf: "2"
      {-2.5, 0, "-3"},
      {0.5, 0, "1"},
      {3.5, 0, "4"},
      {0.4, 0, "0"},
      {0, 2, "0.00"},
      {-0.0, 0, "-0"},  // the sign stays, as printf keeps it
      {-0.3, 0, "-0"},
      {1.05, 2, "1.05"},
      {0.125, 2, "0.13"},
      {1.005, 2, "1.00"},  // the double lies below 1.005 even at 17 digits
      {static_cast<double>(1e20f), 0, "100000002004087730000"},
      {1e17, 0, "100000000000000000"},
      {123456789012345678.0, 0, "123456789012345680"},
      // 17 digits first make 10000000000000.045 of ...0.044921875: a half.
      {10000000000000.044921875, 2, "10000000000000.05"},
      {std::numeric_limits<double>::denorm_min(), 2, "0.00"},
      {kNan, 0, "nan"},
      {-kNan, 2, "nan"},
      {kInf, 0, "inf"},
      {-kInf, 2, "-inf"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Fixed(c.value, c.decimals), c.text)
        << "value " << reference::ExactDecimal(c.value) << " decimals "
        << c.decimals;
  }
  EXPECT_EQ(Fixed(std::numeric_limits<double>::max(), 0),
            "17976931348623157" + std::string(292, '0'));
}

TEST(NumberTextTest, IntPowerScaleCarriesItsError) {
  char text[kMaxNumberText];
  const double value = 125 * IntPower(0.1, 3);
  EXPECT_EQ(std::string(text, FormatFixed(value, 2, text)), "0.13");
  EXPECT_EQ(IntPower(0.1, 3), 0.1 * (0.1 * 0.1));
  EXPECT_EQ(IntPower(10.0, 7), 1e7);
  EXPECT_EQ(IntPower(0.1, 0), 1.0);
}

// Every decade from 1e-20 to 1e22: the power itself, its neighbours, and the
// doubles around each half of the last printed decimal.
TEST(NumberTextTest, PowerOfTenBoundariesMatchReference) {
  for (int p = -20; p <= 22; ++p) {
    const double power = std::pow(10.0, p);
    for (double base : {power, 0.5 * power, 1.5 * power, 2.5 * power,
                        9.5 * power, 0.005, 0.015, 0.125, 2.675}) {
      double v = base;
      for (int i = 0; i < 4; ++i) v = std::nextafter(v, 0.0);
      for (int i = 0; i < 9; ++i, v = std::nextafter(v, 1e300)) {
        for (int decimals : {0, 2}) {
          for (double signed_v : {v, -v}) {
            ASSERT_EQ(Fixed(signed_v, decimals),
                      reference::Fixed(signed_v, decimals))
                << reference::ExactDecimal(signed_v) << " with " << decimals;
          }
        }
      }
    }
  }
}

TEST(NumberTextTest, RandomDoublesMatchReference) {
  std::mt19937_64 random(20261211);
  // Exponents near 1 in most draws, where the rows' numbers live, and any
  // exponent in the rest.
  std::uniform_int_distribution<int> moderate(1023 - 60, 1023 + 60);
  std::uniform_int_distribution<int> any(0, 2046);
  for (int i = 0; i < 20000; ++i) {
    const uint64_t fraction = random() & ((uint64_t{1} << 52) - 1);
    const int biased = i % 8 == 0 ? any(random) : moderate(random);
    const double v =
        DoubleFromBits(fraction | (static_cast<uint64_t>(biased) << 52));
    const int decimals = static_cast<int>(random() % 4);
    ASSERT_EQ(Fixed(v, decimals), reference::Fixed(v, decimals))
        << reference::ExactDecimal(v) << " with " << decimals;
  }
}

TEST(NumberTextTest, HundredthsMatchTheDivision) {
  std::mt19937 random(7);
  char text[kMaxNumberText];
  for (int i = 0; i < 20000; ++i) {
    const uint32_t n = i < 1000 ? static_cast<uint32_t>(i)
                       : i < 2000 ? 0xffffffffu - static_cast<uint32_t>(i)
                                  : static_cast<uint32_t>(random());
    ASSERT_EQ(std::string(text, FormatHundredths(n, text)),
              reference::Fixed(n / 100.0, 2))
        << n;
  }
}

TEST(NumberTextTest, WholeFloatsMatchReference) {
  std::mt19937 random(11);
  char text[kMaxNumberText];
  auto check = [&](float f) {
    ASSERT_EQ(std::string(text, FormatWholeFloat(f, text)),
              reference::Fixed(static_cast<double>(f), 0))
        << reference::ExactDecimal(f);
  };
  for (float f : {0.5f, 1.5f, 2.5f, -2.5f, 0.49999997f, 8388607.5f,
                  16777215.0f, 1e17f, 1e20f, 3.4028235e38f, 1e-45f}) {
    check(f);
  }
  for (int i = 0; i < 20000; ++i) {
    uint32_t bits = static_cast<uint32_t>(random());
    if ((bits & 0x7f800000u) == 0x7f800000u) continue;  // NaN and inf above
    float f;
    std::memcpy(&f, &bits, sizeof f);
    check(f);
  }
}

// Integers have one trusted text; walk every power-of-ten boundary, where the
// digit count changes, and the ends of the range.
TEST(NumberTextTest, IntegersAtEveryDigitCount) {
  std::vector<int64_t> values = {0, INT64_MAX, INT64_MIN, INT64_MIN + 1};
  for (int64_t p = 1; p <= INT64_MAX / 10; p *= 10) {
    for (const int64_t v : {p - 1, p, p + 1, 10 * p - 1, 5 * p, 2 * p + 3}) {
      values.push_back(v);
      values.push_back(-v);
    }
  }
  char text[kMaxNumberText];
  for (const int64_t v : values) {
    ASSERT_EQ(std::string(text, FormatSigned(v, text)), std::to_string(v));
  }
  // Unsigned beyond INT64_MAX, as the amount column may need.
  for (const uint64_t v : {uint64_t{9223372036854775808u}, UINT64_MAX,
                           uint64_t{10000000000000000000u},
                           uint64_t{9999999999999999999u}}) {
    ASSERT_EQ(std::string(text, FormatScaled(v, 0, text)), std::to_string(v));
  }
}

TEST(NumberTextTest, ZeroPaddedIntegers) {
  struct Case {
    int64_t value;
    int width;
    const char* text;
  } cases[] = {{2024, 4, "2024"}, {7, 4, "0007"},   {-3, 4, "-003"},
               {5, 2, "05"},      {-5, 2, "-5"},    {-12, 2, "-12"},
               {0, 2, "00"},      {429496, 4, "429496"},
               {-214748, 4, "-214748"}};
  char text[32];
  for (const Case& c : cases) {
    EXPECT_EQ(std::string(text, FormatZeroPadded(c.value, c.width, text)),
              c.text)
        << c.value << " width " << c.width;
  }
}

}  // namespace
}  // namespace dayfile
