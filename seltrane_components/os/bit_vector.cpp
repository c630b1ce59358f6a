#include "seltrane_components/os/bit_vector.h"

#include <algorithm>

BitVector::BitVector(std::uint32_t bitCount, int setBit)
    : m_words(static_cast<std::size_t>(wordCountFor(bitCount)), 0u), m_bitCount(bitCount)
{
    if (setBit >= 0)
        this->setBit(static_cast<std::uint32_t>(setBit));
}

std::uint64_t BitVector::wordCountFor(std::uint32_t bitCount)
{
    return (static_cast<std::uint64_t>(bitCount) + 31) / 32;
}

std::uint64_t BitVector::byteCountFor(std::uint32_t bitCount) { return (static_cast<std::uint64_t>(bitCount) + 7) / 8; }

bool BitVector::testBit(std::uint32_t index) const
{
    if (index >= m_bitCount)
        return false;
    return (m_words[index / 32] >> (index % 32)) & 1u;
}

bool BitVector::setBit(std::uint32_t index, bool value)
{
    if (index >= m_bitCount)
        return false;
    const std::uint32_t mask = 1u << (index % 32);
    if (value)
        m_words[index / 32] |= mask;
    else
        m_words[index / 32] &= ~mask;
    return true;
}

void BitVector::clearAll() { std::fill(m_words.begin(), m_words.end(), 0u); }

void BitVector::resize(std::uint32_t bitCount)
{
    m_words.resize(static_cast<std::size_t>(wordCountFor(bitCount)), 0u);
    m_bitCount = bitCount;
    clearBitsBeyondCount();
}

int BitVector::findNextSet(int from) const
{
    std::uint64_t index = from < 0 ? 0 : static_cast<std::uint64_t>(from) + 1;
    while (index < m_bitCount) {
        const std::uint32_t word = m_words[index / 32] >> (index % 32);
        if (word != 0) {
            const std::uint64_t found = index + static_cast<unsigned>(__builtin_ctz(word));
            // An index past the range of int cannot be answered; report none.
            return found < m_bitCount && found <= 0x7FFFFFFF ? static_cast<int>(found) : -1;
        }
        index = (index / 32 + 1) * 32;
    }
    return -1;
}

std::uint32_t BitVector::countSetBits() const
{
    std::uint32_t count = 0;
    for (std::uint32_t word : m_words)
        count += static_cast<std::uint32_t>(__builtin_popcount(word));
    return count;
}

QByteArray BitVector::rawBytes() const
{
    const std::uint64_t count = byteCountFor(m_bitCount);
    QByteArray bytes(static_cast<int>(count), '\0');
    for (std::uint64_t i = 0; i < count; ++i)
        bytes[static_cast<int>(i)] = static_cast<char>(m_words[i / 4] >> (8 * (i % 4)));
    return bytes;
}

void BitVector::setRawBytes(std::uint32_t bitCount, const QByteArray& bytes)
{
    m_words.assign(static_cast<std::size_t>(wordCountFor(bitCount)), 0u);
    m_bitCount = bitCount;
    const std::uint64_t count =
        std::min<std::uint64_t>(byteCountFor(bitCount), static_cast<std::uint64_t>(bytes.size()));
    for (std::uint64_t i = 0; i < count; ++i) {
        const auto byte = static_cast<std::uint8_t>(bytes[static_cast<int>(i)]);
        m_words[i / 4] |= static_cast<std::uint32_t>(byte) << (8 * (i % 4));
    }
    clearBitsBeyondCount();
}

bool BitVector::operator==(const BitVector& other) const
{
    return m_bitCount == other.m_bitCount && m_words == other.m_words;
}

void BitVector::clearBitsBeyondCount()
{
    const std::uint32_t used = m_bitCount % 32;
    if (used != 0 && !m_words.empty())
        m_words.back() &= (1u << used) - 1u;
}
