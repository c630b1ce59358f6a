// ShowThing: base of every item of a version-1 show. It carries the 16-bit
// item id of sortvector_el, so items live in the show's id-indexed tables,
// and reads itself from the show stream. readItemList reads the item lists
// of the show's sections into such tables.
//
// Items are owned by the table they were inserted into. Thread safety: like
// the show, GUI thread only.
#ifndef QUILSHOW_SHOW_SHOW_THING_H
#define QUILSHOW_SHOW_SHOW_THING_H

#include "components/quilshow/show/show_streamer.h"
#include "seltrane_components/brantle_core/sortvector.h"

#include <QtGlobal>

#include <memory>

namespace Quil {

class ShowThing : public sortvector_el
{
public:
    ShowThing() = default;
    explicit ShowThing(quint16 id) : sortvector_el(id) {}
    ~ShowThing() override = default;

    // Reads the item's record; throws std::runtime_error on bad data.
    virtual void stream(ShowStreamer& in) = 0;
    bool operator==(const ShowThing&) const = default;

protected:
    // Reads the u16 id that records carry.
    void readId(ShowStreamer& in)
    {
        quint16 id = 0;
        in.readU16(id);
        setId(id);
    }
};

// Files `item` under its own id; an item whose id is taken or beyond the
// table's maximum is dropped without a word, as the show format wants.
template <typename T>
void insertOrDrop(sortvector<T>& table, std::unique_ptr<T> item)
{
    const quint32 id = item->id();
    if (table.insert(item.get(), id) >= 0)
        item.release();
}

// Reads an item list: a u16 count, then each item read by its stream, handed
// to `afterRead` and filed with insertOrDrop.
template <typename T, typename AfterRead>
void readItemList(ShowStreamer& in, sortvector<T>& table, AfterRead afterRead)
{
    quint16 count = 0;
    in.readU16(count);
    for (quint16 i = 0; i < count; ++i) {
        auto item = std::make_unique<T>();
        item->stream(in);
        afterRead(*item);
        insertOrDrop(table, std::move(item));
    }
}

template <typename T>
void readItemList(ShowStreamer& in, sortvector<T>& table)
{
    readItemList(in, table, [](T&) {});
}

}  // namespace Quil

#endif  // QUILSHOW_SHOW_SHOW_THING_H
