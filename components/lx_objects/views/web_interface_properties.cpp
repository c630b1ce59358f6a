#include "components/lx_objects/views/web_interface_properties.h"

#include "components/archive/fields.h"

template <class F, class Self>
void WebInterfaceEntry::fields(F& f, Self& s)
{
    // Older data kept a text in place of the data, which meant nothing later.
    f.since(17, s.data).orRead([](InStream& in, QByteArray&) {
        QString unused;
        in >> unused;
    });
    f(s.flag);
}

void WebInterfaceEntry::read(InStream& in) { Archive::readFields(in, *this); }

void WebInterfaceEntry::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void WebInterfaceProperties::fields(F& f, Self& s)
{
    // A key met twice keeps what was read last.
    f.since(8, Archive::counted<quint8>(s.entries, [](auto& entries, auto&& entry) {
                entries.insert_or_assign(entry.first, std::move(entry.second));
            }));
    f.since(21, s.enabled);
    f(s.text);
    f.droppedBefore(70, QByteArray());
}

template class Archive::Object<WebInterfaceProperties>;
