// The patch records of converted fixtures, on universes made on demand.
#include "applications/morvant/conversion/conversion_context.h"
#include "applications/morvant/conversion/enum_conversions.h"
#include "applications/morvant/conversion/steps/conversion_steps.h"
#include "components/lx_objects/fixtures/fixture.h"
#include "components/lx_objects/fixtures/fixture_element.h"
#include "components/lx_objects/fixtures/fixture_model.h"
#include "components/quilshow/show/quil_show.h"
#include "seltrane_components/os/logger.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

// Why one patch record has no universe. Decided per record without text:
// a large show may leave out tens of thousands, and only the line of each
// fixture's group is formatted.
struct PatchDrop
{
    enum Why {
        kControllerMissing,
        kNoCounterpart,
        kSacnUniverseZero,
        kSupplyMissing,
        kDsxUniverseMissing,
        kUniverseRefused,
        kElementMissing,
    };
    Why why = kElementMissing;
    quint32 a = 0;  // the controller, the output kind, the supply or the DSX universe
    quint32 b = 0;
    const QString* universeReason = nullptr;  // kUniverseRefused: the context keeps it
    bool grouped = false;                     // counted in an earlier record's line

    bool sameGroup(const PatchDrop& other) const
    {
        return why == other.why && a == other.a && b == other.b && universeReason == other.universeReason;
    }
};

const char* const kCauses[] = {
    "their controller was not converted",
    "their output (Net2, FlipDot or Lumalive) has no version-2 counterpart",
    "sACN universe 0 does not exist, as sACN numbers its universes from 1",
    "their KiNET power supply was not converted",
    "their DSX DMX universe was not converted",
    "the project refused their universe",
    "the project refused them",
};

// The universe of one version-1 patch record on its controller; kNoObjectId
// with *drop filled when the record cannot be carried over.
Archive::ObjectId universeOfPatch(ConversionContext& context, const Quil::PatchRecord& record, PatchDrop* drop)
{
    const IdMaps& ids = context.ids;
    const quint32 node = record.outputNodeId;
    const Archive::ObjectId controllerId = ids.find(IdKind::Controller, node);
    if (controllerId == Archive::kNoObjectId) {
        *drop = {PatchDrop::kControllerMissing, node};
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
    case UniverseKey::Kinet: {
        const Quil::PatchRecord::KiNETFields& kinet = *record.kinet();
        key.a = ids.find(IdKind::KinetPowerSupply, IdMaps::nodeKey(node, kinet.powerSupplyId));
        key.b = kinet.port;
        if (key.a == Archive::kNoObjectId) {
            *drop = {PatchDrop::kSupplyMissing, kinet.powerSupplyId, node};
            return Archive::kNoObjectId;
        }
        break;
    }
    case UniverseKey::DsxDmx: {
        const quint16 universe = record.universeBased()->universe;
        const Archive::ObjectId id = ids.find(IdKind::Universe, IdMaps::nodeKey(node, universe));
        if (id == Archive::kNoObjectId)
            *drop = {PatchDrop::kDsxUniverseMissing, universe, node};
        return id;
    }
    default:
        break;
    }
    const QString* reason = nullptr;
    const Archive::ObjectId id = ConversionSteps::universeFor(context, controllerId, key, &reason);
    if (id == Archive::kNoObjectId)
        *drop = {PatchDrop::kUniverseRefused, 0, 0, reason};
    return id;
}

// A show text as UTF-8 for a line: ASCII names, nearly all, are used as
// they stand.
class LineText
{
public:
    // A view: the show keeps its short texts in a form of its own.
    explicit LineText(std::string_view text)
    {
        const std::size_t end = text.find('\0');
        const std::size_t length = end == std::string_view::npos ? text.size() : end;
        if (length == 0) {
            m_text = "unnamed", m_length = 7;
        } else if (std::all_of(text.data(), text.data() + length, [](char c) { return uchar(c) < 0x80; })) {
            m_text = text.data(), m_length = int(length);
        } else {
            m_converted = Quil::toQString(std::string(text)).toUtf8();
            m_text = m_converted.constData(), m_length = m_converted.size();
        }
    }
    const char* text() const { return m_text; }
    int length() const { return m_length; }

private:
    QByteArray m_converted;
    const char* m_text = nullptr;
    int m_length = 0;
};

// A warning built by appending, with no format to parse: a large show may
// leave out tens of thousands of records, each group with its line.
class WarningLine
{
public:
    WarningLine& operator<<(const char* text) { return add(text, std::strlen(text)); }
    WarningLine& operator<<(quint32 value)
    {
        char digits[12];
        return add(digits, std::size_t(std::to_chars(digits, digits + sizeof digits, value).ptr - digits));
    }
    WarningLine& add(const char* text, std::size_t length)
    {
        length = std::min(length, sizeof m_text - m_length);
        std::memcpy(m_text + m_length, text, length);
        m_length += length;
        return *this;
    }
    void log() const { logText(kLogWarning, m_text, m_length); }

private:
    char m_text[512];
    std::size_t m_length = 0;
};

// One line for a group of records of one fixture left out for one reason.
void reportGroup(ConversionContext& context, const Quil::Fixture& from, const PatchDrop& drop, int count)
{
    ConversionReport& report = context.report;
    const char* const cause = kCauses[drop.why];
    if (drop.why == PatchDrop::kUniverseRefused && context.universesFull) {
        // A full universe array is said once, as the project's limit.
        QString item;
        if (!report.inLimitRun(ReportKind::PatchRecords, Universe::kArrayId)) {
            item = QStringLiteral("%1 patch record%2 of %3")
                       .arg(count)
                       .arg(QLatin1String(count == 1 ? "" : "s"))
                       .arg(ConversionReport::itemName("fixture", from.id(), Quil::toQString(from.planSettings.name)));
        }
        report.ignoreForLimit(ReportKind::PatchRecords, item, Universe::kArrayId, unsigned(count));
        return;
    }
    const LineText name(from.planSettings.name);
    WarningLine line;
    // An output without counterpart keeps the conversion table's failure text first.
    if (drop.why == PatchDrop::kNoCounterpart)
        line << "Failed to convert output driver type " << drop.a << ": ignoring ";
    else
        line << "Ignoring ";
    line << quint32(count) << (count == 1 ? " patch record of fixture " : " patch records of fixture ") << from.id()
         << " (";
    line.add(name.text(), std::size_t(name.length())) << ")";
    switch (drop.why) {
    case PatchDrop::kNoCounterpart:
        break;
    case PatchDrop::kControllerMissing:
        line << ": controller " << drop.a << " was not converted";
        break;
    case PatchDrop::kSupplyMissing:
        line << ": KiNET power supply " << drop.a << " of controller " << drop.b << " was not converted";
        break;
    case PatchDrop::kDsxUniverseMissing:
        line << ": DSX DMX universe " << drop.a << " of controller " << drop.b << " was not converted";
        break;
    case PatchDrop::kUniverseRefused:
        line << ": " << utf8(drop.universeReason ? *drop.universeReason : QString()).constData();
        break;
    case PatchDrop::kElementMissing:
        line << ": its element is not in the project";
        break;
    case PatchDrop::kSacnUniverseZero:
        line << ": " << cause;
        break;
    }
    line.log();
    report.count(ReportKind::PatchRecords, cause, unsigned(count));
}

// One line per reason for the records of one fixture that were left out.
void reportDrops(ConversionContext& context, const Quil::Fixture& from, std::vector<PatchDrop>& drops)
{
    for (std::size_t first = 0; first < drops.size(); ++first) {
        if (drops[first].grouped)
            continue;
        int count = 1;
        for (std::size_t other = first + 1; other < drops.size(); ++other) {
            if (!drops[other].grouped && drops[other].sameGroup(drops[first])) {
                ++count;
                drops[other].grouped = true;
            }
        }
        reportGroup(context, from, drops[first], count);
    }
}

::PatchRecord patchOf(const Quil::Fixture& from, const Quil::PatchRecord& record, Archive::ObjectId universeId,
                      const FixtureModelElement& modelElement)
{
    ::PatchRecord patch;
    patch.universeId = universeId;
    const EnumConversion& point = EnumConversions::kPatchPointType;
    patch.patchPoint = qint32(point.convertFor(record.patchPointType, point.fallback, [&] {
        return QStringLiteral("a patch record of ")
            + ConversionReport::itemName("fixture", from.id(), Quil::toQString(from.planSettings.name));
    }));
    if (const auto* based = record.universeBased())
        patch.channel = based->channel;
    else if (const auto* kinet = record.kinet())
        patch.channel = kinet->channel;
    patch.channelCount = quint16(modelElement.channelCount(patch.patchPoint, true));
    return patch;
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
        for (const Quil::PatchRecord& record : element->patchRecords) {
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
            target->addPatch(patchOf(from, record, universeId, model.elements()[i]));
            if (record.kind() == Quil::PatchRecord::kKiNET)
                context.ids.addKinetPatch(universeId, elementId);
            context.report.made(ReportKind::PatchRecords);
        }
    }
    if (!drops.empty())
        reportDrops(context, from, drops);
}
