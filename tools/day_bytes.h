// Builds the bytes of day files of either layout, for the generator, the
// tests and the benchmarks.
#ifndef READZEMLO_TOOLS_DAY_BYTES_H_
#define READZEMLO_TOOLS_DAY_BYTES_H_

#include <cstdint>
#include <cstring>
#include <string>

namespace daybytes {

inline void PutFixed16(std::string* out, uint16_t v) {
  out->push_back(static_cast<char>(v & 0xff));
  out->push_back(static_cast<char>(v >> 8));
}

inline void PutFixed32(std::string* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>(v >> (8 * i)));
}

inline uint32_t FloatBits(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

// One 32-byte plain record; prices in hundredths.
inline std::string PlainRecord(uint32_t date, uint32_t open, uint32_t high,
                               uint32_t low, uint32_t close, float amount,
                               int32_t volume, uint32_t unused = 0) {
  std::string r;
  for (uint32_t v : {date, open, high, low, close, FloatBits(amount),
                     static_cast<uint32_t>(volume), unused}) {
    PutFixed32(&r, v);
  }
  return r;
}

// A packed decimal word: mantissa * 0.1^exponent when `fraction`, else
// mantissa * 10^exponent.
inline uint32_t Packed(bool fraction, uint32_t exponent, uint32_t mantissa) {
  return (fraction ? 0x80000000u : 0u) | ((exponent & 7u) << 28) |
         (mantissa & 0x0fffffffu);
}

// The 16-byte hd1.0 header.
inline std::string HdHeader(uint32_t record_num, uint16_t record_start,
                            uint16_t record_len) {
  std::string h("hd1.0\0", 6);
  PutFixed16(&h, static_cast<uint16_t>(record_num & 0xffff));
  PutFixed16(&h, static_cast<uint16_t>(record_num >> 16));
  PutFixed16(&h, record_start);
  PutFixed16(&h, record_len);
  PutFixed16(&h, 0);
  return h;
}

// One hd1.0 record of `length` bytes: the date and six packed words, cut or
// zero-padded to `length`.
inline std::string HdRecord(int32_t date, const uint32_t (&words)[6],
                            size_t length = 28) {
  std::string r;
  PutFixed32(&r, static_cast<uint32_t>(date));
  for (uint32_t w : words) PutFixed32(&r, w);
  r.resize(length, '\0');
  return r;
}

}  // namespace daybytes

#endif  // READZEMLO_TOOLS_DAY_BYTES_H_
