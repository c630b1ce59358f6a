// Damaged project objects read from binary streams at the versions their
// readers tell apart: a reader either succeeds or throws a
// std::runtime_error; the sanitizer builds watch for the rest.
#include "components/archive/tests/corruption.h"
#include "components/lx_objects/controllers/controller.h"
#include "components/lx_objects/project/directories.h"
#include "components/lx_objects/media/frame_array.h"
#include "components/lx_objects/project/object_types.h"
#include "components/lx_objects/project/resource_keys.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

// Controllers of every type with masks, a frame array, resource keys and a
// directory written field by field (entering numbers needs a database,
// reading them does not).
void writeSamples(OutStream& out)
{
    for (quint8 type = 0; type <= 7; ++type) {
        Controller controller;
        controller.setType(type);
        controller.setText(QStringLiteral("second"), 3);
        controller.contentMasks = {{1, sampleMask()}, {2, ContentMask()}};
        writeObjectPointer(out, &controller);
    }
    FrameArray frames;
    frames.frames[39] = QUuid::createUuid();
    writeObjectPointer(out, &frames);
    ResourceKeys keys;
    keys.keys = {{1, QStringLiteral("one")}, {0xFFFFFFFF, QStringLiteral("last")}};
    writeObjectPointer(out, &keys);
    const quint32 code = DirectoryTypeCode<Trigger>::value;
    out.beginSection(code, true);
    out.beginSection(StreamCode::ObjectBase, true);
    out.endSection(StreamCode::ObjectBase);
    out.beginSection(DirectoryBase::kTypeCode, true);
    out << std::map<double, quint32>{{1, 4}, {2.5, 9}} << std::map<quint32, double>{{4, 1}, {9, 2.5}};
    out.endSection(DirectoryBase::kTypeCode);
    out.endSection(code);
}

void readSamples(InStream& in)
{
    for (int i = 0; i < 11; ++i) {
        std::unique_ptr<Archive::ObjectBase> object;
        readObjectPointer(in, object);
    }
}

}  // namespace

TEST(LxCorruption, DamagedStreams)
{
    registerObjectTypes();
    Corruption::Outcomes outcomes;
    // Newer data read as older is one more kind of damage.
    const quint16 versions[] = {9, 61, 77, 112, 121, 130, 149, kProjectStreamVersion};
    int index = 0;
    Corruption::forEachDamage(streamBytes(writeSamples), 30, 1200, 5, [&](const Corruption::Damaged& d) {
        const quint16 version = versions[index++ % std::size(versions)];
        outcomes.run(d, [&] { readStream(d.bytes, version, readSamples); });
    });
    outcomes.expectBothOutcomes();
}
