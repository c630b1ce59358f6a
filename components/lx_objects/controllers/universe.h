// Universe is one output universe of a controller (array 30): a DMX port, a
// Pathport, Art-Net, KiNET or sACN universe, or the DMX output of a DSX
// remote device. Fixture patches point at universes by object id.
//
// UniverseKey says which universe: the output driver kind and what names the
// universe within it. The kind decides how much of `a` and `b` counts (and is
// stored): a KiNET key a power supply's object id and a port, a DSX DMX key a
// remote device's object id, every other kind a 16-bit index in `a`.
// UniverseKeyLess orders (controller id, key) pairs by just that, so two keys
// that store alike are one universe.
//
// Kind-dependent members: artNetFlag counts for Art-Net (4) only, priority
// and channelBytes for sACN (16) only. The patch records exist only in
// stored data; the set orders them without their count, so records that
// differ only in count are one entry.
//
// Plain values and an archive object owned by the database; one thread edits
// a copy.
#ifndef LX_OBJECTS_CONTROLLERS_UNIVERSE_H
#define LX_OBJECTS_CONTROLLERS_UNIVERSE_H

#include "components/archive/object.h"

#include <QtGlobal>

#include <array>
#include <set>
#include <utility>

struct UniverseKey
{
    static constexpr quint32 kTypeCode = 190;

    enum Kind : quint32 {
        Dmx = 1,
        Pathport = 2,
        ArtNet = 4,
        Kinet = 8,
        Sacn = 16,
        OtherDriver = 32,
        DsxDmx = 64,
        NoKind = 65535,  // no universe is made for it
    };

    quint32 kind = NoKind;
    quint32 a = 0;  // see above; sACN stores the universe number minus one
    quint32 b = 0;  // the KiNET port

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const UniverseKey&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

// The conversion's map from (controller id, key) to a universe's id.
struct UniverseKeyLess
{
    bool operator()(const std::pair<quint32, UniverseKey>& x, const std::pair<quint32, UniverseKey>& y) const;
};

struct GzePatchRecord
{
    static constexpr quint32 kTypeCode = 252;

    quint32 targetId = 0xFFFFFFFF;
    quint32 pointType = 256;
    quint16 address = 0;
    quint16 count = 1;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const GzePatchRecord&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

// By target, address and point type; the count takes no part.
struct GzePatchRecordOrder
{
    bool operator()(const GzePatchRecord& x, const GzePatchRecord& y) const;
};

class Universe : public Archive::Object<Universe>
{
public:
    static constexpr quint32 kTypeCode = 189;
    static constexpr Archive::ArrayId kArrayId = 30;
    static constexpr std::size_t kChannelCount = 512;

    // For the registry: key kind 65535.
    Universe() = default;
    Universe(quint32 controllerId, const UniverseKey& key);

    const UniverseKey& key() const { return m_key; }

    quint8 sacnPriority() const { return m_priority; }
    // Only an sACN universe has a priority; others are left alone.
    void setSacnPriority(quint8 priority);

    quint32 controllerId = 0xFFFFFFFF;  // object id of the owning Controller
    bool artNetFlag = false;
    std::array<quint8, kChannelCount> channelBytes = filledChannels();
    std::set<GzePatchRecord, GzePatchRecordOrder> patchRecords;

    bool operator==(const Universe&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
    void afterRead(InStream& in);
    static std::array<quint8, kChannelCount> filledChannels();

    UniverseKey m_key;
    quint8 m_priority = 100;
};
extern template class Archive::Object<Universe>;

#endif  // LX_OBJECTS_CONTROLLERS_UNIVERSE_H
