#include "components/lx_objects/media/media_clip.h"

#include "components/archive/fields.h"

namespace {

constexpr quint32 kNoFile = 0xFFFFFFFF;

}  // namespace

template <class F, class Self>
void MediaClip::fields(F& f, Self& s)
{
    f(s.name, s.number);
    f.droppedBefore(15, QString());
    f.since(62, s.resourceId, s.filePath).orRead([](InStream& in, auto&...) {
        if (in.version() < 15)
            return;
        quint32 file = kNoFile;
        in >> file;
        in.checkStatus();
        if (file != kNoFile)
            mediaClipSideTable().put(sideTableKey(in), file);
    });
    f.droppedBefore(108, double());
    f.droppedBefore(108, double());
    f.droppedWhen([](quint16 v) { return v >= 12 && v < 108; }, quint32());
    f.droppedWhen([](quint16 v) { return v >= 12 && v < 108; }, quint32());
    f.droppedWhen([](quint16 v) { return v >= 100 && v < 108; }, QString());
}

UpgradeSideTable<quint32, quint32>& mediaClipSideTable()
{
    static UpgradeSideTable<quint32, quint32> table;
    return table;
}

template class Archive::Object<MediaClip>;
