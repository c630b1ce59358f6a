#include "components/lx_objects/common/upgrade_side_table.h"

#include "components/archive/in_stream.h"

namespace {

quint32 contextNumber(const InStream& in, int slot)
{
    bool ok = false;
    const quint32 value = in.contextValue(slot).toUInt(&ok);
    return ok ? value : 0;
}

}  // namespace

quint32 sideTableKey(const InStream& in) { return contextNumber(in, InStream::ObjectIdContext); }

std::pair<quint32, quint32> sideTableArrayKey(const InStream& in)
{
    return {contextNumber(in, InStream::ArrayIdContext), contextNumber(in, InStream::ObjectIdContext)};
}
