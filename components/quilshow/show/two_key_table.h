// TwoKeyTable: pairs of ids with a unique ordered index on each member. An
// insert that would repeat either member is dropped; a look-up by one member
// yields the other, or -1.
//
// Thread safety: a plain value; the owner serialises access.
#ifndef QUILSHOW_SHOW_TWO_KEY_TABLE_H
#define QUILSHOW_SHOW_TWO_KEY_TABLE_H

#include <QtGlobal>

#include <map>

namespace Quil {

template <typename First, typename Second>
class TwoKeyTable
{
public:
    // False (and nothing stored) when either member is present already.
    bool insert(First first, Second second)
    {
        if (m_byFirst.count(first) || m_bySecond.count(second))
            return false;
        m_byFirst.emplace(first, second);
        m_bySecond.emplace(second, first);
        return true;
    }

    qint64 secondFor(First first) const
    {
        const auto it = m_byFirst.find(first);
        return it == m_byFirst.end() ? -1 : static_cast<qint64>(it->second);
    }

    qint64 firstFor(Second second) const
    {
        const auto it = m_bySecond.find(second);
        return it == m_bySecond.end() ? -1 : static_cast<qint64>(it->second);
    }

    // Every pair, by its first member.
    const std::map<First, Second>& entries() const { return m_byFirst; }
    std::size_t size() const { return m_byFirst.size(); }
    bool operator==(const TwoKeyTable&) const = default;
    void clear()
    {
        m_byFirst.clear();
        m_bySecond.clear();
    }

private:
    std::map<First, Second> m_byFirst;
    std::map<Second, First> m_bySecond;
};

}  // namespace Quil

#endif  // QUILSHOW_SHOW_TWO_KEY_TABLE_H
