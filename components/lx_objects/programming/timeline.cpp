#include "components/lx_objects/programming/timeline.h"

#include "components/archive/fields.h"

#include <memory>
#include <stdexcept>

namespace {

// Targets of this kind carry a timeline-local id (idList) as their number.
constexpr quint8 kLocalIdKind = 5;
constexpr int kDynamicTextPreset = 208;

quint32 timeChange(qint32 time) { return 0x20000000u | (quint32(time) & 0x0FFFFFFFu); }

quint32 dynamicTextChange(quint16 id) { return 0x40000000u | id; }

quint32 frameArrayChange(qint32 frameArrayId, quint32 key) { return ((quint32(frameArrayId) | 0x3000u) << 16) | key; }

const PresetPart208* dynamicTextPart(const TimelineEl& element)
{
    return element.presetData.presetType() == kDynamicTextPreset ? element.presetData.part<PresetPart208>() : nullptr;
}

const auto fileMarker = [](TimelineMarkerSet& markers, const std::pair<qint32, quint32>& entry) {
    markers.insert(TimelineMarker {entry.first, entry.second});
};

}  // namespace

// ---- values ----

template <class F, class Self>
void TimelineProperties::fields(F& f, Self& s)
{
    f(s.packedWord, s.length, s.timecodeFormat);
}

void TimelineProperties::read(InStream& in) { Archive::readFields(in, *this); }

void TimelineProperties::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void TimelineOptions::fields(F& f, Self& s)
{
    f(s.flags, s.optionA, s.optionB, s.optionC, s.optionD, s.optionFlag, s.timeSource, s.optionE);
}

void TimelineOptions::read(InStream& in) { Archive::readFields(in, *this); }

void TimelineOptions::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void WaypointSection::fields(F& f, Self& s)
{
    f(s.byteValue, s.shortValue);
}

void WaypointSection::read(InStream& in) { Archive::readFields(in, *this); }

void WaypointSection::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void Waypoint::fields(F& f, Self& s)
{
    f(s.time1, s.time2, s.sections);
}

void Waypoint::read(InStream& in) { Archive::readFields(in, *this); }

void Waypoint::write(OutStream& out) const { Archive::writeFields(out, *this); }

bool TimelineMarkerSet::insert(const TimelineMarker& marker)
{
    if (hasTime(marker.time) || hasId(marker.id))
        return false;
    m_byTime.emplace(marker.time, marker.id);
    m_byId.emplace(marker.id, marker.time);
    return true;
}

std::optional<quint32> TimelineMarkerSet::largestId() const
{
    if (m_byId.empty())
        return std::nullopt;
    return m_byId.rbegin()->first;
}

void TimelineMarkerSet::clear()
{
    m_byTime.clear();
    m_byId.clear();
}

// ---- the timeline ----

Timeline::Timeline() : fragments(256, kMaxElements) { freeDynamicTextIds.set(); }

template <class F, class Self>
void Timeline::fields(F& f, Self& s)
{
    f(s.name, s.word16);
    f.since(11, s.word32);
    f(s.properties, s.options, s.flag);
    // Read fragments take the lowest free keys in stream order.
    f(Archive::counted<quint32>(s.fragments, [&s](auto&, const auto& fragment) { s.fileReadFragment(fragment); }));
    f(Archive::counted<quint32>(s.markers, fileMarker));
    f(Archive::counted<quint32>(s.textById));
    f.since(120, Archive::counted<quint32>(s.waypointMarks, fileMarker));
    f.since(120, s.waypoints);
    f.droppedBefore(39, std::map<quint16, quint32>());
    f.since(27, Archive::vector32(s.idList));
}

void Timeline::afterRead(InStream& in)
{
    if (in.version() < 27)
        rebuildIdList();
    else if (idList.empty())
        appendNextId();
}

// A fragment beyond the table is dropped; of two with one dynamic-text id
// the first is indexed, and an id beyond the index stays in its part only.
void Timeline::fileReadFragment(const TimelineFragment& read)
{
    auto fragment = std::make_unique<TimelineFragment>(read);
    const int key = fragments.insert(fragment.get());
    if (key < 0)
        return;
    const TimelineFragment* filed = fragment.release();
    const PresetPart208* text = dynamicTextPart(filed->element);
    if (text && text->dynamicTextId < kDynamicTextIds && freeDynamicTextIds.test(text->dynamicTextId)) {
        freeDynamicTextIds.reset(text->dynamicTextId);
        dynamicTextElements[text->dynamicTextId] = quint32(key);
    }
}

// Older data kept no list: the numbers of the type-100 elements' first
// targets of the local-id kind, then the next one while it stays in range.
void Timeline::rebuildIdList()
{
    std::set<quint32> numbers;
    for (const TimelineFragment& fragment : fragments) {
        const TimelineEl& element = fragment.element;
        if (presetTypeCategory(element.presetData.presetType()) == 2 && !element.targets.empty()
            && element.targets.begin()->kind() == kLocalIdKind)
            numbers.insert(element.targets.begin()->number());
    }
    idList.assign(numbers.begin(), numbers.end());
    const quint32 next = numbers.empty() ? 0 : *numbers.rbegin() + 1;
    if (next <= kMaxListedId)
        idList.push_back(next);
}

int Timeline::appendNextId()
{
    const quint64 next = idList.empty() ? 0 : quint64(idList.back()) + 1;
    if (next > kMaxListedId)
        return -1;
    idList.push_back(quint32(next));
    return int(next);
}

int Timeline::lowestFreeDynamicTextId() const
{
    for (std::size_t id = 0; id < kDynamicTextIds; ++id) {
        if (freeDynamicTextIds.test(id))
            return int(id);
    }
    return -1;
}

quint16 Timeline::allocateDynamicTextId(quint32 elementKey)
{
    const int id = lowestFreeDynamicTextId();
    if (id < 0)
        return kNoDynamicTextId;
    freeDynamicTextIds.reset(std::size_t(id));
    dynamicTextElements[quint16(id)] = elementKey;
    return quint16(id);
}

void Timeline::insertTimeMarks(quint32 elementKey, qint32 start, qint32 end)
{
    if (start % 10 != 0 || end % 10 != 0)
        throw std::logic_error("Element time is not a multiple of 10");
    timeMarks[start].starting.push_back(elementKey);
    timeMarks[end].ending.push_back(elementKey);
}

void Timeline::setMarkTimeEntry(qint32 time, qint32 markerId, ChangeSet& changes)
{
    if (time % 10 != 0)
        throw std::logic_error("Marker time is not a multiple of 10");
    timeMarks[time].markerId = markerId;
    changes.insert(timeChange(time));
}

quint32 Timeline::addElement(TimelineEl& element, qint32 start, qint32 end, qint32 extraTime1, qint32 extraTime2,
                             quint32 key, qint32 frameArrayId, ChangeSet& changes)
{
    // Every check comes first: a refused element leaves no trace.
    if (end > properties.getLength())
        throw std::logic_error("Element end is beyond the timeline length");
    if (start % 10 != 0 || end % 10 != 0)
        throw std::logic_error("Element time is not a multiple of 10");
    if (fragments.size() >= kMaxElements)
        throw std::runtime_error("Unable to create any more elements on timeline");
    const bool dynamicText = dynamicTextPart(element) != nullptr;
    const int textId = dynamicText ? lowestFreeDynamicTextId() : -1;
    if (dynamicText && textId < 0)
        throw std::runtime_error("Unable to create any more dynamic text elements on timeline");

    auto fragment = std::make_unique<TimelineFragment>(element, frameArrayId, start, end, extraTime1, extraTime2);
    if (dynamicText)
        fragment->element.presetData.part<PresetPart208>()->dynamicTextId = quint16(textId);
    const int placed = fragments.insert(fragment.get(), key);
    if (placed < 0)
        return kNone;
    fragment.release();
    const quint32 elementKey = quint32(placed);

    if (dynamicText) {
        allocateDynamicTextId(elementKey);
        element.presetData.part<PresetPart208>()->dynamicTextId = quint16(textId);
        changes.insert(dynamicTextChange(quint16(textId)));
    }
    insertTimeMarks(elementKey, start, end);
    changes.insert(timeChange(start));
    changes.insert(timeChange(end));
    if (element.isMarkedPresetKind())
        changes.insert(frameArrayChange(frameArrayId, elementKey));
    return elementKey;
}

quint32 Timeline::addMarker(qint32 time, quint32 id, ChangeSet& changes)
{
    time = time / 10 * 10;
    if (markers.hasTime(time))
        return kNone;
    if (id == kNone) {
        const std::optional<quint32> largest = markers.largestId();
        id = largest ? *largest + 1 : 0;  // wraps past the largest word
        if (id == kNone || markers.hasId(id))
            return kNone;
    }
    if (!insertMarker(TimelineMarker {time, id}))
        return kNone;
    setMarkTimeEntry(time, qint32(id), changes);
    return id;
}

template class Archive::Object<Timeline>;
