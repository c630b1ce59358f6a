#include "components/fixture_library/fixture_library.h"
#include "components/fixture_library/kinet_power_supply_list.h"
#include "components/fixture_library/message_handler.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <tuple>

using namespace FixtureLibraryTypes;

namespace {

// One valid block; a model id of 65535 gives a model known by its UUID only.
QString block(const char* name, quint16 modelId, quint8 mode = 0)
{
    QString text = QStringLiteral("fixture = %1\nmanuid = 1\nmodeid = %2\n").arg(QLatin1String(name)).arg(mode);
    text += modelId == 65535 ? QStringLiteral("uuid = {00000000-0000-0000-0000-00000000abcd}\n")
                             : QStringLiteral("modelid = %1\n").arg(modelId);
    return text
        + QStringLiteral("class = spot\ndimensions = 4, 4\ngeometry = 0, 0\nelement = Head\n"
                         "patchgroup = fixture, 1\nparameter = Intensity, 0\nrange = 0, 255\n");
}

QString file(const QStringList& blocks)
{
    return QStringLiteral("version = 1\ncount = %1\n").arg(blocks.size()) + blocks.join(QString());
}

class FixtureLibraryTest : public ::testing::Test
{
protected:
    QString path(const QString& relative) const { return root.filePath(relative); }
    void put(const QString& relative, const QString& text) const
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path(relative)).path()));
        QFile out(path(relative));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text.toUtf8());
    }
    QString nameOf(const FixtureLibrary::ModelPtr& model) const
    {
        return model ? model->modelSpec.name : QStringLiteral("(none)");
    }
    QStringList load()
    {
        ConcatenatingMessageHandler messages;
        library.load(path("system"), path("user"), path("downloads"), messages);
        return messages.messages();
    }

    QTemporaryDir root;
    FixtureLibrary library;
};

}  // namespace

TEST_F(FixtureLibraryTest, FoldersTakePrecedenceAndReportCopiesWithinOne)
{
    put("system/a.fixture", file({block("Sys One", 1), block("Sys One mode 1", 1, 1), block("Sys Two", 2)}));
    put("system/sub/b.fixture", file({block("Sys Two copy", 2)}));
    put("downloads/x/d.fixture", file({block("Download Two", 2), block("Download Three", 3)}));
    put("user/u.fixture", file({block("User Three", 3), block("Uuid Only", 65535)}));
    put("user/notes.txt", file({block("Not A Fixture File", 9)}));
    put("system/manufacturers.csv", "// id, name, ESTA id\n1, Maker, 100\n2, Other, 200\n");
    put("user/manufacturers.csv", "1, \"Maker, Renamed\", 101\nx, Bad, 1\n");
    put("system/functions.csv", "0, Dimmer, i\n99, Bogus, i\n8, Pan, pz\n9, Tilt, p\n");
    put("downloads/colours.csv", "Red, FF0000\nGreen, 00ff0\nBlue, 0000fF, extra\n");

    // Folder by folder, lists first.
    EXPECT_EQ(load(),
              QStringList({path("system/functions.csv") + ": Line 2: Invalid value 99",
                           path("system/functions.csv") + ": Line 3: Invalid value pz",
                           "Duplicate fixture Sys Two copy (1-2-0) in " + path("system/sub/b.fixture") + " (kept "
                               + path("system/a.fixture") + ")",
                           path("downloads/colours.csv") + ": Line 2: Invalid value 00ff0",
                           path("downloads/colours.csv") + ": Line 3: Invalid value Blue, 0000fF, extra",
                           path("user/manufacturers.csv") + ": Line 2: Invalid value x"}));
    const std::tuple<FixtureModelKey, const char*> found[] = {
        {{1, 1, 0}, "Sys One"},    {{1, 1, 1}, "Sys One mode 1"}, {{1, 2, 0}, "Download Two"},
        {{1, 3, 0}, "User Three"}, {{1, 9, 0}, "(none)"},         {{1, 65535, 0}, "(none)"}};
    for (const auto& [key, name] : found) {
        EXPECT_EQ(nameOf(library.find(key)), name) << key.modelId;
        if (key.modeId == 0) {
            EXPECT_EQ(nameOf(library.find(key.manufacturerId, key.modelId)), name) << key.modelId;
        }
    }
    EXPECT_EQ(nameOf(library.findByUuid(QUuid(QStringLiteral("{00000000-0000-0000-0000-00000000abcd}")))), "Uuid Only");
    EXPECT_EQ(library.manufacturers(),
              (std::map<quint16, Manufacturer> {{1, {1, "Maker, Renamed", 101}}, {2, {2, "Other", 200}}}));
    EXPECT_EQ(library.functions(), (std::map<quint32, Function> {{0, {0, "Dimmer", "i"}}, {9, {9, "Tilt", "p"}}}));
    EXPECT_EQ(library.colours(), (std::map<QString, QRgb> {{"Red", 0xFFFF0000u}}));

    // A new download does not beat the user's model; a file added again replaces what it gave before.
    ConcatenatingMessageHandler messages;
    const FixtureLibrary::ModelPtr held = library.find(1, 2);
    EXPECT_EQ(library.addFile(path("downloads/new.fixture"), messages), 0);
    put("downloads/new.fixture", file({block("New Three", 3), block("New Four", 4)}));
    EXPECT_EQ(library.addFile(path("downloads/new.fixture"), messages), 2);
    put("downloads/new.fixture", file({block("Newer Four", 4)}));
    EXPECT_EQ(library.addFile(path("downloads/new.fixture"), messages), 1);
    EXPECT_EQ(nameOf(library.find(1, 3)), "User Three");
    EXPECT_EQ(nameOf(library.find(1, 4)), "Newer Four");
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_TRUE(messages.messages()[0].startsWith(path("downloads/new.fixture") + ": Cannot read the file"));

    // Loading again starts from nothing; a model a caller holds stays as it was.
    QFile::remove(path("downloads/x/d.fixture"));
    load();
    EXPECT_EQ(nameOf(library.find(1, 2)), "Sys Two");
    EXPECT_EQ(nameOf(held), "Download Two");
}

TEST_F(FixtureLibraryTest, AFileAddedAgainGivesBackTheModelsItHid)
{
    put("system/s.fixture", file({block("Sys Two", 2), block("Uuid Only", 65535)}));
    put("system/t.fixture", file({block("Sys Two copy", 2)}));
    put("downloads/d.fixture", file({block("Download Two", 2), block("Download Three", 3)}));
    EXPECT_EQ(load(),
              QStringList("Duplicate fixture Sys Two copy (1-2-0) in " + path("system/t.fixture") + " (kept "
                          + path("system/s.fixture") + ")"));
    EXPECT_EQ(nameOf(library.find(1, 2)), "Download Two");

    // The download no longer holds model 2: the system library's answers again, not nothing.
    ConcatenatingMessageHandler messages;
    put("downloads/d.fixture", file({block("Download Three", 3)}));
    EXPECT_EQ(library.addFile(path("downloads/d.fixture"), messages), 1);
    EXPECT_EQ(nameOf(library.find(1, 2)), "Sys Two");
    EXPECT_EQ(library.models().size(), 2u);

    // The copy reported as a duplicate takes over when the file it lost to gives the model up.
    put("system/s.fixture", file({block("Sys Five", 5)}));
    EXPECT_EQ(library.addFile(path("system/s.fixture"), messages), 1);
    EXPECT_EQ(nameOf(library.find({1, 2, 0})), "Sys Two copy");
    EXPECT_EQ(nameOf(library.findByUuid(QUuid(QStringLiteral("{00000000-0000-0000-0000-00000000abcd}")))), "(none)");
    EXPECT_EQ(messages.messages(), QStringList());
}

TEST_F(FixtureLibraryTest, ProjectModelsAndModelsForAProject)
{
    put("user/u.fixture", file({block("Spot", 5)}));
    load();
    const std::map<quint32, quint32> projectIds {{0, 40}};
    const Archive::Pointer<FixtureModel> copy = library.modelForProject({1, 5, 0}, projectIds);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->getId(), Archive::kNoObjectId);
    EXPECT_EQ(copy->elements()[0].parameters.count(40), 1u);
    EXPECT_EQ(copy->elements()[0].parameters.size(), 1u);
    EXPECT_EQ(copy->functionNames, (std::map<quint32, QString> {{40, "Intensity"}}));
    const FixtureLibrary::ModelPtr original = library.find(1, 5);
    EXPECT_EQ(original->elements()[0].parameters.count(0), 1u);
    EXPECT_EQ(original->functionNames, (std::map<quint32, QString> {{0, "Intensity"}}));
    EXPECT_FALSE(library.modelForProject({1, 5, 1}, projectIds));

    library.addProjectModel({7, 7, 0}, *copy);
    library.addProjectModel({7, 7, 0}, *original);
    ASSERT_EQ(library.projectModels().size(), 1u);
    EXPECT_TRUE(*library.projectModels().at({7, 7, 0}) == *original);
    library.clearProjectModels();
    EXPECT_TRUE(library.projectModels().empty());
}

TEST_F(FixtureLibraryTest, FreeUserModelIdIsTheLowestUpToTheLastId)
{
    // User models 0 to last (and a system model, which does not count), the id answered.
    const std::pair<int, quint16> rows[] = {{-1, 0}, {1021, 1022}, {1022, 1023}, {1023, FixtureModelSpec::kInvalidId}};
    for (const auto& [last, free] : rows) {
        QStringList blocks;
        for (int id = 0; id <= last; ++id)
            blocks << block("User", quint16(id));
        put("user/u.fixture", file(blocks));
        put("system/s.fixture", file({block("System", 0, 1)}));
        ASSERT_EQ(load(), QStringList()) << last;
        EXPECT_EQ(library.freeUserModelId(1), free) << last;
        EXPECT_EQ(library.freeUserModelId(2), 0) << last;
    }
}

TEST(KinetPowerSupplyList, RowsByModelIndex)
{
    QBuffer buffer;
    buffer.setData("// model index, type name, ports, protocol, chromasic (0|1)\n"
                   "12, \"PDS-150e, 24V\", 3, 2, 1\n"
                   "7, sPDS-480ca, 16, 1, 0\n"
                   "8, Bad, 16, 1, 2\n");
    ConcatenatingMessageHandler messages;
    KinetPowerSupplyList list;
    list.load(buffer, QStringLiteral("list.csv"), messages);
    EXPECT_EQ(messages.messages(), QStringList("list.csv: Line 4: Invalid value 2"));
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(list.find(12), (KinetPowerSupplyModel {"PDS-150e, 24V", 3, 2, true}));
    EXPECT_EQ(list.find(7), (KinetPowerSupplyModel {"sPDS-480ca", 16, 1, false}));
    EXPECT_EQ(list.find(8), std::nullopt);

    // The list that ships has its header and no rows.
    list.load(messages);
    EXPECT_EQ(list.size(), 0u);
    EXPECT_EQ(messages.messages().size(), 1);
}
