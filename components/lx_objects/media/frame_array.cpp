#include "components/lx_objects/media/frame_array.h"

#include "components/archive/fields.h"

#include <map>

FrameArray::FrameArray() : uuid(QUuid::createUuid()) {}

QUuid FrameArray::getFrame(int slot) const
{
    if (slot < 0 || slot >= kFrameCount)
        return QUuid();
    return frames[static_cast<std::size_t>(slot)];
}

namespace {

// The array's own identity followed by its frames, as one fixed array. From
// version 150 the stored count may differ from 41: extra identities are
// dropped, missing frames stay null.
template <class Uuid, class Frames>
struct IdentityTable
{
    Uuid& own;
    Frames& frames;
};

template <class Uuid, class Frames>
IdentityTable<Uuid, Frames> identityTable(Uuid& own, Frames& frames)
{
    return IdentityTable<Uuid, Frames> {own, frames};
}

template <class Frames>
InStream& operator>>(InStream& in, IdentityTable<QUuid, Frames> table)
{
    in.beginSection(StreamCode::Array);
    const quint32 count = in.readCount();
    for (quint32 i = 0; i < count; ++i) {
        QUuid value;
        in >> value;
        in.checkStatus();
        if (i == 0)
            table.own = value;
        else if (i <= quint32(table.frames.size()))
            table.frames[i - 1] = value;
    }
    in.endSection(StreamCode::Array);
    return in;
}

template <class Frames>
OutStream& operator<<(OutStream& out, IdentityTable<const QUuid, Frames> table)
{
    out.beginSection(StreamCode::Array, true);
    out.writeCount(1 + table.frames.size());
    out << table.own;
    for (const QUuid& frame : table.frames)
        out << frame;
    out.endSection(StreamCode::Array);
    return out;
}

}  // namespace

template <class F, class Self>
void FrameArray::fields(F& f, Self& s)
{
    f.droppedWhen([](quint16 v) { return v >= 33 && v <= 149; }, quint32());
    f.since(150, identityTable(s.uuid, s.frames), Archive::storedAs<quint32>(s.index))
        .orRead([](InStream& in, auto& table, auto& index) {
            const quint16 version = in.version();
            if ((version >= 112 && version <= 119) || (version >= 125 && version <= 149)) {
                in >> table.own >> index;
            } else {
                // The oldest layouts kept a table that no longer means anything.
                std::map<quint32, quint32> unused;
                in >> unused;
                index.value = -1;
                table.own = QUuid::createUuid();
            }
        });
}

void FrameArray::read(InStream& in)
{
    frames.fill(QUuid());
    Archive::FieldReader reader(in);
    fields(reader, *this);
}

void FrameArray::write(OutStream& out) const
{
    Archive::FieldWriter writer(out);
    fields(writer, *this);
}
