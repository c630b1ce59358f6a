#include "applications/morvant/conversion/id_maps.h"

#include <algorithm>

void IdMaps::clear()
{
    for (KindMap& kindMap : m_maps) {
        kindMap.table.clear();
        kindMap.tableCount = 0;
        kindMap.wide.clear();
    }
    m_universes.clear();
    m_kinetPatches.clear();
    m_foundUniverseCount = 0;
    m_nextFoundUniverse = 0;
    m_lastKinetElements = nullptr;
    networkPrimaryController = Archive::kNoObjectId;
}

void IdMaps::insert(IdKind kind, quint32 quilId, Archive::ObjectId id)
{
    KindMap& kindMap = map(kind);
    if (quilId >= KindMap::kTableSize) {
        kindMap.wide[quilId] = id;
        return;
    }
    // Ids mostly rise one by one: the vector's own doubling keeps that linear.
    if (quilId >= kindMap.table.size())
        kindMap.table.resize(quilId + 1, KindMap::kAbsent);
    Archive::ObjectId& slot = kindMap.table[quilId];
    if (slot == KindMap::kAbsent)
        ++kindMap.tableCount;
    // Nothing is converted to the marker itself; it would read as absent.
    slot = id == KindMap::kAbsent ? Archive::kNoObjectId : id;
}

Archive::ObjectId IdMaps::find(IdKind kind, quint32 quilId) const
{
    const KindMap& kindMap = map(kind);
    if (quilId < KindMap::kTableSize) {
        const Archive::ObjectId id = quilId < kindMap.table.size() ? kindMap.table[quilId] : KindMap::kAbsent;
        return id == KindMap::kAbsent ? Archive::kNoObjectId : id;
    }
    const auto it = kindMap.wide.find(quilId);
    return it == kindMap.wide.end() ? Archive::kNoObjectId : it->second;
}

bool IdMaps::contains(IdKind kind, quint32 quilId) const
{
    const KindMap& kindMap = map(kind);
    if (quilId < KindMap::kTableSize)
        return quilId < kindMap.table.size() && kindMap.table[quilId] != KindMap::kAbsent;
    return kindMap.wide.count(quilId) != 0;
}

std::size_t IdMaps::size(IdKind kind) const
{
    const KindMap& kindMap = map(kind);
    return kindMap.tableCount + kindMap.wide.size();
}

std::map<quint32, Archive::ObjectId> IdMaps::entries(IdKind kind) const
{
    const KindMap& kindMap = map(kind);
    std::map<quint32, Archive::ObjectId> all;
    for (quint32 quilId = 0; quilId < kindMap.table.size(); ++quilId) {
        if (kindMap.table[quilId] != KindMap::kAbsent)
            all.emplace_hint(all.end(), quilId, kindMap.table[quilId]);
    }
    // Every wide key lies above the table's.
    for (const auto& entry : kindMap.wide)
        all.emplace_hint(all.end(), entry);
    return all;
}

void IdMaps::erase(IdKind kind, quint32 quilId)
{
    KindMap& kindMap = map(kind);
    if (quilId >= KindMap::kTableSize) {
        kindMap.wide.erase(quilId);
    } else if (quilId < kindMap.table.size() && kindMap.table[quilId] != KindMap::kAbsent) {
        kindMap.table[quilId] = KindMap::kAbsent;
        --kindMap.tableCount;
    }
}

bool IdMaps::isEmpty() const
{
    for (IdKind kind = IdKind(0); kind != IdKind::Count; kind = IdKind(int(kind) + 1)) {
        if (size(kind) != 0)
            return false;
    }
    return m_universes.empty() && m_kinetPatches.empty();
}

void IdMaps::addKinetPatch(Archive::ObjectId universeId, Archive::ObjectId elementId)
{
    if (!m_lastKinetElements || m_lastKinetUniverse != universeId) {
        m_lastKinetElements = &m_kinetPatches[universeId];
        m_lastKinetUniverse = universeId;
    }
    std::vector<Archive::ObjectId>& elements = *m_lastKinetElements;
    // An element's patches come together.
    if (elements.empty() || elements.back() != elementId)
        elements.push_back(elementId);
}

std::vector<Archive::ObjectId> IdMaps::takeKinetPatches(Archive::ObjectId universeId)
{
    const auto it = m_kinetPatches.find(universeId);
    if (it == m_kinetPatches.end())
        return {};
    std::vector<Archive::ObjectId> elements = std::move(it->second);
    m_kinetPatches.erase(it);
    m_lastKinetElements = nullptr;
    std::sort(elements.begin(), elements.end());
    elements.erase(std::unique(elements.begin(), elements.end()), elements.end());
    return elements;
}

Archive::ObjectId IdMaps::findUniverse(quint32 controllerId, const UniverseKey& key) const
{
    // Equal keys are equivalent ones; an equivalent key that differs in
    // what its kind does not store is looked up in the map.
    for (std::size_t i = 0; i < m_foundUniverseCount; ++i) {
        const FoundUniverse& found = m_foundUniverses[i];
        if (found.controllerId == controllerId && found.key == key)
            return found.id;
    }
    const auto it = m_universes.find({controllerId, key});
    if (it == m_universes.end())
        return Archive::kNoObjectId;
    m_foundUniverses[m_nextFoundUniverse] = {controllerId, key, it->second};
    m_nextFoundUniverse = (m_nextFoundUniverse + 1) % m_foundUniverses.size();
    m_foundUniverseCount = std::min(m_foundUniverseCount + 1, m_foundUniverses.size());
    return it->second;
}

void IdMaps::insertUniverse(quint32 controllerId, const UniverseKey& key, Archive::ObjectId id)
{
    m_foundUniverseCount = 0;
    m_nextFoundUniverse = 0;
    m_universes[{controllerId, key}] = id;
}

void IdMaps::eraseUniverse(quint32 controllerId, const UniverseKey& key)
{
    m_foundUniverseCount = 0;
    m_nextFoundUniverse = 0;
    m_universes.erase({controllerId, key});
}

quint32 FreeFontNumbers::take()
{
    quint32 number = 1;
    // m_taken is ordered, so the first gap is found in one pass.
    for (quint32 taken : m_taken) {
        if (taken > number)
            break;
        if (taken == number)
            ++number;
    }
    m_taken.insert(number);
    return number;
}
