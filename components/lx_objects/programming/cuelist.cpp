#include "components/lx_objects/programming/cuelist.h"

#include "components/archive/fields.h"

template <class F, class Self>
void CueMacro::fields(F& f, Self& s)
{
    f(Archive::storedAs<quint16>(s.kind));
    // Older data stores 32 bits; kind 5 kept its top byte in the high word too.
    f.since(120, s.value).orRead([&s](InStream& in, quint64& value) {
        quint32 stored = 0;
        in >> stored;
        value = s.kind == 5 ? quint64(stored >> 24) << 32 | stored : stored;
    });
}

Cue::Cue() { look.setFadeTime(200); }

template <class F, class Self>
void Cue::fields(F& f, Self& s)
{
    f(s.look);
    // Older data has the time before and after bare (kind, value) pairs; the
    // second time holds.
    f.since(91, s.macros, s.time).orRead([](InStream& in, std::vector<CueMacro>& macros, qint32& time) {
        quint16 count = 0;
        in >> time >> count;
        in.checkStatus();
        in.checkCount(count);
        for (quint16 n = 0; n < count; ++n) {
            CueMacro macro;
            quint32 value = 0;
            in >> Archive::storedAs<quint16>(macro.kind) >> value;
            in.checkStatus();
            macro.value = value;
            macros.push_back(macro);
        }
        in >> time;
    });
}

template <class F, class Self>
void Cuelist::fields(F& f, Self& s)
{
    f(s.cues);
}

template class Archive::Object<Cuelist>;

void CueMacro::read(InStream& in) { Archive::readFields(in, *this); }

void CueMacro::write(OutStream& out) const { Archive::writeFields(out, *this); }

template class Archive::Value<Cue>;
