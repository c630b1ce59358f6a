#include "components/lx_objects/media/pixture_container.h"

#include "components/archive/fields.h"
#include "components/lx_objects/media/free_user_numbers.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

// A record list whose count is refused above `limit`, as the stored format's
// readers always refused it, before the data remaining is weighed.
std::vector<Pixture> readRecords(InStream& in, quint32 code, quint32 limit)
{
    in.beginSection(code);
    quint32 count = 0;
    in >> count;
    in.checkStatus();
    in.checkCount(count, limit);
    std::vector<Pixture> records;
    StreamDetail::reserveFor(in, records, count);
    for (quint32 i = 0; i < count; ++i) {
        Pixture record;
        in >> record;
        in.checkStatus();
        records.push_back(record);
    }
    in.endSection(code);
    return records;
}

template <class V>
struct RecordList
{
    V& records;
};

template <class V>
RecordList<V> recordList(V& records)
{
    return RecordList<V> {records};
}

InStream& operator>>(InStream& in, RecordList<std::vector<Pixture>> field)
{
    field.records = readRecords(in, StreamCode::Vector, PixtureContainer::kMaxPixtures - 1);
    return in;
}

OutStream& operator<<(OutStream& out, RecordList<const std::vector<Pixture>> field) { return out << field.records; }

// The old layout: a fixed table filed under the container's id, then a set
// of free numbers that nothing uses any more.
void parkOldTable(InStream& in)
{
    const std::vector<Pixture> records = readRecords(in, StreamCode::Array, PixtureContainer::kOldTableSize);
    FreeUserNumbers unused;
    in >> unused;
    const quint32 key = sideTableKey(in);
    std::vector<Pixture> entry = pixtureSideTable().find(key).value_or(std::vector<Pixture>());
    if (entry.size() < records.size())
        entry.resize(records.size());
    std::copy(records.begin(), records.end(), entry.begin());
    pixtureSideTable().put(key, std::move(entry));
}

}  // namespace

template <class F, class Self>
void Pixture::fields(F& f, Self& s)
{
    f.since(68, s.word0);
    f(s.int1, s.int2, s.half3, s.half4);
}

void Pixture::read(InStream& in) { Archive::readFields(in, *this); }

void Pixture::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void PixtureContainer::fields(F& f, Self& s)
{
    f.since(72, s.word0, recordList(s.pixtures), s.bits).orRead([](InStream& in, auto&...) { parkOldTable(in); });
    f.since(68, s.word1);
}

UpgradeSideTable<quint32, std::vector<Pixture>>& pixtureSideTable()
{
    static UpgradeSideTable<quint32, std::vector<Pixture>> table;
    return table;
}

template class Archive::Object<PixtureContainer>;
