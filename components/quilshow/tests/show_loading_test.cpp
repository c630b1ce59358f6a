#include "components/quilshow/show/default_functions.h"
#include "components/quilshow/show/fixture.h"
#include "components/quilshow/show/palette.h"
#include "components/quilshow/tests/show_load_fixture.h"
#include "seltrane_components/os/progress_tracker.h"
#include "tests/support/corruption.h"

#include <QDir>
#include <QRegularExpression>

#include <exception>
#include <limits>
#include <tuple>

using namespace Quil;

namespace {

typedef ShowLoadFixture ShowLoadingTest;

// A show with an item in every section the reader takes.
ShowContent filledShow(quint16 version)
{
    ShowContent content;
    content.version = version;
    content.functions = {{0, "Intensity", 1}, {3, "Pan", 2}, {5, "Cyan", 4}};
    content.groups[7] = {{1, 2}, "Front"};
    // Element 2 has a type-4 parameter without a function.
    content.elements = {{1, {0, 3}, 2}, {2, {0xFFFF}, 1}, {3, {4}, 0}};
    content.fixtures = {{1, {1, 2}}, {10, {3}}};
    content.palettes = {{2, {0, 5}}, {4, {}}};
    content.daliFixtures = {{3, 10}, {5, 10}};
    return content;
}

TEST_F(ShowLoadingTest, NewShowDefaultsAndLifetime)
{
    ASSERT_EQ(31u, show().functions().size());
    EXPECT_EQ("Colour Mode", show().function(8)->name);  // table rows 8 and 9 swap ids
    // Adding text marks the show modified; with no font yet a preset gets one; 16 fonts at most.
    DynamicTextShowComponent& text = show().dynamicText();
    EXPECT_EQ(0, text.addTextPreset());
    EXPECT_EQ(1, show().modified);
    EXPECT_EQ(1u, text.getFont(0).presetCount);
    for (int id = 1; id < 16; ++id)
        text.addFont();
    EXPECT_EQ(-1, text.addFont());
    // A full preset table changes nothing, and makes no font for the preset.
    while (text.addTextPreset() >= 0) {}
    EXPECT_EQ(1024u, text.textPresets.size());
    show().modified = 0;
    EXPECT_EQ(-1, text.addTextPreset());
    EXPECT_EQ(1024u, text.getFont(0).presetCount);
    EXPECT_EQ(0, show().modified);
    quint16 modified = 0;
    DynamicTextShowComponent fontless(&modified);
    for (int id = 0; id < 1024; ++id)
        ASSERT_EQ(id, fontless.textPresets.insert(new DynamicTextPreset));
    EXPECT_EQ(-1, fontless.addTextPreset());
    EXPECT_TRUE(fontless.fonts.empty());
    EXPECT_EQ(0, modified);

    destroyShow(false);
    EXPECT_NE(nullptr, _gpShow);
    destroyShow(true);
    destroyShow(true);
    EXPECT_EQ(nullptr, _gpShow);
    createShow(9);
    EXPECT_EQ("Unknown group id", errorOf([&] { show().setGroupMembers(6, {1}); }));
}

TEST_F(ShowLoadingTest, VersionGateMagicAndProgress)
{
    ShowContent content;
    content.version = 455;
    content.savedBy[0] = 2;
    content.savedBy[1] = 1;
    for (const auto& c : {std::make_pair(37, " (2.1.37)"), std::make_pair(0x85, " (2.1 BETA 5)")}) {
        content.savedBy[2] = static_cast<quint8>(c.first);
        const ShowLoadResult result = load(content);
        EXPECT_EQ(kShowTooNew, result.code);
        EXPECT_EQ(std::string("attempting to load show created in a newer version of software") + c.second,
                  result.message);
    }

    // A wrong magic gives code 1 and a reset show.
    content.version = 454;
    content.magic = 0x9393;
    EXPECT_EQ(kShowNotOpened, load(buildShow(content), 0x8484).code);
    EXPECT_EQ(0u, show().functions().size());
    EXPECT_EQ(kShowNotOpened, loadShow(dir.filePath("missing").toStdString(), 0x8484, nullptr).code);
    // Progress stages stay balanced whether the load works or fails.
    ProgressTracker progress([](quint32, quint32, void*) {});
    progress.begin(2, 0);
    for (quint16 triggers : {0, 2}) {
        ShowContent c;
        c.triggerCount = triggers;
        ASSERT_TRUE(writeFile(path(), buildShow(c)));
        EXPECT_EQ(triggers ? kShowReadFailed : kShowLoaded, loadShow(path().toStdString(), 0x8484, &progress).code);
        EXPECT_EQ(1, progress.depth());
    }
    progress.end();
    EXPECT_EQ("Unsupported version-1 section: triggers\n", firstLog());
}

TEST_F(ShowLoadingTest, TruncatedShowsFailWithCodeThree)
{
    for (quint16 version : {16, 98, 454}) {
        ShowContent content;
        content.version = version;
        content.functions = {{0, "Intensity", 1}};
        const QByteArray full = buildShow(content);
        ASSERT_EQ(kShowLoaded, load(full).code) << version;
        for (int length = 10; length < full.size(); ++length) {
            const ShowLoadResult result = load(full.left(length));
            ASSERT_EQ(kShowReadFailed, result.code) << version << " cut at " << length;
            ASSERT_EQ(1u, log.size());
            EXPECT_EQ(130, log[0].first);
        }
        EXPECT_EQ("Error reading/writing from file\n", firstLog());
    }
}

TEST_F(ShowLoadingTest, WholeShowsLoadAtEveryVersion)
{
    for (quint16 v : {3,   8,   14,  16,  20,  46,  47,  50,  97,  98,  99,  149, 150,
                      160, 164, 200, 208, 212, 219, 234, 235, 287, 302, 356, 417, 454}) {
        SCOPED_TRACE(v);
        ASSERT_EQ(kShowLoaded, load(filledShow(v)).code) << firstLog();
        EXPECT_EQ(v, show().streamVersion);
        EXPECT_TRUE(log.empty());
        EXPECT_EQ("Cyan", show().function(5)->name);
        // Stored 0, 3 and 5; added: 23 to 29 below 303, 1 below 313, 22 and 30 below 403.
        EXPECT_EQ(3u + (v < 303 ? 7 : 0) + (v < 313 ? 1 : 0) + (v < 403 ? 2 : 0), show().functions().size());

        const ShowSettings& s = show().settings;
        EXPECT_EQ(v >= 15 ? -20 : 0, s.timeZoneOffset);
        // Shows below 287 with a web interface text lose the data bytes.
        EXPECT_EQ((v >= 287 ? std::vector<quint8> {1, 2, 3} : std::vector<quint8> {}), s.dataBytes);
        EXPECT_EQ(folder() + "/media/a.png", s.backgroundImagePath);
        EXPECT_EQ(v < 46 ? 20 : (v >= 168 && !(v >= 200 && v <= 211)) ? 55 : -1, s.settingsValue);
        EXPECT_EQ(v >= 99 && ((v >= 157 && v <= 199) || v >= 208) ? 2u : 0u, s.idList.size());
        const bool hasGroups = v < 164 || (v >= 200 && v <= 210);
        ASSERT_EQ(hasGroups ? 1u : 0u, show().groups().size());
        if (hasGroups) {
            EXPECT_EQ((v >= 158 && v <= 199) || v >= 208 ? "Front" : "", show().groups().at(7).name);
        }
        EXPECT_EQ(15, show().showIdentifier()[15]);

        const OutputNodeShowComponent& nodes = show().outputNodes();
        const OutputNode& node = *nodes.nodes.find(3);
        EXPECT_EQ(v >= 288 ? std::make_pair(7u, 8u) : std::make_pair(1u, 10u), node.outputSettings[1]);
        ASSERT_EQ(v >= 154 ? 1u : 0u, node.powerSupplies.size());
        if (v >= 154) {
            EXPECT_EQ(v >= 218 ? 12u : 1u, node.powerSupplies.find(0)->number);
        }
        EXPECT_EQ(v >= 384 ? 3 : -1, nodes.lookupId(4));
        EXPECT_EQ(v >= 394 ? 1u : 0u, nodes.remoteDevices.size());
        EXPECT_EQ(v >= 219 ? 1u : 0u, show().dynamicText().textPresets.size());

        const FixtureShowComponent& fixtures = show().fixtures();
        ASSERT_EQ(std::make_pair(3u, 2u), std::make_pair(fixtures.elements.size(), fixtures.fixtures.size()));
        EXPECT_EQ(std::make_pair(2u, 1u),
                  std::make_pair(fixtures.elements.find(1)->patchRecords.size(),
                                 fixtures.elements.find(2)->patchRecords.size()));
        EXPECT_EQ(0xFFFF, fixtures.elements.find(2)->parameters[0].function);
        ASSERT_EQ(2u, show().palettes().size());
        const PaletteColourRecord& colours = show().palettes().find(2)->colourRecord;
        ASSERT_EQ(2u, colours.values.size());
        EXPECT_EQ(std::make_tuple(10000u, 5, 30000u),
                  std::make_tuple(colours.getTime(), int(colours.values[1].function), colours.values[1].getNumber1()));
        const DALIShowComponent& dali = show().dali();
        EXPECT_EQ(v >= 47 ? 2u : 0u, dali.fixtures.size());
        EXPECT_EQ(v >= 47 ? 3 : -1, dali.getDaliFixtureId(10));
        EXPECT_EQ(v >= 417 ? 300 : 1, dali.testSchedules[1].interval);
    }
}

TEST_F(ShowLoadingTest, OldTimeZoneFloatsAreSanitised)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const auto& c : {std::make_pair(2.75f, qint16(2)), std::make_pair(nan, qint16(0)),
                          std::make_pair(1e30f, qint16(32767)), std::make_pair(-1e30f, qint16(-32768))}) {
        ShowContent content;
        content.version = 20;
        content.oldTimeZone = c.first;
        ASSERT_EQ(kShowLoaded, load(content).code);
        EXPECT_EQ(c.second, show().settings.timeZoneOffset);
    }
}

TEST_F(ShowLoadingTest, BackgroundPathResolvesAgainstTheAbsoluteShowFolder)
{
    ShowContent content;
    ASSERT_TRUE(writeFile(path(), buildShow(content)));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const ShowLoadResult result = loadShow("show.kvq", 0x8484, nullptr);
    QDir::setCurrent(previous);
    EXPECT_EQ(kShowLoaded, result.code);
    EXPECT_EQ(folder() + "/media/a.png", show().settings.backgroundImagePath);

    for (const auto& c : {std::make_pair(QByteArray(".x"), folder() + "/"),
                          std::make_pair(QByteArray("C:\\abs.png"), std::string("C:\\abs.png"))}) {
        content.backgroundImagePath = c.first;
        ASSERT_EQ(kShowLoaded, load(content).code);
        EXPECT_EQ(c.second, show().settings.backgroundImagePath);
    }
}

TEST_F(ShowLoadingTest, DefaultFunctionUpdatesAndRenumbering)
{
    ShowContent content;
    content.version = 302;
    for (quint16 id = 0; id <= 22; ++id)
        content.functions.push_back({id, QString("F%1").arg(id), 1});
    ASSERT_EQ(kShowLoaded, load(content).code);
    EXPECT_EQ(31u, show().functions().size());
    EXPECT_EQ(std::make_tuple(std::string("Colour Temp Correct"), std::string("Old White"), std::string("F5")),
              std::make_tuple(show().function(1)->name, show().function(22)->name, show().function(5)->name));

    // Older shows: ids are renumbered (24 lowers the threshold), and each load starts from the default one.
    content.version = 130;
    for (const auto& f : {ShowContent::FunctionRecord {24, "Mine", 2}, ShowContent::FunctionRecord {40, "Other", 2}}) {
        content.functions = {{0, "Intensity", 1}, f};
        ASSERT_EQ(kShowLoaded, load(content).code);
        EXPECT_EQ(f.name.toStdString(), show().function(f.id == 24 ? 33 : 44)->name);
    }
    EXPECT_EQ(128u, functionRenumberThreshold());
}

TEST_F(ShowLoadingTest, DynamicTextAtItsVersions)
{
    // Font presets stored from 242, else counted; direction swapped below 393 when the orientation is 1; offset
    // stored from 393, else derived; source kind 245 to 279 and from 282; upper-case format from 362, cut below 389.
    const std::tuple<quint16, quint32, quint16, quint32, quint16, std::string> cases[] = {
        {220, 1, 0, 0, 0, "%X"},    {250, 7, 1, 40, 2, "%X"},         {280, 7, 1, 40, 0, "%X"},
        {370, 7, 1, 40, 2, "%Xef"}, {389, 7, 1, 40, 2, "ab%Xcd%Xef"}, {454, 7, 0, 1234, 2, "ab%Xcd%Xef"}};
    for (const auto& [version, fontPresets, direction, offset, sourceKind, upper] : cases) {
        SCOPED_TRACE(version);
        ShowContent content;
        content.version = version;
        ASSERT_EQ(kShowLoaded, load(content).code) << firstLog();
        const DynamicTextShowComponent& text = show().dynamicText();
        const DynamicTextPreset& preset = text.getTextPreset(5);
        EXPECT_EQ(std::make_tuple(fontPresets, version >= 222 ? 1u : DynamicTextShowComponent::kTimeSource, direction,
                                  offset, sourceKind, version >= 226 ? 50 : 0, upper),
                  std::make_tuple(text.getFont(2).presetCount, text.textSources.at("time"), preset.direction,
                                  preset.offset, preset.sourceKind, int(preset.valueB), text.upperCaseFormat));
    }
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

    ASSERT_TRUE(writeFile(dir.filePath("bundle.wvx"), buildBundle({{"a.txt", "x"}, {"s.wvq", buildShow(content)}})));
    ASSERT_TRUE(QDir(dir.path()).mkpath("expanded"));
    EXPECT_EQ(kShowLoaded, loadShowFile(dir.filePath("bundle.wvx"), "wvx", dir.filePath("expanded"), progress).code);
    EXPECT_EQ(dir.filePath("expanded").toStdString(), _gpShow->folder);
}

// Damaged shows and bundles: whatever the damage, a load ends in one of the
// documented results and never in a crash, a hang or an allocation the file
// does not pay for (the sanitizer builds watch for those).
class ShowCorruptionTest : public ShowLoadFixture
{
protected:
    // Checks one outcome against the documented ones; stops reporting after five failures.
    void check(const ShowLoadResult& result, const Corruption::Damaged& d)
    {
        static const QRegularExpression readError(
            QStringLiteral("^(Error reading/writing from file|Magic number doesn't match \\d+|"
                           "Unsupported version-1 section: [A-Za-z -]+|Error loading patch|"
                           "Unknown fixture element id)\n$"));
        static const QRegularExpression bundleError(
            QStringLiteral("^(|Cannot open bundle file|Bad bundler magicnum|Bad bundle file count|"
                           "Bad file (start|end) magicnum|Error reading bundled file|Bad bundled file name|"
                           "Couldn't unbundle file|Error writing unbundled file|The bundle holds no show file)$"));
        bool ok = false;
        if (result.code == kShowLoaded)
            ok = result.message.empty() && log.empty();
        else if (result.code == kShowNotOpened)
            ok = log.empty() && bundleError.match(QString::fromStdString(result.message)).hasMatch();
        else if (result.code == kShowTooNew)
            ok = result.message.rfind("attempting to load show created in a newer version", 0) == 0;
        else if (result.code == kShowReadFailed)
            ok = log.size() == 1 && readError.match(QString::fromStdString(log[0].second)).hasMatch();
        if (!ok && failures++ < 5) {
            ADD_FAILURE() << d.what << ": code " << result.code << " message '" << result.message << "' log '"
                          << firstLog() << "'";
        }
    }

    int failures = 0;
};

TEST_F(ShowCorruptionTest, DamagedShowsLoadOrFailWithTheirCode)
{
    for (quint16 version : {16, 98, 219, 454}) {
        SCOPED_TRACE(version);
        const QByteArray original = buildShow(filledShow(version));
        ASSERT_EQ(kShowLoaded, load(original).code);
        Corruption::forEachDamage(original, version, 300, 2, [&](const Corruption::Damaged& d) {
            if (failures < 5)
                check(load(d.bytes), d);
        });
    }
}

TEST_F(ShowCorruptionTest, DamagedBundlesExpandOrFailWithTheirCode)
{
    const QByteArray original = buildBundle({{"media/notes.txt", "notes"}, {"show.kvq", buildShow(filledShow(454))}});
    const QString bundlePath = dir.filePath("bundle.kvx");
    int round = 0;
    Corruption::forEachDamage(original, 7, 300, 3, [&](const Corruption::Damaged& d) {
        if (failures >= 5)
            return;
        ASSERT_TRUE(writeFile(bundlePath, d.bytes));
        // Each expansion gets an empty folder of its own.
        const QString folder = dir.filePath(QStringLiteral("x%1").arg(round++));
        ASSERT_TRUE(QDir().mkpath(folder));
        log.clear();
        ProgressTracker progress;
        try {
            check(loadShowFile(bundlePath, "kvx", folder, progress), d);
        } catch (const std::exception& e) {
            ADD_FAILURE() << d.what << ": " << e.what();
            ++failures;
        }
        EXPECT_EQ(0, progress.depth()) << d.what;
        // Whatever was expanded can be removed again by the converter.
        EXPECT_TRUE(QDir(folder).removeRecursively()) << d.what;
    });
}

}  // namespace
