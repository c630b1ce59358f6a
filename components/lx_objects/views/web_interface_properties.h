// WebInterfaceProperties holds the project-wide settings of the custom web
// interface: named entries of data with a flag, whether the interface is
// enabled, and a text. The project keeps one, in array 0.
//
// The stored entry count is one byte: writing more than 255 entries throws
// std::runtime_error "Too many entries for their stored count: <n>, at most
// 255" before the count is written.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_VIEWS_WEB_INTERFACE_PROPERTIES_H
#define LX_OBJECTS_VIEWS_WEB_INTERFACE_PROPERTIES_H

#include "components/archive/object.h"

#include <QByteArray>
#include <QString>

#include <map>

struct WebInterfaceEntry
{
    QByteArray data;
    quint8 flag = 0;

    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const WebInterfaceEntry&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class WebInterfaceProperties final : public Archive::Object<WebInterfaceProperties>
{
public:
    static constexpr quint32 kTypeCode = 177;
    static constexpr Archive::ArrayId kArrayId = 0;

    std::map<QString, WebInterfaceEntry> entries;
    bool enabled = false;
    QString text;

    bool operator==(const WebInterfaceProperties&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<WebInterfaceProperties>;

#endif  // LX_OBJECTS_VIEWS_WEB_INTERFACE_PROPERTIES_H
