// One check of an object class's whole stream form, from a gate table whose
// counts are marked: '#' before a u32 count, '%' before a u8 count (hex
// skips both). One test thread.
#ifndef LX_OBJECTS_VIEWS_TESTS_STREAM_FORM_H
#define LX_OBJECTS_VIEWS_TESTS_STREAM_FORM_H

#include "components/lx_objects/tests/stream_bytes.h"

#include <cctype>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace StreamForm {

using StreamCheck::Chunk;

// What writing `value` fails with ("written" when it does not).
template <class T>
std::string writeFailure(const T& value)
{
    try {
        writtenBytes(value);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "written";
}

namespace Detail {

using StreamCheck::Detail::Owned;
using StreamCheck::Detail::ValueOps;

// What the form check asks of an object class beyond its stream operations.
struct ObjectOps
{
    Archive::ObjectId (*id)(const void*);
    void (*reset)(void*);                       // value = T()
    void (*print)(const void*, std::ostream*);  // as a failed EXPECT_EQ shows a T
};

template <class T>
Archive::ObjectId idOf(const void* value)
{
    return static_cast<const T*>(value)->getId();
}
template <class T>
void resetValue(void* value)
{
    *static_cast<T*>(value) = T();
}
template <class T>
void printValue(const void* value, std::ostream* os)
{
    *os << ::testing::PrintToString(*static_cast<const T*>(value));
}
template <class T>
inline constexpr ObjectOps kObjectOps {&idOf<T>, &resetValue<T>, &printValue<T>};

// An object seen through its operations.
struct Shown
{
    const ValueOps& ops;
    const ObjectOps& object;
    const void* value;

    bool operator==(const Shown& other) const { return ops.equal(value, other.value); }
    friend void PrintTo(const Shown& shown, std::ostream* os) { shown.object.print(shown.value, os); }
};

inline void expectDamagedCountsFail(const std::vector<Chunk>& layout, StreamCheck::Callback<void(InStream&)> read)
{
    const QByteArray bytes = StreamCheck::bytesAt(kProjectStreamVersion, layout);
    int digits = 0;  // before the mark, in the newest bytes
    for (const Chunk& chunk : layout) {
        for (const char* c = chunk.bytes; chunk.until == StreamCheck::kNewest && *c; ++c) {
            digits += std::isxdigit(static_cast<unsigned char>(*c)) ? 1 : 0;
            if (*c != '#' && *c != '%')
                continue;
            const bool wide = *c == '#';
            const std::string message = std::string("Error reading from file, count ") + (wide ? "1073741823" : "255")
                + " exceeds the data remaining";
            EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, digits / 2, wide ? "3fffffff" : "ff",
                                                      kProjectStreamVersion, message, read))
                << "count at " << digits / 2;
        }
    }
}

inline void expectStreamForm(const std::vector<Chunk>& layout, const Shown& value,
                             StreamCheck::Callback<void*(quint16)> expected, bool textForm)
{
    const ValueOps& ops = value.ops;
    const auto writtenBytes = [&](const Shown& v) {
        return streamBytes([&](OutStream& out) { ops.write(v.value, out); });
    };
    const auto readBytes = [&](const Shown& v, const QByteArray& bytes) {
        return readBinary(bytes, kProjectStreamVersion,
                          [&](InStream& in) { ops.read(const_cast<void*>(v.value), in); });
    };
    const QByteArray bytes = StreamCheck::bytesAt(kProjectStreamVersion, layout);
    EXPECT_EQ(writtenBytes(value).toHex(), bytes.toHex());
    StreamCheck::Detail::expectGateReads(layout, kProjectStreamVersion, ops, expected, ops.read);
    if (textForm) {
        EXPECT_TRUE(StreamCheck::Detail::stableRoundTrip(value.value, ops, kProjectStreamVersion));
    }
    expectDamagedCountsFail(layout, [&](InStream& in) { ops.read(Owned(ops).get(), in); });

    const Owned fresh(ops);
    const Shown twice {ops, value.object, fresh.get()};
    EXPECT_EQ(readBytes(twice, bytes), 0);
    EXPECT_EQ(readBytes(twice, bytes), 0);
    EXPECT_EQ(twice, value);

    const Owned clone(ops, ops.clone(value.value));
    const Shown copy {ops, value.object, clone.get()};
    EXPECT_EQ(value.object.id(copy.value), Archive::kNoObjectId);
    EXPECT_EQ(writtenBytes(copy), bytes);
    value.object.reset(clone.get());
    EXPECT_EQ(writtenBytes(value), bytes);
}

}  // namespace Detail

// Each marked count, raised beyond the data, fails the read before anything
// is allocated for it.
template <class T>
void expectDamagedCountsFail(const std::vector<Chunk>& layout)
{
    Detail::expectDamagedCountsFail(layout, [](InStream& in) { T().read(in); });
}

// The newest value writes the newest bytes (golden), reads back at every
// gate, round-trips through both streams, survives being read twice, and its
// clone (id -1) writes the same bytes and owns its containers. A class
// holding a QPoint has no text form (the text stream refuses the point).
template <class T>
void expectStreamForm(const std::vector<Chunk>& layout, StreamCheck::Callback<T(quint16)> expected,
                      bool textForm = true)
{
    T value = expected(kProjectStreamVersion);
    value.setId(7);
    Detail::expectStreamForm(
        layout,
        {StreamCheck::Detail::kOps<T, StreamCheck::Detail::kCompare | StreamCheck::Detail::kClone>,
         Detail::kObjectOps<T>, &value},
        [&](quint16 version) -> void* { return new T(expected(version)); }, textForm);
}

// The same for a class without gates, whose bytes are `bytes` at every version.
template <class T>
void expectStreamForm(const char* bytes, const T& value, bool textForm = true)
{
    expectStreamForm<T>(
        {{0, StreamCheck::kNewest, bytes}}, [value](quint16) { return value; }, textForm);
}

}  // namespace StreamForm

#endif  // LX_OBJECTS_VIEWS_TESTS_STREAM_FORM_H
