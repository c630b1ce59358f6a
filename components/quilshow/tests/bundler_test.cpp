#include "components/quilshow/show/bundler.h"

#include "seltrane_components/os/progress_tracker.h"
#include "show_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <stdexcept>

using Quil::Bundler;

namespace {

typedef std::vector<std::pair<QByteArray, QByteArray>> Files;

class BundlerTest : public ::testing::Test
{
protected:
    QString bundlePath() const { return dir.filePath("show.kvx"); }
    QString destination() const { return dir.filePath("out"); }

    // Expands `bundle` (or the file at `from` when `bundle` is null); returns
    // the error text or "" on success.
    std::string expand(const QByteArray& bundle, Bundler::OverwriteCallback callback = nullptr,
                       QString from = QString(), QString to = QString())
    {
        if (from.isEmpty()) {
            from = bundlePath();
            EXPECT_TRUE(writeFile(from, bundle));
        }
        if (to.isEmpty())
            QDir().mkpath(to = destination());
        ProgressTracker progress;
        try {
            bundler.unbundle(from.toStdString(), to.toStdString(), progress, callback);
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return std::string();
    }

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
    const QByteArray bundle = buildBundle({{"a/b\\c.txt", "hello"}, {"top.txt", "x"}, {"empty.bin", ""}});
    EXPECT_EQ("", expand(bundle));
    EXPECT_EQ(1u, bundler.version);
    EXPECT_EQ(destination().toStdString(), bundler.destination);
    EXPECT_TRUE(QFileInfo(QDir(destination()).filePath("a/b")).isDir());
    EXPECT_EQ("hello", contentOf("a/b/c.txt"));
    EXPECT_EQ("x", contentOf("top.txt"));
    EXPECT_EQ("", contentOf("empty.bin"));
    EXPECT_EQ((QStringList{"a", "empty.bin", "top.txt"}),
              QDir(destination()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name));

    EXPECT_EQ("", expand(buildBundle({}, "0")));
    EXPECT_EQ("", expand(buildBundle({{"w.txt", "ws"}}, "  1")));
    EXPECT_EQ("ws", contentOf("w.txt"));
}

TEST_F(BundlerTest, RecognisesBundlesByMagic)
{
    const QString path = dir.filePath("probe");
    for (const auto& c : {std::make_pair("62bc9001ffff", true), std::make_pair("62bc90", false),
                          std::make_pair("62bc9002", false)}) {
        ASSERT_TRUE(writeFile(path, QByteArray::fromHex(c.first)));
        EXPECT_EQ(c.second, Bundler::isBundle(path.toStdString())) << c.first;
    }
    EXPECT_FALSE(Bundler::isBundle(dir.filePath("missing").toStdString()));
}

TEST_F(BundlerTest, OverwriteCallbackSkipsCancelsOrOverwrites)
{
    QDir().mkpath(destination());
    ASSERT_TRUE(writeFile(QDir(destination()).filePath("old.txt"), "old"));
    const QByteArray bundle = buildBundle({{"first.txt", "1"}, {"old.txt", "new"}, {"next.txt", "2"}});

    // The answers: 0 overwrites, 1 skips, 2 cancels.
    EXPECT_EQ("", expand(bundle, [](const std::string&) { return 1; }));
    EXPECT_EQ("old", contentOf("old.txt"));
    EXPECT_EQ("2", contentOf("next.txt"));

    QFile::remove(QDir(destination()).filePath("next.txt"));
    EXPECT_EQ("Unbundle cancelled", expand(bundle, [](const std::string&) { return 2; }));
    EXPECT_EQ("old", contentOf("old.txt"));
    EXPECT_EQ("<missing>", contentOf("next.txt"));

    EXPECT_EQ("", expand(bundle, [](const std::string&) { return 0; }));
    EXPECT_EQ("new", contentOf("old.txt"));
}

TEST_F(BundlerTest, ErrorTexts)
{
    EXPECT_EQ("Cannot open bundle file", expand(QByteArray(), nullptr, dir.filePath("missing")));

    const QByteArray good = buildBundle({{"f.txt", "data"}});
    QByteArray badMagic = good;
    badMagic[0] = 0;
    EXPECT_EQ("Bad bundler magicnum", expand(badMagic));
    EXPECT_EQ("Bad bundle file count", expand(buildBundle({}, "x")));
    EXPECT_EQ("Bad bundle file count", expand(buildBundle({}, "99999999999")));

    QByteArray badStart = good;
    badStart[9 + 5] = 0;  // inside the start magic
    EXPECT_EQ("Bad file start magicnum", expand(badStart));
    // A count beyond the records runs into the end of the file.
    EXPECT_EQ("Bad file start magicnum", expand(buildBundle({{"f.txt", "data"}}, "2")));

    QByteArray badEnd = good;
    badEnd[badEnd.size() - 3] = 0;
    EXPECT_EQ("Bad file end magicnum", expand(badEnd));

    EXPECT_EQ("Error reading bundled file", expand(good.left(good.size() - 18)));

    QDir(destination()).mkpath("taken");
    EXPECT_EQ("Couldn't unbundle file", expand(buildBundle({{"taken", "x"}})));

    if (QFileInfo(QStringLiteral("/dev/full")).isWritable()) {
        ASSERT_TRUE(writeFile(bundlePath(), buildBundle({{"full", "data"}})));
        EXPECT_EQ("Error writing unbundled file", expand(QByteArray(), nullptr, bundlePath(), "/dev"));
    }
}

TEST_F(BundlerTest, RefusesNamesOutsideTheDestination)
{
    for (const QByteArray name : {"../evil.txt", "a/../../evil.txt", "a\\..\\..\\evil.txt", "/evil.txt",
                                  "\\evil.txt", "C:evil.txt", "c:\\evil.txt", ".."}) {
        EXPECT_EQ("Bad bundled file name", expand(buildBundle({{name, "x"}}))) << name.constData();
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("evil.txt")));
    EXPECT_FALSE(QFileInfo::exists("/evil.txt"));
    // Dots inside names are fine.
    EXPECT_EQ("", expand(buildBundle({{"a/..b/c..txt", "ok"}})));
    EXPECT_EQ("ok", contentOf("a/..b/c..txt"));
}

TEST_F(BundlerTest, FindsTheShowFile)
{
    ShowContent content;
    const QByteArray show = buildShow(content);
    EXPECT_EQ("", expand(buildBundle({{"media/a.png", "png"}, {"b.txt", "text"}, {"show.kvq", show}})));
    EXPECT_EQ(QDir(destination()).filePath("show.kvq"), Bundler::findShowFile(destination(), "kvx"));

    // No file of the kind at the top level: the first one that opens as a show.
    content.magic = 0x7575;
    QDir(destination()).removeRecursively();
    EXPECT_EQ("", expand(buildBundle({{"a.txt", "text"}, {"sub/show.bin", buildShow(content)}})));
    EXPECT_EQ(QDir(destination()).filePath("sub/show.bin"), Bundler::findShowFile(destination(), "jvx"));
    EXPECT_EQ(QString(), Bundler::findShowFile(destination(), "kvx"));
}

}  // namespace
