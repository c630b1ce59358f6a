// ShowThing: base of every item of a version-1 show. It carries the 16-bit
// item id of sortvector_el, so items live in the show's id-indexed tables,
// and reads itself from the show stream.
//
// Items are owned by the table they were inserted into. Thread safety: like
// the show, GUI thread only.
#ifndef QUILSHOW_SHOW_SHOW_THING_H
#define QUILSHOW_SHOW_SHOW_THING_H

#include "seltrane_components/brantle_core/sortvector.h"

#include <QtGlobal>

#include <memory>

namespace Quil {

class ShowStreamer;

class ShowThing : public sortvector_el
{
public:
    ShowThing() = default;
    explicit ShowThing(quint16 id) : sortvector_el(id) {}
    ~ShowThing() override = default;

    // Reads the item's record; throws std::runtime_error on bad data.
    virtual void stream(ShowStreamer& in) = 0;
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

}  // namespace Quil

#endif  // QUILSHOW_SHOW_SHOW_THING_H
