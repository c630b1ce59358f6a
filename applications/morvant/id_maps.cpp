#include "applications/morvant/id_maps.h"

#include <algorithm>

void IdMaps::clear()
{
    for (auto& kindMap : m_maps)
        kindMap.clear();
    m_universes.clear();
    m_kinetPatches.clear();
    networkPrimaryController = Archive::kNoObjectId;
}

void IdMaps::insert(IdKind kind, quint32 quilId, Archive::ObjectId id) { map(kind)[quilId] = id; }

Archive::ObjectId IdMaps::find(IdKind kind, quint32 quilId) const
{
    const auto& kindMap = map(kind);
    const auto it = kindMap.find(quilId);
    return it == kindMap.end() ? Archive::kNoObjectId : it->second;
}

bool IdMaps::contains(IdKind kind, quint32 quilId) const { return map(kind).count(quilId) != 0; }

std::size_t IdMaps::size(IdKind kind) const { return map(kind).size(); }

bool IdMaps::isEmpty() const
{
    for (const auto& kindMap : m_maps) {
        if (!kindMap.empty())
            return false;
    }
    return m_universes.empty() && m_kinetPatches.empty();
}

void IdMaps::addKinetPatch(Archive::ObjectId universeId, Archive::ObjectId elementId)
{
    std::vector<Archive::ObjectId>& elements = m_kinetPatches[universeId];
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
    std::sort(elements.begin(), elements.end());
    elements.erase(std::unique(elements.begin(), elements.end()), elements.end());
    return elements;
}

Archive::ObjectId IdMaps::findUniverse(quint32 controllerId, const UniverseKey& key) const
{
    const auto it = m_universes.find({controllerId, key});
    return it == m_universes.end() ? Archive::kNoObjectId : it->second;
}

void IdMaps::insertUniverse(quint32 controllerId, const UniverseKey& key, Archive::ObjectId id)
{
    m_universes[{controllerId, key}] = id;
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
