// A straightforward converter of the same rows, for the benchmark only: one
// fread per record and one fprintf per row, as a first version of such a
// tool would be written. Its printf numbers are not the table's exact rule
// (glibc prints 2.5 as "2"), so it is a yardstick for speed, never for
// output.
//
//   stdio_baseline FILE.day...   writes FILE.csv beside each input
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "dayfile/coding.h"
#include "dayfile/packed_decimal.h"

namespace {

uint32_t U32(const unsigned char* p) { return dayfile::DecodeFixed32(p); }

double Packed(uint32_t w) {
  return dayfile::PackedDecimalValue(dayfile::DecodePackedDecimal(w));
}

void Convert(std::FILE* in, std::FILE* out) {
  unsigned char head[16] = {};
  const size_t got = std::fread(head, 1, 16, in);
  if (got == 0) return;
  std::fputs("Date,Open,High,Low,Colse,Amount,Volume\r\n", out);
  unsigned char rec[65536] = {};
  if (std::memcmp(head, "hd1.0", 6) == 0) {
    const size_t len = head[12] | (head[13] << 8);
    if (len == 0 || std::fread(rec, 1, len, in) == 0) return;
    while (std::fread(rec, 1, len, in) > 0) {
      const int32_t d = static_cast<int32_t>(U32(rec));
      std::fprintf(out, "%04ld/%02ld/%02ld,%.2f,%.2f,%.2f,%.2f,%.0f,%.0f\r\n",
                   static_cast<long>(d / 10000), static_cast<long>(d % 10000 / 100),
                   static_cast<long>(d % 100), Packed(U32(rec + 4)),
                   Packed(U32(rec + 8)), Packed(U32(rec + 12)),
                   Packed(U32(rec + 16)), Packed(U32(rec + 20)),
                   Packed(U32(rec + 24)));
    }
    return;
  }
  std::rewind(in);
  while (std::fread(rec, 1, 32, in) > 0) {
    const uint32_t d = U32(rec);
    float amount;
    const uint32_t bits = U32(rec + 20);
    std::memcpy(&amount, &bits, 4);
    std::fprintf(out, "%04ld/%02ld/%02ld,%.2f,%.2f,%.2f,%.2f,%.0f,%d\r\n",
                 static_cast<long>(d / 10000), static_cast<long>(d % 10000 / 100),
                 static_cast<long>(d % 100), U32(rec + 4) / 100.0,
                 U32(rec + 8) / 100.0, U32(rec + 12) / 100.0,
                 U32(rec + 16) / 100.0, static_cast<double>(amount),
                 static_cast<int32_t>(U32(rec + 24)));
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    std::FILE* in = std::fopen(name.c_str(), "rb");
    if (in == nullptr) continue;
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    std::FILE* out = std::fopen((name + ".csv").c_str(), "wb");
    if (out == nullptr) return 1;
    Convert(in, out);
    std::fclose(in);
    if (std::fclose(out) != 0) return 1;
  }
  return 0;
}
