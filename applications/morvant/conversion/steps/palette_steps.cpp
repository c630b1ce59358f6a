// Palettes, which become scenes with a look of their values.
#include "applications/morvant/conversion/conversion_context.h"
#include "applications/morvant/conversion/enum_conversions.h"
#include "applications/morvant/conversion/output_project.h"
#include "applications/morvant/conversion/palette_tables.h"
#include "applications/morvant/conversion/steps/conversion_steps.h"
#include "components/archive/archive_exception.h"
#include "components/lx_objects/programming/look.h"
#include "components/lx_objects/programming/scene.h"
#include "components/lx_objects/project/object_folder.h"
#include "components/quilshow/show/quil_show.h"

#include <QStringList>

#include <set>
#include <vector>

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
enum ValueDrop {
    kElementNotInShow,
    kElementDropped,
    kFunctionNotInShow,
    kFunctionDropped,
    kKindUnknown,
    kValueDropCount
};

// A change met while filling a scene, said once the scene is in.
struct PendingChange
{
    ReportKind kind;
    quint64 key;
    QString line;
    const ReportCause* cause;
};

// What filling one palette's scene met.
struct PaletteWork
{
    const Quil::Palette& palette;
    QString item;
    std::vector<PendingChange> changes;
    quint64 drops[kValueDropCount] = {};
};

// The version-2 value of a field through its table; a value the table does
// not hold becomes the fallback, and the scene (or the value `index` of it)
// arrives changed.
qint64 fromTable(PaletteWork& work, const EnumConversion& table, qint64 value, const ReportCause& cause,
                 const QString& field, int index = -1)
{
    qint64 to = 0;
    if (table.keeps(value, &to))
        return to;
    const QString what = index < 0 ? work.item : QStringLiteral("a value of ") + work.item;
    const quint64 key = index < 0 ? work.palette.id() : quint64(work.palette.id()) << 32 | quint32(index);
    work.changes.push_back(
        {index < 0 ? ReportKind::Scenes : ReportKind::PaletteValues, key,
         table.failureText(value,
                           QStringLiteral("%1 arrives with %2 %3").arg(what, field, QString::number(table.fallback))),
         &cause});
    return table.fallback;
}

void setFxFields(PaletteWork& work, const Quil::PaletteValue& value, const PaletteTables& tables, int index,
                 quint32 fxTable, Lkel* lkel)
{
    lkel->set(Lkel::FxTable, fxTable);
    // The byte first: the numbers keep it.
    lkel->setByte(int(value.byteValue()));
    lkel->setValues(qint32(value.getNumber3()), qint32(value.getNumber2()), qint32(value.getNumber1()));
    lkel->set(Lkel::OffsetStyle,
              quint32(fromTable(work, tables.offsetStyle, value.fieldB12(), Causes::kOffsetStyleFallback,
                                QStringLiteral("offset style"), index)));
    lkel->set(Lkel::SubMode, value.fieldB29());
    quint32 flags = 0;
    for (int bit = 0; bit < 4; ++bit)
        flags |= ((value.wordA >> kFlagBits[bit]) & 1u) << bit;
    lkel->set(Lkel::Flags, flags);
}

// The look element of one palette value, or false when its kind has no
// version-2 counterpart.
bool lookElementOf(PaletteWork& work, const Quil::PaletteValue& value, int index, quint32 elementId, quint32 functionId,
                   const PaletteTables& tables, Lkel* lkel)
{
    qint64 kind = 0;
    if (!tables.kind.keeps(value.kind(), &kind))
        return false;
    lkel->set(Lkel::ElementId, elementId);
    lkel->set(Lkel::FunctionId, functionId);
    lkel->set(Lkel::SubIndex, kAllSubIndices);
    lkel->set(Lkel::Parameter, value.valueA());
    lkel->set(Lkel::CrossfadePath,
              quint32(fromTable(work, tables.crossfadePath, value.fieldB0(), Causes::kCrossfadePathFallback,
                                QStringLiteral("crossfade path"), index)));
    lkel->setFadeTime(qint32(value.getTimeA()));
    lkel->setOffsetTime(qint32(value.getTimeB()));
    lkel->set(Lkel::Kind, quint32(kind));
    const quint32 fxTable = quint32(
        fromTable(work, tables.fxTable, value.fieldB6(), Causes::kFxTableFallback, QStringLiteral("FX table"), index));
    if (fxTable != 0)
        setFxFields(work, value, tables, index, fxTable, lkel);
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

// One line per reason for the values of a palette that were left out.
void reportValueDrops(ConversionContext& context, const PaletteWork& work)
{
    const bool noKinds = context.paletteTables.kind.kept.empty();
    static const ReportCause* const causes[kValueDropCount] = {
        &Causes::kElementNotInShow,     &Causes::kElementNotConverted, &Causes::kFunctionNotInShow,
        &Causes::kFunctionNotConverted, &Causes::kValueKindUnknown,
    };
    // What became of one value, and of several.
    const char* const reasons[kValueDropCount][2] = {
        {"it names a fixture element the show does not hold", "they name fixture elements the show does not hold"},
        {"its fixture element was not converted", "their fixture elements were not converted"},
        {"it names a function the show does not hold", "they name functions the show does not hold"},
        {"its function was not converted", "their functions were not converted"},
        {noKinds ? "the converter does not know which version-2 value kinds the version-1 kinds become, so the scene "
                   "arrives without it; set its levels in the new project"
                 : "its value kind has no version-2 counterpart",
         noKinds ? "the converter does not know which version-2 value kinds the version-1 kinds become, so the scene "
                   "arrives without them; set its levels in the new project"
                 : "their value kinds have no version-2 counterpart"},
    };
    for (int drop = 0; drop < kValueDropCount; ++drop) {
        const quint64 count = work.drops[drop];
        if (count != 0) {
            context.report.ignore(
                ReportKind::PaletteValues,
                ConversionReport::counted(count, "value", "values") + QStringLiteral(" of ") + work.item,
                ConversionReport::byCount(count, reasons[drop][0], reasons[drop][1]), *causes[drop], count);
        }
    }
}

// Why a value's element or function has no counterpart; kValueDropCount
// when both have one.
ValueDrop dropOf(const ConversionContext& context, const Quil::PaletteValue& value, Archive::ObjectId elementId,
                 Archive::ObjectId functionId)
{
    if (elementId == Archive::kNoObjectId)
        return context.show.fixtures().elements.find(value.value2) ? kElementDropped : kElementNotInShow;
    if (functionId == Archive::kNoObjectId)
        return context.show.functions().find(value.function) ? kFunctionDropped : kFunctionNotInShow;
    return kValueDropCount;
}

// The skew groups of the palette, by the project's functions; functions
// without one are left out of them, and the scene arrives changed.
void fillSkewGroups(const ConversionContext& context, PaletteWork& work, Look& look)
{
    std::set<quint32> lost;
    for (const auto& group : work.palette.colourRecord.skewGroups) {
        LookSequence sequence;
        for (const auto& [function, values] : group) {
            const Archive::ObjectId functionId = context.ids.find(IdKind::Function, function);
            if (functionId != Archive::kNoObjectId)
                sequence.valuesByFunction[functionId] = values;
            else
                lost.insert(function);
        }
        if (!sequence.valuesByFunction.empty())
            look.appendEntry(sequence);
    }
    if (lost.empty())
        return;
    QStringList ids;
    for (const quint32 function : lost)
        ids << QString::number(function);
    work.changes.push_back(
        {ReportKind::Scenes, work.palette.id(),
         QStringLiteral("%1 arrives without %2 %3 in its skew groups: the project has no function for %4")
             .arg(ConversionReport::capitalized(work.item),
                  ConversionReport::byCount(lost.size(), "function", "functions"), ids.join(QStringLiteral(", ")),
                  ConversionReport::byCount(lost.size(), "it", "them")),
         &Causes::kSkewFunctionsDropped});
}

// The look of a palette: its values with counterparts, its fade and skew;
// those left out are counted in the work, with the changes met.
void fillLook(ConversionContext& context, PaletteWork& work, Look& look)
{
    const IdMaps& ids = context.ids;
    const Quil::PaletteColourRecord& record = work.palette.colourRecord;
    look.setFadeTime(qint32(record.getTime()));
    look.skewType = quint16(fromTable(work, EnumConversions::kSkewType, record.skewType, Causes::kSkewFallback,
                                      QStringLiteral("skew type")));
    look.skewDirection = quint16(fromTable(work, EnumConversions::kSkewDirection, record.skewDirection,
                                           Causes::kSkewFallback, QStringLiteral("skew direction")));
    int index = 0;
    for (const Quil::PaletteValue& value : record.values) {
        const Archive::ObjectId elementId = ids.find(IdKind::FixtureElement, value.value2);
        // The reader has moved the function to its current number.
        const Archive::ObjectId functionId = ids.find(IdKind::Function, value.function);
        const ValueDrop drop = dropOf(context, value, elementId, functionId);
        Lkel lkel;
        if (drop != kValueDropCount)
            ++work.drops[drop];
        else if (!lookElementOf(work, value, index, elementId, functionId, context.paletteTables, &lkel))
            ++work.drops[kKindUnknown];
        else
            look.lkels.push_back(lkel);
        ++index;
    }
    fillSkewGroups(context, work, look);
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
        PaletteWork work {
            palette, ConversionReport::itemName("palette", palette.id(), Quil::toQString(palette.name)), {}, {}};
        if (palette.id() >= kSceneIdLimit) {
            report.ignore(
                ReportKind::Scenes, work.item,
                QStringLiteral("scene ids end at %1, and a scene keeps its palette's id").arg(kSceneIdLimit - 1),
                Causes::kPastSceneIds);
            if (!palette.colourRecord.values.empty())
                report.leftWithPalettes(palette.colourRecord.values.size());
            continue;
        }
        const auto scene = Archive::makeObject<Scene>();
        scene->name = Quil::toQString(palette.name);
        scene->number = palette.paletteWord;
        scene->option1 = palette.word1;
        scene->option2 = palette.word2;
        fillLook(context, work, scene->look);
        try {
            const Archive::ObjectId sceneId = context.add(Scene::kArrayId, scene, palette.id());
            context.ids.insert(IdKind::Palette, palette.id(), sceneId);
            report.made(ReportKind::Scenes);
            report.made(ReportKind::PaletteValues, scene->look.lkels.size());
            fileScene(context, sceneId);
            for (const PendingChange& change : work.changes)
                report.changed(change.kind, change.key, change.line, *change.cause);
            reportValueDrops(context, work);
        } catch (const Archive::archive_exception& error) {
            report.refused(ReportKind::Scenes, work.item, error);
            if (!palette.colourRecord.values.empty())
                report.leftWithPalettes(palette.colourRecord.values.size());
        }
    }
}
