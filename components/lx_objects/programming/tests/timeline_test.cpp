#include "components/archive/type_registry.h"
#include "components/lx_objects/programming/timeline.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <set>
#include <string>

using StreamCheck::Chunk;
using StreamCheck::kNewest;

namespace {

constexpr quint32 kNone = Timeline::kNone;
constexpr qint32 kNoTime = TimelineFragment::kNoTime;
using Changes = Timeline::ChangeSet;

const char kDefaultTimeline[] = "ffffffff 0000 ffffffff 0066 ffffffff 00000000 0005 00af 00000000 0000 000000c8 0000 "
                                "0002 00 00000000 00000000 00 00000000 00000000 00000000 00000000 0008 00000000 0006 "
                                "00000000";
// The target sets {05 00 07, 07 11 22 33 44 55 66 77} and {05 00 03, ...}.
const char kLocalSeven[] = "0009 00000002 007f 0000000000070005 007f 7766554433221107";
const char kLocalThree[] = "0009 00000002 007f 0000000000030005 007f 7766554433221107";

TimelineEl element(int type, const std::set<FixOrGroupKey>& targets = {}, qint32 word6 = -1)
{
    TimelineEl el;
    el.setPresetType(type);
    el.targets = targets, el.headerWord6 = word6;
    return el;
}

TimelineEl textElement(quint16 id)
{
    TimelineEl el = element(208);
    return el.presetData.part<PresetPart208>()->dynamicTextId = id, el;
}

void place(Timeline& t, const TimelineEl& el, quint32 key = kNone)
{
    ASSERT_GE(t.fragments.insert(new TimelineFragment(el, -1, 100, 200, kNoTime, kNoTime), key), 0);
}

// A type-100 element from 100 to 200 with one colour, as a timeline stores it at each version.
void addElementRows(std::vector<Chunk>& layout, const char* targets)
{
    layout.insert(layout.end(),
                  {{0, kNewest, "00c4 00000064 000000c8 7fffffff 7fffffff 00c1"},
                   {0, 100, "00000064"},
                   {0, kNewest, targets},
                   {0, 37, ""},  // the number of a kind-7 key moves
                   {0, kNewest, "00000001 00000002 00000003 00000004 00000005"},
                   {0, 100, "0006 00000001 010203ff8000"},
                   {62, kNewest, "00000006"},
                   {100, kNewest, "00000064 0006 00000001 010203ff8000"},
                   {0, kNewest, "00000009 ffffffff 0000001e"}});
}

TimelineEl localIdElement(quint16 n, quint16 v)
{
    FixOrGroupKey key;
    key.bytes = v >= 37 ? std::array<quint8, 8> {7, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77}
                        : std::array<quint8, 8> {7, 0x33, 0x44, 0, 0, 0x55, 0x66, 0x77};
    TimelineEl el = element(100, {FixOrGroupKey(5, n), key}, v >= 62 ? 6 : -1);
    el.headerWord1 = 1, el.headerWord2 = 2, el.headerWord3 = 3, el.headerWord4 = 4, el.headerWord5 = 5;
    el.colours() = {RGBData(1, 2, 3, 255)};
    el.colours()[0].kind = 0;
    el.presetData.part<PresetPart100>()->f1 = 9;
    return el;
}

// Every field set, with three type-100 elements whose first targets carry local ids 7, 3 and 7.
std::vector<Chunk> timelineLayout()
{
    std::vector<Chunk> layout = {{0, kNewest, "00000004 0074006c 0003"},
                                 {11, kNewest, "00000007"},
                                 {0, kNewest,
                                  "0066 00000001 000003e8 0002 00af 00000000 0000 000000c8 0000 0002 00 00000000 "
                                  "00000000 01 00000003"}};
    for (const char* targets : {kLocalSeven, kLocalThree, kLocalSeven})
        addElementRows(layout, targets);
    layout.insert(layout.end(),
                  {{0, kNewest, "00000002 00000064 00000000 000000c8 00000002"},  // row 30: markers
                   {0, kNewest, "00000001 00000001 00000002 0061"},
                   {120, kNewest, "00000001 00000032 00000009"},
                   {120, kNewest, "0008 00000001 0003 014c 00000010 00000020 0008 00000001 0002 014d 07 fff0"},
                   {0, 39, "0008 00000001 0001 00000002"},
                   {27, kNewest, "0006 00000000"}});
    return layout;
}

Timeline timelineAt(quint16 v)
{
    Timeline t;
    t.name = QStringLiteral("tl"), t.word16 = 3, t.word32 = v >= 11 ? 7 : 0xFFFFFFFF, t.flag = true;
    t.properties = TimelineProperties {1, 1000, 2};
    for (const quint16 n : {7, 3, 7})
        place(t, localIdElement(n, v));
    t.insertMarker({100, 0}), t.insertMarker({200, 2});
    t.textById[1] = QStringLiteral("a");
    if (v >= 120) {
        t.waypointMarks.insert({50, 9});
        t.waypoints[3] = Waypoint {16, 32, {{2, WaypointSection {7, -16}}}};
    }
    t.idList = v >= 27 ? std::vector<quint32> {0} : std::vector<quint32> {3, 7, 8};  // none stored: {0}
    return t;
}

// The edit throws a std::logic_error with `message` (a runtime error's text after "runtime: "), or without one
// answers kNone, leaving the timeline and the caller's marks as they were.
void expectRefused(Timeline& t, const std::function<quint32(Timeline&, Changes&)>& edit,
                   const std::string& message = "")
{
    const Timeline before = t;
    Changes changes {1, 2};
    try {
        EXPECT_TRUE(edit(t, changes) == kNone && message.empty()) << message;
    } catch (const std::exception& e) {
        EXPECT_EQ((dynamic_cast<const std::logic_error*>(&e) ? "" : "runtime: ") + std::string(e.what()), message);
    }
    EXPECT_TRUE(t == before && changes == (Changes {1, 2})) << message;
}

}  // namespace

TEST(Timeline, StreamFormsGatesAndDamage)
{
    StreamCheck::expectGateReads<Timeline>(timelineLayout(), kProjectStreamVersion, timelineAt);
    EXPECT_EQ(writtenBytes(Timeline()).toHex(), hex(kDefaultTimeline).toHex());
    Timeline read, want;
    want.idList = {0};
    EXPECT_TRUE(readBytes(read, hex(kDefaultTimeline)) == 0 && read == want);
    EXPECT_EQ(
        writtenBytes(TimelineEl()).toHex(),
        hex("0009 00000000 00000000 00000000 00000000 00000001 00000001 ffffffff ffffffff 0006 00000000").toHex());

    const std::vector<Chunk> layout = timelineLayout();
    const QByteArray bytes = StreamCheck::bytesAt(kProjectStreamVersion, layout);
    Timeline full = timelineAt(kProjectStreamVersion);
    full.idList.clear();
    EXPECT_EQ(writtenBytes(full).toHex(), bytes.toHex());
    // Through the text stream too: 333 shares its name with 332 and carries its code.
    EXPECT_TRUE(StreamCheck::stableRoundTrip(timelineAt(kProjectStreamVersion), kProjectStreamVersion));
    EXPECT_EQ(ObjectRegistry::codeForName(QStringLiteral("WaypointSection")), 332u);
    EXPECT_TRUE(everyStrictPrefixFails(timelineAt(kProjectStreamVersion)));

    const auto offset = [&layout](std::size_t row) {
        return StreamCheck::bytesAt(kProjectStreamVersion, {layout.begin(), layout.begin() + row}).size();
    };
    const auto damaged = [&](std::size_t row, int at, const char* patch, const std::string& message) {
        return StreamCheck::damagedReadFails(bytes, offset(row) + at, patch, kProjectStreamVersion, message,
                                             [](InStream& in) { Timeline().read(in); });
    };
    // Each count (row, offset): elements, targets, markers, texts, waypoint marks, waypoints, sections.
    for (const auto& [row, at] : {std::pair {3, -4}, {5, 2}, {30, 0}, {31, 0}, {32, 0}, {33, 2}, {33, 20}})
        EXPECT_TRUE(
            damaged(row, at, "ffffffff", "Error reading from file, count 4294967295 exceeds the data remaining"))
            << row << " " << at;
    EXPECT_TRUE(damaged(3, 0, "00c5", "Tag mismatch when trying to read opening tag TimelineFragment"));
    EXPECT_TRUE(damaged(35, 2, "ffffffff", StreamCheck::countAboveLimit(0xFFFFFFFF, 0x3FFFFFFF)));
    EXPECT_TRUE(damaged(35, 2, "40000000", StreamCheck::kVector32CountAboveLimit));
    // A repeated marker time keeps the first marker.
    const QByteArray repeated = QByteArray(bytes).replace(offset(30) + 12, 4, hex("00000064"));
    EXPECT_TRUE(readBytes(read, repeated) == 0 && read.markers.size() == 1 && read.markers.begin()->second == 0);
}

TEST(Timeline, ReadRenumbersKeysAndIndexesTextIds)
{
    // Ids 7, 3, 7 again and 150: the first 7 keeps its entry, 150 stays in its part only.
    Timeline written, want;
    // The last id of the index is indexed, the next two are not.
    const quint16 ids[] = {7, 3, 7, 150, 99, 100, 101};
    const quint32 keys[] = {5, 9, 12, 20, 21, 30, 31};
    for (int i = 0; i < 7; ++i)
        place(written, textElement(ids[i]), keys[i]), place(want, textElement(ids[i]), quint32(i));
    want.idList = {0};
    want.dynamicTextElements = {{3, 1}, {7, 0}, {99, 4}};
    want.freeDynamicTextIds.reset(3).reset(7).reset(99);
    Timeline read;
    EXPECT_TRUE(readBytes(read, writtenBytes(written)) == 0 && read == want);

    // Elements beyond the table are read and leave no trace.
    Timeline full;
    full.idList = {0};
    for (quint32 i = 0; i < Timeline::kMaxElements; ++i)
        place(full, TimelineEl());
    QByteArray bytes = writtenBytes(full);
    bytes.replace(48, 4, hex("00004001"));
    bytes.insert(bytes.size() - 28, blockBytes(TimelineFragment(textElement(5), -1, 0, 0, 0, 0)));
    EXPECT_TRUE(readBytes(read, bytes) == 0 && read == full);
}

TEST(TimelineEl, MarkedPresetKinds)
{
    // Answers with a first target of kind 19, 10, 13 or 5, and without targets.
    // Every other type, known or not, answers 00000.
    const std::set<int> markedUnlessTenOrThirteen = {203, 206, 207, 210, 211, 212, 213, 215, 216, 217, 219};
    const std::set<FixOrGroupKey> firsts[] = {
        {FixOrGroupKey(19, 1)}, {FixOrGroupKey(10, 1)}, {FixOrGroupKey(13, 1)}, {FixOrGroupKey(5, 1)}, {}};
    for (int type = -1; type <= 304; ++type) {
        const char* answers = type == 200 ? "00011" : markedUnlessTenOrThirteen.count(type) ? "10011" : "00000";
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(element(type, firsts[i]).isMarkedPresetKind(), answers[i] == '1') << type << " " << i;
    }
    // The first target is the smallest key.
    EXPECT_TRUE(element(203, {FixOrGroupKey(13, 0), FixOrGroupKey(5, 900)}).isMarkedPresetKind());
}

TEST(Timeline, EditsRecordTheirMarksAndClonesAreDeep)
{
    Timeline t;
    t.properties.length = 10000;
    Changes s;
    EXPECT_EQ(t.addMarker(1234, kNone, s), 0u);
    EXPECT_TRUE(s == Changes {0x200004CE} && t.markers.hasTime(1230) && t.timeMarks.at(1230).markerId == 0);
    EXPECT_EQ(t.addMarker(1239, 5, s), kNone);
    EXPECT_EQ(t.addMarker(2000, kNone, s), 1u);
    EXPECT_TRUE(t.addMarker(-15, 7, s) == 7 && t.markers.hasTime(-10));

    TimelineEl marked = element(200), plain = element(100);
    s.clear();
    EXPECT_EQ(t.addElement(marked, 100, 200, kNoTime, kNoTime, kNone, 5, s), 0u);
    EXPECT_EQ(s, (Changes {0x20000064, 0x200000C8, 0x30050000}));
    s.clear();
    EXPECT_EQ(t.addElement(plain, 100, 300, 7, 8, kNone, -1, s), 1u);
    EXPECT_EQ(s, (Changes {0x20000064, 0x2000012C}));
    EXPECT_EQ(t.timeMarks.at(100).starting, (std::vector<quint32> {0, 1}));
    EXPECT_TRUE(t.timeMarks.at(300).ending == std::vector<quint32> {1} && t.timeMarks.at(300).markerId == -1);
    TimelineFragment want(plain, -1, 100, 300, 7, 8);
    want.setId(1);
    EXPECT_TRUE(*t.fragments[1] == want);

    // A clone is equal, has no id and elements of its own.
    t.setId(7);
    const std::unique_ptr<Timeline> copy(static_cast<Timeline*>(t.clone()));
    EXPECT_TRUE(copy->getId() == Archive::kNoObjectId && *copy == t && copy->fragments.find(0) != t.fragments.find(0));
    copy->fragments[0]->element.headerWord1 = 9;
    EXPECT_FALSE(*copy == t);
}

TEST(Timeline, RefusedEditsChangeNothingAndLimits)
{
    Timeline t;
    t.properties.length = 1000;
    Changes s;
    TimelineEl text = element(208);
    ASSERT_TRUE(t.addElement(text, 0, 100, 0, 0, 3, -1, s) == 3 && t.addMarker(50, 0xFFFFFFFE, s) == 0xFFFFFFFE);
    const auto add = [&text](qint32 start, qint32 end, quint32 key) {
        return [&text, start, end, key](Timeline& x, Changes& c) {
            return x.addElement(text, start, end, 0, 0, key, -1, c);
        };
    };
    expectRefused(t, add(0, 1010, kNone), "Element end is beyond the timeline length");
    expectRefused(t, add(0, 1001, kNone), "Element end is beyond the timeline length");
    expectRefused(t, add(5, 100, kNone), "Element time is not a multiple of 10");
    expectRefused(t, add(0, 3, kNone), "Element time is not a multiple of 10");
    expectRefused(t, add(0, 100, 3));
    expectRefused(t, add(0, 100, Timeline::kMaxElements));
    expectRefused(t, add(0, 100, Timeline::kMaxElements + 1));
    EXPECT_EQ(text.presetData.part<PresetPart208>()->dynamicTextId, 0);
    const auto marker = [](qint32 time, quint32 id) {
        return [=](Timeline& x, Changes& c) { return x.addMarker(time, id, c); };
    };
    expectRefused(t, marker(60, 0xFFFFFFFE));  // the id is in use
    expectRefused(t, marker(60, kNone));       // the next id would be none
    expectRefused(
        t, [](Timeline& x, Changes& c) { return x.setMarkTimeEntry(15, 1, c), 0u; },
        "Marker time is not a multiple of 10");
    expectRefused(
        t, [](Timeline& x, Changes&) { return x.insertTimeMarks(0, 0, 5), 0u; },
        "Element time is not a multiple of 10");
    // An end at the length and at just below it, the last key of the table.
    for (const auto& [end, key] : {std::pair {1000, Timeline::kMaxElements - 1}, {990, kNone}}) {
        TimelineEl plain;
        EXPECT_EQ(t.addElement(plain, 0, end, 0, 0, key, -1, s), key == kNone ? 0u : key) << end;
    }
    // Version-1 "no time" at the end of the longest timeline.
    t.properties.length = kNoTime;
    expectRefused(t, add(0, kNoTime, kNone), "Element time is not a multiple of 10");

    Timeline wrapped;
    wrapped.insertMarker({0, 0}), wrapped.insertMarker({10, 0xFFFFFFFF});
    expectRefused(wrapped, marker(20, kNone));

    // The limits of dynamic-text ids, elements and local ids.
    t = Timeline(), text = element(208);
    for (quint32 id = 0; id < 100; ++id)
        ASSERT_TRUE(t.addElement(text, 0, 0, 0, 0, kNone, -1, s) == id
                    && text.presetData.part<PresetPart208>()->dynamicTextId == id && s.count(0x40000000 | id));
    EXPECT_TRUE(t.dynamicTextElements.size() == 100 && t.freeDynamicTextIds.none());
    const auto addText = [&text](Timeline& x, Changes& c) { return x.addElement(text, 0, 0, 0, 0, kNone, -1, c); };
    expectRefused(t, addText, "runtime: Unable to create any more dynamic text elements on timeline");
    TimelineEl plain;
    while (t.fragments.size() < Timeline::kMaxElements)
        t.addElement(plain, 0, 0, 0, 0, kNone, -1, s);
    expectRefused(
        t, [&](Timeline& x, Changes& c) { return x.addElement(plain, 0, 0, 0, 0, kNone, -1, c); },
        "runtime: Unable to create any more elements on timeline");

    Timeline ids;
    for (int i = 0; i <= 1024; ++i)
        ASSERT_EQ(ids.appendNextId(), i);
    EXPECT_TRUE(ids.appendNextId() == -1 && ids.idList.size() == 1025);

    // Rebuilt from older data (elements with local ids 3 and n, its bytes low then high, in place of 7): n + 1 is
    // the next id while it stays in range.
    const std::pair<const char*, std::vector<quint32>> rebuilt[] = {
        {"fe03", {3, 1022, 1023}}, {"ff03", {3, 1023, 1024}}, {"0004", {3, 1024}}, {"ffff", {3, 65535}}};
    for (const auto& [number, want] : rebuilt) {
        const std::string targets = "0009 00000002 007f 0000000000" + std::string(number) + "05 007f 7766554433221107";
        std::vector<Chunk> layout = timelineLayout();
        for (Chunk& chunk : layout)
            chunk.bytes = chunk.bytes == kLocalSeven ? targets.c_str() : chunk.bytes;
        Timeline read;
        EXPECT_TRUE(readBytes(read, StreamCheck::bytesAt(26, layout), 26) == 0 && read.idList == want) << number;
    }
}
