#include "components/lx_objects/project/custom_properties.h"

#include "components/archive/fields.h"
#include "seltrane_components/os/bit_vector.h"

namespace {

// An array or property met again in the data adds to the one read before;
// a value met again replaces the earlier one.
const auto storeValue = [](auto& values, auto&& entry) { values.insert_or_assign(entry.first, entry.second); };

template <class Properties, class Property>
void mergeProperty(Properties& properties, const QString& name, const Property& property)
{
    auto& values = properties[name].values;
    for (const auto& value : property.values)
        storeValue(values, value);
}

}  // namespace

template <class F, class Self>
void CustomProperties::Property::fields(F& f, Self& s)
{
    f.since(23, Archive::counted<quint16>(s.values, storeValue)).orRead([](InStream& in, auto& values) {
        in >> Archive::counted<quint8>(values.container, storeValue);
    });
}

void CustomProperties::Property::read(InStream& in) { Archive::readFields(in, *this); }

void CustomProperties::Property::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void CustomProperties::Array::fields(F& f, Self& s)
{
    const auto file = [](auto& properties, auto&& entry) { mergeProperty(properties, entry.first, entry.second); };
    f(Archive::counted<quint8>(s.properties, file));
}

void CustomProperties::Array::read(InStream& in) { Archive::readFields(in, *this); }

void CustomProperties::Array::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void CustomProperties::fields(F& f, Self& s)
{
    const auto file = [](auto& arrays, auto&& entry) {
        Array& array = arrays[entry.first];
        for (const auto& [name, property] : entry.second.properties)
            mergeProperty(array.properties, name, property);
    };
    f(Archive::counted<quint8>(s.m_arrays, file));
}

void CustomProperties::addProperty(quint32 arrayId, const QString& name) { m_arrays[arrayId].properties[name]; }

void CustomProperties::setValues(quint32 arrayId, const QString& name, const BitVector& objects, const QString& value)
{
    for (int object = objects.findNextSet(-1); object >= 0; object = objects.findNextSet(object))
        setValue(arrayId, name, quint32(object), value);
}

void CustomProperties::setValue(quint32 arrayId, const QString& name, quint32 objectId, const QString& value)
{
    const auto array = m_arrays.find(arrayId);
    if (array == m_arrays.end())
        return;
    const auto property = array->second.properties.find(name);
    if (property == array->second.properties.end())
        return;
    Values& values = property->second.values;
    if (value.isEmpty())
        values.erase(objectId);
    else
        values[objectId] = value;
}

const CustomProperties::Values* CustomProperties::values(quint32 arrayId, const QString& name) const
{
    const auto array = m_arrays.find(arrayId);
    if (array == m_arrays.end())
        return nullptr;
    const auto property = array->second.properties.find(name);
    return property == array->second.properties.end() ? nullptr : &property->second.values;
}

template class Archive::Object<CustomProperties>;
