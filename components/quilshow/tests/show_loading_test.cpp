#include "components/quilshow/show/default_functions.h"
#include "components/quilshow/show/fixture.h"
#include "components/quilshow/show/palette.h"
#include "components/quilshow/tests/show_load_fixture.h"
#include "seltrane_components/os/progress_tracker.h"
#include "tests/support/corruption.h"

#include <QDir>
#include <QRegularExpression>

#include <cstring>

#include <exception>
#include <limits>
#include <tuple>

using namespace Quil;

namespace {

typedef ShowLoadFixture ShowLoadingTest;

// Replaces `text` by `with` in the rows of `table`.
void setRow(ShowTable& table, const std::string& text, const std::string& with)
{
    for (ShowRow& row : table) {
        const std::size_t at = row.text.find(text);
        if (at != std::string::npos)
            row.text.replace(at, text.size(), with);
    }
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
    // One above the newest version (which every gate sweep reads).
    ShowContent content {455};
    for (const auto& c : {std::make_pair("020125", " (2.1.37)"), std::make_pair("020185", " (2.1 BETA 5)")}) {
        content.tables.header[0].text = c.first;
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
    for (quint16 version : {16, 454}) {
        const QByteArray full = buildShow({version});
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

// Every reader's table read on both sides of each of its gates, and every
// section compared whole with what that version holds.
TEST_F(ShowLoadingTest, EveryGateOfEveryReaderFromBothSides)
{
    const ShowTables tables;
    for (const quint16 v : gateVersions(tables.all())) {
        SCOPED_TRACE(v);
        ASSERT_EQ(kShowLoaded, load(ShowContent {v}).code) << firstLog();
        EXPECT_TRUE(log.empty());
        EXPECT_EQ(std::make_tuple(v, v >= 107 ? 3 : 0xFF, v >= 107 ? 1 : 0xFF, std::string(v >= 124 ? "header" : "")),
                  std::make_tuple(quint16(show().streamVersion), int(show().savedByMajor), int(show().savedByBuild),
                                  show().headerText));
        EXPECT_TRUE(show().functions() == Expected::functions(v));
        OutputNodeShowComponent nodes;
        Expected::outputNodes(v, nodes);
        EXPECT_TRUE(show().outputNodes() == nodes);
        EXPECT_TRUE(show().settings == Expected::settings(v));
        EXPECT_TRUE(show().groups() == Expected::groups(v));
        EXPECT_EQ(15, show().showIdentifier()[15]);
        FixtureShowComponent fixtures;
        Expected::fixtures(v, fixtures);
        EXPECT_TRUE(show().fixtures() == fixtures);
        typedef std::map<quint32, quint16> Values;
        EXPECT_EQ((v >= 304 && v <= 352 ? Values {{1, 42}, {2, 42}} : Values()), elementValueMap());
        EXPECT_TRUE(show().palettes() == Expected::palettes(v));
        DALIShowComponent dali;
        Expected::dali(v, dali);
        EXPECT_TRUE(show().dali() == dali);
        EXPECT_TRUE(static_cast<const DynamicTextTables&>(show().dynamicText()) == Expected::dynamicText(v));
        // The last sections read on their own take their bytes exactly (what follows them is not checked).
        DALIShowComponent().read(open(v, tables.dali));
        EXPECT_EQ(0u, in.bytesLeft());
        if (v >= 219) {
            DynamicTextShowComponent().read(open(v, tables.dynamicText));
            EXPECT_EQ(0u, in.bytesLeft());
        }
    }
}

TEST_F(ShowLoadingTest, OldTimeZoneFloatsAreSanitised)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const auto& c : {std::make_pair(2.75f, qint16(2)), std::make_pair(nan, qint16(0)),
                          std::make_pair(1e30f, qint16(32767)), std::make_pair(-1e30f, qint16(-32768))}) {
        ShowContent content {20};
        quint32 bits = 0;
        std::memcpy(&bits, &c.first, sizeof bits);
        setRow(content.tables.settings, "0000a4c1", hex32(bits));
        ASSERT_EQ(kShowLoaded, load(content).code);
        EXPECT_EQ(c.second, show().settings.timeZoneOffset);
    }
}

TEST_F(ShowLoadingTest, BackgroundPathResolvesAgainstTheAbsoluteShowFolder)
{
    ShowContent content;
    setRow(content.tables.settings, "\"a.png\"", "\"./media/a.png\"");
    ASSERT_TRUE(writeFile(path(), buildShow(content)));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const ShowLoadResult result = loadShow("show.kvq", 0x8484, nullptr);
    QDir::setCurrent(previous);
    EXPECT_EQ(kShowLoaded, result.code);
    EXPECT_EQ(folder() + "/media/a.png", show().settings.backgroundImagePath);
    EXPECT_EQ("./media/a.png", show().settings.storedBackgroundImagePath);

    for (const auto& c : {std::make_pair(std::string(".x"), folder() + "/"),
                          std::make_pair(std::string("C:\\abs.png"), std::string("C:\\abs.png"))}) {
        ShowContent other;
        setRow(other.tables.settings, "\"a.png\"", "\"" + c.first + "\"");
        ASSERT_EQ(kShowLoaded, load(other).code);
        EXPECT_EQ(c.second, show().settings.backgroundImagePath);
    }
}

TEST_F(ShowLoadingTest, FunctionsLowerTheRenumberingThresholdForOneLoad)
{
    // At 130, 24 lowers the threshold and 40 does not; each load starts from the default one.
    ShowContent content {130};
    for (const auto& [stored, current] : {std::make_pair(24, 33), std::make_pair(40, 44)}) {
        content.tables.functions = {{0, kAll, "0100 0201" + hex16(quint16(stored)) + "'Mine' 02000000 0301"}};
        ASSERT_EQ(kShowLoaded, load(content).code);
        EXPECT_EQ("Mine", show().function(current)->name);
    }
    EXPECT_EQ(128u, functionRenumberThreshold());
}

TEST_F(ShowLoadingTest, LoadsShowFilesAndBundlesByKind)
{
    ProgressTracker progress;
    ShowContent content;
    content.magic = 0x9393;
    ASSERT_TRUE(writeFile(dir.filePath("plain.wvq"), buildShow(content)));
    EXPECT_EQ(kShowLoaded, loadShowFile(dir.filePath("plain.wvq"), QString(), QString(), progress).code);
    EXPECT_EQ("Pan", _gpShow->function(3)->name);
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
        static const QRegularExpression bundleError(QStringLiteral(
            "^(|Cannot open bundle file|Bad bundler magicnum|Bad bundle file count|"
            "Bad file (start|end) magicnum|Error reading bundled file|Bad bundled file name|"
            "(Couldn't unbundle|Error writing unbundled) file .+ of the bundle .+|The bundle holds no show file)$"));
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
    for (quint16 version : {16, 219, 454}) {
        SCOPED_TRACE(version);
        const QByteArray original = buildShow({version});
        ASSERT_EQ(kShowLoaded, load(original).code);
        Corruption::forEachDamage(original, version, 150, 9, [&](const Corruption::Damaged& d) {
            if (failures < 5)
                check(load(d.bytes), d);
        });
    }
}

TEST_F(ShowCorruptionTest, DamagedBundlesExpandOrFailWithTheirCode)
{
    const QByteArray original = buildBundle({{"media/notes.txt", "notes"}, {"show.kvq", buildShow({})}});
    const QString bundlePath = dir.filePath("bundle.kvx");
    int round = 0;
    Corruption::forEachDamage(original, 7, 150, 17, [&](const Corruption::Damaged& d) {
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
