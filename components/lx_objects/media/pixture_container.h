// PixtureContainer (array 38) keeps a list of Pixture records and a bit
// vector that this program never interprets: containers come from projects
// being read and are written back unchanged. Containers older than version
// 72 held a fixed table of records and a FreeUserNumbers value instead; the
// reader parks the old table in pixtureSideTable() and drops the numbers.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_MEDIA_PIXTURE_CONTAINER_H
#define LX_OBJECTS_MEDIA_PIXTURE_CONTAINER_H

#include "components/archive/object.h"
#include "components/lx_objects/common/upgrade_side_table.h"
#include "seltrane_components/os/bit_vector.h"

#include <vector>

struct Pixture
{
    static constexpr quint32 kTypeCode = 256;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const Pixture&) const = default;

    quint32 word0 = 0;
    qint32 int1 = 0;
    qint32 int2 = 0;
    quint16 half3 = 0;
    quint16 half4 = 65535;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class PixtureContainer : public Archive::Object<PixtureContainer>
{
public:
    static constexpr quint32 kTypeCode = 255;
    static constexpr Archive::ArrayId kArrayId = 38;
    // The places of the old fixed table.
    static constexpr quint32 kOldTableSize = 256000;
    // A longer record list cannot be a container's.
    static constexpr quint32 kMaxPixtures = 0x10000000;

    bool operator==(const PixtureContainer&) const = default;

    quint32 word0 = 0;
    std::vector<Pixture> pixtures;
    BitVector bits;
    quint32 word1 = 0;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<PixtureContainer>;

// The old tables by the id of the container that held them: record i at
// position i, as far as the data went (the rest of the 256000 places held
// default records).
UpgradeSideTable<quint32, std::vector<Pixture>>& pixtureSideTable();

#endif  // LX_OBJECTS_MEDIA_PIXTURE_CONTAINER_H
