// The patch records of converted fixtures, on universes made on demand.
#include "applications/morvant/conversion/conversion_context.h"
#include "applications/morvant/conversion/enum_conversions.h"
#include "applications/morvant/conversion/steps/conversion_steps.h"
#include "components/lx_objects/fixtures/fixture.h"
#include "components/lx_objects/fixtures/fixture_element.h"
#include "components/lx_objects/fixtures/fixture_model.h"
#include "components/quilshow/show/quil_show.h"

#include <QStringBuilder>

#include <vector>

namespace {

// The node id of a record patched to no output node.
const quint16 kUnpatchedNode = 0xFFFF;

// Why one patch record has no universe. Decided per record without text:
// a large show may leave out tens of thousands, and only the line of each
// fixture's group is made.
struct PatchDrop
{
    enum Why {
        kUnpatched,
        kControllerNotInShow,
        kControllerMissing,
        kNoCounterpart,
        kSacnUniverseZero,
        kSupplyNotInShow,
        kSupplyMissing,
        kDsxUniverseNotInShow,
        kDsxUniverseMissing,
        kUniverseRefused,
        kElementMissing,
        kSamePatch,
    };
    Why why = kElementMissing;
    quint32 a = 0;  // the node, the output kind, the supply, the DSX universe or the patch's universe
    quint32 b = 0;  // the node of a supply or DSX universe, or the patch's channel
    const QString* universeReason = nullptr;    // kUniverseRefused: the context keeps it
    const Quil::PatchRecord* sameAs = nullptr;  // kSamePatch: the record, which the show keeps
    bool grouped = false;                       // counted in an earlier record's line

    bool sameGroup(const PatchDrop& other) const
    {
        return why == other.why && a == other.a && b == other.b && universeReason == other.universeReason;
    }
};

const ReportCause* const kCauses[] = {
    &Causes::kUnpatched,
    &Causes::kControllerNotInShow,
    &Causes::kControllerNotConverted,
    &Causes::kOutputNoCounterpart,
    &Causes::kSacnUniverseZero,
    &Causes::kSupplyNotInShow,
    &Causes::kSupplyNotConverted,
    &Causes::kDsxUniverseNotInShow,
    &Causes::kDsxUniverseNotConverted,
    &Causes::kUniverseRefused,
    &Causes::kRefused,
    &Causes::kSamePatch,
};

// A version-1 output by name, as its lines say it.
const char* outputName(quint32 kind)
{
    switch (kind) {
    case Quil::PatchRecord::kDmx:
        return "DMX";
    case Quil::PatchRecord::kPathport:
        return "Pathport";
    case Quil::PatchRecord::kArtNet:
        return "Art-Net";
    case Quil::PatchRecord::kSACN:
        return "sACN";
    case Quil::PatchRecord::kDsxDmx:
        return "DSX DMX";
    case Quil::PatchRecord::kNet2:
        return "Net2";
    case Quil::PatchRecord::kFlipDot:
        return "FlipDot";
    case Quil::PatchRecord::kLumalive:
        return "Lumalive";
    default:
        return "unknown output";
    }
}

// Where a record is patched, as version 1 named it: "DMX universe 1 of
// controller 2, channel 10", "port 1 of KiNET power supply 0 of controller 2,
// channel 5".
void appendPlace(ReportLine& line, const Quil::PatchRecord& record)
{
    const quint64 controller = quint64(record.outputNodeId) + 1;
    if (const auto* kinet = record.kinet()) {
        line << "port " << kinet->port << " of KiNET power supply " << kinet->powerSupplyId << " of controller "
             << controller << ", channel " << kinet->channel;
        return;
    }
    if (const auto* based = record.universeBased())
        line << outputName(record.kind()) << " universe " << based->universe << " of controller " << controller
             << ", channel " << based->channel;
}

// The record's KiNET universe key, or the reason it has none.
bool kinetKey(const ConversionContext& context, const Quil::PatchRecord& record, UniverseKey* key, PatchDrop* drop)
{
    const quint32 node = record.outputNodeId;
    const Quil::PatchRecord::KiNETFields& kinet = *record.kinet();
    key->a = context.ids.find(IdKind::KinetPowerSupply, IdMaps::nodeKey(node, kinet.powerSupplyId));
    key->b = kinet.port;
    if (key->a != Archive::kNoObjectId)
        return true;
    const Quil::OutputNode* owner = context.show.outputNodes().nodes.find(node);
    const bool inShow = owner && owner->powerSupplies.find(kinet.powerSupplyId);
    *drop = {inShow ? PatchDrop::kSupplyMissing : PatchDrop::kSupplyNotInShow, kinet.powerSupplyId, node};
    return false;
}

// The universe of a DSX DMX record: the one its node's key made.
Archive::ObjectId dsxUniverse(const ConversionContext& context, const Quil::PatchRecord& record, PatchDrop* drop)
{
    const quint32 node = record.outputNodeId;
    const quint16 universe = record.universeBased()->universe;
    const Archive::ObjectId id = context.ids.find(IdKind::Universe, IdMaps::nodeKey(node, universe));
    if (id == Archive::kNoObjectId) {
        const Quil::OutputNode* owner = context.show.outputNodes().nodes.find(node);
        const bool inShow = owner && owner->universeKeys.find(universe);
        *drop = {inShow ? PatchDrop::kDsxUniverseMissing : PatchDrop::kDsxUniverseNotInShow, universe, node};
    }
    return id;
}

// The universe of one version-1 patch record on its controller; kNoObjectId
// with *drop filled when the record cannot be carried over.
Archive::ObjectId universeOfPatch(ConversionContext& context, const Quil::PatchRecord& record, PatchDrop* drop)
{
    const quint32 node = record.outputNodeId;
    const Archive::ObjectId controllerId = context.ids.find(IdKind::Controller, node);
    if (controllerId == Archive::kNoObjectId) {
        if (node == kUnpatchedNode)
            *drop = {PatchDrop::kUnpatched};
        else
            *drop = {context.show.outputNodes().nodes.find(node) ? PatchDrop::kControllerMissing
                                                                 : PatchDrop::kControllerNotInShow,
                     node};
        return Archive::kNoObjectId;
    }
    UniverseKey key;
    qint64 kind = 0;
    if (!EnumConversions::kOutputDriverType.keeps(record.kind(), &kind)) {
        *drop = {PatchDrop::kNoCounterpart, record.kind()};
        return Archive::kNoObjectId;
    }
    key.kind = quint32(kind);
    switch (key.kind) {
    case UniverseKey::Dmx:
    case UniverseKey::Pathport:
    case UniverseKey::ArtNet:
        key.a = record.universeBased()->universe;
        break;
    case UniverseKey::Sacn:
        // sACN numbers its universes from 1.
        if (record.universeBased()->universe == 0) {
            *drop = {PatchDrop::kSacnUniverseZero};
            return Archive::kNoObjectId;
        }
        key.a = record.universeBased()->universe - 1u;
        break;
    case UniverseKey::Kinet:
        if (!kinetKey(context, record, &key, drop))
            return Archive::kNoObjectId;
        break;
    case UniverseKey::DsxDmx:
        return dsxUniverse(context, record, drop);
    default:
        break;
    }
    const QString* reason = nullptr;
    const Archive::ObjectId id = ConversionSteps::universeFor(context, controllerId, key, &reason);
    if (id == Archive::kNoObjectId)
        *drop = {PatchDrop::kUniverseRefused, 0, 0, reason};
    return id;
}

// Why a group of records was left out, after "Ignoring N patch records of
// fixture F: "; `one` tells "it" from "they".
void appendReason(ReportLine& line, const PatchDrop& drop, bool one)
{
    const char* const names = one ? "it names " : "they name ";
    switch (drop.why) {
    case PatchDrop::kUnpatched:
        line << (one ? "it is patched to no controller" : "they are patched to no controller");
        return;
    case PatchDrop::kControllerNotInShow:
        // Named by its output node too, as the show has no controller to look it up by.
        line << names << "controller " << quint64(drop.a) + 1 << " (output node " << drop.a
             << "), which the show does not hold";
        return;
    case PatchDrop::kControllerMissing:
        line << "controller " << quint64(drop.a) + 1 << " was not converted";
        return;
    case PatchDrop::kSupplyNotInShow:
        line << names << "KiNET power supply " << drop.a << " of controller " << quint64(drop.b) + 1
             << ", which the show does not hold";
        return;
    case PatchDrop::kSupplyMissing:
        line << "KiNET power supply " << drop.a << " of controller " << quint64(drop.b) + 1 << " was not converted";
        return;
    case PatchDrop::kDsxUniverseNotInShow:
        line << names << "DSX DMX universe " << drop.a << " of controller " << quint64(drop.b) + 1
             << ", which the show does not hold";
        return;
    case PatchDrop::kDsxUniverseMissing:
        line << "DSX DMX universe " << drop.a << " of controller " << quint64(drop.b) + 1 << " was not converted";
        return;
    case PatchDrop::kUniverseRefused:
        if (drop.universeReason)
            line << *drop.universeReason;
        return;
    case PatchDrop::kElementMissing:
        line << "its element is not in the project";
        return;
    case PatchDrop::kSamePatch:
        line << (one ? "it becomes the same patch as another record of its element ("
                     : "they become the same patch as another record of their elements (");
        appendPlace(line, *drop.sameAs);
        line << ")";
        return;
    case PatchDrop::kSacnUniverseZero:
    case PatchDrop::kNoCounterpart:
        break;
    }
    line << kCauses[drop.why]->text;
}

// One line for a group of records of one fixture left out for one reason,
// appended without a format: a large show may leave out tens of thousands of
// records.
void reportGroup(ConversionContext& context, const Quil::Fixture& from, const PatchDrop& drop, quint64 count)
{
    ConversionReport& report = context.report;
    if (drop.why == PatchDrop::kUniverseRefused && context.universesFull) {
        // A full universe array is said once, as the project's limit.
        const bool first = !report.inLimitRun(ReportKind::PatchRecords, Universe::kArrayId);
        report.ignoreForLimit(ReportKind::PatchRecords,
                              first ? ConversionReport::counted(count, "patch record", "patch records")
                                      % QStringLiteral(" of ") % fixtureItem(from)
                                    : QString(),
                              Universe::kArrayId, count);
        return;
    }
    ReportLine& line = report.line();
    // An output without counterpart keeps the conversion table's failure text first.
    if (drop.why == PatchDrop::kNoCounterpart) {
        line << "Failed to convert output driver type " << drop.a << " (" << outputName(drop.a) << "): ignoring ";
        line.counted(count, "patch record", "patch records") << " of ";
        line.item("fixture", from.id(), from.planSettings.name);
    } else {
        line << "Ignoring ";
        line.counted(count, "patch record", "patch records") << " of ";
        line.item("fixture", from.id(), from.planSettings.name) << ": ";
        appendReason(line, drop, count == 1);
    }
    report.ignoreLine(ReportKind::PatchRecords, line, *kCauses[drop.why], count);
}

// One line per reason for the records of one fixture that were left out.
void reportDrops(ConversionContext& context, const Quil::Fixture& from, std::vector<PatchDrop>& drops)
{
    for (std::size_t first = 0; first < drops.size(); ++first) {
        if (drops[first].grouped)
            continue;
        quint64 count = 1;
        for (std::size_t other = first + 1; other < drops.size(); ++other) {
            if (!drops[other].grouped && drops[other].sameGroup(drops[first])) {
                ++count;
                drops[other].grouped = true;
            }
        }
        reportGroup(context, from, drops[first], count);
    }
}

// The version-2 patch; a patch point the table does not hold becomes the
// table's default (*pointKept false), and the record arrives changed once it
// is added.
::PatchRecord patchOf(const Quil::PatchRecord& record, Archive::ObjectId universeId,
                      const FixtureModelElement& modelElement, bool* pointKept)
{
    ::PatchRecord patch;
    patch.universeId = universeId;
    const EnumConversion& point = EnumConversions::kPatchPointType;
    qint64 kept = 0;
    *pointKept = point.keeps(record.patchPointType, &kept);
    patch.patchPoint = qint32(*pointKept ? kept : point.fallback);
    if (const auto* based = record.universeBased())
        patch.channel = based->channel;
    else if (const auto* kinet = record.kinet())
        patch.channel = kinet->channel;
    patch.channelCount = quint16(modelElement.channelCount(patch.patchPoint, true));
    return patch;
}

// A record whose patch point fell back to the table's default; the context
// keeps its key, so that a merge that drops the patch drops the change too.
void reportPointChange(ConversionContext& context, const Quil::Fixture& from, const Quil::PatchRecord& record,
                       quint64 key, Archive::ObjectId elementId, const ::PatchRecord& patch)
{
    const EnumConversion& point = EnumConversions::kPatchPointType;
    context.report.changed(ReportKind::PatchRecords, key,
                           point.failureText(record.patchPointType,
                                             QStringLiteral("a patch record of %1 arrives with patch point %2")
                                                 .arg(fixtureItem(from), QString::number(point.fallback))),
                           Causes::kPatchPointFallback);
    context.changedPatches.emplace(std::make_pair(elementId, patch), key);
}

}  // namespace

void ConversionSteps::convertPatches(ConversionContext& context, const Quil::Fixture& from, Fixture& fixture,
                                     const FixtureModel& model)
{
    const Quil::FixtureShowComponent& fixtures = context.show.fixtures();
    // Kept from fixture to fixture: most fixtures leave nothing out, and those
    // that do need no allocation of their own.
    static std::vector<PatchDrop> drops;
    drops.clear();
    for (std::size_t i = 0; i < from.elementIds.size(); ++i) {
        const Quil::FixtureElement* element = fixtures.elements.find(from.elementIds[i]);
        const Archive::ObjectId elementId = fixture.elementIds[i];
        context.ids.insert(IdKind::FixtureElement, from.elementIds[i], elementId);
        // The element's writable copy, taken with its first patch.
        Archive::ObjectPtr holder;
        ::FixtureElement* target = nullptr;
        quint32 index = 0;
        for (const Quil::PatchRecord& record : element->patchRecords) {
            // Tells the records apart where one arrives changed.
            const quint64 key = quint64(from.elementIds[i]) << 32 | index++;
            PatchDrop drop;
            const Archive::ObjectId universeId = universeOfPatch(context, record, &drop);
            if (universeId == Archive::kNoObjectId) {
                drops.push_back(drop);
                continue;
            }
            if (!holder)
                target = context.edit<::FixtureElement>(::FixtureElement::kArrayId, elementId, holder);
            if (!target) {
                drops.push_back({PatchDrop::kElementMissing});
                continue;
            }
            bool pointKept = true;
            const ::PatchRecord patch = patchOf(record, universeId, model.elements()[i], &pointKept);
            // An equal record is one patch: the element holds it once.
            if (!target->addPatch(patch)) {
                drops.push_back({PatchDrop::kSamePatch, universeId, patch.channel, nullptr, &record});
                continue;
            }
            if (record.kind() == Quil::PatchRecord::kKiNET)
                context.ids.addKinetPatch(universeId, elementId);
            context.report.made(ReportKind::PatchRecords);
            if (!pointKept)
                reportPointChange(context, from, record, key, elementId, patch);
        }
    }
    if (!drops.empty())
        reportDrops(context, from, drops);
}
