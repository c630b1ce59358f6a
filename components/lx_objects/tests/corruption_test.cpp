// Damaged project objects read at the versions their readers tell apart: a
// reader either succeeds or throws a std::runtime_error; the sanitizer builds
// watch for the rest.
#include "components/archive/database_array.h"
#include "components/lx_objects/controllers/controller.h"
#include "components/lx_objects/media/composition.h"
#include "components/lx_objects/media/frame_array.h"
#include "components/lx_objects/programming/contour_parameters.h"
#include "components/lx_objects/programming/custom_preset.h"
#include "components/lx_objects/programming/dynamic_text.h"
#include "components/lx_objects/programming/text_slot_values.h"
#include "components/lx_objects/project/directories.h"
#include "components/lx_objects/project/resource_keys.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <map>

namespace {

// Controllers of every type with masks, a frame array, a composition,
// resource keys and a directory written field by field (entering numbers needs a database,
// reading them does not).
void writeProjectSamples(OutStream& out)
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
    Composition composition;
    composition.targets()[3].instances[2].position = QPointF(0, 0.25);
    composition.targets()[9].flagA = true;
    writeObjectPointer(out, &composition);
    ResourceKeys keys;
    keys.keys = {{1, QStringLiteral("one")}, {0xFFFFFFFF, QStringLiteral("last")}};
    writeObjectPointer(out, &keys);
    const quint32 code = DirectoryTypeCode<Trigger>::value;
    out.beginSection(code, true);
    out.beginSection(StreamCode::ObjectBase, true);
    out.endSection(StreamCode::ObjectBase);
    out.beginSection(DirectoryBase::kTypeCode, true);
    out << std::map<double, quint32> {{1, 4}, {2.5, 9}} << std::map<quint32, double> {{4, 1}, {9, 2.5}};
    out.endSection(DirectoryBase::kTypeCode);
    out.endSection(code);
}

// A custom preset with every property type, text slot values and the preset
// values.
void writePresetSamples(OutStream& out)
{
    CustomPreset preset;
    preset.setName(QStringLiteral("preset")), preset.setScript(QStringLiteral("return 1"));
    for (quint32 type = 0; type <= 7; ++type) {
        CustomPresetProperty& p = preset.properties()[QString::number(type)];
        p.setType(CustomPresetProperty::Type(type));
        if (p.gradient()) {
            p.gradient()->addPoint(0, RGBData(1, 2, 3, 4));
            p.gradient()->addPoint(900, RGBData(5, 6, 7, 8));
        }
    }
    writeObjectPointer(out, &preset);
    TextSlotValues values;
    values.setSlotText(QStringLiteral("a"), QStringLiteral("one"));
    values.setSlotText(QStringLiteral("b"), QStringLiteral("two"));
    writeObjectPointer(out, &values);
    DynamicText text;
    text.setText(QStringLiteral("Hello <name>, <when>!"));
    out << text << TextProperties();
    for (const quint16 kind : {0, 5, 7}) {
        ContourParameters contour;
        contour.kind = kind;
        out << contour;
    }
}

void readPresetSamples(InStream& in)
{
    readOneObject(in), readOneObject(in);
    DynamicText text;
    TextProperties properties;
    ContourParameters contours[3];
    in >> text >> properties >> contours[0] >> contours[1] >> contours[2];
}

}  // namespace

TEST(LxCorruption, DamagedStreams)
{
    // Newer data read as older is one more kind of damage.
    expectDamageHandled(streamBytes(writeProjectSamples), {9, 61, 77, 112, 119, 121, 130, 149, kProjectStreamVersion},
                        30, 1200, 5, [](InStream& in) {
                            for (int i = 0; i < 12; ++i)
                                readOneObject(in);
                        });
    expectDamageHandled(streamBytes(writePresetSamples), {69, 83, 102, kProjectStreamVersion}, 17, 1000, 3,
                        readPresetSamples);
}

// Database array files on which the fuzzer (fuzz/object_stream_fuzz.cpp) found
// a fault, read as the database reads them: each fails with its text as the
// std::runtime_error every loader catches.
TEST(LxCorruption, ArrayFilesFoundByFuzzing)
{
    const struct
    {
        const char* what;
        const char* base64;
        const char* message;
    } found[] = {
        // Was a std::length_error, which passed the loaders' handling by.
        {"a fixture whose element list counts 0xFFFFFFFF",
         "XFz/M1xcM/8AnQAAAAdjcmVhdG9yADMAAAABADQAAAAAAAAAAQAAAAIAeAAA//////////8ABgAAAAAABv//////////////////////"
         "//////////////////////////////////////////////////////////////////////////////8AAAAAAAYAAAAAAAEAAAAAAAAAAA==",
         "Error reading from file, count 4294967295 is above the limit 1073741823"},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("array.tarv"));
    for (const auto& f : found) {
        SCOPED_TRACE(f.what);
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray::fromBase64(f.base64));
        }
        Archive::Array array(1, 4096, nullptr);
        try {
            BinaryInStream in;
            in.open(path, kProjectStreamVersion);
            Archive::readArrayObjects(in, array);
            ADD_FAILURE() << "read without failing";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), f.message);
        }
    }
}
