#include "components/lx_objects/media/frame_array.h"

#include "components/archive/in_stream.h"
#include "components/archive/out_stream.h"

#include <map>

FrameArray::FrameArray() : uuid(QUuid::createUuid()) {}

QUuid FrameArray::getFrame(int slot) const
{
    if (slot < 0 || slot >= kFrameCount)
        return QUuid();
    return frames[static_cast<std::size_t>(slot)];
}

void FrameArray::read(InStream& in)
{
    const quint16 version = in.version();
    if (version >= 33 && version <= 149) {
        quint32 unused = 0;
        in >> unused;
    }
    frames.fill(QUuid());
    quint32 storedIndex = 0;
    if (version >= 150) {
        in.beginSection(StreamCode::Array);
        const quint32 count = in.readCount();
        for (quint32 i = 0; i < count; ++i) {
            QUuid value;
            in >> value;
            in.checkStatus();
            if (i == 0)
                uuid = value;
            else if (i <= quint32(kFrameCount))
                frames[i - 1] = value;
        }
        in.endSection(StreamCode::Array);
        in >> storedIndex;
        index = static_cast<qint32>(storedIndex);
    } else if ((version >= 112 && version <= 119) || (version >= 125 && version <= 149)) {
        in >> uuid >> storedIndex;
        index = static_cast<qint32>(storedIndex);
    } else {
        // The oldest layouts kept a table that no longer means anything.
        std::map<quint32, quint32> unused;
        in >> unused;
        index = -1;
        uuid = QUuid::createUuid();
    }
}

void FrameArray::write(OutStream& out) const
{
    out.beginSection(StreamCode::Array, true);
    out.writeCount(1 + frames.size());
    out << uuid;
    for (const QUuid& frame : frames)
        out << frame;
    out.endSection(StreamCode::Array);
    out << static_cast<quint32>(index);
}
