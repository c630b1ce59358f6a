// Checks every stream test shares: an object's bytes in a headerless binary
// stream, a read at a chosen version, the gate table that says which bytes a
// version held, the round trip through both encodings and the table of a
// type's stream forms. A test executable that includes it links
// morvant_stream_check (TEST_DEPS of its component). One thread.
//
// Bytes are written as hex with blanks; "00*2046" repeats the run before the
// star, 'ab' is a QString as the stream holds it (00000004 00610062), '#' and
// '%' may mark a count and are skipped.
//
// The checks themselves are compiled once (stream_check.cpp, the library
// morvant_stream_check): a template below only hands its type's few
// operations to them, so that each type a test checks costs a handful of
// small functions rather than a copy of every check.
//
// A gate table is written from what the versions stored, not from the code,
// one row "from-until: bytes" a line (an end left out is 0 or the newest;
// ";" parts short rows on one line, "//" starts a comment):
//     const auto layout = StreamCheck::chunks(R"(
//         -:     0001          // every version
//         62-:   00000007      // from 62 on
//         -112:  deadbeef      // a word only older data carries
//         -150:                // a fix-up of older values: both edges read
//     )");
//     StreamCheck::expectGateReads<Mask>(layout, kNewestVersion, [](quint16 v) { Mask m; ...; return m; });
// compares the whole value read at every version next to an edge with the
// whole value expected there, so a moved fix-up edge or a changed fallback
// fails as surely as a moved byte. Where older data's meaning is best said in
// the newest bytes, a row "135-: 0000004d | ffffffff" says that data before
// 135 reads as ffffffff, and expectGateReadsAsNewest<T>(layout, newest) reads
// the expected values from those bytes.
//
// The newest forms of a type are one table: each form's golden bytes as its
// owner stores it, read back whole over every other form, the round trip, the
// clone, every strict prefix failing, and a targeted damage row for each
// count or type selector (one named run replaced, the exact message):
//     StreamCheck::checkForms<Mask>(version, {{Mask(), "0000"}, {sample(), "0102 'a'"}},
//                                   {{1, 2, "7fffffff", "Error reading ..."},        // at offset 2 of form 1
//                                    {1, 2, "7fffffff", "Error reading ...", "0102"}});  // 2 past "0102"
#ifndef TESTS_SUPPORT_STREAM_CHECK_H
#define TESTS_SUPPORT_STREAM_CHECK_H

#include "components/archive/binary_stream.h"
#include "components/archive/text_stream.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace StreamCheck {

// Open-ended: present up to the newest version.
constexpr quint16 kNewest = 0xFFFF;

// A run of bytes (hex, blanks allowed) present in the versions [from, until).
// A run open to the newest version may say what older data reads as, in the
// newest layout's bytes: `before` (none when empty). A chunk parsed from text
// keeps its strings in `text`.
struct Chunk
{
    quint16 from;
    quint16 until;
    const char* bytes;
    const char* before = "";
    std::shared_ptr<const std::pair<std::string, std::string>> text = {};
};

// A callable borrowed for one call: what a check asks of a test's lambda,
// without a std::function (and its manager) for every lambda.
template <class Signature>
class Callback;

template <class R, class... Args>
class Callback<R(Args...)>
{
public:
    template <class F>
    requires(!std::is_same_v<
                 std::remove_cvref_t<F>,
                 Callback> && !std::is_function_v<std::remove_reference_t<F>> && std::is_invocable_r_v<R, F&, Args...>)
        Callback(F&& f)
        : m_object(const_cast<void*>(static_cast<const void*>(std::addressof(f)))),
          m_call(&callObject<std::remove_reference_t<F>>)
    {}
    Callback(R (*f)(Args...)) : m_function(f), m_call(&callFunction) {}

    R operator()(Args... args) const { return m_call(*this, std::forward<Args>(args)...); }

private:
    template <class F>
    static R callObject(const Callback& self, Args... args)
    {
        return (*static_cast<F*>(self.m_object))(std::forward<Args>(args)...);
    }
    static R callFunction(const Callback& self, Args... args) { return self.m_function(std::forward<Args>(args)...); }

    union
    {
        void* m_object;
        R (*m_function)(Args...);
    };
    R (*m_call)(const Callback&, Args...);
};

// The bytes `text` writes (see the header comment); '#' and '%' may mark a
// count and are skipped. Anything else in it fails the test.
QByteArray hex(const char* text);
inline QByteArray hex(const std::string& text) { return hex(text.c_str()); }

// Byte strings written as hex rows, one a line or parted by ";" ("//"
// starts a comment).
std::vector<QByteArray> hexRows(const std::string& text);

// A gate table written as rows "from-until: bytes" (see the header comment);
// "from-: bytes | before" fills Chunk::before.
std::vector<Chunk> chunks(const std::string& table);

// The bytes that data of `version` holds.
QByteArray bytesAt(quint16 version, const std::vector<Chunk>& chunks);

// The newest layout's bytes of what data of `version` reads as: every run
// open to the newest version, its `before` where the version predates it.
QByteArray newestBytesAt(quint16 version, const std::vector<Chunk>& chunks);

// Every version at which a chunk starts or stops, the one before it, and the
// newest: each gate seen from both sides.
std::vector<quint16> gateVersions(const std::vector<Chunk>& chunks, quint16 newest);

QByteArray binaryBytes(quint16 version, Callback<void(OutStream&)> writeFields);

// Answers the number of bytes left unread.
qint64 readBinary(QByteArray bytes, quint16 version, Callback<void(InStream&)> readFields);

inline std::string hexOf(const QByteArray& bytes) { return bytes.toHex().toStdString(); }

// What a read says of a count larger than the data left.
inline std::string countExceeds(quint64 count)
{
    return "Error reading from file, count " + std::to_string(count) + " exceeds the data remaining";
}
inline const std::string kCountTooLarge = "Error reading from file, count 2147483647 exceeds the data remaining";
// What a read says of a count above its list's own limit.
inline std::string countAboveLimit(quint64 count, quint64 limit)
{
    return "Error reading from file, count " + std::to_string(count) + " is above the limit " + std::to_string(limit);
}
// The 32-bit vector form's limit, and what a count one above it gets.
inline const std::string kVector32CountAboveLimit = countAboveLimit(0x40000000, 0x3FFFFFFF);

// `bytes` with the run at `offset` replaced by `replacement` (hex), read by
// `read` at `version`: the read must fail with exactly `message`.
::testing::AssertionResult damagedReadFails(QByteArray bytes, int offset, const char* replacement, quint16 version,
                                            const std::string& message, Callback<void(InStream&)> read);

namespace Detail {

// What the checks do with a value whose type they do not know: one small
// function per operation and type, null where the type has no such operation
// or the check does not use it.
struct ValueOps
{
    void* (*make)();                              // new T()
    void (*destroy)(void*);                       // delete
    void* (*copy)(const void*);                   // new T(value)
    void (*write)(const void*, OutStream&);       // value.write(out)
    void (*read)(void*, InStream&);               // value.read(in)
    void (*ownerWrite)(const void*, OutStream&);  // as its owner stores it: a block behind its code, else its fields
    void (*ownerRead)(void*, InStream&);
    bool (*equal)(const void*, const void*);  // a == b
    void* (*clone)(const void*);              // value.clone(), as a T
};

template <class T>
void* makeValue()
{
    return new T();
}
template <class T>
void destroyValue(void* value)
{
    delete static_cast<T*>(value);
}
template <class T>
void* copyValue(const void* value)
{
    return new T(*static_cast<const T*>(value));
}
template <class T>
void writeValue(const void* value, OutStream& out)
{
    static_cast<const T*>(value)->write(out);
}
template <class T>
void readValue(void* value, InStream& in)
{
    static_cast<T*>(value)->read(in);
}
template <class T>
void ownerWriteValue(const void* value, OutStream& out)
{
    if constexpr (StreamDetail::IsBlock<T>::value)
        out << *static_cast<const T*>(value);
    else
        static_cast<const T*>(value)->write(out);
}
template <class T>
void ownerReadValue(void* value, InStream& in)
{
    if constexpr (StreamDetail::IsBlock<T>::value)
        in >> *static_cast<T*>(value);
    else
        static_cast<T*>(value)->read(in);
}
template <class T>
bool equalValues(const void* a, const void* b)
{
    return *static_cast<const T*>(a) == *static_cast<const T*>(b);
}
template <class T>
void* cloneValue(const void* value)
{
    return static_cast<T*>(static_cast<const T*>(value)->clone());
}

// What a check uses beyond making, writing and reading a value: only those
// operations are instantiated for its type (a copy of a type holding a large
// variant costs as much as a check).
enum Uses : unsigned { kCompare = 1, kCopy = 2, kClone = 4, kOwnerForm = 8 };

template <class T, unsigned uses>
constexpr ValueOps makeOps()
{
    ValueOps ops {&makeValue<T>, &destroyValue<T>, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    if constexpr (requires(const T& v, OutStream& out) { v.write(out); })
        ops.write = &writeValue<T>;
    if constexpr (requires(T & v, InStream & in) { v.read(in); })
        ops.read = &readValue<T>;
    if constexpr ((uses & kCompare) != 0)
        ops.equal = &equalValues<T>;
    if constexpr ((uses & kCopy) != 0)
        ops.copy = &copyValue<T>;
    if constexpr ((uses & kClone) != 0 && requires(const T& v) { static_cast<T*>(v.clone()); })
        ops.clone = &cloneValue<T>;
    if constexpr ((uses & kOwnerForm) != 0)
        ops.ownerWrite = &ownerWriteValue<T>, ops.ownerRead = &ownerReadValue<T>;
    return ops;
}

template <class T, unsigned uses = 0>
inline constexpr ValueOps kOps = makeOps<T, uses>();

// A value the checks own, of a type they know by its operations.
class Owned
{
public:
    Owned(const ValueOps& ops, void* value) : m_ops(&ops), m_value(value) {}
    explicit Owned(const ValueOps& ops) : Owned(ops, ops.make()) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned()
    {
        if (m_value)
            m_ops->destroy(m_value);
    }
    void* get() const { return m_value; }
    void* release() { return std::exchange(m_value, nullptr); }

private:
    const ValueOps* m_ops;
    void* m_value;
};

void expectGateReads(const std::vector<Chunk>& layout, quint16 newest, const ValueOps& ops,
                     Callback<void*(quint16)> expected, Callback<void(void*, InStream&)> read);
void expectGateReadsAsNewest(const std::vector<Chunk>& layout, quint16 newest, const ValueOps& ops);
::testing::AssertionResult stableRoundTrip(const void* value, const ValueOps& ops, quint16 version);

// One form of checkForms: its value and golden bytes.
struct FormRef
{
    const void* value;
    const std::string* golden;
};

}  // namespace Detail

// Reads the bytes that each version next to an edge of `layout` holds into a
// fresh T (by read(value, stream)) and compares the whole value with
// expected(version); a mismatch shows both as written bytes.
template <class T>
void expectGateReads(
    const std::vector<Chunk>& layout, quint16 newest, Callback<T(quint16)> expected,
    Callback<void(T&, InStream&)> read = [](T& value, InStream& in) { value.read(in); })
{
    Detail::expectGateReads(
        layout, newest, Detail::kOps<T, Detail::kCompare>,
        [&](quint16 version) -> void* { return new T(expected(version)); },
        [&](void* value, InStream& in) { read(*static_cast<T*>(value), in); });
}

// expectGateReads with the value expected at each version read, at the
// newest version, from newestBytesAt(): the layout says what older data means.
template <class T>
void expectGateReadsAsNewest(const std::vector<Chunk>& layout, quint16 newest)
{
    Detail::expectGateReadsAsNewest(layout, newest, Detail::kOps<T, Detail::kCompare>);
}

// Written, read into a fresh T and written again, a value gives the same
// bytes through the binary and the text stream.
template <class T>
::testing::AssertionResult stableRoundTrip(const T& value, quint16 version)
{
    return Detail::stableRoundTrip(&value, Detail::kOps<T>, version);
}

// A value as its owner stores it: a block behind its code, an object's fields.
template <class T>
QByteArray ownerBytes(const T& value, quint16 version)
{
    return binaryBytes(version, [&](OutStream& out) { Detail::ownerWriteValue<T>(&value, out); });
}

template <class T>
void ownerRead(InStream& in, T& value)
{
    Detail::ownerReadValue<T>(&value, in);
}

// One stream form of a type: a value and its golden bytes.
template <class T>
struct Form
{
    T value;
    std::string golden;
};

// A targeted damage of form `form`'s golden bytes at `offset`, counted from
// the first `after` in them when given: the read fails with `message`.
struct Damage
{
    std::size_t form;
    int offset;
    const char* replacement;
    std::string message;
    const char* after = nullptr;
};

namespace Detail {
void checkForms(quint16 version, const ValueOps& ops, const std::vector<FormRef>& forms,
                const std::vector<Damage>& damages);
}  // namespace Detail

// The checks of the header comment, at `version`.
template <class T>
void checkForms(quint16 version, const std::vector<Form<T>>& forms, const std::vector<Damage>& damages = {})
{
    std::vector<Detail::FormRef> refs;
    refs.reserve(forms.size());
    for (const Form<T>& form : forms)
        refs.push_back({&form.value, &form.golden});
    Detail::checkForms(version, Detail::kOps<T, Detail::kCompare | Detail::kCopy | Detail::kClone | Detail::kOwnerForm>,
                       refs, damages);
}

}  // namespace StreamCheck

#endif  // TESTS_SUPPORT_STREAM_CHECK_H
