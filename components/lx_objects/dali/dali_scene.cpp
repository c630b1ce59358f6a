#include "components/lx_objects/dali/dali_scene.h"

#include "components/archive/fields.h"

template <class F, class Self>
void DaliScene::fields(F& f, Self& s)
{
    f(s.name, s.levels);
}

template class Archive::Object<DaliScene>;
