// TimelineEl is what one timeline element plays: the preset (PresetData) on a
// set of targets, with six header words that the timeline carries for the
// players. TimelineFragment places an element on its timeline: the start and
// end times, two further times, the frame array that a marked element draws
// into and a parameter word; the timeline's table files it under its element
// key (the sortvector id).
//
// Targets are kept in FixOrGroupKey order, so the first target is the
// smallest key. Times are whole numbers; 0x7FFFFFFF stands for no time.
//
// Plain values: a fragment is owned by its timeline's table (copies and
// clones are deep and in no list). One thread uses a value at a time.
#ifndef LX_OBJECTS_PROGRAMMING_TIMELINE_EL_H
#define LX_OBJECTS_PROGRAMMING_TIMELINE_EL_H

#include "components/archive/object.h"
#include "components/archive/stream_fwd.h"
#include "components/lx_objects/fixtures/fix_or_group_key.h"
#include "components/lx_objects/programming/preset_data.h"
#include "seltrane_components/brantle_core/sortvector.h"

#include <QtGlobal>

#include <set>
#include <vector>

class TimelineEl : public Archive::Value<TimelineEl>
{
public:
    static constexpr quint32 kTypeCode = 193;

    TimelineEl() = default;

    // A new preset of the type (the current type keeps its values).
    void setPresetType(int type) { presetData.reset(type); }
    // Whether the element needs a frame array of its own: it depends on the
    // preset type and on the kind of the first target (0 without targets).
    bool isMarkedPresetKind() const;

    std::vector<RGBData>& colours() { return presetData.colours; }
    const std::vector<RGBData>& colours() const { return presetData.colours; }

    bool operator==(const TimelineEl&) const = default;

    std::set<FixOrGroupKey> targets;
    quint32 headerWord1 = 0;
    quint32 headerWord2 = 0;
    quint32 headerWord3 = 0;
    quint32 headerWord4 = 1;
    quint32 headerWord5 = 1;
    qint32 headerWord6 = -1;
    PresetData presetData;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Value<TimelineEl>;

class TimelineFragment : public sortvector_el
{
public:
    static constexpr quint32 kTypeCode = 196;
    static constexpr qint32 kNoTime = 0x7FFFFFFF;

    TimelineFragment() = default;
    // Key 0 until a table files it.
    TimelineFragment(const TimelineEl& element, qint32 frameArrayId, qint32 start, qint32 end, qint32 extraTime1,
                     qint32 extraTime2);

    TimelineFragment* clone() const override { return new TimelineFragment(*this); }

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    // The key and the content; the list links are where, not what.
    bool operator==(const TimelineFragment&) const = default;

    qint32 start = kNoTime;
    qint32 end = kNoTime;
    qint32 extraTime1 = kNoTime;
    qint32 extraTime2 = kNoTime;
    TimelineEl element;
    qint32 frameArrayId = -1;  // a FrameArray's object id, -1 for none
    qint32 fragmentParam = 30;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
    // The key is where the table files the fragment, not part of its data.
    void resetForRead();
};

#endif  // LX_OBJECTS_PROGRAMMING_TIMELINE_EL_H
