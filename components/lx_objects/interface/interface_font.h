// InterfaceFont (array 39) is a font file that the project's touch-panel
// interfaces use: its name, its number (1 to 159; 0xFFFFFFFF when none was
// free), a variant byte, and the resource and file name of the font file in
// the project's working folder.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_INTERFACE_INTERFACE_FONT_H
#define LX_OBJECTS_INTERFACE_INTERFACE_FONT_H

#include "components/archive/object.h"

#include <QString>
#include <QUuid>

class InterfaceFont : public Archive::Object<InterfaceFont>
{
public:
    static constexpr quint32 kTypeCode = 295;
    static constexpr Archive::ArrayId kArrayId = 39;

    bool operator==(const InterfaceFont&) const = default;

    QString name;
    quint32 number = 0;
    quint8 variant = 0;
    QUuid resource;
    QString fileName;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<InterfaceFont>;

#endif  // LX_OBJECTS_INTERFACE_INTERFACE_FONT_H
