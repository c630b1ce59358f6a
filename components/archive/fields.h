// Field lists: a class states its stream layout once, for both directions.
//
// The stored format is positional and untagged, so a writer and a reader
// written apart can drift (two fields of one type swapped, a gated field
// forgotten) and still round-trip on their own bytes. Instead each class
// lists its fields in the newest layout with their version gates, privately,
// and lets the two helpers below reach the list. A class with a code takes
// its read() and write() from the one base (components/archive/object.h),
// which calls them; a class without one calls them itself:
//
//     class Mask : public Archive::Value<Mask> {
//     public:
//         static constexpr quint32 kTypeCode = 77;
//         bool operator==(const Mask&) const = default;
//     private:
//         friend class Archive::FieldAccess;
//         template <class F, class Self>
//         static void fields(F& f, Self& s)
//         {
//             f(s.m_name, s.m_flags);
//             f.since(62, s.m_extra);                                // older data has the default
//             f.since(81, s.m_option).orSet(2);                      // older data sets 2
//             f.when([](quint16 v) { return v >= 56 && v != 62; }, s.m_video).orSet(true);
//             f.droppedBefore(112, quint32());                      // old data only, skipped
//             f.onlyBefore(100, s.m_type);                          // old data only, kept
//             f(Archive::storedAs<quint8>(s.m_parity));              // 32 bits held, 8 stored
//             switch (s.m_type) { case 1: f(s.m_a); break; default: break; }
//         }
//     };
//
// Conventions:
// - Reading starts from a default-constructed value: a field that older data
//   lacks has its default unless its gate sets a fallback. An archive object
//   keeps its object id (ObjectBase's assignment leaves the id alone). A class
//   that must keep something else says why in a private resetForRead().
// - One gate per statement and the gate first (f.since(87, s.extra);):
//   nothing chains after a gate or after a plain entry. A predicate shows its
//   version numbers in the list.
// - FieldWriter writes every field and never tests a version; Self is const
//   there, so a list that mutates does not compile on the write path.
// - A layout that differs entirely at old versions is read by hand: orRead(fn)
//   reads in place of a gated field (fn(InStream&, field...)); fix-ups of old
//   data follow the list, in the class's private afterRead(InStream&).
// - The adaptors (storedAs, mapStoredAs, elementsStoredAs, storedVia,
//   vector32, inlineFields, anyCountArray, counted) are plain stream values and serve
//   outside a list as well: in >> storedAs<quint8>(x).
#ifndef ARCHIVE_FIELDS_H
#define ARCHIVE_FIELDS_H

#include "components/archive/in_stream.h"
#include "components/archive/object.h"
#include "components/archive/out_stream.h"
#include "components/archive/value_ptr.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <tuple>
#include <type_traits>
#include <utility>

namespace Archive {

// ---- adaptors: a field held at one width and stored at another ----------

namespace FieldDetail {

template <class T>
auto integerOf(T value)
{
    if constexpr (std::is_enum<T>::value)
        return static_cast<std::underlying_type_t<T>>(value);
    else
        return value;
}

template <class T, class S>
T fromStored(S stored)
{
    if constexpr (std::is_enum<T>::value)
        return static_cast<T>(static_cast<std::underlying_type_t<T>>(stored));
    else
        return static_cast<T>(stored);
}

template <class Stored, class T>
Stored toStored(const T& value)
{
    return static_cast<Stored>(integerOf(value));
}

// The section code of a sequence, as the stream's own operators use it.
template <class C>
struct SequenceCode;
template <class T, class A>
struct SequenceCode<std::vector<T, A>>
{
    static constexpr quint32 value = StreamCode::Vector;
};
template <class T>
struct SequenceCode<QVector<T>>
{
    static constexpr quint32 value = StreamCode::Vector;
};
template <class T, class A>
struct SequenceCode<std::list<T, A>>
{
    static constexpr quint32 value = StreamCode::List;
};
template <class T>
struct SequenceCode<QList<T>>
{
    static constexpr quint32 value = StreamCode::QtList;
};

template <class M>
struct MapCode
{
    static constexpr quint32 value = StreamCode::Map;
};
template <class K, class V>
struct MapCode<QHash<K, V>>
{
    static constexpr quint32 value = StreamCode::Hash;
};

// std::map iterates pairs; QMap and QHash iterators carry key() and value().
template <class It, class = void>
struct HasKey : std::false_type
{};
template <class It>
struct HasKey<It, std::void_t<decltype(std::declval<const It&>().key())>> : std::true_type
{};

template <class It>
const auto& keyOf(const It& it)
{
    if constexpr (HasKey<It>::value)
        return it.key();
    else
        return it->first;
}

template <class It>
const auto& valueOf(const It& it)
{
    if constexpr (HasKey<It>::value)
        return it.value();
    else
        return it->second;
}

}  // namespace FieldDetail

// A scalar or enumeration held in T and stored as Stored (an integer type):
// written cut to Stored, read back converted (zero- or sign-extended as
// Stored is unsigned or signed).
template <class Stored, class T>
struct StoredAs
{
    T& value;
};

template <class Stored, class T>
StoredAs<Stored, T> storedAs(T& value)
{
    return StoredAs<Stored, T> {value};
}

// A map whose keys (and, unless ValueStored is void, values) are stored at
// another width; read replaces the map.
template <class KeyStored, class ValueStored, class M>
struct MapStoredAs
{
    M& map;
};

template <class KeyStored, class ValueStored = void, class M>
MapStoredAs<KeyStored, ValueStored, M> mapStoredAs(M& map)
{
    return MapStoredAs<KeyStored, ValueStored, M> {map};
}

// A sequence whose elements are stored at another width; read replaces it.
template <class Stored, class C>
struct ElementsStoredAs
{
    C& container;
};

template <class Stored, class C>
ElementsStoredAs<Stored, C> elementsStoredAs(C& container)
{
    return ElementsStoredAs<Stored, C> {container};
}

template <class Stored, class T>
InStream& operator>>(InStream& in, StoredAs<Stored, T> field)
{
    static_assert(!std::is_const<T>::value, "cannot read into a constant");
    Stored stored {};
    in >> stored;
    field.value = FieldDetail::fromStored<T>(stored);
    return in;
}

template <class Stored, class T>
OutStream& operator<<(OutStream& out, StoredAs<Stored, T> field)
{
    return out << FieldDetail::toStored<Stored>(field.value);
}

template <class KeyStored, class ValueStored, class M>
InStream& operator>>(InStream& in, MapStoredAs<KeyStored, ValueStored, M> field)
{
    static_assert(!std::is_const<M>::value, "cannot read into a constant");
    using Key = typename M::key_type;
    using Value = typename M::mapped_type;
    StreamDetail::readContainer(in, FieldDetail::MapCode<std::remove_cv_t<M>>::value, field.map, [&] {
        KeyStored key {};
        in >> key;
        Value& slot = field.map[FieldDetail::fromStored<Key>(key)];
        if constexpr (std::is_void<ValueStored>::value)
            in >> slot;
        else
            in >> storedAs<ValueStored>(slot);
    });
    return in;
}

template <class KeyStored, class ValueStored, class M>
OutStream& operator<<(OutStream& out, MapStoredAs<KeyStored, ValueStored, M> field)
{
    const auto& map = field.map;
    out.beginSection(FieldDetail::MapCode<std::remove_cv_t<M>>::value, true);
    out.writeCount(std::size_t(map.size()));
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        out << FieldDetail::toStored<KeyStored>(FieldDetail::keyOf(it));
        if constexpr (std::is_void<ValueStored>::value)
            out << FieldDetail::valueOf(it);
        else
            out << FieldDetail::toStored<ValueStored>(FieldDetail::valueOf(it));
    }
    out.endSection(FieldDetail::MapCode<std::remove_cv_t<M>>::value);
    return out;
}

template <class Stored, class C>
InStream& operator>>(InStream& in, ElementsStoredAs<Stored, C> field)
{
    static_assert(!std::is_const<C>::value, "cannot read into a constant");
    using T = typename C::value_type;
    StreamDetail::readContainer(in, FieldDetail::SequenceCode<C>::value, field.container, [&] {
        Stored stored {};
        in >> stored;
        field.container.push_back(FieldDetail::fromStored<T>(stored));
    });
    return in;
}

template <class Stored, class C>
OutStream& operator<<(OutStream& out, ElementsStoredAs<Stored, C> field)
{
    constexpr quint32 code = FieldDetail::SequenceCode<std::remove_cv_t<C>>::value;
    out.beginSection(code, true);
    out.writeCount(std::size_t(field.container.size()));
    for (const auto& element : field.container)
        out << FieldDetail::toStored<Stored>(element);
    out.endSection(code);
    return out;
}

// A field held in one form and stored in another by a conversion each way.
// Form::Stored is what the stream holds (a streamable type, or a std::tuple
// of them stored one after another); Form::store(value) makes it for
// writing and Form::load(stored) makes the value back on reading:
//     struct VersionAsBytes
//     {
//         using Stored = QByteArray;
//         static QByteArray store(const Version& v) { return v.toByteArray(); }
//         static Version load(const QByteArray& bytes) { return Version::fromByteArray(bytes); }
//     };
//     f(Archive::storedVia<VersionAsBytes>(s.version));
// Which form to use:
// - storedAs, mapStoredAs, elementsStoredAs: an integer or enumeration held
//   at another width; the cut is the whole conversion.
// - storedVia: any other value the stream holds in a form of its own (a
//   version as words or bytes, a URL as encoded bytes, a key packed into a
//   word), read whole and converted without looking at what follows.
// - a hand-written adaptor (a struct with its own operator>> and <<) only
//   where the reader must look at the stream itself: a type byte that selects
//   the layout, a count checked against a limit of its own, a section.
template <class Form, class T>
struct StoredVia
{
    T& value;
};

template <class Form, class T>
StoredVia<Form, T> storedVia(T& value)
{
    return StoredVia<Form, T> {value};
}

namespace FieldDetail {

template <class S>
struct IsTuple : std::false_type
{};
template <class... P>
struct IsTuple<std::tuple<P...>> : std::true_type
{};

}  // namespace FieldDetail

template <class Form, class T>
InStream& operator>>(InStream& in, StoredVia<Form, T> field)
{
    static_assert(!std::is_const<T>::value, "cannot read into a constant");
    typename Form::Stored stored {};
    if constexpr (FieldDetail::IsTuple<typename Form::Stored>::value)
        std::apply([&](auto&... parts) { ((in >> parts), ...); }, stored);
    else
        in >> stored;
    field.value = Form::load(stored);
    return in;
}

template <class Form, class T>
OutStream& operator<<(OutStream& out, StoredVia<Form, T> field)
{
    const typename Form::Stored stored = Form::store(field.value);
    if constexpr (FieldDetail::IsTuple<typename Form::Stored>::value)
        std::apply([&](const auto&... parts) { ((out << parts), ...); }, stored);
    else
        out << stored;
    return out;
}

// A vector of 32-bit values (quint32 or qint32) in the form many project
// classes share: a vector section, a u32 count, each element. A count above
// kMaxVector32 fails (InStream::checkCount with its limit) as the stored
// format's readers always refused it, before the count is checked against the
// data remaining; elements are appended as they are read.
inline constexpr quint32 kMaxVector32 = 0x3FFFFFFF;

template <class C>
struct Vector32
{
    C& values;
};

template <class C>
Vector32<C> vector32(C& values)
{
    using T = typename std::remove_const_t<C>::value_type;
    static_assert(std::is_same<T, quint32>::value || std::is_same<T, qint32>::value, "32-bit elements");
    return Vector32<C> {values};
}

template <class C>
InStream& operator>>(InStream& in, Vector32<C> field)
{
    static_assert(!std::is_const<C>::value, "cannot read into a constant");
    using T = typename C::value_type;
    in.beginSection(StreamCode::Vector);
    quint32 count = 0;
    in >> count;
    in.checkStatus();
    in.checkCount(count, kMaxVector32);
    field.values.clear();
    StreamDetail::reserveFor(in, field.values, count, qint64(sizeof(T)));
    for (quint32 i = 0; i < count; ++i) {
        T value = 0;
        in >> value;
        in.checkStatus();
        field.values.push_back(value);
    }
    in.endSection(StreamCode::Vector);
    return in;
}

template <class C>
OutStream& operator<<(OutStream& out, Vector32<C> field)
{
    StreamDetail::writeSequence(out, StreamCode::Vector, field.values);
    return out;
}

// A value block streamed as its own fields, without the section of its code,
// where a layout embeds one inline.
template <class T>
struct InlineFields
{
    T& value;
};

template <class T>
InlineFields<T> inlineFields(T& value)
{
    return InlineFields<T> {value};
}

template <class T>
InStream& operator>>(InStream& in, InlineFields<T> field)
{
    static_assert(!std::is_const<T>::value, "cannot read into a constant");
    const InStream::NestingGuard guard(in);
    field.value.read(in);
    return in;
}

template <class T>
OutStream& operator<<(OutStream& out, InlineFields<T> field)
{
    field.value.write(out);
    return out;
}

// A fixed array (section 34) read whatever count the data stores: older or
// damaged data may hold fewer or more values than the array, so the first
// ones are kept, missing ones set to the fill value (a zero value unless
// given: anyCountArray(values, fill)) and extra ones read and dropped. Written
// as the array, behind a leading value that some layouts keep in the same
// section (anyCountArray(lead, values)).
template <class Lead, class Array>
struct AnyCountArray
{
    using Element = std::remove_cv_t<std::remove_reference_t<decltype(std::declval<Array&>()[0])>>;
    Lead* lead;
    Array& values;
    Element fill {};
};

template <class Array>
auto anyCountArray(Array& values)
{
    using Element = std::remove_reference_t<decltype(values[0])>;
    return AnyCountArray<Element, Array> {nullptr, values};
}

template <class Array>
auto anyCountArray(Array& values, std::remove_cv_t<std::remove_reference_t<decltype(values[0])>> fill)
{
    using Element = std::remove_reference_t<decltype(values[0])>;
    return AnyCountArray<Element, Array> {nullptr, values, fill};
}

template <class Lead, class Array>
requires requires(Array& a) { std::begin(a); }
AnyCountArray<Lead, Array> anyCountArray(Lead& lead, Array& values)
{
    return AnyCountArray<Lead, Array> {&lead, values};
}

template <class Lead, class Array>
InStream& operator>>(InStream& in, AnyCountArray<Lead, Array> field)
{
    static_assert(!std::is_const<Array>::value, "cannot read into a constant");
    using T = typename Array::value_type;
    in.beginSection(StreamCode::Array);
    const quint32 count = in.readCount();
    const quint32 first = field.lead ? 1 : 0;
    std::fill(field.values.begin(), field.values.end(), field.fill);
    for (quint32 i = 0; i < count; ++i) {
        T value {};
        in >> value;
        in.checkStatus();
        if (i < first)
            *field.lead = value;
        else if (i - first < field.values.size())
            field.values[i - first] = value;
    }
    in.endSection(StreamCode::Array);
    return in;
}

template <class Lead, class Array>
OutStream& operator<<(OutStream& out, AnyCountArray<Lead, Array> field)
{
    out.beginSection(StreamCode::Array, true);
    out.writeCount(std::size_t(field.values.size()) + (field.lead ? 1 : 0));
    if (field.lead)
        out << *field.lead;
    for (const auto& value : field.values)
        out << value;
    out.endSection(StreamCode::Array);
    return out;
}

// A sequence stored as a bare count of type Count followed by its elements,
// with no section code of its own. Each element is read into a fresh value
// and handed to onRead(container, element), which files it (the default
// appends to a sequence, or inserts into a set or map keeping what is there);
// map entries are read as their key, then their value. The count is checked
// against the bytes remaining before anything is read. Writing refuses a
// container the count cannot hold (OutStream::checkCountFits), the one way a
// writer refuses a count too large for its width.
//     f(Archive::counted<quint32>(s.markers));
//     f(Archive::counted<quint16>(s.stops, [](auto& stops, auto&& entry) { ... }));
struct AppendElement
{
    template <class C, class E>
    void operator()(C& container, E&& element) const
    {
        if constexpr (requires { container.push_back(std::move(element)); })
            container.push_back(std::move(element));
        else
            container.insert(std::move(element));
    }
};

template <class Count, class C, class OnRead>
struct Counted
{
    C& container;
    OnRead onRead;
};

template <class Count, class C, class OnRead = AppendElement>
Counted<Count, C, OnRead> counted(C& container, OnRead onRead = OnRead())
{
    static_assert(std::is_integral<Count>::value && std::is_unsigned<Count>::value, "a count is unsigned");
    return Counted<Count, C, OnRead> {container, std::move(onRead)};
}

namespace FieldDetail {

template <class C>
struct ElementOf
{
    using type = typename C::value_type;
};
template <class C>
requires requires { typename C::mapped_type; }
struct ElementOf<C>
{
    using type = std::pair<std::remove_const_t<typename C::key_type>, typename C::mapped_type>;
};

// A part of an element: a value with a field list but no code of its own is
// stored inline, anything else as its stream operators store it.
template <class E>
void readPart(InStream& in, E& part)
{
    if constexpr (requires { part.read(in); } && !StreamDetail::IsBlock<E>::value)
        in >> inlineFields(part);
    else
        in >> part;
}

template <class E>
void writePart(OutStream& out, const E& part)
{
    if constexpr (requires { part.write(out); } && !StreamDetail::IsBlock<E>::value)
        out << inlineFields(part);
    else
        out << part;
}

template <class E>
void readElement(InStream& in, E& element)
{
    if constexpr (requires { element.first, element.second; }) {
        readPart(in, element.first);
        readPart(in, element.second);
    } else {
        readPart(in, element);
    }
}

template <class E>
void writeElement(OutStream& out, const E& element)
{
    if constexpr (requires { element.first, element.second; }) {
        writePart(out, element.first);
        writePart(out, element.second);
    } else {
        writePart(out, element);
    }
}

}  // namespace FieldDetail

template <class Count, class C, class OnRead>
InStream& operator>>(InStream& in, Counted<Count, C, OnRead> field)
{
    static_assert(!std::is_const<C>::value, "cannot read into a constant");
    using Element = typename FieldDetail::ElementOf<C>::type;
    Count stored = 0;
    in >> stored;
    in.checkStatus();
    in.checkCount(stored);
    field.container.clear();
    for (Count i = 0; i < stored; ++i) {
        Element element {};
        FieldDetail::readElement(in, element);
        in.checkStatus();
        field.onRead(field.container, std::move(element));
    }
    return in;
}

template <class Count, class C, class OnRead>
OutStream& operator<<(OutStream& out, Counted<Count, C, OnRead> field)
{
    const auto size = std::size(field.container);
    OutStream::checkCountFits(quint64(size), quint64(std::numeric_limits<Count>::max()));
    out << Count(size);
    for (const auto& element : field.container)
        FieldDetail::writeElement(out, element);
    return out;
}

// A part owned through a ValuePtr, stored as the value itself (its block, or
// inline for a value without a code of its own): none is written as a new
// value, and a read into none makes one.
template <class T>
InStream& operator>>(InStream& in, ValuePtr<T>& owned)
{
    if (!owned)
        owned = ValuePtr<T>::make();
    FieldDetail::readPart(in, *owned);
    return in;
}

template <class T>
OutStream& operator<<(OutStream& out, const ValuePtr<T>& owned)
{
    if (owned)
        FieldDetail::writePart(out, *owned);
    else
        FieldDetail::writePart(out, T());
    return out;
}

// ---- the one access point and the two directions -----------------------

// Reaches a class's private field list and its reset rule; a class names it
// its friend (friend class Archive::FieldAccess;) and keeps both private.
class FieldAccess
{
public:
    template <class F, class T>
    static void fields(F& f, T& s)
    {
        std::remove_const_t<T>::fields(f, s);
    }

    // Reading starts from a default-constructed value unless the class keeps
    // something and says why in resetForRead().
    template <class T>
    static void resetForRead(T& s)
    {
        if constexpr (requires { s.resetForRead(); })
            s.resetForRead();
        else
            s = T();
    }

    // The fix-ups of old data a class runs once its list is read, if any.
    template <class T>
    static void afterRead(InStream& in, T& s)
    {
        if constexpr (requires { s.afterRead(in); })
            s.afterRead(in);
    }
};

// What a gate answers: a reader whose data lacks the gated field(s) can set a
// fallback or read an older form instead. Nothing chains after it.
template <class F, class... T>
class FieldGate
{
public:
    FieldGate(F& f, bool present, T&&... fields) : m_f(f), m_present(present), m_fields(std::forward<T>(fields)...) {}
    // Older data sets the field to value (one field only); writers ignore it.
    template <class V>
    void orSet(const V& value)
    {
        static_assert(sizeof...(T) == 1, "orSet takes a gate of one field");
        if constexpr (F::kReading) {
            if (!m_present)
                std::get<0>(m_fields) = value;
        }
    }

    // Older data is read by fn(InStream&, field...) instead; writers ignore it.
    template <class Fn>
    void orRead(Fn&& fn)
    {
        if constexpr (F::kReading) {
            if (!m_present)
                std::apply([&](auto&&... fields) { fn(m_f.stream(), fields...); }, m_fields);
        }
    }

private:
    F& m_f;
    bool m_present;
    std::tuple<T&&...> m_fields;
};

// Reads a field list, testing each gate against the stream's version.
class FieldReader
{
public:
    static constexpr bool kReading = true;

    explicit FieldReader(InStream& in) : m_in(in) {}

    InStream& stream() { return m_in; }
    quint16 version() const { return m_in.version(); }

    // Fields of every version.
    template <class... T>
    void operator()(T&&... fields)
    {
        ((m_in >> std::forward<T>(fields)), ...);
    }
    // Fields stored from `version` on.
    template <class... T>
    FieldGate<FieldReader, T...> since(quint16 version, T&&... fields)
    {
        return when([version](quint16 v) { return v >= version; }, std::forward<T>(fields)...);
    }
    // Fields stored in the versions for which pred(version) holds.
    template <class Pred, class... T>
    FieldGate<FieldReader, T...> when(Pred pred, T&&... fields)
    {
        const bool present = pred(m_in.version());
        if (present)
            (*this)(std::forward<T>(fields)...);
        return FieldGate<FieldReader, T...>(*this, present, std::forward<T>(fields)...);
    }
    // A value of Stored's type that only data older than `version` carries:
    // f.droppedBefore(112, quint32());
    template <class Stored>
    void droppedBefore(quint16 version, Stored stored)
    {
        droppedWhen([version](quint16 v) { return v < version; }, stored);
    }
    // ... that only the versions for which pred(version) holds carry.
    template <class Pred, class Stored>
    void droppedWhen(Pred pred, Stored)
    {
        if (pred(m_in.version())) {
            Stored unused {};
            m_in >> unused;
        }
    }
    // Fields that only data older than `version` stores, read into the
    // object and never written (newer data keeps them elsewhere).
    template <class... T>
    void onlyBefore(quint16 version, T&&... fields)
    {
        if (m_in.version() < version)
            (*this)(std::forward<T>(fields)...);
    }

private:
    InStream& m_in;
};

// Writes a field list in the newest layout: every field, no version tested.
class FieldWriter
{
public:
    static constexpr bool kReading = false;

    explicit FieldWriter(OutStream& out) : m_out(out) {}

    template <class... T>
    void operator()(T&&... fields)
    {
        ((m_out << std::forward<T>(fields)), ...);
    }
    template <class... T>
    FieldGate<FieldWriter, T...> since(quint16, T&&... fields)
    {
        (*this)(std::forward<T>(fields)...);
        return FieldGate<FieldWriter, T...>(*this, true, std::forward<T>(fields)...);
    }
    template <class Pred, class... T>
    FieldGate<FieldWriter, T...> when(Pred, T&&... fields)
    {
        (*this)(std::forward<T>(fields)...);
        return FieldGate<FieldWriter, T...>(*this, true, std::forward<T>(fields)...);
    }
    template <class Stored>
    void droppedBefore(quint16, Stored)
    {}
    template <class Pred, class Stored>
    void droppedWhen(Pred, Stored)
    {}
    template <class... T>
    void onlyBefore(quint16, T&&...)
    {}

private:
    OutStream& m_out;
};

// A class's read() and write(): the whole list in one direction. Reading
// starts from the reset rule above.
template <class T>
void readFields(InStream& in, T& s)
{
    FieldAccess::resetForRead(s);
    FieldReader reader(in);
    FieldAccess::fields(reader, s);
}

template <class T>
void writeFields(OutStream& out, const T& s)
{
    FieldWriter writer(out);
    FieldAccess::fields(writer, s);
}

// The read() and write() of the one base (components/archive/object.h): the
// list, then the class's fix-ups.
template <class Derived, class Base>
void Object<Derived, Base>::read(InStream& in)
{
    auto& self = static_cast<Derived&>(*this);
    readFields(in, self);
    FieldAccess::afterRead(in, self);
}

template <class Derived, class Base>
void Object<Derived, Base>::write(OutStream& out) const
{
    writeFields(out, static_cast<const Derived&>(*this));
}

template <class Derived>
void Value<Derived>::read(InStream& in)
{
    auto& self = static_cast<Derived&>(*this);
    readFields(in, self);
    FieldAccess::afterRead(in, self);
}

template <class Derived>
void Value<Derived>::write(OutStream& out) const
{
    writeFields(out, static_cast<const Derived&>(*this));
}

}  // namespace Archive

#endif  // ARCHIVE_FIELDS_H
