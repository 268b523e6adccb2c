// Fuzzes the output name: any bytes as an input name.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cli/output_name.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::string output = input;
  const bool allowed = cli::ChangeExtension(&output, "csv");
  // The stem is everything before the last "."; the output is stem + ".csv".
  const size_t dot = input.rfind('.');
  const std::string stem = input.substr(0, dot);
  if (output != stem + ".csv") std::abort();
  // Refused exactly when the input already ends in ".csv" after its last dot,
  // that is when the output would be the input's own name.
  const bool same = dot != std::string::npos && input.substr(dot) == ".csv";
  if (allowed == same || same != (output == input)) std::abort();
  return 0;
}
