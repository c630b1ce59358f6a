#include "seltrane_components/os/date_time.h"

DateTime::DateTime() : m_bytes(unsetBytes()) {}

const DateTime::Bytes& DateTime::unsetBytes()
{
    static const Bytes unset = {0xFF, 0xFF, 0xFF, 0x07, 0xFF, 0xFF, 0xFF};
    return unset;
}

std::uint8_t DateTime::byte(int index) const
{
    return index >= 0 && index < kByteCount ? m_bytes[static_cast<std::size_t>(index)] : 0;
}

void DateTime::setByte(int index, std::uint8_t value)
{
    if (index >= 0 && index < kByteCount)
        m_bytes[static_cast<std::size_t>(index)] = value;
}
