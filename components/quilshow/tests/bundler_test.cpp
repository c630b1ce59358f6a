#include "components/quilshow/show/bundler.h"

#include "seltrane_components/os/progress_tracker.h"
#include "show_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <tuple>

using Quil::Bundler;

namespace {

class BundlerTest : public ::testing::Test
{
protected:
    QString bundlePath() const { return dir.filePath("show.kvx"); }
    QString destination() const { return dir.filePath("out"); }

    // Expands `bundle` into destination() (or `to`); returns the error text or "no error".
    std::string expand(const QByteArray& bundle, Bundler::OverwriteCallback callback = nullptr, QString to = {})
    {
        EXPECT_TRUE(bundle.isNull() || writeFile(bundlePath(), bundle));
        if (to.isEmpty())
            QDir().mkpath(to = destination());
        // Inside a stage of the caller's, as in a conversion: left as it was on every way out.
        ProgressTracker progress([](quint32, quint32, void*) {});
        progress.begin(3);
        const std::string error =
            errorOf([&] { bundler.unbundle(bundlePath().toStdString(), to.toStdString(), progress, callback); });
        EXPECT_EQ(1, progress.depth()) << error;
        progress.end();
        return error;
    }
    bool expands(const QByteArray& bundle) { return expand(bundle) == "no error"; }
    QByteArray contentOf(const QString& relative) const
    {
        QFile file(QDir(destination()).filePath(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir;
    Bundler bundler;
};

TEST_F(BundlerTest, ExpandsFilesAndFolders)
{
    EXPECT_TRUE(expands(buildBundle({{"a/b\\c.txt", "hello"}, {"empty.bin", ""}, {"a/..b/c..txt", "dots"}}, " 3")));
    EXPECT_EQ(1u, bundler.version);
    EXPECT_EQ("hello"
              ""
              "dots",
              contentOf("a/b/c.txt") + contentOf("empty.bin") + contentOf("a/..b/c..txt"));
    EXPECT_TRUE(expands(buildBundle({}, "0")));

    const QString probe = dir.filePath("probe");
    for (const auto& c : {std::make_pair("62bc9001ffff", true), std::make_pair("62bc90", false)}) {
        ASSERT_TRUE(writeFile(probe, QByteArray::fromHex(c.first)));
        EXPECT_EQ(c.second, Bundler::isBundle(probe.toStdString())) << c.first;
    }
}

TEST_F(BundlerTest, OverwriteCallbackSkipsCancelsOrOverwrites)
{
    QDir().mkpath(destination());
    ASSERT_TRUE(writeFile(QDir(destination()).filePath("old.txt"), "old"));
    const QByteArray bundle = buildBundle({{"first.txt", "1"}, {"old.txt", "new"}, {"next.txt", "2"}});
    // The answers: 0 overwrites, 1 skips, 2 cancels.
    EXPECT_EQ("Unbundle cancelled", expand(bundle, [](const std::string&) { return 2; }));
    EXPECT_EQ("<missing>", contentOf("next.txt"));
    EXPECT_EQ("no error", expand(bundle, [](const std::string&) { return 1; }));
    EXPECT_EQ("old", contentOf("old.txt"));
    EXPECT_EQ("2", contentOf("next.txt"));
    EXPECT_EQ("no error", expand(bundle, [](const std::string&) { return 0; }));
    EXPECT_EQ("new", contentOf("old.txt"));
}

TEST_F(BundlerTest, ErrorTextsBoundAndProgressStage)
{
    EXPECT_EQ("Cannot open bundle file", expand(QByteArray()));
    const QByteArray good = buildBundle({{"f.txt", "data"}});
    QByteArray badMagic = good, badStart = good, badEnd = good;
    badMagic[0] = 0;
    badStart[9 + 5] = 0;  // inside the start magic
    badEnd[badEnd.size() - 3] = 0;
    const QByteArray two = buildBundle({{"a/first.txt", "1234"}, {"b/c/second.txt", "5678"}});
    const std::tuple<QByteArray, qint64, std::string> cases[] = {
        {badMagic, -1, "Bad bundler magicnum"},
        {buildBundle({}, "x"), -1, "Bad bundle file count"},
        {buildBundle({}, "99999999999"), -1, "Bad bundle file count"},
        {badStart, -1, "Bad file start magicnum"},
        {buildBundle({{"f.txt", "data"}}, "2"), -1, "Bad file start magicnum"},  // runs into the end of the file
        // bundle-cut-after-count.kvx: the magic, the version and a count of 2, then nothing.
        {QByteArray::fromHex("62bc90019062bc9032"), -1, "Bad file start magicnum"},
        {badEnd, -1, "Bad file end magicnum"},
        {good.left(good.size() - 18), -1, "Error reading bundled file"},
        // The destination folder itself: named by the bundle, not by the folder.
        {buildBundle({{".", "x"}}), -1, "Couldn't unbundle file . of the bundle %1: Is a directory"},
        {two, 7,
         "The bundled file b/c/second.txt would take the expanded files beyond the limit of 7 bytes for "
         "this bundle: it is damaged, and nothing expanded from it was kept"},
        {two, 8, "no error"}};
    for (const auto& [bytes, limit, error] : cases) {
        QDir(destination()).removeRecursively();
        bundler.sizeLimit = limit;
        EXPECT_EQ(QString::fromStdString(error).replace("%1", bundlePath()).toStdString(), expand(bytes));
        // Stopped by the bound: nothing left behind; fitting exactly: all of it.
        if (limit == 7) {
            EXPECT_TRUE(QDir(destination()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
        }
    }
    EXPECT_EQ("5678", contentOf("b/c/second.txt"));
    if (QFileInfo(QStringLiteral("/dev/full")).isWritable()) {
        EXPECT_EQ("Error writing unbundled file full of the bundle " + bundlePath().toStdString()
                      + ": No space left on device",
                  expand(buildBundle({{"full", "data"}}), nullptr, "/dev"));
    }
}

TEST_F(BundlerTest, RefusesNamesOutsideTheDestination)
{
    const std::vector<QByteArray> names {"../evil.txt", "a/../../evil.txt",   "a\\..\\..\\evil.txt",
                                         "/evil.txt",   "\\evil.txt",         "C:evil.txt",
                                         "..",          QByteArray("a\0b", 3)};
    for (const QByteArray& name : names) {
        EXPECT_EQ("Bad bundled file name", expand(buildBundle({{name, "x"}}))) << name.constData();
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("evil.txt")));
    EXPECT_TRUE(QDir(destination()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());

    // A Latin-1 name is written as the text the show's own references decode to.
    EXPECT_TRUE(expands(buildBundle({{"caf\xE9.txt", "latin"}, {"\xC3\xA9t\xC3\xA9.txt", "utf"}})));
    EXPECT_EQ((QStringList {QString::fromUtf8("caf\xC3\xA9.txt"), QString::fromUtf8("\xC3\xA9t\xC3\xA9.txt")}),
              QDir(destination()).entryList(QDir::Files, QDir::Name));
}

TEST_F(BundlerTest, FindsTheShowFile)
{
    ShowContent content;
    EXPECT_TRUE(expands(buildBundle({{"media/a.png", "png"}, {"b.txt", "text"}, {"show.kvq", buildShow(content)}})));
    EXPECT_EQ(QDir(destination()).filePath("show.kvq"), Bundler::findShowFile(destination(), "kvx"));

    // No file of the kind at the top level: the first one that opens as a show.
    content.magic = 0x7575;
    QDir(destination()).removeRecursively();
    EXPECT_TRUE(expands(buildBundle({{"a.txt", "text"}, {"sub/show.bin", buildShow(content)}})));
    EXPECT_EQ(QDir(destination()).filePath("sub/show.bin"), Bundler::findShowFile(destination(), "jvx"));
    EXPECT_EQ(QString(), Bundler::findShowFile(destination(), "kvx"));
}

}  // namespace
