// Timeline is one timeline of a project (array 14): its name and settings,
// its elements (fragments, each a TimelineEl placed between two times), its
// markers, texts by number, waypoints and a list of timeline-local ids.
//
// Three members are indexes that the editing operations keep and that are
// not stored: timeMarks (what starts, ends or is marked at each time; only
// addElement and addMarker fill it, a read leaves it empty),
// dynamicTextElements and freeDynamicTextIds (which of the 100 dynamic-text
// ids the type-208 elements hold; rebuilt by read). Code that fills fragments
// or markers by hand keeps them itself; the operations below do.
//
// Every edit records what it changed as 32-bit change marks in a set the
// caller supplies: 0x40000000 | id for a dynamic-text id taken, 0x20000000 |
// (time & 0x0FFFFFFF) for a time where something starts, ends or is marked,
// and ((frameArrayId | 0x3000) << 16) | key for an element that draws into a
// frame array. An edit that is refused changes nothing and records nothing.
//
// Owned by the database like every archive object (copies clone every
// element); one thread edits a copy.
#ifndef LX_OBJECTS_PROGRAMMING_TIMELINE_H
#define LX_OBJECTS_PROGRAMMING_TIMELINE_H

#include "components/archive/object.h"
#include "components/lx_objects/programming/timeline_el.h"
#include "seltrane_components/brantle_core/sortvector.h"

#include <QString>

#include <bitset>
#include <map>
#include <optional>
#include <set>
#include <vector>

struct TimelineProperties
{
    static constexpr quint32 kTypeCode = 102;

    qint32 getLength() const { return length; }

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const TimelineProperties&) const = default;

    quint32 packedWord = 0xFFFFFFFF;
    qint32 length = 0;  // no element ends after it
    quint16 timecodeFormat = 5;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct TimelineOptions
{
    static constexpr quint32 kTypeCode = 175;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const TimelineOptions&) const = default;

    quint32 flags = 0;
    qint16 optionA = 0;
    qint32 optionB = 200;
    quint16 optionC = 0;
    quint16 optionD = 2;
    bool optionFlag = false;
    quint32 timeSource = 0;
    qint32 optionE = 0;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

// One section of a waypoint. Stored under the name "WaypointSection", as is
// the waypoint itself.
struct WaypointSection
{
    static constexpr quint32 kTypeCode = 333;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const WaypointSection&) const = default;

    quint8 byteValue = 0;
    qint16 shortValue = 0;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct Waypoint
{
    static constexpr quint32 kTypeCode = 332;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const Waypoint&) const = default;

    qint32 time1 = TimelineFragment::kNoTime;
    qint32 time2 = TimelineFragment::kNoTime;
    std::map<quint16, WaypointSection> sections;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

// A marker: an id at a time.
struct TimelineMarker
{
    qint32 time = 0;
    quint32 id = 0;
};

// Markers in ascending time, each time and each id at most once.
class TimelineMarkerSet
{
public:
    using key_type = qint32;
    using mapped_type = quint32;

    // Adds the marker unless its time or its id is present; answers whether
    // it did.
    bool insert(const TimelineMarker& marker);
    bool hasTime(qint32 time) const { return m_byTime.count(time) != 0; }
    bool hasId(quint32 id) const { return m_byId.count(id) != 0; }
    std::optional<quint32> largestId() const;

    std::size_t size() const { return m_byTime.size(); }
    bool empty() const { return m_byTime.empty(); }
    void clear();
    // Time -> id pairs in ascending time.
    std::map<qint32, quint32>::const_iterator begin() const { return m_byTime.begin(); }
    std::map<qint32, quint32>::const_iterator end() const { return m_byTime.end(); }

    bool operator==(const TimelineMarkerSet&) const = default;

private:
    std::map<qint32, quint32> m_byTime;
    std::map<quint32, qint32> m_byId;
};

// What the editing operations index at one time.
struct TimeMark
{
    std::vector<quint32> starting;  // element keys
    std::vector<quint32> ending;
    qint32 markerId = -1;
    qint32 auxValue = -1;

    bool operator==(const TimeMark&) const = default;
};

class Timeline : public Archive::Object<Timeline>
{
public:
    static constexpr quint32 kTypeCode = 110;
    static constexpr Archive::ArrayId kArrayId = 14;
    static constexpr quint32 kMaxElements = 16384;
    static constexpr std::size_t kDynamicTextIds = 100;
    // No number handed out by appendNextId exceeds it.
    static constexpr quint32 kMaxListedId = 1024;
    // An element key or marker id asked for as "any", and the answer of a
    // refused edit.
    static constexpr quint32 kNone = 0xFFFFFFFF;
    static constexpr quint16 kNoDynamicTextId = 0xFFFF;

    using ChangeSet = std::set<quint32>;

    Timeline();

    // Adds a copy of element between start and end under key (kNone: the
    // lowest free key) and answers its key. A type-208 element takes the
    // lowest free dynamic-text id, which element receives too. Throws
    // std::logic_error "Element end is beyond the timeline length" or
    // "Element time is not a multiple of 10", and std::runtime_error "Unable
    // to create any more elements on timeline" or "Unable to create any more
    // dynamic text elements on timeline"; answers kNone when the key is taken
    // or not below kMaxElements. In each of these cases nothing changes.
    quint32 addElement(TimelineEl& element, qint32 start, qint32 end, qint32 extraTime1, qint32 extraTime2, quint32 key,
                       qint32 frameArrayId, ChangeSet& changes);
    // Adds a marker at time, cut down to a multiple of 10 (toward zero), and
    // answers its id: id itself, or for kNone the largest id present + 1 (0
    // on a timeline without markers). Answers kNone and changes nothing when
    // the time holds a marker, the id is in use, or kNone finds no free id.
    quint32 addMarker(qint32 time, quint32 id, ChangeSet& changes);
    // Appends the next timeline-local id to idList and answers it; -1 when
    // it would exceed kMaxListedId.
    int appendNextId();

    // The steps of the operations above.
    // Takes the lowest free dynamic-text id for elementKey; kNoDynamicTextId
    // when all are taken.
    quint16 allocateDynamicTextId(quint32 elementKey);
    // Lists the element at its start and end times. Throws std::logic_error
    // "Element time is not a multiple of 10", changing nothing.
    void insertTimeMarks(quint32 elementKey, qint32 start, qint32 end);
    // Sets the marker of the time and records the time's mark. Throws
    // std::logic_error "Marker time is not a multiple of 10", changing
    // nothing.
    void setMarkTimeEntry(qint32 time, qint32 markerId, ChangeSet& changes);
    bool insertMarker(const TimelineMarker& marker) { return markers.insert(marker); }

    bool operator==(const Timeline&) const = default;

    QString name;
    quint16 word16 = 0;
    quint32 word32 = 0xFFFFFFFF;
    TimelineProperties properties;
    TimelineOptions options;
    bool flag = false;
    sortvector<TimelineFragment> fragments;
    TimelineMarkerSet markers;
    std::map<quint32, QString> textById;
    TimelineMarkerSet waypointMarks;
    std::map<quint16, Waypoint> waypoints;
    std::vector<quint32> idList;  // ascending; the last is the next to hand out
    std::map<qint32, TimeMark> timeMarks;
    std::map<quint16, quint32> dynamicTextElements;   // id -> element key
    std::bitset<kDynamicTextIds> freeDynamicTextIds;  // a set bit is a free id

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
    void afterRead(InStream& in);
    void fileReadFragment(const TimelineFragment& read);
    void rebuildIdList();
    int lowestFreeDynamicTextId() const;
};
extern template class Archive::Object<Timeline>;

#endif  // LX_OBJECTS_PROGRAMMING_TIMELINE_H
