// One check of an object class's whole stream form, from a gate table whose
// counts are marked: '#' before a u32 count, '%' before a u8 count (hex
// skips both). One test thread.
#ifndef LX_OBJECTS_VIEWS_TESTS_STREAM_FORM_H
#define LX_OBJECTS_VIEWS_TESTS_STREAM_FORM_H

#include "components/lx_objects/tests/stream_bytes.h"

#include <cctype>
#include <memory>
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

// Each marked count, raised beyond the data, fails the read before anything
// is allocated for it.
template <class T>
void expectDamagedCountsFail(const std::vector<Chunk>& layout)
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
                                                      kProjectStreamVersion, message,
                                                      [](InStream& in) { T().read(in); }))
                << "count at " << digits / 2;
        }
    }
}

// The newest value writes the newest bytes (golden), reads back at every
// gate, round-trips through both streams, survives being read twice, and its
// clone (id -1) writes the same bytes and owns its containers. A class
// holding a QPoint has no text form (the text stream refuses the point).
template <class T>
void expectStreamForm(const std::vector<Chunk>& layout, const std::function<T(quint16)>& expected, bool textForm = true)
{
    T value = expected(kProjectStreamVersion);
    value.setId(7);
    const QByteArray bytes = StreamCheck::bytesAt(kProjectStreamVersion, layout);
    EXPECT_EQ(writtenBytes(value).toHex(), bytes.toHex());
    StreamCheck::expectGateReads<T>(layout, kProjectStreamVersion, expected);
    if (textForm) {
        EXPECT_TRUE(StreamCheck::stableRoundTrip(value, kProjectStreamVersion));
    }
    expectDamagedCountsFail<T>(layout);

    T twice;
    EXPECT_EQ(readBytes(twice, bytes), 0);
    EXPECT_EQ(readBytes(twice, bytes), 0);
    EXPECT_EQ(twice, value);

    std::unique_ptr<T> copy(static_cast<T*>(value.clone()));
    EXPECT_EQ(copy->getId(), Archive::kNoObjectId);
    EXPECT_EQ(writtenBytes(*copy), bytes);
    *copy = T();
    EXPECT_EQ(writtenBytes(value), bytes);
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
