// Compile-time helpers shared by InStream and OutStream: what counts as a
// nested value block, and the one-byte form of enumerations.
#ifndef ARCHIVE_STREAM_TRAITS_H
#define ARCHIVE_STREAM_TRAITS_H

#include <type_traits>
#include <utility>

class InStream;
class OutStream;

namespace StreamDetail {

// A type with read(InStream&), write(OutStream&) const and typeCode() is
// streamed as a block of its own code.
template <class T, class = void>
struct IsBlock : std::false_type
{};
template <class T>
struct IsBlock<T,
               std::void_t<decltype(std::declval<T&>().read(std::declval<InStream&>())),
                           decltype(std::declval<const T&>().write(std::declval<OutStream&>())),
                           decltype(std::declval<const T&>().typeCode())>> : std::true_type
{};

}  // namespace StreamDetail

// An enumeration held in a wider field, streamed as its low byte and read back
// zero-extended: in >> asByte(mode); out << asByte(mode);
template <class E>
struct ByteEnum
{
    E& value;
};

template <class E>
ByteEnum<E> asByte(E& value)
{
    static_assert(std::is_enum<std::remove_const_t<E>>::value, "asByte takes an enumeration");
    return ByteEnum<E> {value};
}

#endif  // ARCHIVE_STREAM_TRAITS_H
