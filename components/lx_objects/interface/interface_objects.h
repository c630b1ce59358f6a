// The touch-panel interface classes whose stored form nothing specifies:
// the configuration, its pages, page switchers and controls, and the value
// types they embed. Each is a class of its kind under its own code, so the
// registry can create, name and copy it, but its read() and write() throw
// "No stream layout is specified for <name> (code <code>)" before touching
// the stream: a project holding one fails to load with that message instead
// of being misread. The importer fills these classes once their layouts are
// known.
//
// Owned like every archive object or plain value; one thread uses one at a
// time.
#ifndef LX_OBJECTS_INTERFACE_INTERFACE_OBJECTS_H
#define LX_OBJECTS_INTERFACE_INTERFACE_OBJECTS_H

#include "components/archive/object_base.h"

#include <QString>

// Throws std::runtime_error "No stream layout is specified for %1 (code %2)"
// with the name registered for the code.
[[noreturn]] void throwNoStreamLayout(quint32 code);

// A value type of code T::kTypeCode without a stream layout.
template <class T>
struct UnspecifiedValue
{
    quint32 typeCode() const { return T::kTypeCode; }
    void read(InStream&) { throwNoStreamLayout(T::kTypeCode); }
    void write(OutStream&) const { throwNoStreamLayout(T::kTypeCode); }
    bool operator==(const UnspecifiedValue&) const = default;
};

// An archive object class of code T::kTypeCode, derived from Base, without a
// stream layout.
template <class T, class Base = Archive::ObjectBase>
class UnspecifiedObject : public Base
{
public:
    void read(InStream&) override { throwNoStreamLayout(T::kTypeCode); }
    void write(OutStream&) const override { throwNoStreamLayout(T::kTypeCode); }
    quint32 typeCode() const override { return T::kTypeCode; }
    Base* clone() const override { return new T(static_cast<const T&>(*this)); }
};

struct InterfaceConfigurationHeader : UnspecifiedValue<InterfaceConfigurationHeader>
{
    static constexpr quint32 kTypeCode = 135;
    bool operator==(const InterfaceConfigurationHeader&) const = default;
};

class InterfaceConfiguration final : public UnspecifiedObject<InterfaceConfiguration>
{
public:
    static constexpr quint32 kTypeCode = 136;
    bool operator==(const InterfaceConfiguration&) const = default;
};

// The base of the controls a page holds; registered without a factory.
class InterfaceControl : public Archive::ObjectBase
{
public:
    static constexpr quint32 kTypeCode = 137;
    quint32 typeCode() const override = 0;
    InterfaceControl* clone() const override = 0;
    bool operator==(const InterfaceControl&) const = default;
};

class InterfaceButton final : public UnspecifiedObject<InterfaceButton, InterfaceControl>
{
public:
    static constexpr quint32 kTypeCode = 138;
    bool operator==(const InterfaceButton&) const = default;
};

class InterfaceSlider final : public UnspecifiedObject<InterfaceSlider, InterfaceControl>
{
public:
    static constexpr quint32 kTypeCode = 139;
    bool operator==(const InterfaceSlider&) const = default;
};

class InterfaceColourPicker final : public UnspecifiedObject<InterfaceColourPicker, InterfaceControl>
{
public:
    static constexpr quint32 kTypeCode = 140;
    bool operator==(const InterfaceColourPicker&) const = default;
};

class InterfaceKeypad final : public UnspecifiedObject<InterfaceKeypad, InterfaceControl>
{
public:
    static constexpr quint32 kTypeCode = 141;
    bool operator==(const InterfaceKeypad&) const = default;
};

class InterfaceLabel final : public UnspecifiedObject<InterfaceLabel, InterfaceControl>
{
public:
    static constexpr quint32 kTypeCode = 142;
    bool operator==(const InterfaceLabel&) const = default;
};

class InterfaceClock final : public UnspecifiedObject<InterfaceClock, InterfaceControl>
{
public:
    static constexpr quint32 kTypeCode = 143;
    bool operator==(const InterfaceClock&) const = default;
};

struct NavigationButtons : UnspecifiedValue<NavigationButtons>
{
    static constexpr quint32 kTypeCode = 144;
    bool operator==(const NavigationButtons&) const = default;
};

class InterfacePage final : public UnspecifiedObject<InterfacePage>
{
public:
    static constexpr quint32 kTypeCode = 145;
    bool operator==(const InterfacePage&) const = default;
};

class InterfacePageSwitcher final : public UnspecifiedObject<InterfacePageSwitcher>
{
public:
    static constexpr quint32 kTypeCode = 146;

    // The shared default font family until a caller sets another.
    InterfacePageSwitcher();

    const QString& fontFamily() const { return m_fontFamily; }
    void setFontFamily(const QString& family) { m_fontFamily = family; }

    bool operator==(const InterfacePageSwitcher&) const = default;

private:
    QString m_fontFamily;
};

struct SkinTransition : UnspecifiedValue<SkinTransition>
{
    static constexpr quint32 kTypeCode = 147;
    bool operator==(const SkinTransition&) const = default;
};

struct InterfaceSkin : UnspecifiedValue<InterfaceSkin>
{
    static constexpr quint32 kTypeCode = 148;
    bool operator==(const InterfaceSkin&) const = default;
};

struct InterfaceSkinSet : UnspecifiedValue<InterfaceSkinSet>
{
    static constexpr quint32 kTypeCode = 149;
    bool operator==(const InterfaceSkinSet&) const = default;
};

struct SkinPropertyKey : UnspecifiedValue<SkinPropertyKey>
{
    static constexpr quint32 kTypeCode = 150;
    bool operator==(const SkinPropertyKey&) const = default;
};

struct ImageData : UnspecifiedValue<ImageData>
{
    static constexpr quint32 kTypeCode = 158;
    bool operator==(const ImageData&) const = default;
};

struct SharedImageData : UnspecifiedValue<SharedImageData>
{
    static constexpr quint32 kTypeCode = 159;
    bool operator==(const SharedImageData&) const = default;
};

#endif  // LX_OBJECTS_INTERFACE_INTERFACE_OBJECTS_H
