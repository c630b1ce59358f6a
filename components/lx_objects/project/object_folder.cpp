#include "components/lx_objects/project/object_folder.h"

#include "components/archive/fields.h"

template <class F, class Self>
void ObjectFolder::fields(F& f, Self& s)
{
    f(s.name, s.objects, Archive::storedAs<quint32>(s.parent), Archive::elementsStoredAs<quint32>(s.childFolders));
}

int ObjectFolder::addObject(const ObjectTag& tag, quint32 position)
{
    const int present = objects.indexOf(tag);
    if (present >= 0)
        return present;
    const int index = int(std::min<quint32>(position, quint32(objects.size())));
    objects.insert(index, tag);
    return index;
}

template class Archive::Object<ObjectFolder>;
