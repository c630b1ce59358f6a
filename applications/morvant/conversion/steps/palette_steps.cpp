// Palettes, which become scenes with a look of their values.
#include "applications/morvant/conversion/conversion_context.h"
#include "applications/morvant/conversion/conversion_driver.h"
#include "applications/morvant/conversion/enum_conversions.h"
#include "applications/morvant/conversion/output_project.h"
#include "applications/morvant/conversion/palette_tables.h"
#include "applications/morvant/conversion/steps/conversion_steps.h"
#include "components/archive/archive_exception.h"
#include "components/lx_objects/programming/look.h"
#include "components/lx_objects/programming/scene.h"
#include "components/lx_objects/project/object_folder.h"
#include "components/quilshow/show/quil_show.h"

namespace {

// Scene ids are palette ids, and the project holds 500 scenes.
const quint32 kSceneIdLimit = 500;
// Look elements name no sub-index of their element.
const quint32 kAllSubIndices = 0xFFF;
// Bits 20, 21, 22 and 27 of a palette value's word A are the look element's
// flags 0 to 3.
const int kFlagBits[] = {20, 21, 22, 27};
const quint32 kRawBytesKind = 6;
const quint32 kHalvesKinds[] = {4, 9};

// Why a palette's values are left out, in the order they are tested.
enum ValueDrop { kElementDropped, kFunctionDropped, kKindUnknown, kValueDropCount };

// A value that a table does not hold names its palette, or its palette's
// value.
qint64 fromTable(const EnumConversion& table, qint64 value, const QString& palette, bool ofValue = true)
{
    return table.convertFor(value, table.fallback,
                            [&] { return ofValue ? QStringLiteral("a value of ") + palette : palette; });
}

void setFxFields(const Quil::PaletteValue& value, const PaletteTables& tables, const QString& palette, quint32 fxTable,
                 Lkel* lkel)
{
    lkel->set(Lkel::FxTable, fxTable);
    // The byte first: the numbers keep it.
    lkel->setByte(int(value.byteValue()));
    lkel->setValues(qint32(value.getNumber3()), qint32(value.getNumber2()), qint32(value.getNumber1()));
    lkel->set(Lkel::OffsetStyle, quint32(fromTable(tables.offsetStyle, value.fieldB12(), palette)));
    lkel->set(Lkel::SubMode, value.fieldB29());
    quint32 flags = 0;
    for (int bit = 0; bit < 4; ++bit)
        flags |= ((value.wordA >> kFlagBits[bit]) & 1u) << bit;
    lkel->set(Lkel::Flags, flags);
}

// The look element of one palette value, or false when its kind has no
// version-2 counterpart.
bool lookElementOf(const Quil::PaletteValue& value, quint32 elementId, quint32 functionId, const PaletteTables& tables,
                   const QString& palette, Lkel* lkel)
{
    qint64 kind = 0;
    if (!tables.kind.keeps(value.kind(), &kind))
        return false;
    lkel->set(Lkel::ElementId, elementId);
    lkel->set(Lkel::FunctionId, functionId);
    lkel->set(Lkel::SubIndex, kAllSubIndices);
    lkel->set(Lkel::Parameter, value.valueA());
    lkel->set(Lkel::CrossfadePath, quint32(fromTable(tables.crossfadePath, value.fieldB0(), palette)));
    lkel->setFadeTime(qint32(value.getTimeA()));
    lkel->setOffsetTime(qint32(value.getTimeB()));
    lkel->set(Lkel::Kind, quint32(kind));
    const quint32 fxTable = quint32(fromTable(tables.fxTable, value.fieldB6(), palette));
    if (fxTable != 0)
        setFxFields(value, tables, palette, fxTable, lkel);
    if (kind == kRawBytesKind) {
        lkel->set(Lkel::Byte0, value.wordC & 0xFF);
        lkel->set(Lkel::Byte1, (value.wordC >> 8) & 0xFF);
        lkel->set(Lkel::Byte2, (value.wordC >> 16) & 0xFF);
        lkel->set(Lkel::Byte3, value.wordC >> 24);
    } else if (kind == kHalvesKinds[0] || kind == kHalvesKinds[1]) {
        lkel->set(Lkel::Word1, value.wordC & 0xFFFF);
        lkel->set(Lkel::Word2, value.wordC >> 16);
    }
    return true;
}

QString valueCount(unsigned count)
{
    return count == 1 ? QStringLiteral("1 value") : QStringLiteral("%1 values").arg(count);
}

// One line per reason for the values of a palette that were left out.
void reportValueDrops(ConversionContext& context, const QString& palette, const unsigned (&drops)[kValueDropCount])
{
    const bool noKinds = context.paletteTables.kind.kept.empty();
    static const char* const causes[kValueDropCount] = {
        "their fixture element was not converted",
        "their function was not converted",
        "the converter does not know what their value kinds become",
    };
    const QString reasons[kValueDropCount] = {
        QStringLiteral("their fixture elements were not converted"),
        QStringLiteral("their functions were not converted"),
        noKinds ? QStringLiteral("the converter does not know which version-2 value kinds the version-1 kinds "
                                 "become, so the scene arrives without them; set its levels in the new project")
                : QStringLiteral("their value kinds have no version-2 counterpart"),
    };
    for (int drop = 0; drop < kValueDropCount; ++drop) {
        if (drops[drop] != 0) {
            context.report.ignore(ReportKind::PaletteValues, valueCount(drops[drop]) + QStringLiteral(" of ") + palette,
                                  reasons[drop], causes[drop], drops[drop]);
        }
    }
}

// The look of a palette: its values with counterparts, its fade and skew;
// those left out are counted in drops.
void fillLook(ConversionContext& context, const Quil::Palette& palette, const QString& item, Look& look,
              unsigned (&drops)[kValueDropCount])
{
    const IdMaps& ids = context.ids;
    const Quil::PaletteColourRecord& record = palette.colourRecord;
    look.setFadeTime(qint32(record.getTime()));
    look.skewType = quint16(fromTable(EnumConversions::kSkewType, record.skewType, item, false));
    look.skewDirection = quint16(fromTable(EnumConversions::kSkewDirection, record.skewDirection, item, false));
    for (const Quil::PaletteValue& value : record.values) {
        const Archive::ObjectId elementId = ids.find(IdKind::FixtureElement, value.value2);
        // The reader has moved the function to its current number.
        const Archive::ObjectId functionId = ids.find(IdKind::Function, value.function);
        Lkel lkel;
        if (elementId == Archive::kNoObjectId)
            ++drops[kElementDropped];
        else if (functionId == Archive::kNoObjectId)
            ++drops[kFunctionDropped];
        else if (!lookElementOf(value, elementId, functionId, context.paletteTables, item, &lkel))
            ++drops[kKindUnknown];
        else
            look.lkels.push_back(lkel);
    }
    for (const auto& group : record.skewGroups) {
        LookSequence sequence;
        for (const auto& [function, values] : group) {
            const Archive::ObjectId functionId = ids.find(IdKind::Function, function);
            if (functionId != Archive::kNoObjectId)
                sequence.valuesByFunction[functionId] = values;
        }
        if (!sequence.valuesByFunction.empty())
            look.appendEntry(sequence);
    }
    // Reads the fixtures and elements this transaction added.
    look.computeOffsets();
}

void fileScene(ConversionContext& context, Archive::ObjectId sceneId)
{
    Archive::ObjectPtr holder;
    if (auto* folder = context.edit<ObjectFolder>(ObjectFolder::kArrayId, OutputProject::kSceneFolderId, holder)) {
        ObjectTag tag;
        tag.first = Scene::kArrayId;
        tag.second = sceneId;
        folder->addObject(tag, 0xFFFFFFFF);
    }
}

}  // namespace

void ConversionSteps::convertScenes(ConversionContext& context)
{
    ConversionReport& report = context.report;
    report.touch(ReportKind::Scenes);
    for (const Quil::Palette& palette : context.show.palettes()) {
        if (context.stopRequested())
            return;
        const QString item = ConversionReport::itemName("palette", palette.id(), Quil::toQString(palette.name));
        if (palette.id() >= kSceneIdLimit) {
            report.ignore(
                ReportKind::Scenes, item,
                QStringLiteral("scene ids end at %1, and a scene keeps its palette's id").arg(kSceneIdLimit - 1),
                "their palette ids are past the project's scene ids");
            continue;
        }
        const auto scene = Archive::makeObject<Scene>();
        scene->name = Quil::toQString(palette.name);
        scene->number = palette.paletteWord;
        scene->option1 = palette.word1;
        scene->option2 = palette.word2;
        unsigned drops[kValueDropCount] = {};
        fillLook(context, palette, item, scene->look, drops);
        try {
            const Archive::ObjectId sceneId = context.add(Scene::kArrayId, scene, palette.id());
            context.ids.insert(IdKind::Palette, palette.id(), sceneId);
            report.made(ReportKind::Scenes);
            fileScene(context, sceneId);
            reportValueDrops(context, item, drops);
        } catch (const Archive::archive_exception& error) {
            report.ignore(ReportKind::Scenes, item, exceptionText(error), "the project refused them");
        }
    }
}
