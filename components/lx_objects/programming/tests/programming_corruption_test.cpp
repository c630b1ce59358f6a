// Damaged custom presets, text slot values and the preset values read at the
// versions their readers tell apart: a reader succeeds or throws a
// std::runtime_error; the sanitizer builds watch for the rest.
#include "components/archive/tests/corruption.h"
#include "components/lx_objects/programming/contour_parameters.h"
#include "components/lx_objects/programming/custom_preset.h"
#include "components/lx_objects/programming/dynamic_text.h"
#include "components/lx_objects/programming/text_slot_values.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

void writeSamples(OutStream& out)
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

void readSamples(InStream& in)
{
    for (int i = 0; i < 2; ++i) {
        std::unique_ptr<Archive::ObjectBase> object;
        readObjectPointer(in, object);
    }
    DynamicText text;
    TextProperties properties;
    in >> text >> properties;
    for (int i = 0; i < 3; ++i) {
        ContourParameters contour;
        in >> contour;
    }
}

}  // namespace

TEST(ProgrammingCorruption, DamagedStreams)
{
    registerObjectTypes();
    Corruption::Outcomes outcomes;
    const quint16 versions[] = {69, 83, 102, kProjectStreamVersion};
    int index = 0;
    Corruption::forEachDamage(streamBytes(writeSamples), 17, 1000, 3, [&](const Corruption::Damaged& d) {
        const quint16 version = versions[index++ % std::size(versions)];
        outcomes.run(d, [&] { readStream(d.bytes, version, readSamples); });
    });
    outcomes.expectBothOutcomes();
}
