#include "components/lx_objects/project/non_local_controller_addresses.h"

#include "components/archive/fields.h"
#include "seltrane_components/os/net_utils.h"

template <class F, class Self>
void NonLocalControllerAddresses::fields(F& f, Self& s)
{
    // Older data holds each address as a number.
    f.since(31, s.addresses).orRead([](InStream& in, auto& addresses) {
        StreamDetail::readContainer(in, StreamCode::Set, addresses, [&] {
            quint32 address = 0;
            in >> address;
            addresses.insert(QString::fromStdString(ipv4ToString(address)));
        });
    });
}

template class Archive::Object<NonLocalControllerAddresses>;
