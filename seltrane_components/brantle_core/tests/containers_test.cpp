#include "seltrane_components/brantle_core/poly_list.h"
#include "seltrane_components/brantle_core/sortvector.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

// Counts live elements (in a counter of the test's own, or a spare one) so
// the tests see every delete.
int g_spare = 0;
struct Item : sortvector_el
{
    explicit Item(int tag = 0, int* live = &g_spare) : tag(tag), live(live) { ++*live; }
    Item(const Item& other) : sortvector_el(other), tag(other.tag), live(other.live) { ++*live; }
    ~Item() override { --*live; }
    sortvector_el* clone() const override { return new Item(*this); }
    bool operator==(const Item& other) const { return sortvector_el::operator==(other) && tag == other.tag; }
    int tag, *live;
};

// Orders by tag only, so equal tags show where newer elements go.
struct TaggedItem : Item
{
    using Item::Item;
    bool lessThan(const sortvector_el& other) const override { return tag < static_cast<const TaggedItem&>(other).tag; }
    sortvector_el* clone() const override { return new TaggedItem(*this); }
};

template <class T>
std::vector<int> idsInOrder(const sortvector<T>& table)
{
    std::vector<int> ids;
    for (const T& item : table)
        ids.push_back(item.id());
    return ids;
}

TEST(SortVector, IdsGrowthAndLimits)
{
    // The lowest free id is handed out and removed ids are reused.
    sortvector<Item> table(10, 25);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(table.insert(new Item), i);
    EXPECT_TRUE(table.remove(1) && !table.remove(1));
    EXPECT_EQ(table.insert(new Item), 1);
    // Growth by chunk up to the maximum; beyond it nothing is filed.
    for (int i = 3; i < 25; ++i) {
        ASSERT_EQ(table.insert(new Item), i);
        EXPECT_EQ(table.slotCount(), i < 10 ? 10u : i < 20 ? 20u : 25u);
    }
    Item extra;
    EXPECT_TRUE(table.insert(&extra) == -1 && !extra.isLinked());

    // A given id grows the table by whole chunks; a taken or too large id fails without growing.
    sortvector<Item> given(10, 256);
    Item* e = new Item;
    EXPECT_TRUE(given.insert(e, 30) == 30 && given.slotCount() == 40u && given[30] == e);
    for (unsigned id : {30u, 300u, 0xFFFFFFFEu})
        EXPECT_EQ(given.insert(&extra, id), -1) << id;
    // Nor a null element, nor one already filed.
    EXPECT_TRUE(given.slotCount() == 40u && given.insert(nullptr) == -1 && given.insert(e) == -1);
    EXPECT_EQ(given.highestId(), 30);

    // The growth chunk is never above the maximum; highest id -1 while empty.
    const sortvector<Item> small(10, 4);
    EXPECT_TRUE(small.growthChunk() == 4u && small.highestId() == -1);

    // A chunk of 0 grows by one; the maximum is capped at 65536 ids.
    sortvector<Item> zeroChunk(0, 3), huge(100000, 200000);
    EXPECT_TRUE(zeroChunk.insert(new Item, 1) == 1 && zeroChunk.slotCount() == 2u);
    EXPECT_TRUE(huge.insert(new Item, 65535) == 65535 && huge.insert(&extra, 65536) == -1);

    // Walks in order, newer equals first.
    sortvector<TaggedItem> tagged(16, 256);
    for (int tag : {1, 7, 1, 0})
        tagged.insert(new TaggedItem(tag));
    EXPECT_EQ(idsInOrder(tagged), (std::vector<int> {3, 2, 0, 1}));
}

TEST(SortVector, LowestFreeIdAfterEveryKindOfEdit)
{
    // Ids given explicitly, removals below and above the last handed out, a
    // clear and a copy: the next id is always the lowest free one.
    sortvector<Item> table(4, 65536);
    EXPECT_TRUE(table.insert(new Item, 0) == 0 && table.insert(new Item, 2) == 2);
    EXPECT_TRUE(table.insert(new Item) == 1 && table.insert(new Item) == 3);
    EXPECT_TRUE(table.remove(3) && table.remove(1) && table.insert(new Item) == 1 && table.insert(new Item) == 3);
    sortvector<Item> copy(table);
    EXPECT_TRUE(copy.remove(0) && copy.insert(new Item) == 0 && copy.insert(new Item) == 4);
    table.clear();
    EXPECT_EQ(table.insert(new Item), 0);

    // Filling a table of the largest size one element at a time stays
    // linear: a search from slot 0 each time took seconds here.
    sortvector<Item> full(1, 65536);
    for (int i = 0; i < 65536; ++i)
        ASSERT_EQ(full.insert(new Item), i);
    Item extra;
    EXPECT_TRUE(full.remove(40000) && full.insert(new Item) == 40000 && full.insert(&extra) == -1);
}

TEST(SortVector, CopyClonesAndDestructorDeletes)
{
    int live = 0;
    {
        sortvector<Item> table(4, 64);
        table.insert(new Item(10, &live), 7);
        table.insert(new Item(20, &live), 3);
        sortvector<Item> copy(table);
        EXPECT_EQ(idsInOrder(copy), (std::vector<int> {3, 7}));
        EXPECT_TRUE(live == 4 && copy[7] != table[7] && copy[7]->tag == 10);
        // Equal: the same elements under the same ids, whatever the room.
        EXPECT_TRUE(copy == table);
        copy[7]->tag = 11;
        EXPECT_FALSE(copy == table);
        copy[7]->tag = 10;

        sortvector<Item> assigned(1, 1);
        assigned.insert(new Item(0, &live));
        assigned = copy;
        EXPECT_TRUE(live == 6 && assigned[3]->tag == 20 && assigned == copy);
        assigned.remove(7);
        assigned.insert(new Item(10, &live), 8);
        EXPECT_FALSE(assigned == copy);
        assigned.clear();
        EXPECT_EQ(live, 4);
    }
    EXPECT_EQ(live, 0);
}

TEST(SortVectorDeathTest, MissingElementIsFatal)
{
    sortvector<Item> table(4, 4);
    table.insert(new Item);
    EXPECT_DEATH(table[1],
                 "Error Assert: 'vector\\[id\\] != nullptr' is FALSE at line 276 in file "
                 "seltrane_components.brantle_core/sortvector");
    const sortvector<Item>& constant = table;
    EXPECT_DEATH(constant[100], "at line 285");
}

struct Node : list_node<Node>
{
    explicit Node(int* live) : live(live) { ++*live; }
    virtual ~Node() { --*live; }
    int* live;
};

template <class Action>
void expectLogicError(Action action, const char* text)
{
    try {
        action();
        ADD_FAILURE() << "no exception, expected " << text;
    } catch (const std::logic_error& error) {
        EXPECT_STREQ(error.what(), text);
    }
}

TEST(PolyList, EraseAndUnlink)
{
    int live = 0;
    poly_list<Node> list;
    Node* nodes[4];
    for (Node*& node : nodes)
        list.push_back(node = new Node(&live));
    // An end that is not reachable from the start throws and deletes nothing.
    expectLogicError([&] { list.erase(nodes[2], nodes[1]); }, "poly_list iterator invalid");
    expectLogicError([&] { list.erase(nodes[0], poly_list<Node>::iterator()); }, "poly_list iterator invalid");
    expectLogicError([&] { list.erase(poly_list<Node>::iterator(), list.end()); }, "poly_list iterator invalid");
    EXPECT_TRUE(live == 4 && list.size() == 4u);

    // Unlinked elements belong to the caller.
    EXPECT_TRUE(&*list.unlink(*nodes[1]) == nodes[2] && !nodes[1]->isLinked());
    expectLogicError([&] { list.unlink(*nodes[1]); }, "poly_list unlink failed as object not in list");
    expectLogicError([&] { list.unlink(poly_list<Node>::iterator()); }, "poly_list iterator invalid");
    delete nodes[1];

    EXPECT_TRUE(list.erase(nodes[0], nodes[3]) == poly_list<Node>::iterator(nodes[3]) && live == 1
                && list.back() == nodes[3]);
    expectLogicError([&] { list.erase(nodes[3], nullptr); }, "poly_list iterator invalid");
    list.clear();
    EXPECT_EQ(live, 0);
}

}  // namespace
