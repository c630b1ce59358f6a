// The interface view's draft of a new touch-panel interface: its pages
// (NewInterfacePageData), each with the navigation buttons it shows
// (NavigationButtonData), as the view state of the interface manager keeps
// them.
//
// A page embeds a Gradient, which has no stream form yet: a page cannot be
// read or written (the gradient's error), so a NewInterfaceData streams only
// while it holds no pages. A new NewInterfaceData holds one default page.
//
// Plain values; one thread uses a value at a time.
#ifndef LX_OBJECTS_VIEWS_NEW_INTERFACE_DATA_H
#define LX_OBJECTS_VIEWS_NEW_INTERFACE_DATA_H

#include "components/archive/stream_fwd.h"
#include "components/lx_objects/interface/gradient.h"

#include <QByteArray>
#include <QString>

#include <set>
#include <vector>

struct NavigationButtonData
{
    static constexpr quint32 kTypeCode = 272;

    int kind = 0;  // one byte stored
    quint32 targetId = 0xFFFFFFFF;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const NavigationButtonData&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

// The modes are stored as one byte each.
struct NewInterfacePageData
{
    static constexpr quint32 kTypeCode = 271;

    QString name;
    quint32 idA = 0xFFFFFFFF;
    QByteArray bytesA;
    quint32 idB = 0xFFFFFFFF;
    bool flag = false;
    QString textA;
    Gradient gradient;
    quint32 idC = 0xFFFFFFFF;
    int modeA = 2;
    QByteArray bytesB;
    QString textB;
    int modeB = 0;
    int modeC = 0;
    qint32 valueD = 0;
    quint32 idD = 0xFFFFFFFF;
    std::set<quint32> idSet;
    std::vector<NavigationButtonData> navigationButtons;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const NewInterfacePageData&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct NewInterfaceData
{
    static constexpr quint32 kTypeCode = 296;

    QString name;
    int mode = 1;  // one byte stored
    QString textA;
    QString textB;
    QString textC;
    std::vector<NewInterfacePageData> pages {NewInterfacePageData()};
    std::set<quint32> idSet;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const NewInterfaceData&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

#endif  // LX_OBJECTS_VIEWS_NEW_INTERFACE_DATA_H
