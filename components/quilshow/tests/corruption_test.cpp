// Damaged shows and bundles: whatever the damage, a load ends in one of the
// documented results and never in a crash, a hang or an allocation the file
// does not pay for (the sanitizer builds watch for those).
#include "components/archive/tests/corruption.h"
#include "components/quilshow/show/bundler.h"
#include "components/quilshow/tests/show_load_fixture.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QDir>
#include <QRegularExpression>

#include <exception>
#include <set>

using namespace Quil;

namespace {

// The only texts a failed read may log: the stream's and the sections' own.
bool isDocumentedReadError(const std::string& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(Error reading/writing from file|Magic number doesn't match \\d+|"
                       "Unsupported version-1 section: [A-Za-z -]+)\n$"));
    return pattern.match(QString::fromStdString(text)).hasMatch();
}

bool isDocumentedBundleError(const std::string& text)
{
    static const std::set<std::string> kTexts{
        "",  // the expanded show did not open
        "Cannot open bundle file", "Bad bundler magicnum", "Bad bundle file count", "Bad file start magicnum",
        "Error reading bundled file", "Bad bundled file name", "Couldn't unbundle file",
        "Error writing unbundled file", "Bad file end magicnum", "The bundle holds no show file"};
    return kTexts.count(text) != 0;
}

ShowContent filledShow(quint16 version)
{
    ShowContent content;
    content.version = version;
    content.functions = {{0, "Intensity", 1}, {5, "Cyan", 4}, {40, "Mine", 2}};
    content.outputNode = content.settingsFilled = content.daliSchedules = content.dynamicText = true;
    content.groups[7] = {{1, 2}, "Front"};
    content.groups[9] = {{}, "Back"};
    return content;
}

class ShowCorruptionTest : public ShowLoadFixture
{
protected:
    // Checks one outcome; the tests stop after five failures to keep the report short.
    void check(const ShowLoadResult& result, const Corruption::Damaged& d)
    {
        bool ok = false;
        switch (result.code) {
        case kShowLoaded:
        case kShowNotOpened:
            ok = result.message.empty() && log.empty();
            break;
        case kShowTooNew:
            ok = result.message.rfind("attempting to load show created in a newer version", 0) == 0;
            break;
        case kShowReadFailed:
            ok = log.size() == 1 && isDocumentedReadError(log[0].second);
            break;
        default:
            break;
        }
        if (!ok) {
            ADD_FAILURE() << d.what << ": code " << result.code << " message '" << result.message << "' log '"
                          << firstLog() << "'";
            ++failures;
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
    const QByteArray show = buildShow(filledShow(454));
    const QByteArray original = buildBundle({{"media/notes.txt", "notes"}, {"show.kvq", show}});
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
        ShowLoadResult result;
        try {
            result = loadShowFile(bundlePath, "kvx", folder, progress);
        } catch (const std::exception& e) {
            ADD_FAILURE() << d.what << ": " << e.what();
            ++failures;
            return;
        }
        EXPECT_EQ(0, progress.depth()) << d.what;
        if (result.code == kShowNotOpened && !isDocumentedBundleError(result.message)) {
            ADD_FAILURE() << d.what << ": " << result.message;
            ++failures;
        } else if (result.code != kShowNotOpened) {
            check(result, d);
        }
        // Whatever was expanded can be removed again by the converter.
        EXPECT_TRUE(QDir(folder).removeRecursively()) << d.what;
    });
}

TEST_F(ShowCorruptionTest, BundledNamesAreDecodedLikeShowTexts)
{
    const QString bundlePath = dir.filePath("names.kvx");
    const QString folder = dir.filePath("names");
    ASSERT_TRUE(QDir().mkpath(folder));
    ProgressTracker progress;
    Bundler bundler;
    // A Latin-1 name (a torn UTF-8 one reads the same) is written as the text
    // the show's own references decode to, not as raw bytes Qt cannot name.
    ASSERT_TRUE(writeFile(bundlePath, buildBundle({{"caf\xE9.txt", "latin"}, {"\xC3\xA9t\xC3\xA9.txt", "utf"}})));
    bundler.unbundle(bundlePath.toStdString(), folder.toStdString(), progress);
    EXPECT_EQ((QStringList{QString::fromUtf8("caf\xC3\xA9.txt"), QString::fromUtf8("\xC3\xA9t\xC3\xA9.txt")}),
              QDir(folder).entryList(QDir::Files, QDir::Name));
    EXPECT_TRUE(QDir(folder).removeRecursively());

    // A NUL would cut the name short where the file is opened.
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(writeFile(bundlePath, buildBundle({{QByteArray("a\0b", 3), "x"}})));
    EXPECT_EQ("Bad bundled file name",
              errorOf([&] { bundler.unbundle(bundlePath.toStdString(), folder.toStdString(), progress); }));
    EXPECT_TRUE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

}  // namespace
