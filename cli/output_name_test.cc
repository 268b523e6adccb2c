#include "cli/output_name.h"

#include <string>

#include "gtest/gtest.h"

namespace cli {
namespace {

TEST(OutputNameTest, ReplacesTheLastExtension) {
  struct Case {
    const char* input;
    const char* output;
  } cases[] = {
      {"data.day", "data.csv"},
      {"data.DAY", "data.csv"},
      {"a.b.day", "a.b.csv"},
      {"data", "data.csv"},
      {"data.", "data.csv"},
      {"old.x/data", "old.csv"},  // the last "." may lie in a directory part
      {"data.CSV", "data.csv"},   // letter case counts
      {"dir/quotes.day", "dir/quotes.csv"},
      {"\xe4\xb8\xad\xe6\x96\x87.day", "\xe4\xb8\xad\xe6\x96\x87.csv"},
  };
  for (const Case& c : cases) {
    std::string name = c.input;
    EXPECT_TRUE(ChangeExtension(&name, "csv")) << c.input;
    EXPECT_EQ(name, c.output) << c.input;
  }
}

TEST(OutputNameTest, RefusesTheOwnExtension) {
  for (const char* input : {"data.csv", "dir.day/x.csv", ".csv"}) {
    std::string name = input;
    EXPECT_FALSE(ChangeExtension(&name, "csv")) << input;
    EXPECT_EQ(name, input);
  }
}

TEST(OutputNameTest, NamesOfAnyLength) {
  const std::string stem(5000, 'n');
  std::string name = stem + ".day";
  EXPECT_TRUE(ChangeExtension(&name, "csv"));
  EXPECT_EQ(name, stem + ".csv");
}

}  // namespace
}  // namespace cli
