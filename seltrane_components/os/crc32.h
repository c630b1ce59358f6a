// CRC-32 with the polynomial 0x04C11DB7, most significant bit first, without
// reflection and without a final XOR. The caller gives the start value and
// chains calls over consecutive pieces by passing the previous result.
//
// Thread safety: callable from any thread (the table is built once).
#ifndef SELTRANE_COMPONENTS_OS_CRC32_H
#define SELTRANE_COMPONENTS_OS_CRC32_H

#include <cstdint>

// A length of 0 or less returns crc unchanged.
std::uint32_t crc32(const unsigned char* data, int length, std::uint32_t crc);

#endif  // SELTRANE_COMPONENTS_OS_CRC32_H
