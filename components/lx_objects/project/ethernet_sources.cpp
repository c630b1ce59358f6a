#include "components/lx_objects/project/ethernet_sources.h"

#include "components/archive/fields.h"

template <class F, class Self>
void EthernetSources::fields(F& f, Self& s)
{
    // The table's length is stored but fixed: read and not used.
    quint8 count = kCount;
    f(count);
    for (auto& source : s.m_sources)
        f(Archive::storedAs<quint8>(source.setting), source.address, source.port);
}

EthernetSource* EthernetSources::source(int index)
{
    return index >= 0 && index < kCount ? &m_sources[std::size_t(index)] : nullptr;
}

void EthernetSources::setSetting(int index, int setting)
{
    if (EthernetSource* s = source(index))
        s->setting = setting;
}

void EthernetSources::setAddress(int index, quint32 address)
{
    if (EthernetSource* s = source(index))
        s->address = address;
}

void EthernetSources::setPort(int index, quint16 port)
{
    if (EthernetSource* s = source(index))
        s->port = port;
}

template class Archive::Object<EthernetSources>;
