#include "components/quilshow/show/default_functions.h"
#include "components/quilshow/tests/show_load_fixture.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QDir>
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

using namespace Quil;

namespace {

class ShowLoadingTest : public ShowLoadFixture
{
};

TEST_F(ShowLoadingTest, NewShowDefaultsAndLifetime)
{
    ASSERT_EQ(31u, show().functions().size());
    quint32 expectedId = 0;
    for (const Function& function : show().functions())
        EXPECT_EQ(expectedId++, function.id());
    EXPECT_EQ("Colour Mode", show().function(8)->name);  // table rows 8 and 9 swap ids
    EXPECT_EQ("Colour", show().function(9)->name);
    EXPECT_EQ(128u, show().function(29)->categoryMask);
    EXPECT_EQ(0xFFFFFFFFu, show().streamVersion);
    EXPECT_EQ(0xFF, show().savedByBuild);

    // Adding text marks the show modified; with no font yet a preset gets one.
    DynamicTextShowComponent& text = show().dynamicText();
    EXPECT_EQ(0, show().modified);
    EXPECT_EQ(0, text.addTextPreset());
    EXPECT_EQ(1, show().modified);
    EXPECT_EQ(0u, text.getTextPreset(0).fontId);
    EXPECT_EQ(1, text.addTextPreset());
    EXPECT_EQ((std::set<quint32>{0, 1}), text.presetsByFont.at(0));
    EXPECT_EQ(2u, text.getFont(0).presetCount);
    for (int id = 1; id < 16; ++id)
        EXPECT_EQ(id, text.addFont());
    EXPECT_EQ(-1, text.addFont());

    destroyShow(false);
    EXPECT_NE(nullptr, _gpShow);
    destroyShow(true);
    EXPECT_EQ(nullptr, _gpShow);
    destroyShow(true);
    createShow(9);
}

TEST_F(ShowLoadingTest, VersionGateAndMagic)
{
    ShowContent content;
    EXPECT_EQ(kShowLoaded, load(content).code);
    EXPECT_EQ(454u, show().streamVersion);
    EXPECT_EQ("header", show().headerText);
    EXPECT_EQ(3, show().savedByMajor);

    content.version = 455;
    content.savedBy[0] = 2;
    content.savedBy[1] = 1;
    for (const auto& c : {std::make_pair(37, " (2.1.37)"), std::make_pair(0x85, " (2.1 BETA 5)"),
                          std::make_pair(0x05, " (2.1.5)")}) {
        content.savedBy[2] = static_cast<quint8>(c.first);
        const ShowLoadResult result = load(content);
        EXPECT_EQ(kShowTooNew, result.code);
        EXPECT_EQ(std::string("attempting to load show created in a newer version of software") + c.second,
                  result.message);
    }

    // A wrong magic gives code 1 and a reset show; the wildcard opens as any kind.
    content.version = 454;
    content.magic = 0x9393;
    const ShowLoadResult result = load(buildShow(content), 0x8484);
    EXPECT_EQ(kShowNotOpened, result.code);
    EXPECT_EQ("", result.message);
    EXPECT_EQ(0xFFFFFFFFu, show().streamVersion);
    EXPECT_EQ(0u, show().functions().size());
    EXPECT_EQ(kShowNotOpened, loadShow(dir.filePath("missing").toStdString(), 0x8484, nullptr).code);
    content.magic = 0x006C6971;
    EXPECT_EQ(kShowLoaded, load(buildShow(content), 0x7575).code);
}

TEST_F(ShowLoadingTest, TruncationAndUnsupportedSectionsFailWithCodeThree)
{
    for (quint16 version : {16, 98, 454}) {
        ShowContent content;
        content.version = version;
        content.functions = {{0, "Intensity", 1}};
        content.outputNode = content.settingsFilled = content.daliSchedules = true;
        const QByteArray full = buildShow(content);
        ASSERT_EQ(kShowLoaded, load(full).code) << version;
        // The last section count is the last thing read.
        for (int length = 10; length < full.size(); ++length) {
            const ShowLoadResult result = load(full.left(length));
            ASSERT_EQ(kShowReadFailed, result.code) << version << " cut at " << length;
            EXPECT_EQ("", result.message);
            ASSERT_EQ(1u, log.size());
            EXPECT_EQ(130, log[0].first);
        }
        EXPECT_EQ("Error reading/writing from file\n", log[0].second);
    }

    ShowContent content;
    content.triggerCount = 1;
    const ShowLoadResult result = load(content);
    EXPECT_EQ(kShowReadFailed, result.code);
    EXPECT_EQ("", result.message);
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(130, log[0].first);
    EXPECT_EQ("Unsupported version-1 section: triggers\n", log[0].second);
}

TEST_F(ShowLoadingTest, ProgressStagesStayBalanced)
{
    ProgressTracker progress([](quint32, quint32, void*) {});
    progress.begin(2, 0);
    ShowContent content;
    for (quint16 triggers : {0, 2}) {
        content.triggerCount = triggers;
        ASSERT_TRUE(writeFile(path(), buildShow(content)));
        EXPECT_EQ(triggers ? kShowReadFailed : kShowLoaded, loadShow(path().toStdString(), 0x8484, &progress).code);
        EXPECT_EQ(1, progress.depth());
    }
    progress.end();
}

void expectFilledSettings(const ShowSettings& s, quint16 v, const std::string& folder)
{
    const quint8 q = v >= 4 ? 1 : 0;
    EXPECT_EQ("Project", s.text1);
    EXPECT_EQ("Client", s.text2);
    EXPECT_EQ("Notes", s.text3);
    EXPECT_EQ((ShowSettings::Angle{{quint8(51 * q), quint8(30 * q), 0, q}}), s.latitude);
    EXPECT_EQ(7 * q, s.longitude[1]);
    EXPECT_EQ(v >= 15 ? -20 : 0, s.timeZoneOffset);
    EXPECT_EQ((v >= 85 ? std::array<quint8, 6>{{1, 3, 0, 0, 10, 0}} : std::array<quint8, 6>{{0, 1, 0, 0, 1, 0}}),
              s.daylightSaving);
    EXPECT_EQ(v >= 7 ? 7u : 0xFFFFFFFFu, s.controllerId);
    // Shows below 287 with a web interface text lose the data bytes.
    EXPECT_EQ((v >= 287 ? std::vector<quint8>{1, 2, 3} : std::vector<quint8>{}), s.dataBytes);
    EXPECT_EQ(folder + "/media/a.png", s.backgroundImagePath);
    EXPECT_EQ(1024u, s.planWidth);
    EXPECT_EQ(768u, s.planHeight);
    EXPECT_EQ((ShowColour{10, 20, 30}), s.backgroundColour);
    EXPECT_EQ(v < 46 ? 20 : (v >= 168 && !(v >= 200 && v <= 211)) ? 55 : -1, s.settingsValue);
    EXPECT_TRUE(s.gridVisible);
    EXPECT_EQ(16, s.gridSpacing);
    EXPECT_TRUE(s.settingsFlag);
    EXPECT_EQ((v >= 59 ? ShowColour{1, 2, 3} : ShowColour{255, 0, 0}), s.colour2);
    EXPECT_EQ((v >= 59 ? ShowColour{4, 5, 6} : ShowColour{0, 0, 255}), s.colour3);
    EXPECT_EQ(v >= 9 ? 2u : 0u, s.colourList.size());
    EXPECT_EQ(v >= 69 ? "web" : "", s.webInterfaceText);
    ASSERT_EQ(v >= 78 ? 1u : 0u, s.idMaps.size());
    if (v >= 78) {
        EXPECT_EQ(std::make_pair(6u, 7u), s.idMaps[0].at(5));
    }
    const bool idList = v >= 99 && ((v >= 157 && v <= 199) || v >= 208);
    EXPECT_EQ((idList ? std::vector<quint32>{9, 10} : std::vector<quint32>{}), s.idList);
}

TEST_F(ShowLoadingTest, WholeShowsLoadAtEveryVersion)
{
    for (quint16 v : {3, 8, 9, 14, 16, 20, 30, 50, 97, 98, 99, 150, 160, 200, 212, 219, 286, 287, 302, 356, 454}) {
        SCOPED_TRACE(v);
        ShowContent content;
        content.version = v;
        content.functions = {{0, "Intensity", 1}, {5, "Cyan", 4}};
        content.outputNode = content.settingsFilled = content.daliSchedules = content.dynamicText = true;
        content.groups[7] = {{1, 2}, "Front"};
        const ShowLoadResult result = load(content);
        ASSERT_EQ(kShowLoaded, result.code) << firstLog();
        EXPECT_EQ("", result.message);
        EXPECT_EQ(v, show().streamVersion);
        EXPECT_TRUE(log.empty());

        EXPECT_EQ("Cyan", show().function(5)->name);
        // Stored 0 and 5; added: 23 to 29 below 303, 1 below 313, 22 and 30 below 403.
        EXPECT_EQ(2u + (v < 303 ? 7 : 0) + (v < 313 ? 1 : 0) + (v < 403 ? 2 : 0), show().functions().size());
        expectFilledSettings(show().settings, v, folder());
        EXPECT_EQ(v < 164 || (v >= 200 && v <= 210) ? 1u : 0u, show().groups().size());
        EXPECT_EQ(15, show().showIdentifier()[15]);

        const OutputNodeShowComponent& nodes = show().outputNodes();
        ASSERT_EQ(1u, nodes.nodes.size());
        const OutputNode& node = *nodes.nodes.find(3);
        EXPECT_EQ(38400u, node.interfaceConfig.baudRate);
        EXPECT_EQ(v >= 427, node.nodeFlag);
        EXPECT_EQ(v >= 288 ? 2u : 64u, node.outputSettings.size());
        EXPECT_EQ(v >= 288 ? std::make_pair(7u, 8u) : std::make_pair(1u, 10u), node.outputSettings[1]);
        EXPECT_EQ(v >= 305 ? 1u : 0u, node.values.size());
        ASSERT_EQ(v >= 154 ? 1u : 0u, node.powerSupplies.size());
        if (v >= 154) {
            const KiNETPowerSupply& supply = *node.powerSupplies.find(0);
            EXPECT_EQ(2u, supply.model);
            EXPECT_EQ(0x0A000001u, supply.ipAddress);
            EXPECT_EQ(v >= 218 ? 12u : 1u, supply.number);
            EXPECT_EQ(v >= 218 ? "PSU" : "", supply.text1);
        }
        EXPECT_EQ(v >= 394 ? 1u : 0u, node.universeKeys.size());
        EXPECT_EQ(v >= 384 ? 3 : -1, nodes.lookupId(4));
        EXPECT_EQ(-1, nodes.lookupId(3));
        EXPECT_EQ(v >= 394 ? 1u : 0u, nodes.remoteDevices.size());
        if (v >= 394) {
            RDKey sameDevice;
            sameDevice.kind = 6;  // counts as kind 5
            sameDevice.number = 2;
            EXPECT_EQ(77u, nodes.remoteDevices.at(sameDevice));
        }

        const DALIShowComponent& dali = show().dali();
        EXPECT_EQ(v >= 417, dali.testFlags[0]);
        EXPECT_EQ(v >= 417 ? 3 : 2, dali.testSchedules[0].kind);
        EXPECT_EQ(v >= 417 ? 300 : 1, dali.testSchedules[1].interval);
        EXPECT_EQ(v >= 219 ? 1u : 0u, show().dynamicText().fonts.size());
        EXPECT_EQ(v >= 219 ? 1u : 0u, show().dynamicText().textPresets.size());
    }
    // Default settings written back read as the defaults.
    for (quint16 v : {50, 454}) {
        ShowContent content;
        content.version = v;
        ASSERT_EQ(kShowLoaded, load(content).code);
        const ShowSettings& s = show().settings;
        EXPECT_EQ(800u, s.planWidth);
        EXPECT_EQ(0xFFFFFFFFu, s.controllerId);
        EXPECT_EQ(20, s.settingsValue);
        EXPECT_EQ("", s.backgroundImagePath);
    }
}

TEST_F(ShowLoadingTest, OldTimeZoneFloatsAreSanitised)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const auto& c : {std::make_pair(2.75f, qint16(2)), std::make_pair(nan, qint16(0)),
                          std::make_pair(1e30f, qint16(32767)), std::make_pair(-1e30f, qint16(-32768))}) {
        quint32 bits = 0;
        std::memcpy(&bits, &c.first, 4);
        ShowWriter w(20);
        w.header(0x8484).u16(0).u16(0);  // no functions, no output nodes
        w.u16(0x0114).text("").text("").raw(QByteArray(8, '\0'));
        w.u32(bits).string("").u32(1).u32(1).raw(QByteArray(3, '\0')).u8(0).u8(0).u16(0).u8(0);
        w.string("").u32(0).u32(0).text("").u32(0).u32(0).u32(0).u32(0).u8(0).u32(0).u16(0).u16(0x0115);
        w.u16(0).raw(QByteArray(16, '\0')).raw(QByteArray(34, '\0'));  // groups, identifier, sections
        ASSERT_EQ(kShowLoaded, load(w.data).code);
        EXPECT_EQ(c.second, show().settings.timeZoneOffset);
    }
}

TEST_F(ShowLoadingTest, BackgroundPathResolvesAgainstTheAbsoluteShowFolder)
{
    ShowContent content;
    content.settingsFilled = true;
    ASSERT_TRUE(writeFile(path(), buildShow(content)));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const ShowLoadResult result = loadShow("show.kvq", 0x8484, nullptr);
    QDir::setCurrent(previous);
    EXPECT_EQ(kShowLoaded, result.code);
    EXPECT_EQ(folder(), show().folder);
    EXPECT_EQ(folder() + "/media/a.png", show().settings.backgroundImagePath);

    for (const auto& c : {std::make_pair(QByteArray(".x"), folder() + "/"),
                          std::make_pair(QByteArray("C:\\abs.png"), std::string("C:\\abs.png"))}) {
        content.backgroundImagePath = c.first;
        ASSERT_EQ(kShowLoaded, load(content).code);
        EXPECT_EQ(c.second, show().settings.backgroundImagePath);
    }
}

TEST_F(ShowLoadingTest, GroupTable)
{
    const struct
    {
        quint16 version;
        bool present, named;
    } cases[] = {{16, true, false},   {150, true, false},  {160, true, true},  {163, true, true},
                 {164, false, false}, {199, false, false}, {200, true, false}, {207, true, false},
                 {208, true, true},   {210, true, true},   {211, false, false}, {454, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        ShowContent content;
        content.version = c.version;
        content.groups[7] = {{1, 2}, "Front"};
        content.groups[2] = {{}, "Empty"};
        ASSERT_EQ(kShowLoaded, load(content).code);
        const auto& groups = show().groups();
        ASSERT_EQ(c.present ? 2u : 0u, groups.size());
        if (c.present) {
            EXPECT_EQ((std::set<quint16>{1, 2}), groups.at(7).members);
            EXPECT_EQ(c.named ? "Front" : "", groups.at(7).name);
        }
    }

    show().addGroup(5);
    show().setGroupMembers(5, {4});
    show().addGroup(5);
    EXPECT_EQ((std::set<quint16>{4}), show().groups().at(5).members);
    show().clearGroupMembers(5);
    show().clearGroupMembers(6);
    EXPECT_TRUE(show().groups().at(5).members.empty());
    EXPECT_EQ("Unknown group id", errorOf([&] { show().setGroupMembers(6, {1}); }));
}

TEST_F(ShowLoadingTest, DefaultFunctionUpdatesAndRenumbering)
{
    ShowContent content;
    content.version = 302;
    for (quint16 id = 0; id <= 22; ++id)
        content.functions.push_back({id, QString("F%1").arg(id), 1});
    ASSERT_EQ(kShowLoaded, load(content).code);
    EXPECT_EQ(31u, show().functions().size());
    EXPECT_EQ("Colour Temp Correct", show().function(1)->name);
    EXPECT_EQ(4u, show().function(1)->categoryMask);
    EXPECT_EQ("Old White", show().function(22)->name);
    EXPECT_EQ(1u, show().function(22)->categoryMask);
    EXPECT_EQ("Calculated 1", show().function(23)->name);
    EXPECT_EQ("White", show().function(30)->name);
    EXPECT_EQ("F5", show().function(5)->name);

    content.version = 403;
    content.functions = {{1, "Mine", 9}};
    ASSERT_EQ(kShowLoaded, load(content).code);
    EXPECT_EQ(1u, show().functions().size());
    EXPECT_EQ("Mine", show().function(1)->name);

    content.version = 312;
    ASSERT_EQ(kShowLoaded, load(content).code);
    EXPECT_EQ("Colour Temp Correct", show().function(1)->name);
    EXPECT_EQ(4u, show().function(1)->categoryMask);
    EXPECT_EQ(3u, show().functions().size());  // 22 and 30 added
    // Without function 1 it is made from the table.
    content.functions = {{0, "Intensity", 1}};
    ASSERT_EQ(kShowLoaded, load(content).code);
    ASSERT_NE(nullptr, show().function(1));
    EXPECT_EQ("Colour Temp Correct", show().function(1)->name);

    // Older shows: ids are renumbered, and each load starts from the default threshold.
    content.version = 130;
    content.functions = {{0, "Intensity", 1}, {24, "Mine", 2}, {40, "Other", 2}};
    ASSERT_EQ(kShowLoaded, load(content).code);
    EXPECT_EQ(23u, functionRenumberThreshold());
    EXPECT_EQ("Mine", show().function(33)->name);
    EXPECT_EQ("Other", show().function(44)->name);
    content.functions = {{0, "Intensity", 1}, {40, "Other", 2}};
    ASSERT_EQ(kShowLoaded, load(content).code);
    EXPECT_EQ(128u, functionRenumberThreshold());
    EXPECT_EQ("Other", show().function(44)->name);
    content.version = 66;
    content.functions = {{22, "Old", 4}};
    ASSERT_EQ(kShowLoaded, load(content).code);
    EXPECT_EQ("Old", show().function(32)->name);
}

TEST_F(ShowLoadingTest, DynamicTextAtItsVersions)
{
    struct Expected
    {
        quint16 version;
        quint32 fontPresets;  // stored from 242, else counted from the presets
        bool styleFlag2;      // stored from 241
        quint32 slotCount;    // from 222
        quint16 direction;    // swapped below 393 when the orientation is 1
        quint32 offset;       // stored from 393, else derived
        quint16 numberC;      // from 224
        quint16 sourceKind;   // 245 to 279 and from 282
        quint32 secondMap;    // from 222
        const char* upper;    // from 362, cut below 389
    };
    const Expected cases[] = {
        {220, 1, true, 0, 0, 0, 4, 0, 0, "%X"},        {240, 1, true, 1, 1, 40, 6, 0, 1, "%X"},
        {250, 7, false, 1, 1, 40, 6, 2, 1, "%X"},      {280, 7, false, 1, 1, 40, 6, 0, 1, "%X"},
        {370, 7, false, 1, 1, 40, 6, 2, 1, "%X"},      {389, 7, false, 1, 1, 40, 6, 2, 1, "ab%Xcd%X"},
        {454, 7, false, 1, 0, 1234, 6, 2, 1, "ab%Xcd%X"},
    };
    for (const Expected& e : cases) {
        SCOPED_TRACE(e.version);
        ShowContent content;
        content.version = e.version;
        content.dynamicText = true;
        ASSERT_EQ(kShowLoaded, load(content).code) << firstLog();
        const DynamicTextShowComponent& text = show().dynamicText();

        const FontData& font = text.getFont(2);
        EXPECT_EQ("Arial", font.name);
        EXPECT_EQ("Bold", font.secondName);
        EXPECT_EQ(24u, font.size);
        EXPECT_TRUE(font.styleFlag0);
        EXPECT_FALSE(font.styleFlag1);
        EXPECT_EQ(e.styleFlag2, font.styleFlag2);
        EXPECT_EQ(e.fontPresets, font.presetCount);

        ASSERT_EQ(e.slotCount, text.textSlots.size());
        EXPECT_EQ(e.slotCount ? 1u : DynamicTextShowComponent::kTimeSource, text.textSources.at("time"));
        EXPECT_EQ(DynamicTextShowComponent::kDateSource, text.textSources.at("date"));

        const DynamicTextPreset& preset = text.getTextPreset(5);
        EXPECT_EQ((std::list<std::pair<quint16, quint32>>{{1, 100}, {2, 200}}), preset.parts);
        EXPECT_EQ(std::vector<std::string>{"Hello"}, preset.strings);
        EXPECT_EQ((std::vector<quint32>{3, 4}), preset.numbers);
        EXPECT_EQ(2u, preset.fontId);
        EXPECT_EQ(9, preset.byteA);
        EXPECT_EQ(2, preset.alignment);
        EXPECT_EQ(e.version >= 231 ? 1 : 0, preset.orientation);
        EXPECT_EQ(8, preset.byteB);
        EXPECT_EQ(e.direction, preset.direction);
        EXPECT_EQ(e.offset, preset.offset);
        EXPECT_EQ(e.version >= 223 ? 3 : 0, preset.changeBehaviour);
        EXPECT_EQ(e.numberC, preset.numberC);
        EXPECT_EQ(e.sourceKind, preset.sourceKind);
        EXPECT_EQ(e.sourceKind ? 77 : 0, preset.sourceValue);
        EXPECT_EQ(40, preset.valueA);
        EXPECT_EQ(e.version >= 226 ? 50 : 0, preset.valueB);

        EXPECT_EQ((std::map<quint32, std::set<quint32>>{{2, {5}}}), text.presetsByFont);
        EXPECT_EQ(e.secondMap, text.secondPresetsByFont.size());
        EXPECT_EQ(e.upper, text.upperCaseFormat);
        EXPECT_EQ("%x", text.lowerCaseFormat);
    }

    // A wrong closing marker of a font fails the load.
    ShowContent content;
    content.dynamicText = true;
    QByteArray bytes = buildShow(content);
    const int fontEnd = bytes.indexOf(QByteArray("\x3D\x01", 2));
    ASSERT_GT(fontEnd, 0);
    bytes[fontEnd] = '\x3E';
    EXPECT_EQ(kShowReadFailed, load(bytes).code);
    EXPECT_EQ("Magic number doesn't match 317\n", firstLog());
}

TEST_F(ShowLoadingTest, LoadsShowFilesAndBundlesByKind)
{
    ProgressTracker progress;
    ShowContent content;
    content.magic = 0x9393;
    content.functions = {{5, "Cyan", 4}};
    ASSERT_TRUE(writeFile(dir.filePath("plain.wvq"), buildShow(content)));
    EXPECT_EQ(kShowLoaded, loadShowFile(dir.filePath("plain.wvq"), QString(), QString(), progress).code);
    EXPECT_EQ("Cyan", _gpShow->function(5)->name);
    EXPECT_EQ(kShowNotOpened, loadShowFile(dir.filePath("plain.wvq"), "kvq", QString(), progress).code);

    ASSERT_TRUE(writeFile(dir.filePath("bundle.wvx"), buildBundle({{"notes.txt", "x"}, {"show.wvq", buildShow(content)}})));
    ASSERT_TRUE(QDir(dir.path()).mkpath("expanded"));
    const ShowLoadResult result = loadShowFile(dir.filePath("bundle.wvx"), "wvx", dir.filePath("expanded"), progress);
    EXPECT_EQ(kShowLoaded, result.code);
    EXPECT_EQ(dir.filePath("expanded").toStdString(), _gpShow->folder);

    ASSERT_TRUE(writeFile(dir.filePath("broken.wvx"), buildBundle({{"../x", "x"}})));
    const ShowLoadResult broken =
        loadShowFile(dir.filePath("broken.wvx"), "wvx", dir.filePath("expanded2"), progress);
    EXPECT_EQ(kShowNotOpened, broken.code);
    EXPECT_EQ("Bad bundled file name", broken.message);
}

}  // namespace
