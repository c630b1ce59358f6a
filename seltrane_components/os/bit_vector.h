// A fixed number of bits packed into 32-bit words: bit i lives in word i / 32
// at position i % 32, least significant first. Bits at and beyond the bit
// count are always zero, so words and raw bytes carry no stray bits.
//
// A plain value type; one instance must not be changed by two threads at once.
#ifndef SELTRANE_COMPONENTS_OS_BIT_VECTOR_H
#define SELTRANE_COMPONENTS_OS_BIT_VECTOR_H

#include <QByteArray>

#include <cstdint>
#include <vector>

class BitVector
{
public:
    // bitCount zero bits; when setBit is not -1, that one bit is set.
    explicit BitVector(std::uint32_t bitCount = 0, int setBit = -1);

    // Words and raw bytes needed for bitCount bits (64-bit, so no count wraps).
    static std::uint64_t wordCountFor(std::uint32_t bitCount);
    static std::uint64_t byteCountFor(std::uint32_t bitCount);

    std::uint32_t size() const { return m_bitCount; }
    bool isEmpty() const { return m_bitCount == 0; }
    const std::vector<std::uint32_t>& words() const { return m_words; }

    // False for an index at or beyond the bit count.
    bool testBit(std::uint32_t index) const;
    // Sets or clears one bit; false (and nothing changed) for an index at or
    // beyond the bit count.
    bool setBit(std::uint32_t index, bool value = true);
    void clearAll();

    // Changes the bit count; new bits are zero and bits beyond the new count
    // are cleared.
    void resize(std::uint32_t bitCount);

    // The first set bit strictly after `from` (-1 starts at bit 0); -1 when
    // there is none or `from` is at or beyond the last bit.
    int findNextSet(int from) const;
    std::uint32_t countSetBits() const;

    // The first ceil(n / 8) bytes of the words in little-endian order: bit i is
    // bit i % 8 of byte i / 8.
    QByteArray rawBytes() const;
    // Replaces the contents with bitCount bits taken from raw bytes in the form
    // of rawBytes(); missing bytes count as zero, extra bytes and bits beyond
    // bitCount are ignored.
    void setRawBytes(std::uint32_t bitCount, const QByteArray& bytes);

    bool operator==(const BitVector& other) const;
    bool operator!=(const BitVector& other) const { return !(*this == other); }

private:
    void clearBitsBeyondCount();

    std::vector<std::uint32_t> m_words;
    std::uint32_t m_bitCount = 0;
};

#endif  // SELTRANE_COMPONENTS_OS_BIT_VECTOR_H
