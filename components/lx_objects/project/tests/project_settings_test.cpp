#include "components/lx_objects/project/custom_properties.h"
#include "components/lx_objects/project/gui_features.h"
#include "components/lx_objects/project/non_local_controller_addresses.h"
#include "components/lx_objects/project/object_folder.h"
#include "components/lx_objects/project/project_properties.h"
#include "components/lx_objects/project/project_provenance.h"
#include "components/lx_objects/tests/stream_bytes.h"
#include "seltrane_components/os/bit_vector.h"

#include <gtest/gtest.h>

using StreamCheck::Chunk;
using StreamCheck::kNewest;

namespace {

std::string countTooLarge(quint32 count)
{
    return "Error reading from file, count " + std::to_string(count) + " exceeds the data remaining";
}

// The message with which writing `value` fails, and the bytes it wrote.
template <class T>
std::pair<std::string, QByteArray> failedWrite(const T& value)
{
    std::string message;
    const QByteArray bytes = StreamCheck::binaryBytes(kProjectStreamVersion, [&](OutStream& out) {
        try {
            value.write(out);
        } catch (const std::runtime_error& e) {
            message = e.what();
        }
    });
    return {message, bytes};
}

template <class T>
std::function<void(InStream&)> readAs()
{
    return [](InStream& in) { T().read(in); };
}

ProjectProperties sampleProperties()
{
    ProjectProperties p;
    p.text1 = QStringLiteral("a"), p.setText2(QStringLiteral("b")), p.setText3(QStringLiteral("c"));
    p.text4 = QStringLiteral("d"), p.option1 = 3, p.option2 = 4;
    p.location.groupA = {0, 51, 30, 7}, p.location.groupB = {0, 1, 2, 3}, p.location.offset = -60;
    p.location.name = QStringLiteral("e"), p.location.ruleA = {1, 2, 3, 4, 0x0506};
    p.location.ruleB = {5, 6, 7, 8, 0x090a}, p.location.enabled = true;
    p.option3 = 5, p.option4 = 6, p.option5 = -7, p.timeFormat = QStringLiteral("%H");
    p.dateFormat = QStringLiteral("%d"), p.colour1 = 0xFF102030, p.colour2 = 0xFF405060, p.option6 = 8;
    p.layout.size = QSize(1024, 768);
    return p;
}

}  // namespace

TEST(ProjectProperties, StoredFormAndGates)
{
    EXPECT_EQ(writtenBytes(ProjectProperties()).toHex(),
              hex("ffffffff ffffffff ffffffff ffffffff 00000002 00000000 ff000000 ff000000 0000 ffffffff "
                  "00000000 0000 00000000 0000 00 ffffffff 00000000 00000000 00000004 00250058 00000004 00250078 "
                  "ffff0000 ff0000ff 0000 00a9 00000320 00000258 ffffffff 00000000000000000000000000000000 "
                  "ffffffff 00 01 ffa0a0a4 00000018 00000004")
                  .toHex());
    const std::vector<Chunk> layout = {
        {0, kNewest, "00000002 0061 00000002 0062 00000002 0063 00000002 0064"},
        {80, kNewest, "00000003"},
        {120, kNewest, "00000004"},
        {0, kNewest, "00331e07 00010203 ffc4 00000002 0065 01020304 0506 05060708 090a 01"},
        {0, 35, ""},  // the longitude's direction turned round
        {0, kNewest, "00000005 00000006"},
        {22, kNewest, "fffffff9"},
        {0, kNewest, "00000004 00250048 00000004 00250064 ff102030 ff405060"},
        {100, kNewest, "0008"},
        {0, kNewest, "00a9 00000400 00000300 ffffffff"},
        {0, 62, "ffffffff"},  // the page's older image forms, none set
        {62, kNewest, "00000000000000000000000000000000 ffffffff"},
        {0, kNewest, "00 01 ffa0a0a4 00000018 00000004"},
    };
    const ProjectProperties sample = sampleProperties();
    EXPECT_EQ(writtenBytes(sample).toHex(), StreamCheck::bytesAt(kProjectStreamVersion, layout).toHex());
    StreamCheck::expectGateReads<ProjectProperties>(layout, kProjectStreamVersion, [&](quint16 v) {
        ProjectProperties expected = sample;
        if (v < 80)
            expected.option1 = 2;
        if (v < 120)
            expected.option2 = 0;
        if (v < 22)
            expected.option5 = 0;
        if (v < 100)
            expected.option6 = 0;
        if (v < 35)
            expected.location.groupB.direction = 1;
        return expected;
    });
    EXPECT_TRUE(StreamCheck::stableRoundTrip(sample, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(sample));

    ProjectProperties lines;
    lines.setText2(QStringLiteral("a\nb")), lines.setText3(QStringLiteral("\nc\n"));
    EXPECT_TRUE(lines.text2() == QStringLiteral("a b") && lines.text3() == QStringLiteral(" c "));
}

TEST(ProjectProvenance, RecordsByKey)
{
    ProjectProvenance provenance;
    provenance.records[1] = {Version(1, 2, 3), QStringLiteral("x"), 9, QStringLiteral("y")};
    const QByteArray bytes = hex("0008 00000001 00000001 016e 00000004 01020300 00000002 0078 0009 00000002 0079");
    EXPECT_EQ(writtenBytes(provenance).toHex(), bytes.toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(provenance, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(provenance));
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, 2, "7fffffff", kProjectStreamVersion, countTooLarge(0x7fffffff),
                                              readAs<ProjectProvenance>()));

    // A key met again is read into the record already there.
    ProjectProvenance twice;
    ASSERT_EQ(readBytes(twice, hex("0008 00000002 00000001 016e 00000000 ffffffff 0001 ffffffff") + bytes.mid(6)), 0);
    EXPECT_EQ(twice, provenance);
}

TEST(GuiFeatures, DefaultsStoredStatesAndLimit)
{
    GuiFeatures features;
    features.setFeature(18, 2), features.setFeature(40, 2);  // 40 is unknown: ignored
    QByteArray expected = hex("23");
    const char states[] = "11111111111111221122011021120100010";
    for (int feature = 0; feature < 35; ++feature)
        expected += char(feature), expected += char(states[feature] - '0');
    EXPECT_EQ(writtenBytes(features).toHex(), expected.toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(features, kProjectStreamVersion));

    GuiFeatures read;
    ASSERT_EQ(readBytes(read, hex("03 0e01 1001 2801")), 0);
    std::map<quint8, quint8> want = GuiFeatures().features();
    want[14] = 0, want[40] = 1;  // a stored 1 is off where the default is not 1
    EXPECT_EQ(read.features(), want);
    EXPECT_TRUE(StreamCheck::damagedReadFails(hex("03 0e01 1001 2801"), 0, "ff", kProjectStreamVersion,
                                              countTooLarge(255), readAs<GuiFeatures>()));

    // 255 stored features beyond the defaults make 256, more than a count holds.
    QByteArray many = hex("ff");
    for (int feature = 1; feature < 256; ++feature)
        many += char(feature), many += char(0);
    ASSERT_EQ(readBytes(read, many), 0);
    EXPECT_EQ(failedWrite(read),
              std::pair(std::string("Too many entries for their stored count: 256, at most 255"), QByteArray()));
}

TEST(NonLocalControllerAddresses, OlderNumbersBecomeText)
{
    const std::vector<Chunk> layout = {
        {0, 31, "0009 00000001 c0a80001"},
        {31, kNewest, "0009 00000001 00000016 0031 0039 0032 002e 0031 0036 0038 002e 0030 002e 0031"},
    };
    NonLocalControllerAddresses addresses;
    addresses.addresses = {QStringLiteral("192.168.0.1")};
    EXPECT_EQ(writtenBytes(addresses).toHex(), StreamCheck::bytesAt(kProjectStreamVersion, layout).toHex());
    StreamCheck::expectGateReads<NonLocalControllerAddresses>(layout, kProjectStreamVersion,
                                                              [&](quint16) { return addresses; });
    EXPECT_TRUE(StreamCheck::damagedReadFails(StreamCheck::bytesAt(30, layout), 2, "7fffffff", 30,
                                              countTooLarge(0x7fffffff), readAs<NonLocalControllerAddresses>()));
}

TEST(CustomProperties, ValuesByArrayPropertyAndObject)
{
    const auto bits = [](std::initializer_list<int> set) {
        BitVector v(16);
        for (const int bit : set)
            v.setBit(quint32(bit));
        return v;
    };
    CustomProperties expected;
    expected.addProperty(2, QStringLiteral("x"));
    expected.setValues(2, QStringLiteral("x"), bits({5}), QStringLiteral("a"));
    expected.setValues(2, QStringLiteral("x"), bits({7}), QStringLiteral("b"));
    const std::vector<Chunk> layout = {
        {0, kNewest, "01 00000002 01 00000002 0078"},
        {0, 23, "02"},
        {23, kNewest, "0002"},
        {0, kNewest, "00000005 00000002 0061 00000007 00000002 0062"},
    };
    const QByteArray bytes = StreamCheck::bytesAt(kProjectStreamVersion, layout);
    EXPECT_EQ(writtenBytes(expected).toHex(), bytes.toHex());
    StreamCheck::expectGateReads<CustomProperties>(layout, kProjectStreamVersion, [&](quint16) { return expected; });
    EXPECT_TRUE(StreamCheck::stableRoundTrip(expected, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(expected));
    for (const auto& [offset, patch, count] : {std::tuple(0, "ff", 255u), {5, "ff", 255u}, {12, "ffff", 65535u}})
        EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, offset, patch, kProjectStreamVersion, countTooLarge(count),
                                                  readAs<CustomProperties>()));

    // An array or property met again adds to the one read before.
    CustomProperties merged;
    ASSERT_EQ(readBytes(merged,
                        hex("02 00000002 02 00000002 0078 0001 00000005 00000002 0061 "
                            "00000002 0078 0001 00000009 00000002 0063 "
                            "00000002 01 00000002 0079 0000")),
              0);
    CustomProperties want = expected;
    want.setValues(2, QStringLiteral("x"), bits({7}), QString());
    want.setValues(2, QStringLiteral("x"), bits({9}), QStringLiteral("c"));
    want.addProperty(2, QStringLiteral("y"));
    EXPECT_EQ(merged, want);

    CustomProperties edited = expected;
    edited.setValues(2, QStringLiteral("x"), bits({1, 5}), QStringLiteral("v"));
    EXPECT_EQ(*edited.values(2, QStringLiteral("x")), (CustomProperties::Values {{1, "v"}, {5, "v"}, {7, "b"}}));
    edited.setValues(2, QStringLiteral("x"), bits({1, 5, 7}), QString());
    EXPECT_TRUE(edited.values(2, QStringLiteral("x"))->empty());
    // One object's value, however high its id.
    edited.setValue(2, QStringLiteral("x"), 70000, QStringLiteral("w"));
    EXPECT_EQ(*edited.values(2, QStringLiteral("x")), (CustomProperties::Values {{70000, "w"}}));
    edited.setValue(2, QStringLiteral("x"), 70000, QString());
    EXPECT_TRUE(edited.values(2, QStringLiteral("x"))->empty());
    edited = expected;
    edited.setValues(3, QStringLiteral("x"), bits({1}), QStringLiteral("v"));
    edited.setValues(2, QStringLiteral("z"), bits({1}), QStringLiteral("v"));
    EXPECT_EQ(edited, expected);
    EXPECT_EQ(edited.values(2, QStringLiteral("z")), nullptr);

    CustomProperties tooMany;
    tooMany.addProperty(0, QStringLiteral("p"));
    BitVector all(65536);
    for (quint32 bit = 0; bit < all.size(); ++bit)
        all.setBit(bit);
    tooMany.setValues(0, QStringLiteral("p"), all, QStringLiteral("v"));
    // Refused where the count would be written; the save that meets it fails as a whole.
    EXPECT_EQ(failedWrite(tooMany),
              std::pair(std::string("Too many entries for their stored count: 65536, at most 65535"),
                        hex("01 00000000 01 'p'")));
}

TEST(ObjectFolder, TagsInTheirPlaces)
{
    ObjectFolder folder;
    folder.name = QStringLiteral("f"), folder.parent = 7, folder.childFolders = {1, 2};
    EXPECT_EQ(folder.addObject({1, 2, 3}, 0xFFFFFFFF), 0);
    EXPECT_EQ(folder.addObject({4, 5, 6}, 0), 0);
    EXPECT_EQ(folder.addObject({1, 2, 3}, 0), 1);  // present: stays where it is
    EXPECT_EQ(folder.addObject({7, 8, 9}, 5), 2);
    EXPECT_EQ(writtenBytes(folder).toHex(),
              hex("00000002 0066 001f 00000003 0037 00000005 00000006 00000004 0037 00000002 00000003 00000001 "
                  "0037 00000008 00000009 00000007 00000007 001f 00000002 00000001 00000002")
                  .toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(folder, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(folder));
    EXPECT_TRUE(StreamCheck::damagedReadFails(writtenBytes(folder), 8, "7fffffff", kProjectStreamVersion,
                                              countTooLarge(0x7fffffff), readAs<ObjectFolder>()));
}
