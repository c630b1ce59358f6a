#include "components/quilshow/show/patch_record.h"

#include "components/quilshow/show/show_streamer.h"

#include <stdexcept>
#include <string>
#include <type_traits>

namespace Quil {

static_assert(std::is_trivially_copyable_v<PatchRecord> && sizeof(PatchRecord) == 12,
              "patch records are small values, held in place by the thousand");

namespace {

// Stream versions from which each record carries its kind.
const quint16 kKindedPatchVersion = 150;

void readBase(ShowStreamer& in, PatchRecord& record)
{
    in.expectMarker(0x0106);
    in.readU8(record.patchPointType).readU16(record.outputNodeId);
    in.expectMarker(0x0107);
}

}  // namespace

bool PatchRecord::isKnownKind(quint16 kind)
{
    switch (kind) {
    case kDmx:
    case kPathport:
    case kArtNet:
    case kNet2:
    case kKiNET:
    case kSACN:
    case kFlipDot:
    case kLumalive:
    case kDsxDmx:
        return true;
    default:
        return false;
    }
}

PatchRecord::PatchRecord(quint16 kind) : m_kind(kind), m_universe()
{
    if (!isKnownKind(kind))
        throw std::invalid_argument("No patch record has kind " + std::to_string(kind));
    if (kind == kKiNET)
        m_kinet = KiNETFields();
    else if (kind == kLumalive)
        m_lumalive = LumaliveFields();
}

bool PatchRecord::operator==(const PatchRecord& other) const
{
    if (m_kind != other.m_kind || outputNodeId != other.outputNodeId || patchPointType != other.patchPointType)
        return false;
    if (m_kind == kKiNET)
        return m_kinet == other.m_kinet;
    if (m_kind == kLumalive)
        return m_lumalive == other.m_lumalive;
    return m_universe == other.m_universe;
}

PatchRecord readPatchRecord(ShowStreamer& in)
{
    if (in.version < kKindedPatchVersion) {
        PatchRecord record(PatchRecord::kDmx);
        PatchRecord::UniverseFields& fields = *record.universeBased();
        in.expectMarker(in.marker(0x0106, 0x0505));
        in.readU8(record.patchPointType).readU16(record.outputNodeId);
        in.readU16(fields.universe).readU16(fields.channel);
        in.expectMarker(in.marker(0x0107, 0x0606));
        // Old shows counted channels from 1 (version 150 stores them from 0).
        --fields.channel;
        return record;
    }
    quint16 kind = 0;
    in.readU16(kind);
    if (!PatchRecord::isKnownKind(kind))
        throw std::runtime_error("Error loading patch");
    PatchRecord record(kind);
    if (PatchRecord::KiNETFields* kinet = record.kinet()) {
        in.expectMarker(0x0136);
        readBase(in, record);
        in.readU16(kinet->powerSupplyId).readU16(kinet->port).readU16(kinet->channel);
        in.expectMarker(0x0136);
    } else if (PatchRecord::LumaliveFields* lumalive = record.lumalive()) {
        in.expectMarker(0x014E);
        readBase(in, record);
        in.readU16(lumalive->address);
        in.expectMarker(0x014E);
    } else {
        PatchRecord::UniverseFields& fields = *record.universeBased();
        in.expectMarker(0x0134);
        readBase(in, record);
        in.readU16(fields.universe).readU16(fields.channel);
        in.expectMarker(0x0135);
    }
    return record;
}

}  // namespace Quil
