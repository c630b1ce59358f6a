// Patch records of a version-1 show: one per place where a fixture element is
// patched (a DMX, Pathport, Art-Net, Net2, sACN, FlipDot or DSX DMX universe
// and channel, a KiNET power supply port and channel, or a Lumalive
// address). Each class reports its output driver type through kind().
//
// Records live in the intrusive list of the fixture element that read them,
// which owns them; a clone is in no list. Thread safety: GUI thread only,
// like the show.
#ifndef QUILSHOW_SHOW_PATCH_RECORD_H
#define QUILSHOW_SHOW_PATCH_RECORD_H

#include "seltrane_components/brantle_core/poly_list.h"

#include <QtGlobal>

#include <memory>

namespace Quil {

class ShowStreamer;

class PatchRecord : public list_node<PatchRecord>
{
public:
    virtual ~PatchRecord() = default;
    virtual PatchRecord* clone() const = 0;
    // The output driver type (0x001 DMX ... 0x400 DSX DMX).
    virtual quint32 kind() const = 0;
    // Marker 0x0106, u8 patch point type, u16 output node id, marker 0x0107.
    virtual void stream(ShowStreamer& in);
    // Same kind and same fields.
    bool operator==(const PatchRecord& other) const { return kind() == other.kind() && sameFields(other); }

    quint16 outputNodeId = 0xFFFF;
    quint8 patchPointType = 2;

protected:
    // `other` is of this record's kind.
    virtual bool sameFields(const PatchRecord& other) const
    {
        return outputNodeId == other.outputNodeId && patchPointType == other.patchPointType;
    }
};

class UniverseBasedPatchRecord : public PatchRecord
{
public:
    // Marker 0x0134, the base record, u16 universe, u16 channel, marker 0x0135.
    void stream(ShowStreamer& in) override;

    quint16 universe = 0xFFFF;
    quint16 channel = 0xFFFF;

protected:
    bool sameFields(const PatchRecord& other) const override
    {
        const auto& o = static_cast<const UniverseBasedPatchRecord&>(other);
        return PatchRecord::sameFields(other) && universe == o.universe && channel == o.channel;
    }
};

// Gives each concrete record its kind and a clone of its own class.
template <class Derived, class Base, quint32 Kind>
class PatchRecordOf : public Base
{
public:
    static constexpr quint32 kKind = Kind;
    PatchRecord* clone() const override { return new Derived(static_cast<const Derived&>(*this)); }
    quint32 kind() const override { return Kind; }
};

class DmxPatchRecord final : public PatchRecordOf<DmxPatchRecord, UniverseBasedPatchRecord, 0x001>
{};
class PathportPatchRecord final : public PatchRecordOf<PathportPatchRecord, UniverseBasedPatchRecord, 0x002>
{};
class ArtNetPatchRecord final : public PatchRecordOf<ArtNetPatchRecord, UniverseBasedPatchRecord, 0x004>
{};
class Net2PatchRecord final : public PatchRecordOf<Net2PatchRecord, UniverseBasedPatchRecord, 0x008>
{};
class SACNPatchRecord final : public PatchRecordOf<SACNPatchRecord, UniverseBasedPatchRecord, 0x020>
{};
class FlipDotPatchRecord final : public PatchRecordOf<FlipDotPatchRecord, UniverseBasedPatchRecord, 0x100>
{};
// The universe is the id of a DSX DMX universe key of the output node.
class DsxDmxPatchRecord final : public PatchRecordOf<DsxDmxPatchRecord, UniverseBasedPatchRecord, 0x400>
{};

class KiNETPatchRecord final : public PatchRecordOf<KiNETPatchRecord, PatchRecord, 0x010>
{
public:
    // Marker 0x0136, the base record, u16 power supply id, port and channel,
    // and 0x0136 again: this record closes with its opening marker.
    void stream(ShowStreamer& in) override;

    quint16 powerSupplyId = 0;
    quint16 port = 0;
    quint16 channel = 0;

protected:
    bool sameFields(const PatchRecord& other) const override
    {
        const auto& o = static_cast<const KiNETPatchRecord&>(other);
        return PatchRecord::sameFields(other) && powerSupplyId == o.powerSupplyId && port == o.port
            && channel == o.channel;
    }
};

class LumalivePatchRecord final : public PatchRecordOf<LumalivePatchRecord, PatchRecord, 0x200>
{
public:
    // Marker 0x014E, the base record, u16 address, 0x014E again.
    void stream(ShowStreamer& in) override;

    quint16 address = 0;

protected:
    bool sameFields(const PatchRecord& other) const override
    {
        return PatchRecord::sameFields(other) && address == static_cast<const LumalivePatchRecord&>(other).address;
    }
};

// Reads one patch record as fixture elements store it: from version 150 a
// u16 kind and that class's record (an unknown kind fails with "Error
// loading patch"); below 150 the old DMX form, whose channel counts from 1.
std::unique_ptr<PatchRecord> readPatchRecord(ShowStreamer& in);

}  // namespace Quil

#endif  // QUILSHOW_SHOW_PATCH_RECORD_H
