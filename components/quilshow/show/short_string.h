// ShortString: a string of 16 bytes that holds up to 14 characters in place
// and longer ones in a heap block of their own. A show holds several names
// per item, mostly short or empty; std::string spends 32 bytes on each.
//
// Always NUL-terminated. Thread safety: none of its own, like std::string.
#ifndef QUILSHOW_SHOW_SHORT_STRING_H
#define QUILSHOW_SHOW_SHORT_STRING_H

#include <QtGlobal>

#include <cstring>
#include <string>
#include <string_view>

namespace Quil {

class ShortString
{
public:
    static constexpr std::size_t kInlineCapacity = 14;

    ShortString() noexcept { std::memset(m_bytes, 0, sizeof m_bytes); }
    ShortString(std::string_view text) { set(text); }
    ShortString(const char* text) { set(text); }
    ShortString(const std::string& text) { set(text); }
    ShortString(const ShortString& other) { set(other.view()); }
    ShortString(ShortString&& other) noexcept
    {
        std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
        std::memset(other.m_bytes, 0, sizeof other.m_bytes);
    }
    ~ShortString() { release(); }

    ShortString& operator=(const ShortString& other)
    {
        if (this != &other) {
            ShortString copy(other);
            *this = std::move(copy);
        }
        return *this;
    }
    ShortString& operator=(ShortString&& other) noexcept
    {
        if (this != &other) {
            release();
            std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
            std::memset(other.m_bytes, 0, sizeof other.m_bytes);
        }
        return *this;
    }

    const char* data() const { return isInline() ? m_bytes : heapPointer(); }
    const char* c_str() const { return data(); }
    std::size_t size() const { return isInline() ? std::size_t(quint8(m_bytes[kTag])) : heapSize(); }
    std::size_t length() const { return size(); }
    bool empty() const { return size() == 0; }
    std::string_view view() const { return {data(), size()}; }
    operator std::string_view() const { return view(); }
    operator std::string() const { return std::string(view()); }

    friend bool operator==(const ShortString& a, const ShortString& b) { return a.view() == b.view(); }

private:
    static constexpr std::size_t kTag = 15;
    static constexpr char kHeapTag = char(0xFF);

    bool isInline() const { return m_bytes[kTag] != kHeapTag; }
    char* heapPointer() const
    {
        char* pointer = nullptr;
        std::memcpy(&pointer, m_bytes, sizeof pointer);
        return pointer;
    }
    std::size_t heapSize() const
    {
        quint32 size = 0;
        std::memcpy(&size, m_bytes + sizeof(char*), sizeof size);
        return size;
    }

    // Only from a constructor: the storage holds nothing yet.
    void set(std::string_view text)
    {
        std::memset(m_bytes, 0, sizeof m_bytes);
        if (text.size() <= kInlineCapacity) {
            std::memcpy(m_bytes, text.data(), text.size());
            m_bytes[kTag] = char(text.size());
            return;
        }
        // Shows store lengths in 32 bits.
        const auto size = quint32(text.size());
        char* pointer = new char[std::size_t(size) + 1];
        std::memcpy(pointer, text.data(), size);
        pointer[size] = '\0';
        std::memcpy(m_bytes, &pointer, sizeof pointer);
        std::memcpy(m_bytes + sizeof pointer, &size, sizeof size);
        m_bytes[kTag] = kHeapTag;
    }

    void release()
    {
        if (!isInline())
            delete[] heapPointer();
        std::memset(m_bytes, 0, sizeof m_bytes);
    }

    alignas(8) char m_bytes[16];
};

}  // namespace Quil

#endif  // QUILSHOW_SHOW_SHORT_STRING_H
