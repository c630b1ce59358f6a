// A custom preset is an effect script with the typed properties it declares.
// CustomPresetProperty is one property: an index, a type and the value of
// that type (boolean, integer range, float range, colour, colour gradient or
// none); CustomPresetPropertyMap holds the properties by name, and the
// CustomPreset object (array 10) a name, the script, its compiled form and
// the property map. Timeline presets of the custom kind hold a property map
// of their own.
//
// The compiled form of a script is not stored; a name met twice in a map
// reads into one property.
//
// Ownership: a property of type 4 owns its gradient; copies are deep. A
// type-4 property may hold no gradient: it is written as an empty one and
// copied as none. The CustomPreset object is owned by the database like
// every archive object; one thread uses a value or edits a copy.
#ifndef LX_OBJECTS_PROGRAMMING_CUSTOM_PRESET_H
#define LX_OBJECTS_PROGRAMMING_CUSTOM_PRESET_H

#include "components/archive/object.h"
#include "components/archive/value_ptr.h"
#include "components/lx_objects/programming/colour_gradient.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <memory>

class CustomPresetProperty : public Archive::Value<CustomPresetProperty>
{
public:
    static constexpr quint32 kTypeCode = 184;

    enum Type : quint32 {
        BooleanType = 0,
        IntegerType = 1,
        FloatType = 2,
        ColourType = 3,
        GradientType = 4,
        NoType = 5,
    };

    struct IntegerValue
    {
        qint32 defaultValue = 0;
        qint32 minimum = 0;
        qint32 maximum = 0;
        qint32 step = 0;

        bool operator==(const IntegerValue&) const = default;
    };
    struct FloatValue
    {
        double defaultValue = 0.0;
        double minimum = 0.0;
        double maximum = 0.0;
        quint8 resolution = 0;

        bool operator==(const FloatValue&) const = default;
    };
    struct ColourValue
    {
        quint8 red = 0;
        quint8 green = 0;
        quint8 blue = 0;

        bool operator==(const ColourValue&) const = default;
    };

    // Type 5 (none), index 0, marker 1.
    CustomPresetProperty() = default;

    // A number outside 0 to 5 is kept and streams no value.
    Type type() const { return m_type; }
    // Type 4 starts with an empty gradient; any other type holds none.
    void setType(Type type);
    // Null unless the type is 4, and then null only when set so.
    ColourGradient* gradient() const { return m_gradient.get(); }
    // Takes the gradient (null allowed) for a type-4 property; other types
    // hold none, and the gradient is dropped.
    void setGradient(std::unique_ptr<ColourGradient> gradient);

    quint16 index = 0;
    bool boolValue = false;
    IntegerValue integer;
    FloatValue real;
    ColourValue colour;
    quint8 marker = 1;  // copied, not streamed

    bool operator==(const CustomPresetProperty&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);

    Type m_type = NoType;
    Archive::ValuePtr<ColourGradient> m_gradient;
};
extern template class Archive::Value<CustomPresetProperty>;

// The registry names it "CustomPreset", as the object that holds it.
struct CustomPresetPropertyMap
{
    static constexpr quint32 kTypeCode = 183;

    std::map<QString, CustomPresetProperty> properties;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const CustomPresetPropertyMap&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class CustomPreset : public Archive::Object<CustomPreset>
{
public:
    static constexpr quint32 kTypeCode = 182;
    static constexpr Archive::ArrayId kArrayId = 10;

    const QString& name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    const QString& script() const { return m_script; }
    void setScript(const QString& script) { m_script = script; }
    // The compiled script: kept in memory only, untouched by reading.
    const QByteArray& bytecode() const { return m_bytecode; }
    void setBytecode(const QByteArray& bytecode) { m_bytecode = bytecode; }
    std::map<QString, CustomPresetProperty>& properties() { return m_properties.properties; }
    const std::map<QString, CustomPresetProperty>& properties() const { return m_properties.properties; }

    bool operator==(const CustomPreset&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
    // Keeps the compiled form, which is not stored.
    void resetForRead();

    QString m_name;
    QString m_script;
    QByteArray m_bytecode;
    CustomPresetPropertyMap m_properties;
};
extern template class Archive::Object<CustomPreset>;

#endif  // LX_OBJECTS_PROGRAMMING_CUSTOM_PRESET_H
