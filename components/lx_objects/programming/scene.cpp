#include "components/lx_objects/programming/scene.h"

#include "components/archive/fields.h"

template <class F, class Self>
void DaliEl::fields(F& f, Self& s)
{
    // Older data has one value and no kind.
    f.since(120, s.kind).orSet(quint8(0));
    switch (s.kind) {
    case 0:
        f(s.values[0]);
        break;
    case 1:
        f(s.values[0], s.values[1], s.values[2]);
        break;
    case 2:
        f(s.values[0], s.values[1]);
        break;
    default:
        break;
    }
    f(s.extra);
}

void DaliEl::read(InStream& in) { Archive::readFields(in, *this); }

void DaliEl::write(OutStream& out) const { Archive::writeFields(out, *this); }

Scene::Scene() { look.setFadeTime(200); }

template <class F, class Self>
void Scene::fields(F& f, Self& s)
{
    f(s.name, s.number);
    f.since(11, Archive::storedAs<quint32>(s.linkId));
    f.droppedBefore(19, quint32());
    f(s.look);
    f.since(92, s.daliEls);
    f(s.option1, s.option2);
}

template class Archive::Object<Scene>;
