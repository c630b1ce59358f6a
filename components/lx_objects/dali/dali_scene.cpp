#include "components/lx_objects/dali/dali_scene.h"

#include "components/archive/fields.h"

template <class F, class Self>
void DaliScene::fields(F& f, Self& s)
{
    f(s.name, s.levels);
}

void DaliScene::read(InStream& in) { Archive::readFields(in, *this); }

void DaliScene::write(OutStream& out) const { Archive::writeFields(out, *this); }
