// Upgrade side tables: where an object reader parks what an older layout
// carried and the newer layout keeps elsewhere (a fixture's inline model description
// block, a layout's old image, ...), keyed by the object being read.
// Nothing in the program reads them back; they keep the old values
// reachable instead of dropping them silently.
//
// Each table is one process-wide UpgradeSideTable, created on first use by
// the accessor of the class whose reader fills it. A new entry replaces an
// earlier one under the same key. Arrays may be read on any thread, so every
// operation takes the table's mutex.
#ifndef LX_OBJECTS_COMMON_UPGRADE_SIDE_TABLE_H
#define LX_OBJECTS_COMMON_UPGRADE_SIDE_TABLE_H

#include "components/archive/stream_fwd.h"

#include <QtGlobal>

#include <map>
#include <mutex>
#include <optional>
#include <utility>

template <class Key, class Value>
class UpgradeSideTable
{
public:
    void put(const Key& key, Value value)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_entries.insert_or_assign(key, std::move(value));
    }

    std::optional<Value> find(const Key& key) const
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_entries.find(key);
        return it == m_entries.end() ? std::nullopt : std::optional<Value>(it->second);
    }

    std::size_t size() const
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_entries.size();
    }

    void clear()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_entries.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::map<Key, Value> m_entries;
};

// The key of the object being read: the stream's object-id context value as
// an unsigned number, 0 when the reader's owner set none.
quint32 sideTableKey(const InStream& in);
// The same with the array id in front, for tables whose objects live in
// several arrays.
std::pair<quint32, quint32> sideTableArrayKey(const InStream& in);

#endif  // LX_OBJECTS_COMMON_UPGRADE_SIDE_TABLE_H
