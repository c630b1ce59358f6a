#include "components/lx_objects/views/view_values.h"

#include "components/archive/fields.h"

#include <QtEndian>

#include <algorithm>

template <class F, class Self>
void PlanTransformData::fields(F& f, Self& s)
{
    f(s.scale, s.offset);
    f.since(32, s.flag).orSet(true);
}

void PlanTransformData::read(InStream& in) { Archive::readFields(in, *this); }

void PlanTransformData::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void TimelineTransformData::fields(F& f, Self& s)
{
    f(s.valueA, s.valueB);
}

void TimelineTransformData::read(InStream& in) { Archive::readFields(in, *this); }

void TimelineTransformData::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void SourceCodeEditorData::fields(F& f, Self& s)
{
    f(s.valueA, s.valueB, s.valueC);
}

void SourceCodeEditorData::read(InStream& in) { Archive::readFields(in, *this); }

void SourceCodeEditorData::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void BrowserModelPath::fields(F& f, Self& s)
{
    f(s.path);
}

void BrowserModelPath::read(InStream& in) { Archive::readFields(in, *this); }

void BrowserModelPath::write(OutStream& out) const { Archive::writeFields(out, *this); }

bool BrowserModelPath::operator<(const BrowserModelPath& other) const
{
    const int mine = path.size() / 8;
    const int theirs = other.path.size() / 8;
    for (int i = 0; i < std::min(mine, theirs); ++i) {
        const quint64 a = qFromLittleEndian<quint64>(path.constData() + 8 * i);
        const quint64 b = qFromLittleEndian<quint64>(other.path.constData() + 8 * i);
        if (a != b)
            return a < b;
    }
    return mine < theirs;
}
