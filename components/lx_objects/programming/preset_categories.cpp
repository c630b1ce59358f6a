#include "components/lx_objects/programming/preset_categories.h"

#include <initializer_list>
#include <map>
#include <mutex>

namespace {

struct Relation
{
    std::mutex lock;
    std::map<int, boost::dynamic_bitset<>> typesOfCategory;
    std::map<int, boost::dynamic_bitset<>> categoriesOfType;
};

// Created on first use, so the order of start-up code does not matter.
Relation& relation()
{
    static Relation instance;
    return instance;
}

void setGrowing(boost::dynamic_bitset<>& bits, int index)
{
    const std::size_t bit = static_cast<std::size_t>(index);
    if (bits.size() <= bit)
        bits.resize(bit + 1);  // new bits are zero
    bits.set(bit);
}

boost::dynamic_bitset<> entryOf(const std::map<int, boost::dynamic_bitset<>>& map, int key)
{
    const auto it = map.find(key);
    return it == map.end() ? boost::dynamic_bitset<>() : it->second;
}

// Preset types with the same categories, one row per group.
struct PairRow
{
    std::initializer_list<int> presetTypes;
    std::initializer_list<int> categories;
};

}  // namespace

void registerTimelineKindPair(int presetType, int category)
{
    if (presetType < 0 || category < 0)
        return;
    Relation& r = relation();
    const std::lock_guard<std::mutex> hold(r.lock);
    setGrowing(r.typesOfCategory[category], presetType);
    setGrowing(r.categoriesOfType[presetType], category);
}

void registerPresetTypeCategories()
{
    const PairRow rows[] = {
        {{0, 3, 4, 5, 10, 11, 13}, {0, 1, 4}},
        {{1, 6, 7, 12}, {0}},
        {{2, 8, 9}, {0, 1}},
        {{100}, {2}},
        {{200, 208}, {1, 4, 5}},
        {{201, 202, 203, 204, 205, 207, 209, 210, 211, 213, 214}, {1, 4}},
        {{206, 215, 216, 217, 218, 219}, {1}},
        {{212}, {4}},
        {{300, 301, 302, 303}, {3}},
    };
    for (const PairRow& row : rows) {
        for (const int presetType : row.presetTypes) {
            for (const int category : row.categories)
                registerTimelineKindPair(presetType, category);
        }
    }
}

boost::dynamic_bitset<> presetTypesOfCategory(int category)
{
    Relation& r = relation();
    const std::lock_guard<std::mutex> hold(r.lock);
    return entryOf(r.typesOfCategory, category);
}

boost::dynamic_bitset<> categoriesOfPresetType(int presetType)
{
    Relation& r = relation();
    const std::lock_guard<std::mutex> hold(r.lock);
    return entryOf(r.categoriesOfType, presetType);
}
