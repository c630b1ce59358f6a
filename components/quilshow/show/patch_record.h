// Patch records of a version-1 show: one per place where a fixture element is
// patched (a DMX, Pathport, Art-Net, Net2, sACN, FlipDot or DSX DMX universe
// and channel, a KiNET power supply port and channel, or a Lumalive
// address). kind() gives the record's output driver type.
//
// A record is a 12-byte value: its kind, the fields every kind has and those
// of its own kind, which share their room. A show holds one or two per
// element over tens of thousands of elements, held in place in the element
// rather than one heap block each. The kind is set when the record is made
// and changes only with an assignment of a whole record, so the fields held
// always match it. Thread safety: none of its own, like
// any value; the show is used on the GUI thread only.
#ifndef QUILSHOW_SHOW_PATCH_RECORD_H
#define QUILSHOW_SHOW_PATCH_RECORD_H

#include <QtGlobal>

namespace Quil {

class ShowStreamer;

class PatchRecord
{
public:
    // The output driver types a record can have.
    static constexpr quint16 kDmx = 0x001;
    static constexpr quint16 kPathport = 0x002;
    static constexpr quint16 kArtNet = 0x004;
    static constexpr quint16 kNet2 = 0x008;
    static constexpr quint16 kKiNET = 0x010;
    static constexpr quint16 kSACN = 0x020;
    static constexpr quint16 kFlipDot = 0x100;
    static constexpr quint16 kLumalive = 0x200;
    // Its universe is the id of a DSX DMX universe key of the output node.
    static constexpr quint16 kDsxDmx = 0x400;

    // DMX, Pathport, Art-Net, Net2, sACN, FlipDot and DSX DMX records.
    struct UniverseFields
    {
        quint16 universe = 0xFFFF;
        quint16 channel = 0xFFFF;
        bool operator==(const UniverseFields&) const = default;
    };
    struct KiNETFields
    {
        quint16 powerSupplyId = 0;
        quint16 port = 0;
        quint16 channel = 0;
        bool operator==(const KiNETFields&) const = default;
    };
    struct LumaliveFields
    {
        quint16 address = 0;
        bool operator==(const LumaliveFields&) const = default;
    };

    static bool isKnownKind(quint16 kind);

    // A record of `kind` with the default fields; std::invalid_argument for a
    // kind not listed above.
    explicit PatchRecord(quint16 kind = kDmx);

    quint32 kind() const { return m_kind; }
    // The fields of the record's own kind; null for the others, like
    // std::get_if.
    UniverseFields* universeBased() { return isUniverseBased() ? &m_universe : nullptr; }
    const UniverseFields* universeBased() const { return isUniverseBased() ? &m_universe : nullptr; }
    KiNETFields* kinet() { return m_kind == kKiNET ? &m_kinet : nullptr; }
    const KiNETFields* kinet() const { return m_kind == kKiNET ? &m_kinet : nullptr; }
    LumaliveFields* lumalive() { return m_kind == kLumalive ? &m_lumalive : nullptr; }
    const LumaliveFields* lumalive() const { return m_kind == kLumalive ? &m_lumalive : nullptr; }

    // Same kind and same fields.
    bool operator==(const PatchRecord& other) const;

    quint16 outputNodeId = 0xFFFF;
    quint8 patchPointType = 2;

private:
    bool isUniverseBased() const { return m_kind != kKiNET && m_kind != kLumalive; }

    quint16 m_kind;
    union
    {
        UniverseFields m_universe;
        KiNETFields m_kinet;
        LumaliveFields m_lumalive;
    };
};

// Reads one patch record as fixture elements store it: from version 150 a
// u16 kind and that kind's record (an unknown kind fails with "Error loading
// patch"); below 150 the old DMX form, whose channel counts from 1.
//   Every kind: marker 0x0106, u8 patch point type, u16 output node id,
//     marker 0x0107.
//   Universe based: marker 0x0134, the above, u16 universe, u16 channel,
//     marker 0x0135.
//   KiNET: marker 0x0136, the above, u16 power supply id, port and channel,
//     and 0x0136 again: this record closes with its opening marker.
//   Lumalive: marker 0x014E, the above, u16 address, 0x014E again.
PatchRecord readPatchRecord(ShowStreamer& in);

}  // namespace Quil

#endif  // QUILSHOW_SHOW_PATCH_RECORD_H
