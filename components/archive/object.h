// Archive::Object<Derived, Base> and Archive::Value<Derived>: the frame every
// class with a field list (components/archive/fields.h) shares, written once.
//
// An archive object class names its code (and its array, if it has one) and
// its field list; the base supplies typeCode(), clone(), read() and write():
//
//     // dali_scene.h
//     class DaliScene : public Archive::Object<DaliScene>
//     {
//     public:
//         static constexpr quint32 kTypeCode = 133;
//         static constexpr Archive::ArrayId kArrayId = 13;
//         bool operator==(const DaliScene&) const = default;
//         ...
//     private:
//         friend class Archive::FieldAccess;
//         template <class F, class Self>
//         static void fields(F& f, Self& s);
//     };
//     extern template class Archive::Object<DaliScene>;
//
//     // dali_scene.cpp, after the definition of fields()
//     template class Archive::Object<DaliScene>;
//
// The field list is defined in the class's source file, so read() and write()
// are made there, by the explicit instantiation; the extern line in the header
// keeps every other file from making them without the list.
//
// Base is ObjectBase or an abstract class between it and Derived; clone()
// answers a Base* (a class template cannot name its Derived as a covariant
// return while Derived is still being defined). A value type (no id, no
// database) takes Archive::Value<Derived>: the same typeCode(), read() and
// write(), none virtual.
//
// A class that fixes up old data after the list is read declares a private
//     void afterRead(InStream& in);
// which read() calls once readFields() is done (FieldAccess reaches it). A
// class whose read differs entirely still overrides read() itself.
#ifndef ARCHIVE_OBJECT_H
#define ARCHIVE_OBJECT_H

#include "components/archive/object_base.h"

namespace Archive {

template <class Derived, class Base = ObjectBase>
class Object : public Base
{
public:
    using Base::Base;

    quint32 typeCode() const override { return Derived::kTypeCode; }
    Base* clone() const override { return new Derived(static_cast<const Derived&>(*this)); }
    // Defined in components/archive/fields.h, made by the class's source.
    void read(InStream& in) override;
    void write(OutStream& out) const override;
};

template <class Derived>
class Value
{
public:
    quint32 typeCode() const { return Derived::kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const Value&) const = default;
};

}  // namespace Archive

#endif  // ARCHIVE_OBJECT_H
