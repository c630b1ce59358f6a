// SkinProperty is one property of an interface skin: a value of one of six
// kinds, held by the kind's own class. The skin-property tables give the
// defaults of the properties of each control kind (skin code); the only
// default known so far is each kind's "fontFamily", the shared default
// font family.
//
// The properties' stored form is not known: read() and write() throw
// "No stream layout is specified for <name> (code <code>)" before touching
// the stream.
//
// A property is a plain polymorphic value, owned by whoever holds it (copy
// it with clone()); one thread uses it at a time. The tables are built on
// first use and only read afterwards, from any thread.
#ifndef LX_OBJECTS_INTERFACE_SKIN_PROPERTY_H
#define LX_OBJECTS_INTERFACE_SKIN_PROPERTY_H

#include "components/archive/stream_fwd.h"

#include <QColor>
#include <QString>

#include <map>
#include <memory>

class SkinProperty
{
public:
    static constexpr quint32 kTypeCode = 151;

    enum ValueKind : int { IntKind = 1, DoubleKind = 2, BoolKind = 3, StringKind = 4, ColourKind = 5, ImageKind = 6 };

    virtual ~SkinProperty() = default;
    virtual void read(InStream& in);
    virtual void write(OutStream& out) const;
    virtual quint32 typeCode() const = 0;
    virtual ValueKind valueKind() const = 0;
    // Takes the value of a property of the same kind; a property of another
    // kind changes nothing and answers false.
    virtual bool assign(const SkinProperty& other) = 0;
    virtual SkinProperty* clone() const = 0;

private:
    // Only a kind compares, by its value: two properties seen through the
    // base are not comparable.
    template <quint32, ValueKind, class>
    friend class TypedSkinProperty;
    bool operator==(const SkinProperty&) const = default;
};

template <quint32 Code, SkinProperty::ValueKind Kind, class T>
class TypedSkinProperty final : public SkinProperty
{
public:
    static constexpr quint32 kTypeCode = Code;

    TypedSkinProperty() = default;
    explicit TypedSkinProperty(T value) : m_value(std::move(value)) {}

    const T& value() const { return m_value; }
    void setValue(T value) { m_value = std::move(value); }

    quint32 typeCode() const override { return Code; }
    ValueKind valueKind() const override { return Kind; }
    bool assign(const SkinProperty& other) override
    {
        const auto* same = dynamic_cast<const TypedSkinProperty*>(&other);
        if (!same)
            return false;
        m_value = same->m_value;
        return true;
    }
    TypedSkinProperty* clone() const override { return new TypedSkinProperty(*this); }

    bool operator==(const TypedSkinProperty&) const = default;

private:
    T m_value {};
};

using IntSkinProperty = TypedSkinProperty<152, SkinProperty::IntKind, qint32>;
using DoubleSkinProperty = TypedSkinProperty<153, SkinProperty::DoubleKind, double>;
using BoolSkinProperty = TypedSkinProperty<154, SkinProperty::BoolKind, bool>;
using StringSkinProperty = TypedSkinProperty<155, SkinProperty::StringKind, QString>;
using ColourSkinProperty = TypedSkinProperty<156, SkinProperty::ColourKind, QRgb>;
// The value is an image index of the interface theme.
using ImageSkinProperty = TypedSkinProperty<157, SkinProperty::ImageKind, int>;

// Property name -> default value.
using SkinPropertyTable = std::map<QString, std::unique_ptr<const SkinProperty>>;

// The defaults of skin codes 1, 2, 3, 4, 6 and 7; an empty table for any
// other code.
const SkinPropertyTable& skinPropertyTable(quint32 skinCode);

#endif  // LX_OBJECTS_INTERFACE_SKIN_PROPERTY_H
