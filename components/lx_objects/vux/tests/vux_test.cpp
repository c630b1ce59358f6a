#include "components/archive/text_stream.h"
#include "components/archive/type_registry.h"
#include "components/lx_objects/views/tests/stream_form.h"
#include "components/lx_objects/vux/media_resource.h"
#include "components/lx_objects/vux/panorama.h"
#include "components/lx_objects/vux/project.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

namespace {

using StreamCheck::kNewest;
using StreamForm::expectStreamForm;

const QUuid kUuid(0x01020304, 0x0506, 0x0708, 9, 10, 11, 12, 13, 14, 15, 16);
const char kUuidHex[] = "01020304 0506 0708 090a0b0c0d0e0f10";

Vux::Project sampleProject()
{
    Vux::Project project;
    project.name = QStringLiteral("p"), project.uuidA = kUuid, project.value = 6;
    project.pairSets[1] = {{0xFFFFFFFF, 0}, {1, 2}, {1, 1}};  // ordered unsigned, first then second
    project.pairNames[{4, 5}] = QStringLiteral("n");
    return project;
}

}  // namespace

TEST(Vux, ObjectsWriteTheirGoldenBytesAndReadThemBack)
{
    // The name is stored before the first identity.
    expectStreamForm("00000002 0070 01020304 0506 0708 090a0b0c0d0e0f10 00000000000000000000000000000000 00000006 "
                     "ffffffff 0008 #00000001 00000001 0009 #00000003 00000001 00000001 00000001 00000002 ffffffff "
                     "00000000 0008 #00000001 00000004 00000005 00000002 006e",
                     sampleProject());

    const char panorama[] = "ffffffff 00000000 00000780 00000438 ffffffff 00000000000000000000000000000000 ffffffff "
                            "00 01 ffa0a0a4 00000018 00000004";
    expectStreamForm(panorama, Vux::Panorama());
    Vux::Panorama read;
    EXPECT_EQ(readBytes(read, hex(panorama).replace(46, 4, hex("00000000"))), 0);
    EXPECT_EQ(read.valueC, 1u);

    expectStreamForm<Vux::PanoramaContentInstance>(
        {{0, kNewest, "00000001 00000002 00000003 00000004"},
         {152, kNewest, kUuidHex},
         {0, kNewest, "07 00000008 fffffff7 000a 000b 000c 000d fffffff0"}},
        [](quint16 v) {
            Vux::PanoramaContentInstance s;
            s.idA = 1, s.idB = 2, s.idC = 3, s.idD = 4, s.uuid = v >= 152 ? kUuid : QUuid();
            s.mode = 7, s.position = QPoint(8, -9), s.sizeA = 10, s.sizeB = 11, s.sizeC = 12, s.sizeD = 13;
            s.valueE = -16;
            return s;
        },
        false);  // a QPoint has no text form

    Vux::MediaResource resource;
    resource.key.partA = 1, resource.key.partB = 2, resource.key.partC = 3, resource.name = QStringLiteral("m");
    expectStreamForm("0178 00000001 00000002 00000003 ffffffff 000000fe 00000000 00000000000000000000000000000000 "
                     "00000000 00000002 006d",
                     resource);
    expectStreamForm("017a ff000000 ff000000 0000 ffffffff 00000000 0000 00000000 0000 00", Vux::ScheduleViewState());
    expectStreamForm("03 04 0000000f 00000012 01", Vux::OverrideProperties());
    Vux::PanoramaViewState view;
    view.tabIds = {3}, view.currentTabId = 3;
    expectStreamForm("0006 #00000001 00000003 00000003 0008 #00000000", view);

    // A read replaces the map, even with none.
    Vux::ProjectViewState state;
    state.valuesByKey = {{1, 2}};
    EXPECT_EQ(readBytes(state, hex("0008 00000000 0002 00")), 0);
    EXPECT_TRUE(state.valuesByKey.empty());
    EXPECT_EQ(state.valueA, 2u);
    EXPECT_FALSE(state.flag);
    state.valuesByKey = {{3, -1}};
    expectStreamForm("0008 #00000001 0003 ffffffff 0002 00", state);

    // Keys order by kind, then by name.
    Vux::PasswordStore store;
    store.entries = {{{2, QStringLiteral("a")}, QStringLiteral("x")},
                     {{1, QStringLiteral("b")}, QStringLiteral("y")},
                     {{1, QStringLiteral("a")}, QStringLiteral("z")}};
    expectStreamForm("0008 #00000003 017c 01 00000002 0061 00000002 007a "
                     "017c 01 00000002 0062 00000002 0079 017c 02 00000002 0061 00000002 0078",
                     store);
}

TEST(Vux, SharesOneNameAndStreamsThroughTheRegistry)
{
    EXPECT_EQ(ObjectRegistry::codeForName(QStringLiteral("Vux")), 350u);
    for (const quint32 code :
         {350, 351, 352, 353, 354, 355, 356, 357, 358, 359, 360, 361, 362, 363, 364, 376, 377, 379, 381, 382})
        EXPECT_EQ(ObjectRegistry::nameForCode(code), QStringLiteral("Vux")) << code;
    EXPECT_EQ(ObjectRegistry::nameForCode(380), QStringLiteral("NodeKey"));
    EXPECT_EQ(*ObjectRegistry::createValue<Vux::PasswordKey>(380), Vux::PasswordKey());
    EXPECT_EQ(*ObjectRegistry::createValue<Vux::MediaResourceKey>(376), Vux::MediaResourceKey());

    // The text stream names every one "Vux"; the code tells them apart.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("panorama.txt"));
    Vux::Panorama panorama;
    panorama.name = QStringLiteral("p"), panorama.valueA = 3;
    TextOutStream out(kProjectStreamVersion);
    out.open(path);
    writeObjectPointer(out, &panorama);
    out.close();
    std::unique_ptr<Archive::ObjectBase> object;
    TextInStream in;
    in.open(path, kProjectStreamVersion);
    readObjectPointer(in, object);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->typeCode(), 351u);
    EXPECT_EQ(*dynamic_cast<Vux::Panorama*>(object.get()), panorama);

    // A database of the sibling format keeps its project record in "project".
    const QString databasePath = folder.filePath(QStringLiteral("vux.tarv"));
    Archive::ObjectId id = Archive::kNoObjectId;
    {
        ScratchDatabase database(databasePath, false, Archive::vuxSchema());
        id = database.add(Vux::Project::kArrayId, sampleProject().clone());
        Archive::saveDatabase(database.id(), 0);
    }
    EXPECT_TRUE(QFileInfo(databasePath + QStringLiteral("/project.tarv")).isFile());
    ScratchDatabase database(databasePath, true, Archive::vuxSchema());
    const auto project = database.committed<Vux::Project>(Vux::Project::kArrayId, id);
    ASSERT_TRUE(project);
    EXPECT_EQ(*project, sampleProject());
}
