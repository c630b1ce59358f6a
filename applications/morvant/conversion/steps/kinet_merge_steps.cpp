// The merge of KiNET power supplies that share an address: one device on the
// network, one supply of the project.
#include "applications/morvant/conversion/conversion_context.h"
#include "applications/morvant/conversion/steps/conversion_steps.h"
#include "components/lx_objects/controllers/kinet_power_supply.h"
#include "components/lx_objects/fixtures/fixture_element.h"
#include "components/quilshow/show/quil_show.h"
#include "seltrane_components/os/logger.h"

#include <map>
#include <optional>
#include <set>
#include <vector>

namespace {

// IPv4 addresses that name no device: unset, and the default of new supplies.
const quint32 kUnsetAddress = 0;
const quint32 kDefaultKinetAddress = 0x0A000000;

QString ipv4Text(quint32 address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

// Each converted supply once, by id, with the version-1 items that map to it.
struct MergedSupply
{
    quint32 ipAddress = 0;
    quint32 number = 0;
    QString name;
    std::vector<quint32> quilKeys;
};

std::map<Archive::ObjectId, MergedSupply> convertedSupplies(const ConversionContext& context)
{
    std::map<Archive::ObjectId, MergedSupply> supplies;
    for (const auto& [quilKey, id] : context.ids.entries(IdKind::KinetPowerSupply)) {
        if (id == Archive::kNoObjectId)
            continue;
        Archive::ObjectPtr holder;
        Archive::getObject(holder, KinetPowerSupply::kArrayId, id, context.database);
        const auto* supply = dynamic_cast<const KinetPowerSupply*>(holder.get());
        if (!supply)
            continue;
        MergedSupply& entry = supplies[id];
        entry.ipAddress = supply->ipAddress;
        entry.number = supply->supplyNumber;
        entry.name = supply->name;
        entry.quilKeys.push_back(quilKey);
    }
    return supplies;
}

// The supply by its version-1 key (IdMaps::nodeKey).
QString supplyLabel(quint32 quilKey, const QString& name) { return supplyName(quilKey >> 16, quilKey & 0xFFFF, name); }
QString supplyLabel(const MergedSupply& supply) { return supplyLabel(supply.quilKeys.front(), supply.name); }

// One universe of the merged supply and the kept supply's universe of the
// same controller and port that takes its patches.
struct UniverseMove
{
    quint32 controllerId;
    UniverseKey key;
    Archive::ObjectId from;
    Archive::ObjectId to;
};

// The supplies of one merge, as the user knows them, and the show's
// fixture of each converted one, found when a record first meets another.
struct MergeNames
{
    QString merged;
    QString into;
    std::map<Archive::ObjectId, quint32>* showFixtures;
};

// How many patch records a merge moved, and how many met an equal record of
// their element already on the kept supply.
struct MovedRecords
{
    quint64 moved = 0;
    quint64 met = 0;
};

// A record that met an equal one: not carried over, and said once.
void reportMetRecord(ConversionContext& context, const ::FixtureElement& element, const UniverseMove& move,
                     const ::PatchRecord& patch, const MergeNames& names)
{
    ConversionReport& report = context.report;
    const auto changed = context.changedPatches.find({element.getId(), patch});
    report.removed(ReportKind::PatchRecords,
                   changed == context.changedPatches.end() ? std::nullopt : std::optional(changed->second));
    ReportLine& line = report.line();
    line << "Ignoring 1 patch record of ";
    // Said by its version-1 fixture, as every line of the show's items.
    std::map<Archive::ObjectId, quint32>& showFixtures = *names.showFixtures;
    if (showFixtures.empty()) {
        for (const auto& [quilId, id] : context.ids.entries(IdKind::Fixture))
            showFixtures.emplace(id, quilId);
    }
    const auto owner = showFixtures.find(element.ownerFixtureId);
    const Quil::Fixture* from =
        owner == showFixtures.end() ? nullptr : context.show.fixtures().fixtures.find(quint16(owner->second));
    if (from)
        line.item("fixture", from->id(), from->planSettings.name);
    else
        line << "fixture element " << element.getId();
    line << ": it becomes the same patch as another record of its element (port " << move.key.b << ", channel "
         << patch.channel << ") once " << names.merged << " is merged into " << names.into;
    report.ignoreLine(ReportKind::PatchRecords, line, Causes::kSamePatch);
}

// Moves the patches of the element that name the move's universe onto the
// kept supply's; a record that meets an equal one there is left out.
void movePatches(ConversionContext& context, Archive::ObjectId elementId, const UniverseMove& move,
                 const MergeNames& names, MovedRecords* counts)
{
    Archive::ObjectPtr holder;
    auto* element = context.edit<::FixtureElement>(::FixtureElement::kArrayId, elementId, holder);
    if (!element)
        return;
    std::vector<::PatchRecord> moved;
    for (const ::PatchRecord& patch : element->patches) {
        if (patch.universeId == move.from)
            moved.push_back(patch);
    }
    for (const ::PatchRecord& patch : moved) {
        element->removePatch(patch);
        ::PatchRecord onKept = patch;
        onKept.universeId = move.to;
        if (element->addPatch(onKept)) {
            ++counts->moved;
            // A change the record arrived with stays findable.
            if (const auto changed = context.changedPatches.find({elementId, patch});
                changed != context.changedPatches.end()) {
                const quint64 key = changed->second;
                context.changedPatches.erase(changed);
                context.changedPatches.emplace(std::make_pair(elementId, onKept), key);
            }
            continue;
        }
        ++counts->met;
        reportMetRecord(context, *element, move, patch, names);
    }
}

// The kept supply's universe for each of the merged supply's, made where
// missing; when the project cannot hold one, the universes made here go
// again, *reason says why, and nothing is moved.
bool planMoves(ConversionContext& context, Archive::ObjectId id, Archive::ObjectId keptId,
               std::vector<UniverseMove>* moves, QString* reason)
{
    IdMaps& ids = context.ids;
    for (const auto& [owner, universeId] : ids.universes()) {
        if (owner.second.kind == UniverseKey::Kinet && owner.second.a == id)
            moves->push_back({owner.first, owner.second, universeId, Archive::kNoObjectId});
    }
    std::vector<std::pair<quint32, UniverseKey>> made;
    for (UniverseMove& move : *moves) {
        UniverseKey keptKey = move.key;
        keptKey.a = keptId;
        const bool existed = ids.findUniverse(move.controllerId, keptKey) != Archive::kNoObjectId;
        const QString* why = nullptr;
        move.to = ConversionSteps::universeFor(context, move.controllerId, keptKey, &why);
        if (move.to == Archive::kNoObjectId) {
            *reason = why ? *why : QString();
            for (const auto& [controllerId, key] : made) {
                context.remove(Universe::kArrayId, ids.findUniverse(controllerId, key));
                context.report.removed(ReportKind::Universes);
                ids.eraseUniverse(controllerId, key);
            }
            // What was made for the attempt is free again.
            context.failedUniverses.erase({move.controllerId, keptKey});
            context.universesFull = context.universesFull && made.empty();
            return false;
        }
        if (!existed)
            made.emplace_back(move.controllerId, keptKey);
    }
    return true;
}

// Moves the patches of each universe of the merged supply `id` to the kept
// supply's universe of the same controller and port, and removes it; false
// (with *reason), changing nothing, when the project cannot hold a universe
// the move needs.
bool mergeUniverses(ConversionContext& context, Archive::ObjectId id, Archive::ObjectId keptId, const MergeNames& names,
                    MovedRecords* counts, QString* reason)
{
    std::vector<UniverseMove> moves;
    if (!planMoves(context, id, keptId, &moves, reason))
        return false;
    IdMaps& ids = context.ids;
    for (const UniverseMove& move : moves) {
        for (const Archive::ObjectId elementId : ids.takeKinetPatches(move.from)) {
            movePatches(context, elementId, move, names, counts);
            ids.addKinetPatch(move.to, elementId);
        }
        context.remove(Universe::kArrayId, move.from);
        context.report.removed(ReportKind::Universes);
        ids.eraseUniverse(move.controllerId, move.key);
    }
    return true;
}

// "; 2 patch records moved to that supply", with those that met an equal
// record there.
QString movedText(const MovedRecords& counts)
{
    if (counts.moved == 0 && counts.met == 0)
        return QStringLiteral("; it has no patch records to move");
    QString text = QStringLiteral("; ") + ConversionReport::counted(counts.moved, "patch record", "patch records")
        + QStringLiteral(" moved to that supply");
    if (counts.met != 0)
        text += QStringLiteral(", and ") + ConversionReport::number(counts.met)
            + QStringLiteral(" met an equal record already there");
    return text;
}

// Numbers name supplies to the user: a clash leaves the lower id its number
// and gives the higher the lowest free one.
void renumberClashingSupplies(ConversionContext& context, const std::map<Archive::ObjectId, MergedSupply>& supplies)
{
    std::set<quint32> taken;
    for (const auto& [id, supply] : supplies)
        taken.insert(supply.number);
    std::set<quint32> keptNumbers;
    for (const auto& [id, supply] : supplies) {
        if (keptNumbers.insert(supply.number).second)
            continue;
        quint32 number = 1;
        while (taken.count(number) != 0)
            ++number;
        taken.insert(number);
        keptNumbers.insert(number);
        Archive::ObjectPtr holder;
        if (auto* edited = context.edit<KinetPowerSupply>(KinetPowerSupply::kArrayId, id, holder))
            edited->supplyNumber = number;
        context.report.changed(ReportKind::KinetPowerSupplies, id,
                               QStringLiteral("Renumbered %1 from %2 to %3, as another supply has its number")
                                   .arg(supplyLabel(supply), QString::number(supply.number), QString::number(number)),
                               Causes::kSupplyRenumbered);
    }
}

// The supplies that stay and whose model the list lacks.
void reportUnlistedSupplies(ConversionContext& context, const std::map<Archive::ObjectId, MergedSupply>& supplies)
{
    for (const auto& [id, keyAndModel] : context.unlistedSupplies) {
        const auto supply = supplies.find(id);
        if (supply == supplies.end())
            continue;
        context.report.changed(ReportKind::KinetPowerSupplies, id,
                               QStringLiteral("Failed to convert KiNET power supply model %1: %2 arrives without its "
                                              "type, ports and protocol (the KiNET power-supply list does not hold "
                                              "the model); set them in the new project")
                                   .arg(keyAndModel.second)
                                   .arg(supplyLabel(keyAndModel.first, supply->second.name)),
                               Causes::kSupplyModelUnknown);
    }
}

}  // namespace

void ConversionSteps::mergeKinetPowerSupplies(ConversionContext& context)
{
    std::map<Archive::ObjectId, MergedSupply> supplies = convertedSupplies(context);
    std::map<Archive::ObjectId, quint32> showFixtures;
    // The supply that stays for each address: the first, so the lowest id.
    std::map<quint32, Archive::ObjectId> kept;
    for (auto it = supplies.begin(); it != supplies.end();) {
        if (context.stopRequested())
            return;
        const auto& [id, supply] = *it;
        if (supply.ipAddress == kUnsetAddress || supply.ipAddress == kDefaultKinetAddress
            || kept.emplace(supply.ipAddress, id).second) {
            ++it;
            continue;
        }
        const Archive::ObjectId keptId = kept[supply.ipAddress];
        const MergeNames names {supplyLabel(supply), supplyLabel(supplies.at(keptId)), &showFixtures};
        const QString address = ipv4Text(supply.ipAddress);
        QString reason;
        MovedRecords counts;
        if (!mergeUniverses(context, id, keptId, names, &counts, &reason)) {
            logMessage(kLogWarning,
                       "%s keeps its own universes, though %s has its address %s: %s, so its patch "
                       "records could not move to that supply",
                       utf8(names.merged).constData(), utf8(names.into).constData(), utf8(address).constData(),
                       utf8(reason).constData());
            ++it;
            continue;
        }
        context.remove(KinetPowerSupply::kArrayId, id);
        context.report.removed(ReportKind::KinetPowerSupplies, id);
        for (const quint32 quilKey : supply.quilKeys) {
            context.ids.erase(IdKind::KinetPowerSupply, quilKey);
            context.report.ignore(ReportKind::KinetPowerSupplies, supplyLabel(quilKey, supply.name),
                                  QStringLiteral("it is merged into ") + names.into
                                      + QStringLiteral(", as both have the address ") + address + movedText(counts),
                                  Causes::kSupplyMerged);
        }
        it = supplies.erase(it);
    }
    renumberClashingSupplies(context, supplies);
    reportUnlistedSupplies(context, supplies);
}
