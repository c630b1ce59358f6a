#include "applications/common/fixture_library_ui/fixture_library_model.h"
#include "applications/common/fixture_library_ui/fixture_template_builder.h"
#include "applications/common/fixture_library_ui/fixture_template_preview_scene.h"
#include "applications/common/util/tarvel_style.h"
#include "applications/common/util/tests/settings_fixture.h"
#include "applications/common/util/versioned_settings.h"
#include "components/fixture_library/fixture_library.h"
#include "components/fixture_library/message_handler.h"
#include "seltrane_components/os/atomic_file.h"

#include <QAbstractItemModelTester>
#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUuid>
#include <gtest/gtest.h>

using namespace FixtureTemplate;

namespace {

void put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// A file of one-element blocks (manufacturer, model, mode, name); mode n takes n + 1 channels, n up to 1.
QByteArray blocks(const std::vector<std::tuple<int, int, int, const char*>>& rows)
{
    QString text = QStringLiteral("version = 1\ncount = %1\n").arg(rows.size());
    for (const auto& [manufacturer, model, mode, name] : rows) {
        text += QString::asprintf("fixture = %s\nmanuid = %d\nmodelid = %d\nmodeid = %d\nclass = spot\ndimensions = 4, "
                                  "4\ngeometry = 0, 0\nelement = Head\npatchgroup = fixture, %d\nparameter = "
                                  "Intensity, 0\nrange = 0, 255\n%s",
                                  name, manufacturer, model, mode, mode + 1, mode ? "constant = 1, 0\n" : "");
    }
    return text.toUtf8();
}

class TemplateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        VersionedSettings::instance()->clearFavourites();
        put(dir.filePath("user/a.fixture"),
            blocks({{1, 0, 0, "Zero"}, {1, 1, 0, "Bar"}, {1, 1, 1, "Bar 2"}, {1, 3, 0, "Three"}, {2, 4, 0, "Other"}}));
        put(dir.filePath("system/b.fixture"), blocks({{1, 2, 0, "System Two"}, {3, 8, 0, "alpha spot"}}));
        put(dir.filePath("user/manufacturers.csv"), "1, Zeta, 0\n3, Alpha, 0\n");
        library.load(dir.filePath("system"), dir.filePath("user"), QString(), messages);
    }

    QTemporaryDir dir;
    ConcatenatingMessageHandler messages;
    FixtureLibrary library;
};

QStringList column(const QAbstractItemModel& model, const QModelIndex& parent, int column, int role = Qt::DisplayRole)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(parent); ++row)
        texts << model.index(row, column, parent).data(role).toString();
    return texts;
}

}  // namespace

TEST_F(TemplateTest, TreeOfManufacturersModelsAndModes)
{
    VersionedSettings::instance()->setFavourite(1, 1, 1, true);
    FixtureLibraryModel model(library);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(column(model, {}, 0), QStringList({"Alpha", "Manufacturer 2", "Zeta"}));
    const QModelIndex zeta = model.index(2, 0);
    EXPECT_EQ(column(model, zeta, 0), QStringList({"Bar", "System Two", "Three", "Zero"}));
    EXPECT_EQ(column(model, zeta, 0, FixtureLibraryModel::kFavouriteRole),
              QStringList({"true", "false", "false", "false"}));
    const QModelIndex bar = model.index(0, 0, zeta);
    EXPECT_EQ(column(model, bar, 0), QStringList({"Bar", "Bar 2"}));
    EXPECT_EQ(column(model, bar, 1), QStringList({"1", "2"}));
    EXPECT_EQ(column(model, bar, 0, FixtureLibraryModel::kFavouriteRole), QStringList({"false", "true"}));
    EXPECT_EQ(model.keyOf(model.index(1, 0, bar)), (FixtureModelKey {1, 1, 1}));
    EXPECT_EQ(model.keyOf(bar), std::nullopt);
    EXPECT_EQ(model.flags(model.index(1, 0, bar)), Qt::ItemIsEnabled | Qt::ItemIsSelectable);

    put(dir.filePath("user/c.fixture"), blocks({{4, 1, 0, "Beta"}}));
    library.addFile(dir.filePath("user/c.fixture"), messages);
    model.rebuild();
    EXPECT_EQ(column(model, {}, 0), QStringList({"Alpha", "Manufacturer 2", "Manufacturer 4", "Zeta"}));
}

TEST_F(TemplateTest, TemplatesRoundTripThroughTheirFiles)
{
    FixtureTemplateBuilder builder(library);
    // Pairs of property id and value, one of each kind; the others keep their defaults.
    const QVariantList changes = {
        kName,         "Bar", kManufacturer, 3, kClass, "fountain",          kDimmerCurve, 7,
        kLastFunction, true,  kWhiteMode,    2, kUuid,  QUuid::createUuid(), kModelId,     77};
    for (int i = 0; i < changes.size(); i += 2)
        ASSERT_TRUE(builder.setValue(changes[i].toInt(), changes[i + 1])) << i;
    const QString path = dir.filePath("templates/bar.xml");
    QString error;
    ASSERT_TRUE(builder.saveTemplate(path, error)) << qPrintable(error);
    FixtureTemplateBuilder loaded(library);
    loaded.setAutomaticModelId(false);
    ASSERT_TRUE(loaded.loadTemplate(path, error)) << qPrintable(error);
    for (int id = 0; id < kPropertyCount; ++id)
        EXPECT_EQ(loaded.value(id), builder.value(id)) << id;

    // Once in place the template is saved, its folder synced or not (then with a note); a folder that cannot be made
    // is named with the system's reason.
    const QString other = dir.filePath("other");
    using Call = AtomicFile::Call;
    AtomicFile::setFaultInjector([&other](Call call, const QString& at) {
        return call == Call::SyncFolder ? EIO : call == Call::MakeFolder && at == other ? EROFS : 0;
    });
    const bool unsynced = builder.saveTemplate(path, error);
    const QString note = error;
    const bool unmade = builder.saveTemplate(other + "/bar.xml", error);
    AtomicFile::setFaultInjector({});
    EXPECT_TRUE(unsynced);
    EXPECT_EQ(note,
              "The template was saved as " + path
                  + "; its folder could not be synced (Input/output error), so the file may not survive a "
                    "power cut");
    EXPECT_FALSE(unmade);
    EXPECT_EQ(error,
              "The template could not be saved as " + other + "/bar.xml, as its folder " + other
                  + " could not be made (Read-only file system)");

    const std::pair<const char*, const char*> damaged[] = {
        {"<fixture version=\"1\"/>", "Line 1: Not a version-1 fixture template"},
        {"<fixturetemplate version=\"1\">\n<property id=\"6\">0</property>", "Line 2: Invalid value 0 for property 6"},
        {"<fixturetemplate version=\"1\"><property id=\"24\"/>", "Line 1: Unknown property 24"},
        {"<fixturetemplate version=\"1\"><property id=\"4\">led</property><property id=\"4\">led</property>",
         "Line 1: Duplicate property 4"},
        {"<fixturetemplate version=\"1\"><property id=\"4\">led</property>", "Line 1: Premature end of document."}};
    for (const auto& [text, message] : damaged) {
        QBuffer buffer;
        buffer.setData(text);
        Values values;
        EXPECT_FALSE(FixtureTemplateParser::read(buffer, values, error)) << text;
        EXPECT_EQ(error, message);
    }
}

TEST_F(TemplateTest, NamesAreOneLineOfPrintableText)
{
    // A template file cannot hold most control characters, and a line break does not come back as written:
    // such a name was taken and then refused at the save.
    FixtureTemplateBuilder builder(library);
    for (const QString& name : {QStringLiteral("A\x01B"), QStringLiteral("A\r\nB"), QStringLiteral("A\tB")})
        EXPECT_FALSE(builder.setValue(kName, name)) << qPrintable(name);
    EXPECT_EQ(builder.value(kName), "New fixture");
    ASSERT_TRUE(builder.setValue(kName, QStringLiteral("Bar \u00e9 <&>")));
    QString error;
    const QString path = dir.filePath("templates/name.xml");
    ASSERT_TRUE(builder.saveTemplate(path, error)) << qPrintable(error);
    FixtureTemplateBuilder loaded(library);
    ASSERT_TRUE(loaded.loadTemplate(path, error)) << qPrintable(error);
    EXPECT_EQ(loaded.value(kName), QStringLiteral("Bar \u00e9 <&>"));

    QBuffer buffer;
    buffer.setData("<fixturetemplate version=\"1\"><property id=\"0\">A&#10;B</property></fixturetemplate>");
    Values values;
    EXPECT_FALSE(FixtureTemplateParser::read(buffer, values, error));
    EXPECT_EQ(error, "Line 1: Invalid value A\nB for property 0");
}

TEST_F(TemplateTest, BuilderFlagsGridsAndPreview)
{
    FixtureTemplateBuilder builder(library);
    QSignalSpy changed(&builder, &AbstractPropertyModel::valueChanged);
    EXPECT_EQ(std::pair(int(builder.flags(0)), int(builder.flags(1))), std::pair(1, 257));
    EXPECT_FALSE(builder.setValue(kColumns, 0) || builder.setValue(kPropertyCount, 1) || builder.value(24).isValid());
    EXPECT_TRUE(builder.setValue(kManufacturer, 1));
    EXPECT_EQ(builder.value(kModelId), 2);  // the user library takes 0, 1 and 3; 2 is the system library's
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed[0], (QVariantList {kManufacturer, 1}));
    EXPECT_EQ(changed[1], (QVariantList {kModelId, 2}));
    EXPECT_TRUE(builder.setValue(kModelId, 900));
    EXPECT_EQ(std::pair(int(builder.flags(1)), builder.value(kModelId)), std::pair(1, QVariant(900)));

    builder.setValue(kFirstFunction + 1, true);  // cyan
    FixtureLibraryTypes::FixtureDefinition single;
    QString message;
    ASSERT_TRUE(builder.buildModel(single, message)) << qPrintable(message);
    EXPECT_TRUE(single.model.isSingleElementModel());
    EXPECT_EQ(single.key, (FixtureModelKey {1, 900, 0}));

    builder.setValue(kColumns, 4);
    builder.setValue(kRows, 2);
    builder.setValue(kSixteenBit, true);
    FixtureLibraryTypes::FixtureDefinition grid;
    ASSERT_TRUE(builder.buildModel(grid, message)) << qPrintable(message);
    EXPECT_FALSE(grid.model.isSingleElementModel());
    ASSERT_EQ(grid.model.elements().size(), 8u);
    EXPECT_EQ(grid.model.modelSpec.geometry[5], std::pair(65536, 65536));
    for (const FixtureModelElement& element : grid.model.elements()) {
        EXPECT_EQ(element.patchPoints, (std::list<PatchPointData> {{1, 4}}));
        EXPECT_EQ(std::pair(element.parameters.at(0).patchOffset, element.parameters.at(1).patchOffset),
                  std::pair(quint16(0), quint16(2)));
    }
    EXPECT_EQ(grid.model.channelCount(-1, true), 32u);

    FixtureTemplatePreviewScene& scene = *builder.previewScene();
    EXPECT_EQ(scene.sceneRect(), QRectF(0, 0, 40, 20));
    scene.setSelection({5});
    QImage image(80, 40, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    scene.render(&painter, QRectF(image.rect()), scene.sceneRect());
    painter.end();
    EXPECT_EQ(image.pixelColor(30, 10), colourButtonGrey);
    EXPECT_EQ(image.pixelColor(30, 21), colourAccentBlue);  // the top edge of the selected cell
    EXPECT_EQ(image.pixelColor(10, 1), colourMidGrey);

    builder.setValue(kFirstFunction, false);
    builder.setValue(kFirstFunction + 1, false);
    EXPECT_FALSE(builder.buildModel(grid, message));
    EXPECT_EQ(message, "No parameters specified");
}
