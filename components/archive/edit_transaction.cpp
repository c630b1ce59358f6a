#include "components/archive/edit_transaction.h"

#include <algorithm>

namespace Archive {

ChangeRecords::~ChangeRecords() = default;

ChangeRecords::Block* ChangeRecords::block(ArrayId arrayId, ObjectId objectId) const
{
    if (arrayId >= m_arrays.size())
        return nullptr;
    const Blocks& blocks = m_arrays[arrayId];
    const ObjectId first = objectId - objectId % kBlockSize;
    // Records mostly come in rising ids: the last block first.
    if (!blocks.empty() && blocks.back()->first == first)
        return blocks.back().get();
    const auto it = std::lower_bound(blocks.begin(), blocks.end(), first,
                                     [](const std::unique_ptr<Block>& b, ObjectId id) { return b->first < id; });
    return it != blocks.end() && (*it)->first == first ? it->get() : nullptr;
}

ChangeRecord* ChangeRecords::find(ArrayId arrayId, ObjectId objectId)
{
    Block* found = block(arrayId, objectId);
    const std::size_t index = objectId % kBlockSize;
    return found && (found->used[index / 64] >> (index % 64) & 1) ? &found->records[index] : nullptr;
}

const ChangeRecord* ChangeRecords::find(ArrayId arrayId, ObjectId objectId) const
{
    return const_cast<ChangeRecords*>(this)->find(arrayId, objectId);
}

std::pair<ChangeRecord*, bool> ChangeRecords::emplace(ArrayId arrayId, ObjectId objectId, ChangeRecord record)
{
    Block* target = block(arrayId, objectId);
    if (!target) {
        if (arrayId >= m_arrays.size())
            m_arrays.resize(std::size_t(arrayId) + 1);
        Blocks& blocks = m_arrays[arrayId];
        const ObjectId first = objectId - objectId % kBlockSize;
        const auto it = std::lower_bound(blocks.begin(), blocks.end(), first,
                                         [](const std::unique_ptr<Block>& b, ObjectId id) { return b->first < id; });
        target = blocks.insert(it, std::make_unique<Block>(first))->get();
    }
    const std::size_t index = objectId % kBlockSize;
    quint64& word = target->used[index / 64];
    const quint64 bit = quint64(1) << (index % 64);
    if (word & bit)
        return {&target->records[index], false};
    target->records[index] = std::move(record);
    word |= bit;
    ++m_count;
    return {&target->records[index], true};
}

const ChangeRecord* ChangeRecords::firstFrom(ArrayId arrayId, ObjectId objectId, ObjectId* foundId) const
{
    if (arrayId >= m_arrays.size())
        return nullptr;
    const Blocks& blocks = m_arrays[arrayId];
    const ObjectId first = objectId - objectId % kBlockSize;
    auto it = std::lower_bound(blocks.begin(), blocks.end(), first,
                               [](const std::unique_ptr<Block>& b, ObjectId id) { return b->first < id; });
    for (; it != blocks.end(); ++it) {
        const Block& candidate = **it;
        // Only the block that holds objectId starts part way.
        const std::size_t start = candidate.first < objectId ? objectId - candidate.first : 0;
        for (std::size_t word = start / 64; word < kWords; ++word) {
            quint64 bits = candidate.used[word];
            if (word == start / 64)
                bits &= ~quint64(0) << (start % 64);
            if (bits != 0) {
                const std::size_t index = word * 64 + std::size_t(std::countr_zero(bits));
                *foundId = candidate.first + ObjectId(index);
                return &candidate.records[index];
            }
        }
    }
    return nullptr;
}

void ChangeRecords::erase(Block& block, std::size_t index)
{
    block.used[index / 64] &= ~(quint64(1) << (index % 64));
    block.records[index] = ChangeRecord();
    --m_count;
}

}  // namespace Archive
