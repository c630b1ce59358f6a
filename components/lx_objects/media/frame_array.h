// FrameArray names the frames of one of the project's matrix effects: one
// frame identity per controller slot (0 to 39), plus the array's own
// identity and an index. Each frame's content lives in the working folder as
// framearrays/{frame}.ffa; a per-controller project save packs the frame of
// its controller from every frame array.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_MEDIA_FRAME_ARRAY_H
#define LX_OBJECTS_MEDIA_FRAME_ARRAY_H

#include "components/archive/object.h"

#include <QUuid>

#include <array>

class FrameArray : public Archive::Object<FrameArray>
{
public:
    static constexpr quint32 kTypeCode = 167;
    static constexpr Archive::ArrayId kArrayId = 9;
    static constexpr int kFrameCount = 40;

    // A new random identity, null frames, index -1.
    FrameArray();

    // The frame of the slot; a null identity for an index outside 0 to 39.
    QUuid getFrame(int slot) const;

    QUuid uuid;
    std::array<QUuid, kFrameCount> frames;
    qint32 index = -1;

    bool operator==(const FrameArray&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<FrameArray>;

#endif  // LX_OBJECTS_MEDIA_FRAME_ARRAY_H
