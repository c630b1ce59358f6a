// The in-house 7-byte calendar value that the object streams carry as seven
// unsigned bytes. Only the unset value (FF FF FF 07 FF FF FF) has a meaning
// of its own here; the bytes are kept as they are read.
//
// A plain value type; one instance must not be changed by two threads at once.
#ifndef SELTRANE_COMPONENTS_OS_DATE_TIME_H
#define SELTRANE_COMPONENTS_OS_DATE_TIME_H

#include <array>
#include <cstdint>

class DateTime
{
public:
    static constexpr int kByteCount = 7;
    using Bytes = std::array<std::uint8_t, kByteCount>;

    // The unset value.
    DateTime();
    explicit DateTime(const Bytes& bytes) : m_bytes(bytes) {}

    static const Bytes& unsetBytes();
    bool isUnset() const { return m_bytes == unsetBytes(); }

    const Bytes& bytes() const { return m_bytes; }
    Bytes& bytes() { return m_bytes; }
    // Index 0 to 6; an index outside answers 0 and changes nothing.
    std::uint8_t byte(int index) const;
    void setByte(int index, std::uint8_t value);

    bool operator==(const DateTime& other) const { return m_bytes == other.m_bytes; }
    bool operator!=(const DateTime& other) const { return m_bytes != other.m_bytes; }

private:
    Bytes m_bytes;
};

#endif  // SELTRANE_COMPONENTS_OS_DATE_TIME_H
