// EthernetSources is the project's table of 5 network input sources: each a
// setting, an IPv4 address and a port. A project keeps one, as object 5 of
// array 0; an index beyond the table is ignored.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_PROJECT_ETHERNET_SOURCES_H
#define LX_OBJECTS_PROJECT_ETHERNET_SOURCES_H

#include "components/archive/object.h"

#include <array>

struct EthernetSource
{
    int setting = 0;               // stored as one byte
    quint32 address = 0xE0000001;  // 224.0.0.1
    quint16 port = 0;

    bool operator==(const EthernetSource&) const = default;
};

class EthernetSources : public Archive::Object<EthernetSources>
{
public:
    static constexpr quint32 kTypeCode = 106;
    static constexpr Archive::ArrayId kArrayId = 0;
    static constexpr int kCount = 5;

    void setSetting(int index, int setting);
    void setAddress(int index, quint32 address);
    void setPort(int index, quint16 port);

    const std::array<EthernetSource, kCount>& sources() const { return m_sources; }

    bool operator==(const EthernetSources&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
    EthernetSource* source(int index);

    std::array<EthernetSource, kCount> m_sources {};
};
extern template class Archive::Object<EthernetSources>;

#endif  // LX_OBJECTS_PROJECT_ETHERNET_SOURCES_H
