// Little-endian field access for the day file layouts.
//
// Fields are assembled from bytes, so decoding does not depend on the host's
// byte order or alignment, and never reads a packed struct through a cast.
#ifndef READZEMLO_DAYFILE_CODING_H_
#define READZEMLO_DAYFILE_CODING_H_

#include <cstdint>

namespace dayfile {

// The 16-bit unsigned value stored little-endian at p[0..1].
inline uint16_t DecodeFixed16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// The 32-bit unsigned value stored little-endian at p[0..3].
inline uint32_t DecodeFixed32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

// The two's-complement signed reading of a 32-bit word.
inline int32_t AsSigned32(uint32_t word) {
  return static_cast<int32_t>(word);  // Two's complement, defined since C++20
                                      // and by every compiler we target.
}

}  // namespace dayfile

#endif  // READZEMLO_DAYFILE_CODING_H_
