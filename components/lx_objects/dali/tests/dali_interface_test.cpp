#include "components/archive/edit_context.h"
#include "components/lx_objects/dali/dali_interface.h"
#include "components/lx_objects/dali/dali_scene.h"
#include "components/lx_objects/project/directories.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

TEST(DaliInterface, StreamForms)
{
    const std::string settings = " 00ce 00 00 00bc 00000201000100 00bc 00000201000100";
    DaliGroup group;
    group.name = QStringLiteral("A"), group.members.set(0).set(9).set(63);

    // Groups read above 15 are kept as read.
    DaliInterface sample;
    sample.interfaceNumber = 3, sample.name = QStringLiteral("L"), sample.flag = true;
    sample.setAddressValue(0, 5), sample.setAddressValue(63, 7);
    sample.groups = {{0, group}, {20, DaliGroup()}};
    sample.testSettings.testFlag2 = true;
    expectForms<DaliInterface>(
        {{DaliInterface(), "0086 00000000 ffffffff 0006 00000040 ffffffff*64 0008 00000000 00" + settings},
         {sample,
          "0086 00000003 'L' 0006 00000040 00000005 ffffffff*62 00000007 0008 00000002 00000000 0084 'A' "
          "0013 01 02 00 00 00 00 00 80 00000014 0084 ffffffff 0013 00*8 01 00ce 00 01 00bc 00000201000100 00bc "
          "00000201000100"}},
        {{1, 2, "3fffffff", StreamCheck::countExceeds(0x3fffffff), "0006 00000040"},
         {1, 2, "40000000", StreamCheck::kVector32CountAboveLimit, "0006 00000040"},
         {1, 2, "7fffffff", StreamCheck::kCountTooLarge, "0008 00000002"}});

    // Ten address values read are ten written: the tenth can be set, the eleventh and beyond change nothing.
    const std::string ten = "00000000 ffffffff 0006 0000000a 00000001*10 0008 00000000 00" + settings;
    DaliInterface read;
    ASSERT_EQ(readBytes(read, hex(ten)), 0);
    read.setAddressValue(9, 9), read.setAddressValue(10, 9), read.setAddressValue(20, 9);
    read.setAddressValue(64, 9), read.setAddressValue(255, 9);
    EXPECT_EQ(writtenBytes(read).toHex(),
              hex("00000000 ffffffff 0006 0000000a 00000001*9 00000009 0008 00000000 00" + settings).toHex());

    // Seventy values read: short addresses end at 63, so 64 and 69 are ignored though held.
    const std::string seventy = "00000000 ffffffff 0006 00000046 00000001*70 0008 00000000 00" + settings;
    DaliInterface longer;
    ASSERT_EQ(readBytes(longer, hex(seventy)), 0);
    longer.setAddressValue(62, 9), longer.setAddressValue(63, 9), longer.setAddressValue(64, 9);
    longer.setAddressValue(69, 9);
    EXPECT_EQ(
        writtenBytes(longer).toHex(),
        hex("00000000 ffffffff 0006 00000046 00000001*62 00000009*2 00000001*6 0008 00000000 00" + settings).toHex());
}

TEST(DaliInterface, GroupsAndSchedules)
{
    constexpr quint32 kNone = DaliInterface::kNone;
    // Numbers held (a run "0-14" for 0 to 14), the number asked for, the answer.
    const std::tuple<const char*, quint32, quint32> rows[] = {
        {"0 1 3", kNone, 2},      {"1 2", kNone, 0},      {"", kNone, 0},         {"17 18", kNone, 0},
        {"0-14", kNone, 15},      {"0-15", kNone, kNone}, {"0-14 20", 15, kNone}, {"1 2", 16, kNone},
        {"1 2", 2, kNone},        {"1 2", 15, 15},        {"1 2", 14, 14},        {"0-13 20", kNone, 14},
        {"0-14 20", kNone, kNone}};
    for (const auto& [held, asked, answer] : rows) {
        DaliInterface dali;
        for (const QString& number : QString::fromLatin1(held).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QStringList run = number.split(QLatin1Char('-'));
            for (quint32 n = run.front().toUInt(); n <= run.back().toUInt(); ++n)
                dali.groups[n].name = QStringLiteral("g");
        }
        DaliInterface expected = dali;
        if (answer != kNone)
            expected.groups[answer] = DaliGroup();
        EXPECT_EQ(dali.addGroup(asked), answer) << held << ", asked " << asked;
        EXPECT_EQ(dali, expected) << held << ", asked " << asked;
    }

    DaliInterface dali, expected;
    expected.testSettings.schedule1.byteA = 1, expected.testSettings.schedule2.byteA = 2;
    dali.setTestSchedule(0, expected.testSettings.schedule1), dali.setTestSchedule(1, expected.testSettings.schedule2);
    dali.setTestSchedule(2, DaliTestSchedule());
    EXPECT_EQ(dali, expected);
}

TEST(DaliScene, StreamFormsAndTheDirectory)
{
    DaliScene scene;
    scene.name = QStringLiteral("S"), scene.levels = {{4, 0xFF}, {9, 0x10}};
    expectForms<DaliScene>(
        {{DaliScene(), "0085 ffffffff 0008 00000000"}, {scene, "0085 'S' 0008 00000002 00000004 ff 00000009 10"}},
        {{1, 2, "7fffffff", StreamCheck::kCountTooLarge, "0008"}});
    DaliScene twice;  // a fixture met again keeps the level read last
    ASSERT_EQ(readBytes(twice, hex("'S' 0008 00000003 00000004 01 00000009 10 00000004 ff")), 0);
    EXPECT_EQ(twice, scene);

    QTemporaryDir folder;
    ScratchDatabase database(folder.filePath(QStringLiteral("archive.tarv")));
    DaliSceneDirectory directory;
    Archive::ObjectId id = Archive::kNoObjectId;
    Archive::EditContext context(database.id());
    EXPECT_EQ(directory.addObject(qInf(), new DaliScene(scene), &id, database.id()), 1.0);
    context.commit();
    const auto added = database.committed<DaliScene>(DaliScene::kArrayId, id);
    EXPECT_TRUE(added && *added == scene && directory.numberToId().at(1.0) == id);
}
