// The bookkeeping of one conversion: for each kind of version-1 item, the map
// from its version-1 id to the id of the version-2 object made from it, and
// the set of dynamic-text font numbers already handed out.
//
// Owned by the conversion driver and cleared at the start of each
// conversion. GUI thread only.
#ifndef APPLICATIONS_MORVANT_CONVERSION_ID_MAPS_H
#define APPLICATIONS_MORVANT_CONVERSION_ID_MAPS_H

#include "components/archive/object_base.h"
#include "components/lx_objects/controllers/universe.h"

#include <QtGlobal>

#include <array>
#include <cstddef>
#include <map>
#include <set>
#include <utility>
#include <vector>

// One map per kind of version-1 item that other items refer to by id. Items
// that are numbered per output node (power supplies, DSX universe keys) are
// keyed by IdMaps::nodeKey; remote devices by IdMaps::deviceKey of their
// version-2 key.
enum class IdKind : int {
    Controller,
    RemoteDevice,
    Universe,
    KinetPowerSupply,
    Function,
    // By the id of a row of the standard function table.
    StandardFunction,
    Fixture,
    FixtureElement,
    // By IdMaps::modelKey of the version-1 fixture type.
    FixtureModel,
    Group,
    PixelMatrix,
    CustomPreset,
    MediaClip,
    MediaSlot,
    Font,
    Timeline,
    DaliInterface,
    DaliScene,
    TimecodeBus,
    AudioBus,
    EthernetSource,
    Palette,
    Interface,
    Trigger,
    Count
};

class IdMaps
{
public:
    IdMaps() = default;
    // The look-up caches point into the maps.
    IdMaps(const IdMaps&) = delete;
    IdMaps& operator=(const IdMaps&) = delete;

    void clear();

    static quint32 nodeKey(quint32 node, quint32 id) { return node * 65536 + id; }
    static quint32 deviceKey(quint8 type, quint8 number) { return quint32(type) << 8 | number; }
    static quint32 modelKey(quint16 manufacturer, quint16 model) { return quint32(manufacturer) << 16 | model; }

    // Records the version-2 id of a version-1 item; a later insert for the
    // same item replaces the earlier one.
    void insert(IdKind kind, quint32 quilId, Archive::ObjectId id);
    // The version-2 id, or Archive::kNoObjectId when the item was not mapped.
    Archive::ObjectId find(IdKind kind, quint32 quilId) const;
    bool contains(IdKind kind, quint32 quilId) const;
    std::size_t size(IdKind kind) const;
    // Every entry of one kind, by version-1 id: a copy, made for the few
    // look-ups that need them all.
    std::map<quint32, Archive::ObjectId> entries(IdKind kind) const;
    // Forgets one item; nothing happens when it is not mapped.
    void erase(IdKind kind, quint32 quilId);
    // True when no kind holds an entry.
    bool isEmpty() const;

    // The universe of a controller and key, or Archive::kNoObjectId.
    Archive::ObjectId findUniverse(quint32 controllerId, const UniverseKey& key) const;
    void insertUniverse(quint32 controllerId, const UniverseKey& key, Archive::ObjectId id);
    void eraseUniverse(quint32 controllerId, const UniverseKey& key);

    // Every universe by (controller id, key).
    const std::map<std::pair<quint32, UniverseKey>, Archive::ObjectId, UniverseKeyLess>& universes() const
    {
        return m_universes;
    }

    // Records an element patched on a KiNET universe: the power-supply merge
    // moves their patches, and it cannot find them in the database while the
    // conversion's transaction is open.
    void addKinetPatch(Archive::ObjectId universeId, Archive::ObjectId elementId);
    // The elements patched on the universe, each once, by id; forgotten here.
    std::vector<Archive::ObjectId> takeKinetPatches(Archive::ObjectId universeId);

    // The controller that owns what names no controller of its own; -1 when
    // the show has none.
    Archive::ObjectId networkPrimaryController = Archive::kNoObjectId;

private:
    // One kind's entries. Version-1 ids are 16-bit: those index a table that
    // grows with the highest id seen (to 65,536 entries at most), so that a large
    // show's fixtures and elements cost no node and no search each; the
    // composed keys (nodeKey, deviceKey, modelKey) go to the map.
    struct KindMap
    {
        // Marks a free slot of the table: no version-2 id reaches it, while
        // kNoObjectId is a value an item may be mapped to.
        static constexpr Archive::ObjectId kAbsent = Archive::kNoObjectId - 1;
        static constexpr quint32 kTableSize = 65536;

        std::vector<Archive::ObjectId> table;
        std::size_t tableCount = 0;
        std::map<quint32, Archive::ObjectId> wide;
    };
    std::array<KindMap, static_cast<std::size_t>(IdKind::Count)> m_maps;
    std::map<std::pair<quint32, UniverseKey>, Archive::ObjectId, UniverseKeyLess> m_universes;
    // By universe id, in the order patched, repeats kept until taken: a set
    // node per patch cost ten times the memory of a large show's patches.
    std::map<Archive::ObjectId, std::vector<Archive::ObjectId>> m_kinetPatches;

    // The universes found last: each patch looks its universe up, and an
    // element's patches mostly name the universes of the element before.
    struct FoundUniverse
    {
        quint32 controllerId;
        UniverseKey key;
        Archive::ObjectId id;
    };
    mutable std::array<FoundUniverse, 4> m_foundUniverses {};
    mutable std::size_t m_foundUniverseCount = 0;
    mutable std::size_t m_nextFoundUniverse = 0;
    // The list of the universe patched last, null when none is held.
    Archive::ObjectId m_lastKinetUniverse = Archive::kNoObjectId;
    std::vector<Archive::ObjectId>* m_lastKinetElements = nullptr;

    KindMap& map(IdKind kind) { return m_maps[static_cast<std::size_t>(kind)]; }
    const KindMap& map(IdKind kind) const { return m_maps[static_cast<std::size_t>(kind)]; }
};

// Dynamic-text fonts are numbered 1, 2, 3, ... in the order they are made.
class FreeFontNumbers
{
public:
    void clear() { m_taken.clear(); }
    // The lowest free number from 1 on, now taken.
    quint32 take();
    bool isFree(quint32 number) const { return number != 0 && m_taken.count(number) == 0; }

private:
    std::set<quint32> m_taken;
};

#endif  // APPLICATIONS_MORVANT_CONVERSION_ID_MAPS_H
