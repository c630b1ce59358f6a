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
const char kLocalSeven[] = "0009 00000001 007f 0000000000070005";  // the target set {05 00 07}

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
    el.presetData.part<PresetPart208>()->dynamicTextId = id;
    return el;
}

void place(Timeline& t, const TimelineEl& el, quint32 key = kNone)
{
    ASSERT_GE(t.fragments.insert(new TimelineFragment(el, -1, 100, 200, kNoTime, kNoTime), key), 0);
}

// A type-100 element from 100 to 200, as a timeline stores it at each version.
std::vector<Chunk> elementRows(const char* targets)
{
    return {{0, kNewest, "00c4 00000064 000000c8 7fffffff 7fffffff 00c1"},
            {0, 100, "00000064"},
            {0, kNewest, targets},
            {0, kNewest, "00000000 00000000 00000000 00000001 00000001"},
            {0, 100, "0006 00000000"},
            {62, kNewest, "00000005"},
            {100, kNewest, "00000064 0006 00000000"},
            {0, kNewest, "00000000 ffffffff 0000001e"}};
}

// Every field set, one element, at the newest version, in pieces that the damage rows point into.
const char* const kSample[] = {
    "00000004 0074006c 0003 00000007 0066 00000001 000003e8 0002 00af 00000000 0000 000000c8 0000 0002 00 00000000 "
    "00000000 01",
    "00000001",
    "00c4 00000064 000000c8 7fffffff 7fffffff 00c1 0009 00000001 007f 0000000000070005 00000000 00000000 00000000 "
    "00000001 00000001 00000005 00000064 0006 00000000 00000000 ffffffff 0000001e",
    "00000001 00000064 00000000",
    "00000001 00000001 00000002 0061",
    "00000001 00000032 00000009",
    "0008 00000001 0003 014c 00000010 00000020 0008 00000001 0002 014d 07 fff0",
    "0006 00000002 00000000 00000001",
};

Timeline sample()
{
    Timeline t;
    t.name = QStringLiteral("tl"), t.word16 = 3, t.word32 = 7, t.flag = true;
    t.properties = TimelineProperties {1, 1000, 2};
    place(t, element(100, {FixOrGroupKey(5, 7)}, 5));
    t.insertMarker({100, 0});
    t.textById[1] = QStringLiteral("a");
    t.waypointMarks.insert({50, 9});
    t.waypoints[3] = Waypoint {16, 32, {{2, WaypointSection {7, -16}}}};
    t.idList = {0, 1};
    return t;
}

// The edit throws `message` (without one: answers kNone), leaving the timeline and the caller's marks as they were.
void expectRefused(Timeline& t, const std::function<quint32(Timeline&, Changes&)>& edit, const char* message = nullptr)
{
    const Timeline before = t;
    Changes changes {1, 2};
    if (message) {
        try {
            edit(t, changes);
            ADD_FAILURE() << "did not fail with " << message;
        } catch (const std::exception& e) {
            EXPECT_EQ(std::string(e.what()), message);
            EXPECT_EQ(dynamic_cast<const std::logic_error*>(&e) != nullptr, message[0] != 'U') << message;
        }
    } else {
        EXPECT_EQ(edit(t, changes), kNone);
    }
    EXPECT_TRUE(t == before) << (message ? message : "");
    EXPECT_EQ(changes, (Changes {1, 2}));
}

}  // namespace

TEST(Timeline, StreamFormsAtTheNewestVersion)
{
    EXPECT_EQ(writtenBytes(Timeline()).toHex(), hex(kDefaultTimeline).toHex());
    Timeline read, want;
    want.idList = {0};
    EXPECT_TRUE(readBytes(read, hex(kDefaultTimeline)) == 0 && read == want);
    EXPECT_EQ(
        writtenBytes(TimelineEl()).toHex(),
        hex("0009 00000000 00000000 00000000 00000000 00000001 00000001 ffffffff ffffffff 0006 00000000").toHex());

    QByteArray bytes;
    std::vector<int> offsets;
    for (const char* piece : kSample)
        offsets.push_back(bytes.size()), bytes += hex(piece);
    EXPECT_EQ(writtenBytes(sample()).toHex(), bytes.toHex());
    EXPECT_TRUE(readBytes(read, bytes) == 0 && read == sample());
    // Through the text stream too: 333 shares its name with 332 and carries its code.
    EXPECT_TRUE(StreamCheck::stableRoundTrip(sample(), kProjectStreamVersion));
    EXPECT_EQ(ObjectRegistry::codeForName(QStringLiteral("WaypointSection")), 332u);
    EXPECT_TRUE(everyStrictPrefixFails(sample()));

    const std::string tooMany = "Error reading from file, count 4294967295 exceeds the data remaining";
    const struct
    {
        int piece, at;
        const char* patch;
        std::string message;
    } damage[] = {
        {1, 0, "ffffffff", tooMany},
        {2, 0, "00c5", "Tag mismatch when trying to read opening tag TimelineFragment"},
        {2, 22, "ffffffff", tooMany},
        {3, 0, "ffffffff", tooMany},
        {4, 0, "ffffffff", tooMany},
        {5, 0, "ffffffff", tooMany},
        {6, 2, "ffffffff", tooMany},
        {6, 20, "ffffffff", tooMany},
        {7, 2, "ffffffff", "vector<T> too long"},
    };
    for (const auto& d : damage)
        EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, offsets[d.piece] + d.at, d.patch, kProjectStreamVersion,
                                                  d.message, [](InStream& in) { Timeline().read(in); }))
            << d.piece << " " << d.at;
}

TEST(Timeline, GatesReadWholeTimelines)
{
    std::vector<Chunk> layout = {{0, kNewest, "ffffffff 0000"},
                                 {11, kNewest, "00000007"},
                                 {0, kNewest,
                                  "0066 ffffffff 00000000 0005 00af 00000000 0000 000000c8 0000 0002 00 "
                                  "00000000 00000000 00 00000003"}};
    for (const char* targets : {kLocalSeven, "0009 00000001 007f 0000000000030005", kLocalSeven}) {
        const std::vector<Chunk> rows = elementRows(targets);
        layout.insert(layout.end(), rows.begin(), rows.end());
    }
    layout.insert(layout.end(),
                  {{0, kNewest, "00000003 00000064 00000000 00000064 00000001 000000c8 00000002"},  // 100 twice
                   {0, kNewest, "00000002 00000001 00000002 0061 00000001 00000002 0062"},          // text 1 twice
                   {120, kNewest, "00000001 00000032 00000009"},
                   {120, kNewest, "0008 00000001 0003 014c 00000010 00000020 0008 00000001 0002 014d 07 fff0"},
                   {0, 39, "0008 00000001 0001 00000002"},
                   {27, kNewest, "0006 00000000"}});
    StreamCheck::expectGateReads<Timeline>(layout, kProjectStreamVersion, [](quint16 v) {
        Timeline t;
        t.word32 = v >= 11 ? 7 : 0xFFFFFFFF;
        for (const quint16 n : {7, 3, 7})
            place(t, element(100, {FixOrGroupKey(5, n)}, v >= 62 ? 5 : -1));
        t.insertMarker({100, 0}), t.insertMarker({200, 2});
        t.textById[1] = QStringLiteral("a");
        if (v >= 120) {
            t.waypointMarks.insert({50, 9});
            t.waypoints[3] = Waypoint {16, 32, {{2, WaypointSection {7, -16}}}};
        }
        t.idList = v >= 27 ? std::vector<quint32> {0} : std::vector<quint32> {3, 7, 8};
        return t;
    });
}

TEST(Timeline, ReadRenumbersKeysAndIndexesTextIds)
{
    // Ids 7, 3, 7 again and 150: the first 7 keeps its entry, 150 stays in its part only.
    Timeline written, want;
    const quint16 ids[] = {7, 3, 7, 150};
    const quint32 keys[] = {5, 9, 12, 20};
    for (int i = 0; i < 4; ++i)
        place(written, textElement(ids[i]), keys[i]), place(want, textElement(ids[i]), quint32(i));
    want.idList = {0};
    want.dynamicTextElements = {{3, 1}, {7, 0}};
    want.freeDynamicTextIds.reset(3).reset(7);
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

TEST(TimelineEl, GatesReadWholeElements)
{
    const std::vector<Chunk> layout = {
        {0, 100, "00000064"},
        {0, kNewest, "0009 00000001 007f 7766554433221107 00000001 00000002 00000003 00000004 00000005"},
        {0, 100, "0006 00000001 010203ff8000"},
        {62, kNewest, "00000006"},
        {100, kNewest, "00000064 0006 00000001 010203ff8000"},
        {0, 37, ""},  // the number of a kind-7 key moves
        {0, kNewest, "00000009"},
    };
    StreamCheck::expectGateReads<TimelineEl>(layout, kProjectStreamVersion, [](quint16 v) {
        FixOrGroupKey key;
        key.bytes = v >= 37 ? std::array<quint8, 8> {7, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77}
                            : std::array<quint8, 8> {7, 0x33, 0x44, 0, 0, 0x55, 0x66, 0x77};
        TimelineEl el = element(100, {key}, v >= 62 ? 6 : -1);
        el.headerWord1 = 1, el.headerWord2 = 2, el.headerWord3 = 3, el.headerWord4 = 4, el.headerWord5 = 5;
        el.colours() = {RGBData(1, 2, 3, 255)};
        el.colours()[0].kind = 0;
        el.presetData.part<PresetPart100>()->f1 = 9;
        return el;
    });
}

TEST(TimelineEl, MarkedPresetKinds)
{
    // Answers with a first target of kind 19, 10, 13 or 5, and without targets.
    const std::pair<std::vector<int>, const char*> rows[] = {
        {{200}, "00011"},
        {{203, 206, 207, 210, 211, 212, 213, 215, 216, 217, 219}, "10011"},
        {{-1, 0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,
          13, 100, 201, 202, 204, 205, 208, 209, 214, 218, 300, 301, 302, 303},
         "00000"},
    };
    for (const auto& [types, answers] : rows) {
        for (const int type : types) {
            for (int i = 0; i < 5; ++i) {
                const quint8 kinds[] = {19, 10, 13, 5};
                const TimelineEl el =
                    element(type, i < 4 ? std::set {FixOrGroupKey(kinds[i], 1)} : std::set<FixOrGroupKey> {});
                EXPECT_EQ(el.isMarkedPresetKind(), answers[i] == '1') << type << " " << i;
            }
        }
    }
    // The first target is the smallest key.
    EXPECT_TRUE(element(203, {FixOrGroupKey(13, 0), FixOrGroupKey(5, 900)}).isMarkedPresetKind());
}

TEST(Timeline, EditsFileElementsAndMarkersWithTheirMarks)
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
}

TEST(Timeline, LimitsOfTextIdsElementsAndLocalIds)
{
    Timeline t;
    Changes s;
    TimelineEl text = element(208);
    for (quint32 id = 0; id < 100; ++id) {
        ASSERT_EQ(t.addElement(text, 0, 0, 0, 0, kNone, -1, s), id);
        EXPECT_TRUE(text.presetData.part<PresetPart208>()->dynamicTextId == id && s.count(0x40000000 | id));
    }
    EXPECT_TRUE(t.dynamicTextElements.size() == 100 && t.freeDynamicTextIds.none());
    const auto addText = [&text](Timeline& x, Changes& c) { return x.addElement(text, 0, 0, 0, 0, kNone, -1, c); };
    expectRefused(t, addText, "Unable to create any more dynamic text elements on timeline");
    TimelineEl plain;
    while (t.fragments.size() < Timeline::kMaxElements)
        t.addElement(plain, 0, 0, 0, 0, kNone, -1, s);
    expectRefused(
        t, [&](Timeline& x, Changes& c) { return x.addElement(plain, 0, 0, 0, 0, kNone, -1, c); },
        "Unable to create any more elements on timeline");

    Timeline ids;
    for (int i = 0; i <= 1024; ++i)
        ASSERT_EQ(ids.appendNextId(), i);
    EXPECT_TRUE(ids.appendNextId() == -1 && ids.idList.size() == 1025);
}

TEST(Timeline, RefusedEditsChangeNothing)
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
    expectRefused(t, add(5, 100, kNone), "Element time is not a multiple of 10");
    expectRefused(t, add(0, 3, kNone), "Element time is not a multiple of 10");
    expectRefused(t, add(0, 100, 3));
    expectRefused(t, add(0, 100, Timeline::kMaxElements));
    EXPECT_EQ(text.presetData.part<PresetPart208>()->dynamicTextId, 0);
    expectRefused(t, [](Timeline& x, Changes& c) { return x.addMarker(60, 0xFFFFFFFE, c); });
    expectRefused(t, [](Timeline& x, Changes& c) { return x.addMarker(60, kNone, c); });
    expectRefused(
        t, [](Timeline& x, Changes& c) { return x.setMarkTimeEntry(15, 1, c), 0u; },
        "Marker time is not a multiple of 10");
    expectRefused(
        t, [](Timeline& x, Changes&) { return x.insertTimeMarks(0, 0, 5), 0u; },
        "Element time is not a multiple of 10");
    // Version-1 "no time" at the end of the longest timeline.
    t.properties.length = kNoTime;
    expectRefused(t, add(0, kNoTime, kNone), "Element time is not a multiple of 10");

    Timeline wrapped;
    wrapped.insertMarker({0, 0}), wrapped.insertMarker({10, 0xFFFFFFFF});
    expectRefused(wrapped, [](Timeline& x, Changes& c) { return x.addMarker(20, kNone, c); });
}

TEST(Timeline, CloneIsDeep)
{
    Timeline t = sample();
    Changes s;
    TimelineEl text = element(208);
    t.addElement(text, 0, 0, 0, 0, kNone, -1, s);
    t.setId(7);
    const std::unique_ptr<Timeline> copy(t.clone());
    EXPECT_TRUE(copy->getId() == Archive::kNoObjectId && *copy == t && !copy->timeMarks.empty());
    EXPECT_NE(copy->fragments.find(0), t.fragments.find(0));
    copy->fragments[0]->element.headerWord1 = 9;
    EXPECT_FALSE(*copy == t);
}
