#include "components/lx_objects/media/frame_array.h"

#include "components/archive/fields.h"

#include <map>

FrameArray::FrameArray() : uuid(QUuid::createUuid()) {}

QUuid FrameArray::getFrame(int slot) const
{
    if (slot < 0 || slot >= kFrameCount)
        return QUuid();
    return frames[static_cast<std::size_t>(slot)];
}

template <class F, class Self>
void FrameArray::fields(F& f, Self& s)
{
    f.droppedWhen([](quint16 v) { return v >= 33 && v <= 149; }, quint32());
    f.since(150, Archive::anyCountArray(s.uuid, s.frames), Archive::storedAs<quint32>(s.index))
        .orRead([](InStream& in, auto& table, auto& index) {
            const quint16 version = in.version();
            if ((version >= 112 && version <= 119) || (version >= 125 && version <= 149)) {
                in >> *table.lead >> index;
            } else {
                // The oldest layouts kept a table that no longer means anything.
                std::map<quint32, quint32> unused;
                in >> unused;
                index.value = -1;
                *table.lead = QUuid::createUuid();
            }
        });
}

template class Archive::Object<FrameArray>;
