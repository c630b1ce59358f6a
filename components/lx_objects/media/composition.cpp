#include "components/lx_objects/media/composition.h"

#include "components/archive/fields.h"

template <class F, class Self>
void ContentTargetInstance::fields(F& f, Self& s)
{
    f(s.position, s.value);
}

void ContentTargetInstance::read(InStream& in) { Archive::readFields(in, *this); }

void ContentTargetInstance::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void ContentTarget::fields(F& f, Self& s)
{
    f(s.size, s.angle, s.position);
    f.since(120, s.flagA, s.flagB);
    f(s.instances);
}

void ContentTarget::read(InStream& in)
{
    Archive::readFields(in, *this);
    // Turns to degrees, keeping the low 32 bits: a damaged value wraps
    // instead of overflowing.
    if (in.version() < 150)
        angle = static_cast<qint32>(static_cast<quint32>(angle) * 360u);
}

void ContentTarget::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void Composition::fields(F& f, Self& s)
{
    f(s.m_name, s.m_settingA, s.m_settingB);
    f.since(62, s.m_targets);
}

template class Archive::Object<Composition>;
