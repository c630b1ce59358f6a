// LayoutProperties is a plan's page: its size, background colour and image,
// and grid. Layout (array 23) is one plan layout of the project holding its
// properties; the project properties hold another copy for the plan of a new
// project. Properties older than version 62 named their background image by
// a number, which the reader parks in layoutSideTable().
//
// LayoutProperties is a plain value; Layout is owned by the database like
// every archive object. One thread edits a copy.
#ifndef LX_OBJECTS_PROJECT_LAYOUT_H
#define LX_OBJECTS_PROJECT_LAYOUT_H

#include "components/archive/object.h"
#include "components/lx_objects/common/upgrade_side_table.h"

#include <QSize>
#include <QString>
#include <QUuid>

#include <utility>

struct LayoutProperties
{
    static constexpr quint32 kTypeCode = 169;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const LayoutProperties&) const = default;

    QSize size {800, 600};
    quint32 backgroundColour = 0xFFFFFFFF;  // ARGB
    QUuid backgroundImageId;                // resource-registry id
    QString backgroundImagePath;
    quint8 backgroundMode = 0;
    bool gridVisible = true;
    quint32 gridColour = 0xFFA0A0A4;  // ARGB
    quint32 gridSpacing = 24;         // never 0
    quint32 gridSubdivisions = 4;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class Layout : public Archive::Object<Layout>
{
public:
    static constexpr quint32 kTypeCode = 131;
    static constexpr Archive::ArrayId kArrayId = 23;

    bool operator==(const Layout&) const = default;

    quint32 layoutKind = 0;
    QString name;
    LayoutProperties properties;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<Layout>;

// The background image numbers of properties older than version 62, by the
// (array id, object id) of the object holding them.
UpgradeSideTable<std::pair<quint32, quint32>, quint32>& layoutSideTable();

#endif  // LX_OBJECTS_PROJECT_LAYOUT_H
