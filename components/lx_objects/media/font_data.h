// FontData (array 11) is one dynamic-text font: its name and number, the
// font it was made from (family, size, style flags) and the bitmap font
// rendered from it for the controllers.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_MEDIA_FONT_DATA_H
#define LX_OBJECTS_MEDIA_FONT_DATA_H

#include "components/archive/object.h"
#include "components/lx_objects/media/bitmap_font.h"

#include <QString>

class FontData : public Archive::Object<FontData>
{
public:
    static constexpr quint32 kTypeCode = 202;
    static constexpr Archive::ArrayId kArrayId = 11;
    // styleFlags bits.
    static constexpr quint8 kBold = 0x01;
    static constexpr quint8 kItalic = 0x02;
    static constexpr quint8 kAntialiased = 0x04;

    bool operator==(const FontData&) const = default;

    QString name;
    quint32 number = 0;  // dynamic-text font number
    QString family;
    quint32 size = 16;
    quint8 styleFlags = 0;
    quint8 option = 1;
    BitmapFont bitmap;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<FontData>;

#endif  // LX_OBJECTS_MEDIA_FONT_DATA_H
