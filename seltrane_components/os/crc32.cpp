#include "seltrane_components/os/crc32.h"

#include <array>

namespace {

using Table = std::array<std::uint32_t, 256>;

Table makeTable()
{
    Table table {};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t value = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 0x80000000u) ? (value << 1) ^ 0x04C11DB7u : value << 1;
        table[i] = value;
    }
    return table;
}

}  // namespace

std::uint32_t crc32(const unsigned char* data, int length, std::uint32_t crc)
{
    static const Table table = makeTable();
    for (int i = 0; i < length; ++i)
        crc = (crc << 8) ^ table[((crc >> 24) ^ data[i]) & 0xFFu];
    return crc;
}
