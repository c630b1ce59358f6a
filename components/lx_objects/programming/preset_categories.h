// The process-wide relation between preset types (those of timeline presets:
// 0 to 13, 100, 200 to 219, 300 to 303) and preset categories (0 to 5): a type
// belongs to one or more categories.
//
// The relation is two ordered maps of growable bit sets: category to its
// preset types (bit n for type n) and preset type to its categories. A set
// grows to index + 1 bits when an index at or past its size is entered.
//
// registerPresetTypeCategories() enters the program's pairs; it runs from
// registerObjectTypes(). Registration and the queries may run on any thread
// (one lock); the queries answer copies.
#ifndef LX_OBJECTS_PROGRAMMING_PRESET_CATEGORIES_H
#define LX_OBJECTS_PROGRAMMING_PRESET_CATEGORIES_H

#include <boost/dynamic_bitset.hpp>

// Enters one (preset type, category) pair; entering it again changes
// nothing. Negative numbers are ignored: there is no such bit.
void registerTimelineKindPair(int presetType, int category);

// Enters the pairs of every preset type; idempotent.
void registerPresetTypeCategories();

// The preset types of a category, and the categories of a preset type; an
// empty set for a number never entered.
boost::dynamic_bitset<> presetTypesOfCategory(int category);
boost::dynamic_bitset<> categoriesOfPresetType(int presetType);

#endif  // LX_OBJECTS_PROGRAMMING_PRESET_CATEGORIES_H
