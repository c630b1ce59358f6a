#include "components/lx_objects/programming/custom_preset.h"

#include "components/archive/fields.h"

void CustomPresetProperty::setType(Type type)
{
    m_type = type;
    if (type != GradientType)
        m_gradient.reset();
    else if (!m_gradient)
        m_gradient = Archive::ValuePtr<ColourGradient>::make();
}

void CustomPresetProperty::setGradient(std::unique_ptr<ColourGradient> gradient)
{
    m_gradient = Archive::ValuePtr<ColourGradient>(m_type == GradientType ? std::move(gradient) : nullptr);
}

template <class F, class Self>
void CustomPresetProperty::fields(F& f, Self& s)
{
    f(s.index, Archive::storedAs<quint16>(s.m_type));
    switch (s.m_type) {
    case BooleanType:
        f(s.boolValue);
        break;
    case IntegerType:
        f(s.integer.defaultValue, s.integer.minimum, s.integer.maximum, s.integer.step);
        break;
    case FloatType:
        f(s.real.defaultValue, s.real.minimum, s.real.maximum, s.real.resolution);
        break;
    case ColourType:
        f(s.colour.red, s.colour.green, s.colour.blue);
        break;
    case GradientType:
        f(s.m_gradient);
        break;
    default:
        break;
    }
}

template <class F, class Self>
void CustomPresetPropertyMap::fields(F& f, Self& s)
{
    f(s.properties);
}

template <class F, class Self>
void CustomPreset::fields(F& f, Self& s)
{
    f(s.m_name, s.m_script);
    f.droppedBefore(70, QByteArray());
    f(s.m_properties);
}

void CustomPreset::resetForRead()
{
    QByteArray bytecode = std::move(m_bytecode);
    *this = CustomPreset();
    m_bytecode = std::move(bytecode);
}

template class Archive::Object<CustomPreset>;

template class Archive::Value<CustomPresetProperty>;

void CustomPresetPropertyMap::read(InStream& in) { Archive::readFields(in, *this); }

void CustomPresetPropertyMap::write(OutStream& out) const { Archive::writeFields(out, *this); }
