#include "components/lx_objects/project/layout.h"

#include "components/archive/fields.h"

namespace {

constexpr quint32 kNoImage = 0xFFFFFFFF;

}  // namespace

template <class F, class Self>
void LayoutProperties::fields(F& f, Self& s)
{
    f(s.size, s.backgroundColour);
    f.droppedBefore(13, QString());
    f.since(62, s.backgroundImageId, s.backgroundImagePath).orRead([](InStream& in, auto&...) {
        if (in.version() < 13)
            return;
        quint32 image = kNoImage;
        in >> image;
        in.checkStatus();
        if (image != kNoImage)
            layoutSideTable().put(sideTableArrayKey(in), image);
    });
    f(s.backgroundMode, s.gridVisible, s.gridColour, s.gridSpacing, s.gridSubdivisions);
}

void LayoutProperties::read(InStream& in)
{
    Archive::readFields(in, *this);
    // A grid of no spacing would never end.
    if (gridSpacing == 0)
        gridSpacing = 1;
}

void LayoutProperties::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void Layout::fields(F& f, Self& s)
{
    f(s.layoutKind, s.name, s.properties);
}

UpgradeSideTable<std::pair<quint32, quint32>, quint32>& layoutSideTable()
{
    static UpgradeSideTable<std::pair<quint32, quint32>, quint32> table;
    return table;
}

template class Archive::Object<Layout>;
