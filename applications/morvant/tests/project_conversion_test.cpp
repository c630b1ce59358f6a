#include "applications/morvant/conversion_driver.h"
#include "applications/morvant/output_project.h"
#include "components/archive/archive_exception.h"
#include "components/archive/archive_file.h"
#include "components/archive/binary_stream.h"
#include "components/archive/database.h"
#include "components/archive/database_schema.h"
#include "components/fixture_library/kinet_power_supply_list.h"
#include "components/fixture_library/message_handler.h"
#include "components/lx_objects/controllers/controller.h"
#include "components/lx_objects/controllers/kinet_power_supply.h"
#include "components/lx_objects/controllers/remote_device.h"
#include "components/lx_objects/controllers/universe.h"
#include "components/lx_objects/dali/dali_project_properties.h"
#include "components/lx_objects/fixtures/fixture_vocabulary.h"
#include "components/lx_objects/fixtures/function.h"
#include "components/lx_objects/programming/text_slot_values.h"
#include "components/lx_objects/project/audio_buses.h"
#include "components/lx_objects/project/custom_properties.h"
#include "components/lx_objects/project/directories.h"
#include "components/lx_objects/project/ethernet_sources.h"
#include "components/lx_objects/project/gui_features.h"
#include "components/lx_objects/project/layout.h"
#include "components/lx_objects/project/object_folder.h"
#include "components/lx_objects/project/project_database.h"
#include "components/lx_objects/project/project_properties.h"
#include "components/lx_objects/project/timecode_buses.h"
#include "components/lx_objects/views/abstract_tab_bar_state.h"
#include "components/lx_objects/views/view_states.h"
#include "components/lx_objects/views/web_interface_properties.h"
#include "components/quilshow/show/show_base.h"
#include "components/quilshow/tests/show_writer.h"
#include "seltrane_components/os/progress_tracker.h"
#include "tests/support/log_capture.h"
#include "tests/support/stream_check.h"

#include <QBuffer>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

typedef std::vector<LogCapture::Line> Lines;

// An object of the open database, cast to T; null when absent or of another class.
// A copy (id -1) of an object of the database; null when the slot is empty or holds another class.
template <class T>
std::unique_ptr<T> objectAt(Archive::ArrayId array, Archive::ObjectId id, Archive::DatabaseId database)
{
    Archive::ObjectPtr object;
    try {
        Archive::getCommittedObject(object, array, id, database);
    } catch (const Archive::archive_exception&) {
        return nullptr;
    }
    const T* typed = dynamic_cast<const T*>(object.get());
    return std::unique_ptr<T>(typed ? static_cast<T*>(typed->clone()) : nullptr);
}

template <class T>
QByteArray bytesOf(const T& object)
{
    return StreamCheck::binaryBytes(kProjectStreamVersion, [&](OutStream& out) { object.write(out); });
}

// The lines logged at one level, without their line feeds, leaving out those that start with `skip`.
QStringList linesAt(const Lines& lines, int level, const char* skip = "\x01")
{
    QStringList texts;
    for (const auto& [lineLevel, text] : lines) {
        const QString line = QString::fromStdString(text).trimmed();
        if (lineLevel == level && !line.startsWith(QLatin1String(skip)))
            texts << line;
    }
    return texts;
}

// A version-454 output node with its power supplies {id, model, number, name} and DSX universe keys {id, kind,
// number}.
struct Supply
{
    quint16 id;
    quint32 model;
    quint32 number;
    const char* name;
};
struct DsxKey
{
    quint16 id;
    quint8 kind;
    quint8 number;
};
std::string nodeRows(quint16 id, const std::vector<Supply>& supplies, const std::vector<DsxKey>& keys)
{
    std::string text = "3201" + hex16(id) + "00 #0 #0 #0 " + hex16(quint16(supplies.size()));
    for (const Supply& supply : supplies) {
        text += hex16(supply.id) + hex32(supply.model) + hex32(0x0A000000 + supply.id) + hex32(supply.number) + "'"
            + supply.name + "' 'Rack\nB'";
    }
    text += hex16(quint16(keys.size()));
    for (const DsxKey& key : keys)
        text += hex16(key.id) + hex16(key.kind) + ShowWriter().u8(key.number).data.toHex().toStdString();
    return text + "3301";
}

class ProjectConversionTest : public ::testing::Test
{
protected:
    // Converts the show and keeps the result open; the log of the conversion is in `log`.
    bool convert(const ShowContent& content)
    {
        const QString path = folder.filePath(QStringLiteral("show.kvq"));
        EXPECT_TRUE(writeFile(path, buildShow(content)));
        LogCapture capture;
        ProgressTracker progress;
        const bool converted = driver.convert(path, progress);
        log = capture.lines();
        return converted;
    }
    Archive::DatabaseId database() const { return driver.outputDatabaseId(); }

    QTemporaryDir folder;
    ConversionDriver driver;
    Lines log;
};

// An empty show: the sections of items hold none, the settings and number formats are filled.
ShowContent emptyShow()
{
    ShowContent content;
    ShowTables& tables = content.tables;
    tables.functions = rowsOf("0000");
    tables.outputNodes = rowsOf("0000 0000 #0");
    tables.elements = tables.fixtures = tables.palettes = rowsOf("0000");
    tables.dali = rowsOf("0000 0000 0000 00 00 02000001000100 02000001000100");
    tables.dynamicText = rowsOf("0000 0000 0000 #0 #0 \"%H:%M\" \"%d/%m\"");
    return content;
}

// Nothing converted, then an exception while the database is written: each says why and what to do, and writes
// nothing; once the cause is gone the save works.
TEST_F(ProjectConversionTest, AFailedSaveSaysWhyAndWhatToDo)
{
    const QString saved = folder.filePath(QStringLiteral("out.kv2"));
    ProgressTracker progress;
    EXPECT_FALSE(driver.saveOutputProject(saved, progress));
    EXPECT_EQ(driver.saveFailure(), QStringLiteral("There is no converted project to save: convert a show first."));
    ASSERT_TRUE(convert(emptyShow()));
    const QString part = Archive::resolveDatabase(database()).path() + QStringLiteral("/misc.tarv.part");
    ASSERT_TRUE(QDir().mkpath(part));
    LogCapture capture;
    EXPECT_FALSE(driver.saveOutputProject(saved, progress));
    const QString advice =
        QStringLiteral("The project was not saved as \"%1\": Unable to open file. Choose a folder you may "
                       "write to, check that the disk has free space, then save again.")
            .arg(saved);
    EXPECT_EQ(driver.saveFailure(), advice);
    EXPECT_EQ(linesAt(capture.lines(), kLogWarning),
              QStringList({QStringLiteral("Failed to save the output project (Unable to open file)"), advice}));
    EXPECT_FALSE(QFileInfo::exists(saved));
    ASSERT_TRUE(QDir().rmdir(part));
    EXPECT_TRUE(driver.saveOutputProject(saved, progress)) << driver.saveFailure().toStdString();
}

TEST_F(ProjectConversionTest, AnEmptyShowGivesEveryProjectWideObjectSavedAndReopened)
{
    ASSERT_TRUE(convert(emptyShow()));
    EXPECT_EQ(linesAt(log, kLogWarning), QStringList());
    const QString saved = folder.filePath(QStringLiteral("out.kv2"));
    ProgressTracker progress;
    ASSERT_TRUE(driver.saveOutputProject(saved, progress));
    driver.closeOutputProject();

    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    ASSERT_TRUE(file.seek(27));  // the kv2 header
    QTemporaryDir unpacked;
    ArchiveFile archive;
    ASSERT_TRUE(archive.open(ArchiveFile::ReadMode, &file, ArchiveFile::TarGzKind));
    ASSERT_TRUE(archive.extractTo(unpacked.path())) << archive.errorString().toStdString();
    QStringList stored;
    for (QDirIterator it(unpacked.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        stored << QFileInfo(it.next()).fileName();
    EXPECT_TRUE(stored.contains(QStringLiteral("misc.tarv"))) << stored.join(' ').toStdString();
    for (const QString& name : stored)
        EXPECT_FALSE(name.startsWith(QLatin1String("cuelist")) || name.startsWith(QLatin1String("frame_array")))
            << name.toStdString();

    const Archive::DatabaseId reopened =
        Archive::createDatabase(makeDatabaseSettings(0x7FFFFFFF, 0x7FFFFFFF), Archive::projectSchema());
    Archive::DatabaseOpenParameters open;
    open.path = unpacked.filePath(QStringLiteral("archive.tarv"));
    open.supportedVersion = kProjectStreamVersion;
    open.openExisting = true;
    Archive::openDatabase(open, reopened);

    // Array 0: every slot but 1 holds its class.
    const std::pair<Archive::ObjectId, quint32> misc[] = {
        {0, ProjectProperties::kTypeCode},     {2, GuiFeatures::kTypeCode},
        {3, TimecodeBuses::kTypeCode},         {4, AudioBuses::kTypeCode},
        {5, EthernetSources::kTypeCode},       {6, WebInterfaceProperties::kTypeCode},
        {7, TriggerDirectory().typeCode()},    {8, DaliSceneDirectory().typeCode()},
        {9, DaliProjectProperties::kTypeCode}, {10, CustomProperties::kTypeCode},
        {11, TextSlotValues::kTypeCode}};
    for (const auto& [id, code] : misc) {
        const auto object = objectAt<Archive::ObjectBase>(0, id, reopened);
        ASSERT_TRUE(object) << id;
        EXPECT_EQ(object->typeCode(), code) << id;
    }
    EXPECT_FALSE(objectAt<Archive::ObjectBase>(0, 1, reopened));

    const auto properties = objectAt<ProjectProperties>(0, 0, reopened);
    ASSERT_TRUE(properties);
    EXPECT_EQ(properties->text2(), QStringLiteral("Project"));
    EXPECT_EQ(properties->text3(), QStringLiteral("Client"));
    EXPECT_EQ(properties->location.groupA, (GeoCoord {1, 51, 30, 0}));
    EXPECT_EQ(properties->location.groupB, (GeoCoord {0, 0, 7, 0}));
    EXPECT_EQ(properties->location.offset, -300);  // -20 quarter hours
    EXPECT_FALSE(properties->location.enabled);
    EXPECT_EQ(properties->option5, 10);
    EXPECT_EQ(properties->timeFormat, QStringLiteral("%H:%M"));
    EXPECT_EQ(properties->dateFormat, QStringLiteral("%d/%m"));
    EXPECT_EQ(properties->colour1, 0xFF010203u);
    EXPECT_EQ(properties->colour2, 0xFF040506u);
    EXPECT_EQ(properties->layout.size, QSize(1024, 768));
    EXPECT_EQ(properties->layout.backgroundColour, 0xFF0A141Eu);
    EXPECT_EQ(properties->layout.backgroundMode, 3);
    EXPECT_EQ(properties->layout.gridSpacing, 16u);
    EXPECT_EQ(objectAt<GuiFeatures>(0, 2, reopened)->features().at(18), 2);
    EXPECT_EQ(objectAt<WebInterfaceProperties>(0, 6, reopened)->text, QStringLiteral("web"));
    EXPECT_EQ(*objectAt<DaliProjectProperties>(0, 9, reopened), DaliProjectProperties());
    const auto custom = objectAt<CustomProperties>(0, 10, reopened);
    const CustomProperties::Values* comments = custom->values(2, QStringLiteral("Comment"));
    ASSERT_TRUE(comments);
    EXPECT_TRUE(comments->empty());
    EXPECT_TRUE(objectAt<TextSlotValues>(0, 11, reopened)->slotTexts().empty());

    for (Archive::ObjectId id = 0; id < 3; ++id)
        EXPECT_EQ(*objectAt<ObjectFolder>(28, id, reopened), ObjectFolder()) << id;
    EXPECT_EQ(Archive::getArraySize(28, reopened), 3u);
    ASSERT_EQ(Archive::getArraySize(23, reopened), 1u);
    Archive::ObjectId layoutId = 0;
    while (!objectAt<Layout>(23, layoutId, reopened))
        ++layoutId;
    const auto layout = objectAt<Layout>(23, layoutId, reopened);
    EXPECT_EQ(layout->layoutKind, 1u);
    EXPECT_EQ(layout->properties, properties->layout);
    const auto colours = objectAt<ColourDataState>(35, 0, reopened);
    ASSERT_TRUE(colours);
    EXPECT_EQ(colours->firstColours, (std::vector<quint32> {0xFFFF0000, 0xFF00FF00, 0xFF0000FF}));
    EXPECT_EQ(colours->secondColours, (std::vector<quint32> {0xFF070809, 0xFF0A0B0C}));
    const auto layouts = objectAt<LayoutManagerState>(35, 2, reopened);
    ASSERT_TRUE(layouts);
    EXPECT_EQ(layouts->tabIds, std::vector<quint32> {layoutId});
    EXPECT_EQ(layouts->currentTabId, layoutId);
    EXPECT_TRUE(layouts->planTransforms.empty());
    EXPECT_FALSE(objectAt<Archive::ObjectBase>(35, 8, reopened));
    EXPECT_EQ(Archive::getArraySize(35, reopened), 2u);

    Archive::resetDatabase(reopened);
    Archive::closeDatabase(reopened);
    Archive::setCurrentDatabase(Archive::kNoDatabase);
}

// Each show holds two schedules of the DALI section (version-1 bytes); the project's DALI properties are compared
// whole with their newest bytes.
TEST_F(ProjectConversionTest, DaliTestSchedulesOfEveryKindAndDayMode)
{
    const std::tuple<const char*, const char*, Lines> cases[] = {
        // Kind 0 keeps its 16-bit interval; kind 1 its weekdays.
        {"01 00  00 11 22 2c01  01 33 44 05 55", "00ce 01 00 00bc 1122 00 012c 00bc 3344 01 05 55", {}},
        // Kind 2 by week and weekday, then by day set.
        {"00 01  02 01 02 03 00 02 04  02 05 06 07 01 01000040",
         "00ce 00 01 00bc 0102 02 03 00 02 04 00bc 0506 02 07 01 40000001",
         {}},
        // Kind 3 by day of month, then by week and weekday with a week of no counterpart.
        {"01 01  03 07 08 09 ff0f 00 1f  03 0a 0b 0c 0100 01 07 03",
         "00ce 01 01 00bc 0708 03 09 0fff 00 1f 00bc 0a0b 03 0c 0001 01 00 03",
         {{kLogWarning, "Failed to convert month week 7\n"}}},
        // A day mode of neither form keeps the default schedule, and its leading bytes.
        {"00 00  02 0d 0e 04 03  03 0f 10 02 0300 05",
         "00ce 00 00 00bc 0d0e 02 01 00 01 00 00bc 0f10 02 01 00 01 00",
         {}},
    };
    for (const auto& [schedules, bytes, messages] : cases) {
        SCOPED_TRACE(schedules);
        ShowContent content = emptyShow();
        content.version = 417;
        content.tables.dali = rowsOf(std::string("0000 0000 0000 ") + schedules);
        ASSERT_TRUE(convert(content));
        EXPECT_EQ(linesAt(log, kLogWarning), linesAt(messages, kLogWarning));
        const auto properties = objectAt<DaliProjectProperties>(0, 9, database());
        ASSERT_TRUE(properties);
        EXPECT_EQ(StreamCheck::hexOf(bytesOf(*properties)), StreamCheck::hexOf(StreamCheck::hex(bytes)));
    }
}

TEST_F(ProjectConversionTest, TimeZoneOffsetsAndDaylightSaving)
{
    {
        LogCapture capture;
        EXPECT_EQ(convertTimeZoneOffset(96), 1440);
        EXPECT_EQ(convertTimeZoneOffset(-96), -1440);
        EXPECT_EQ(convertTimeZoneOffset(-20), -300);
        // Beyond a day the minutes would not be an offset, and from 2185 quarter hours no longer fit 16 bits.
        EXPECT_EQ(convertTimeZoneOffset(97), 0);
        EXPECT_EQ(convertTimeZoneOffset(-97), 0);
        EXPECT_EQ(convertTimeZoneOffset(32767), 0);
        EXPECT_EQ(capture.lines(),
                  (Lines {{kLogWarning, "Failed to convert time zone offset 97\n"},
                          {kLogWarning, "Failed to convert time zone offset -97\n"},
                          {kLogWarning, "Failed to convert time zone offset 32767\n"}}));
    }

    // Daylight saving that the show switches on (its first and fourth bytes) is switched off, and said so.
    ShowContent content = emptyShow();
    for (ShowRow& row : content.tables.settings) {
        const std::size_t at = row.text.find("ecff 010300000a00");
        if (at != std::string::npos)
            row.text.replace(at, 17, "0080 010300010a00");
    }
    ASSERT_TRUE(convert(content));
    EXPECT_EQ(linesAt(log, kLogWarning),
              QStringList({"Failed to convert time zone offset -32768",
                           "Daylight savings time is disabled because it wasn't possible to convert it"}));
    const auto properties = objectAt<ProjectProperties>(0, 0, database());
    EXPECT_EQ(properties->location.offset, 0);
    EXPECT_FALSE(properties->location.enabled);
}

class ControllerConversionTest : public ProjectConversionTest
{
protected:
    void SetUp() override
    {
        QBuffer rows;
        rows.setData("12, PDS-150e, 3, 2, 1\n");
        ConcatenatingMessageHandler messages;
        KinetPowerSupplyList::instance().load(rows, QStringLiteral("list.csv"), messages);
        ASSERT_EQ(messages.messages(), QStringList());
    }
    void TearDown() override
    {
        QBuffer none;
        ConcatenatingMessageHandler messages;
        KinetPowerSupplyList::instance().load(none, QStringLiteral("list.csv"), messages);
    }
};

TEST_F(ControllerConversionTest, NodesPowerSuppliesRemoteDevicesAndUniverses)
{
    ShowContent content = emptyShow();
    content.tables.outputNodes =
        rowsOf("0300" + nodeRows(0, {}, {{2, 6, 2}})
               + nodeRows(3, {{0, 12, 12, "PSU\nA"}, {1, 99, 5, "Spare"}}, {{1, 1, 4}, {2, 6, 2}, {3, 5, 2}})
               + nodeRows(39, {}, {{0, 6, 2}}) + "0000 #2 0500 02 4d000000 0300 07 00000000");
    for (ShowRow& row : content.tables.settings) {
        const std::size_t at = row.text.find("010300000a00 07000000");
        if (at != std::string::npos)
            row.text.replace(at, 21, "010300000a00 03000000");
    }
    ASSERT_TRUE(convert(content));
    EXPECT_EQ(linesAt(log, kLogWarning, "Ignoring function"),
              QStringList({"Failed to convert the hardware type of controller 0",
                           "Failed to convert the hardware type of controller 3",
                           "Failed to convert KiNET power supply model 99",
                           "Failed to convert the hardware type of controller 39"}));
    EXPECT_EQ(linesAt(log, kLogInfo, "Functions").mid(2),
              QStringList({"Converting controllers", "Controllers: 3 converted", "KiNET power supplies: 2 converted",
                           "Converting remote devices", "Remote devices: 2 converted", "Converting DSX DMX universes",
                           "DSX DMX universes: 5 converted", "Converting functions"}));

    const IdMaps& ids = driver.idMaps();
    for (const auto& [node, number] : {std::make_pair(0, 1), {3, 4}, {39, 40}}) {
        const auto controller = objectAt<Controller>(19, ids.find(IdKind::Controller, node), database());
        ASSERT_TRUE(controller) << node;
        EXPECT_EQ(controller->type(), 255);
        EXPECT_EQ(controller->number, number);
        EXPECT_EQ(controller->name(), QString());
        EXPECT_EQ(controller->serialBaudRate, 38400u);
    }
    EXPECT_EQ(Archive::getArraySize(19, database()), 3u);
    const Archive::ObjectId primary = ids.find(IdKind::Controller, 3);
    EXPECT_EQ(ids.networkPrimaryController, primary);

    const auto known = objectAt<KinetPowerSupply>(21, ids.find(IdKind::KinetPowerSupply, 3 * 65536 + 0), database());
    const auto unknown = objectAt<KinetPowerSupply>(21, ids.find(IdKind::KinetPowerSupply, 3 * 65536 + 1), database());
    ASSERT_TRUE(known && unknown);
    EXPECT_EQ(std::tie(known->typeName, known->portCount, known->protocolVersion, known->chromasic),
              std::make_tuple(QStringLiteral("PDS-150e"), 3u, quint8(2), true));
    EXPECT_EQ(std::tie(known->ipAddress, known->supplyNumber, known->name, known->comment),
              std::make_tuple(0x0A000000u, 12u, QStringLiteral("PSU A"), QStringLiteral("Rack B")));
    KinetPowerSupply expected;
    expected.ipAddress = 0x0A000001, expected.supplyNumber = 5;
    expected.name = QStringLiteral("Spare"), expected.comment = QStringLiteral("Rack B");
    EXPECT_EQ(*unknown, expected);

    // Map keys (3, 7) and (5, 2), and the DSX key (1, 4); DSX keys of kinds 5 and 6 are one device.
    std::map<std::pair<int, int>, Archive::ObjectId> devices;
    for (const auto& [type, number] : {std::make_pair(104, 7), {106, 2}, {102, 4}}) {
        const Archive::ObjectId id = ids.find(IdKind::RemoteDevice, IdMaps::deviceKey(quint8(type), quint8(number)));
        const auto device = objectAt<RemoteDevice>(20, id, database());
        ASSERT_TRUE(device) << type;
        EXPECT_EQ(device->key(), (RDKey {quint8(type), quint8(number)}));
        EXPECT_EQ(device->controllerId, primary);
        EXPECT_EQ(device->settings(), RemoteDevice(device->key()).settings());
        devices[{type, number}] = id;
    }
    EXPECT_EQ(Archive::getArraySize(20, database()), 3u);

    // One universe per controller and device.
    const std::tuple<int, int, int, std::pair<int, int>> universes[] = {
        {0, 2, 0, {106, 2}}, {3, 1, 3, {102, 4}}, {3, 2, 3, {106, 2}}, {3, 3, 3, {106, 2}}, {39, 0, 39, {106, 2}}};
    std::set<Archive::ObjectId> distinct;
    for (const auto& [node, key, owner, device] : universes) {
        const Archive::ObjectId id = ids.find(IdKind::Universe, IdMaps::nodeKey(node, key));
        const auto universe = objectAt<Universe>(30, id, database());
        ASSERT_TRUE(universe) << node << " " << key;
        EXPECT_EQ(universe->controllerId, ids.find(IdKind::Controller, owner));
        EXPECT_EQ(universe->key().kind, 64u);
        EXPECT_EQ(universe->key().a, devices[device]);
        distinct.insert(id);
    }
    EXPECT_EQ(distinct.size(), 4u);
    EXPECT_EQ(Archive::getArraySize(30, database()), 4u);
}

// Devices beyond what the project holds are each left out with the database's reason; the rest arrive.
TEST_F(ControllerConversionTest, DevicesBeyondTheProjectsRoomAreIgnoredOneByOne)
{
    ShowContent content = emptyShow();
    // The node's DSX keys name device 105#5, one left out, and 101#0.
    std::string map = "0100" + nodeRows(0, {}, {{0, 4, 5}, {1, 0, 0}}) + "0000 #1030 ";
    for (int i = 0; i < 1030; ++i)
        map += hex16(quint16(i / 256)) + ShowWriter().u8(quint8(i % 256)).data.toHex().toStdString() + "00000000";
    content.tables.outputNodes = rowsOf(map);
    ASSERT_TRUE(convert(content));
    const QStringList ignored = linesAt(log, kLogWarning, "Failed");
    ASSERT_EQ(ignored.size(), 7);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(
            ignored[i],
            QStringLiteral("Ignoring remote device type 4, number %1: ID allocation failed on add: Archive error 16 "
                           "(ObjId 4294967295, ArrayId 20, dbId %2)")
                .arg(i)
                .arg(database()));
    }
    EXPECT_EQ(ignored[6],
              QStringLiteral("Ignoring DSX DMX universe 0 of controller 0: its remote device was not "
                             "converted"));
    const QStringList counts = linesAt(log, kLogInfo).filter(QRegularExpression(QStringLiteral("^(Remote|DSX)")));
    EXPECT_EQ(counts,
              QStringList({"Remote devices: 1024 converted, 6 ignored", "DSX DMX universes: 1 converted, 1 ignored"}));
    EXPECT_EQ(Archive::getArraySize(20, database()), 1024u);
    EXPECT_EQ(Archive::getArraySize(30, database()), 1u);
}

TEST_F(ProjectConversionTest, FunctionsOfTheStandardTableAndVersionOneNames)
{
    ShowContent content(302);
    ASSERT_TRUE(convert(content));
    const IdMaps& ids = driver.idMaps();
    EXPECT_EQ(Archive::getArraySize(1, database()), 28u);
    const FixtureVocabulary::StandardFunction* rows = FixtureVocabulary::standardFunctions();
    for (std::size_t row = 0; row < FixtureVocabulary::kStandardFunctionCount; ++row) {
        const auto function = objectAt<Function>(1, ids.find(IdKind::StandardFunction, rows[row].id), database());
        ASSERT_TRUE(function) << row;
        EXPECT_EQ(function->name, QString::fromLatin1(rows[row].name));
        EXPECT_EQ(function->kind, rows[row].category);
    }
    // Intensity, Colour Temp Correct, Pan and White.
    for (const auto& [quil, standard] : {std::make_pair(0, 0), {1, 4}, {3, 8}, {30, 6}})
        EXPECT_EQ(ids.find(IdKind::Function, quil), ids.find(IdKind::StandardFunction, standard)) << quil;
    EXPECT_EQ(ids.size(IdKind::Function), 4u);
    EXPECT_EQ(linesAt(log, kLogWarning, "Failed"),
              QStringList({"Ignoring function 22 (Old White): it has no version-2 counterpart",
                           "Ignoring function 23 (F23): it has no version-2 counterpart",
                           "Ignoring function 24 (Calculated 2): it has no version-2 counterpart",
                           "Ignoring function 25 (F25): it has no version-2 counterpart",
                           "Ignoring function 26 (Calculated 4): it has no version-2 counterpart",
                           "Ignoring function 27 (Calculated 5): it has no version-2 counterpart",
                           "Ignoring function 28 (Calculated 6): it has no version-2 counterpart",
                           "Ignoring function 29 (Calculated 7): it has no version-2 counterpart",
                           "Ignoring function 31 (F31): it has no version-2 counterpart",
                           "Ignoring function 40 (F40): it has no version-2 counterpart"}));
    EXPECT_TRUE(linesAt(log, kLogInfo).contains(QStringLiteral("Functions: 4 converted, 10 ignored")));
    // The show names controller 7, which it does not have: its first controller is the network primary.
    EXPECT_EQ(ids.networkPrimaryController, ids.find(IdKind::Controller, 3));
    EXPECT_NE(ids.networkPrimaryController, Archive::kNoObjectId);
}

}  // namespace
