#include "components/quilshow/show/patch_record.h"

#include "components/quilshow/show/show_streamer.h"

#include <stdexcept>

namespace Quil {

namespace {

// Stream versions from which each record carries its kind.
const quint16 kKindedPatchVersion = 150;

std::unique_ptr<PatchRecord> makePatchRecord(quint16 kind)
{
    switch (kind) {
    case DmxPatchRecord::kKind:
        return std::make_unique<DmxPatchRecord>();
    case PathportPatchRecord::kKind:
        return std::make_unique<PathportPatchRecord>();
    case ArtNetPatchRecord::kKind:
        return std::make_unique<ArtNetPatchRecord>();
    case Net2PatchRecord::kKind:
        return std::make_unique<Net2PatchRecord>();
    case KiNETPatchRecord::kKind:
        return std::make_unique<KiNETPatchRecord>();
    case SACNPatchRecord::kKind:
        return std::make_unique<SACNPatchRecord>();
    case FlipDotPatchRecord::kKind:
        return std::make_unique<FlipDotPatchRecord>();
    case LumalivePatchRecord::kKind:
        return std::make_unique<LumalivePatchRecord>();
    case DsxDmxPatchRecord::kKind:
        return std::make_unique<DsxDmxPatchRecord>();
    default:
        throw std::runtime_error("Error loading patch");
    }
}

}  // namespace

void PatchRecord::stream(ShowStreamer& in)
{
    in.expectMarker(0x0106);
    in.readU8(patchPointType).readU16(outputNodeId);
    in.expectMarker(0x0107);
}

void UniverseBasedPatchRecord::stream(ShowStreamer& in)
{
    in.expectMarker(0x0134);
    PatchRecord::stream(in);
    in.readU16(universe).readU16(channel);
    in.expectMarker(0x0135);
}

void KiNETPatchRecord::stream(ShowStreamer& in)
{
    in.expectMarker(0x0136);
    PatchRecord::stream(in);
    in.readU16(powerSupplyId).readU16(port).readU16(channel);
    in.expectMarker(0x0136);
}

void LumalivePatchRecord::stream(ShowStreamer& in)
{
    in.expectMarker(0x014E);
    PatchRecord::stream(in);
    in.readU16(address);
    in.expectMarker(0x014E);
}

std::unique_ptr<PatchRecord> readPatchRecord(ShowStreamer& in)
{
    if (in.version >= kKindedPatchVersion) {
        quint16 kind = 0;
        in.readU16(kind);
        std::unique_ptr<PatchRecord> record = makePatchRecord(kind);
        record->stream(in);
        return record;
    }
    auto record = std::make_unique<DmxPatchRecord>();
    in.expectMarker(in.marker(0x0106, 0x0505));
    in.readU8(record->patchPointType).readU16(record->outputNodeId);
    in.readU16(record->universe).readU16(record->channel);
    in.expectMarker(in.marker(0x0107, 0x0606));
    // Old shows counted channels from 1 (version 150 stores them from 0).
    --record->channel;
    return record;
}

}  // namespace Quil
