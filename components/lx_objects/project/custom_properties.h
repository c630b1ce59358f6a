// CustomProperties holds the user's own properties of project objects: per
// database array, named properties, each with a text value per object id. A
// project keeps one, as object 10 of array 0.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_PROJECT_CUSTOM_PROPERTIES_H
#define LX_OBJECTS_PROJECT_CUSTOM_PROPERTIES_H

#include "components/archive/object.h"

#include <QString>

#include <map>

class BitVector;

class CustomProperties : public Archive::Object<CustomProperties>
{
public:
    static constexpr quint32 kTypeCode = 203;
    static constexpr Archive::ArrayId kArrayId = 0;

    // A property's values by object id.
    using Values = std::map<quint32, QString>;

    // Throws std::runtime_error "Too many entries for their stored count: ..."
    // when a count does not fit its stored width (255 arrays, 255 properties
    // an array, 65535 values a property).

    // Makes sure the array has the property; an existing one keeps its values.
    void addProperty(quint32 arrayId, const QString& name);
    // For each object whose bit is set: an empty value removes its value, any
    // other is stored. Nothing happens unless the property was added.
    void setValues(quint32 arrayId, const QString& name, const BitVector& objects, const QString& value);
    // The same for one object, without a bit per object below it.
    void setValue(quint32 arrayId, const QString& name, quint32 objectId, const QString& value);
    // Null when the array has no such property.
    const Values* values(quint32 arrayId, const QString& name) const;

    bool operator==(const CustomProperties&) const = default;

private:
    friend class Archive::FieldAccess;

    struct Property
    {
        Values values;

        void read(InStream& in);
        void write(OutStream& out) const;
        bool operator==(const Property&) const = default;
        template <class F, class Self>
        static void fields(F& f, Self& s);
    };

    // The properties of one array by name.
    struct Array
    {
        std::map<QString, Property> properties;

        void read(InStream& in);
        void write(OutStream& out) const;
        bool operator==(const Array&) const = default;
        template <class F, class Self>
        static void fields(F& f, Self& s);
    };

    template <class F, class Self>
    static void fields(F& f, Self& s);

    std::map<quint32, Array> m_arrays;
};
extern template class Archive::Object<CustomProperties>;

#endif  // LX_OBJECTS_PROJECT_CUSTOM_PROPERTIES_H
