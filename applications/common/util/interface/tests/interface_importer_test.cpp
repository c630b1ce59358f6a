#include "applications/common/util/interface/interface_importer.h"
#include "components/archive/resource_registry.h"
#include "seltrane_components/os/atomic_file.h"
#include "seltrane_components/os/logger.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace {

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// A registry and a log of its own for each case.
struct ImportScope
{
    ImportScope() { ResourceRegistry::instance()->clear(); }
    ~ImportScope() { ResourceRegistry::instance()->clear(); }
    const LogCapture log;
};

}  // namespace

TEST(InterfaceImporter, FontsStayInsideTheirFolderUnderNamesOfTheirOwn)
{
    const ImportScope scope;
    QTemporaryDir work;
    const std::vector<InterfaceImporter::FontData> fonts = {
        {QStringLiteral("../x"), 1, "font x"},
        {QStringLiteral("a/b"), 2, "font ab"},
        {QStringLiteral("a/b"), 3, "font ab 2"},
    };
    const std::vector<InterfaceImporter::WrittenFont> written = InterfaceImporter::readFonts(work.path(), fonts);
    ASSERT_EQ(written.size(), 3u);
    const QStringList names = {QStringLiteral("._x.ttf"), QStringLiteral("a_b.ttf"), QStringLiteral("a_b-2.ttf")};
    const QDir folder(work.filePath(QStringLiteral("interfacefonts")));
    ResourceRegistry* registry = ResourceRegistry::instance();
    for (std::size_t i = 0; i < written.size(); ++i) {
        const InterfaceImporter::WrittenFont& font = written[i];
        EXPECT_EQ(font.name, fonts[i].name);
        EXPECT_EQ(font.variant, fonts[i].variant);
        EXPECT_EQ(font.fileName, names[int(i)]);
        EXPECT_EQ(contentOf(folder.filePath(font.fileName)), fonts[i].bytes);
        EXPECT_EQ(registry->usageCount(font.resource, 3), 1u) << i;  // category bit 8, counted once
        EXPECT_EQ(registry->categoryMask(font.resource), 8u);
    }
    EXPECT_EQ(registry->count(), 3);
    EXPECT_EQ(QDir(work.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList {QStringLiteral("interfacefonts")});
    EXPECT_EQ(folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList {QStringLiteral("._x.ttf"), QStringLiteral("a_b-2.ttf"), QStringLiteral("a_b.ttf")}));

    // A later import keeps clear of the files already there.
    const auto again = InterfaceImporter::readFonts(work.path(), {{QStringLiteral("a/b"), 0, "again"}});
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].fileName, QStringLiteral("a_b-3.ttf"));
    EXPECT_EQ(contentOf(folder.filePath(QStringLiteral("a_b.ttf"))), QByteArray("font ab"));
    EXPECT_TRUE(scope.log.lines().empty());
}

TEST(InterfaceImporter, FontsThatCannotBeWrittenAreLoggedAndNotRegistered)
{
    const ImportScope scope;
    QTemporaryDir work;
    QFile blocker(work.filePath(QStringLiteral("interfacefonts")));  // a file where the folder belongs
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const auto written =
        InterfaceImporter::readFonts(work.path(), {{QStringLiteral("Sans"), 0, "a"}, {QStringLiteral("Mono"), 0, "b"}});
    EXPECT_TRUE(written.empty());
    EXPECT_EQ(ResourceRegistry::instance()->count(), 0);
    const std::string reason =
        ": cannot create the folder " + blocker.fileName().toStdString() + " (Not a directory)\n";
    EXPECT_EQ(scope.log.lines(),
              (std::vector<LogCapture::Line> {{130, "Ignoring interface font Sans" + reason},
                                              {130, "Ignoring interface font Mono" + reason}}));

    // A font file in place is the project's, whether its folder could be synced after or not.
    QTemporaryDir other;
    AtomicFile::setFaultInjector(
        [](AtomicFile::Call call, const QString&) { return call == AtomicFile::Call::SyncFolder ? EIO : 0; });
    const auto synced = InterfaceImporter::readFonts(other.path(), {{QStringLiteral("Sans"), 0, "a"}});
    AtomicFile::setFaultInjector({});
    ASSERT_EQ(synced.size(), 1u);
    EXPECT_EQ(ResourceRegistry::instance()->count(), 1);
    EXPECT_EQ(scope.log.lines().size(), 2u);
}
