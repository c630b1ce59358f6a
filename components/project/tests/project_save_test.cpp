#include "components/archive/resource_registry.h"
#include "components/project/tarvel_vistrel_project.h"
#include "components/project/tests/project_test_support.h"
#include "seltrane_components/os/progress_tracker.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {

const QUuid kUuid(QStringLiteral("{a1b2c3d4-0000-4000-8000-00000000abcd}"));

class ProjectSaveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(output.isValid());
        project = std::make_unique<TarvelVistrelProject>(false);
        ASSERT_TRUE(project->create(kUuid, QString())) << project->lastError().toStdString();
        folder = project->folderPath() + QStringLiteral("/");
        writeFile(folder + QStringLiteral("archive.tarv/.tarvel_project"), "header");
        writeFile(folder + QStringLiteral("archive.tarv/misc.tarv"), "misc");
        writeFile(folder + QStringLiteral("custom_theme/a.css"), "css");
        writeFile(folder + QStringLiteral("web_interface/index.html"), "html");
        target = output.path() + QStringLiteral("/show.kv2");
        writeFile(target, "previous");
    }
    void TearDown() override
    {
        ResourceRegistry::instance()->clear();
        project.reset();
    }

    // The entries of a saved project file, read behind its header.
    QStringList entriesOf(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {QStringLiteral("<unreadable>")};
        TarvelBaseProject reader(false, 6);
        QString error;
        if (reader.readHeader(&file, &error) != 27 || reader.projectUuid() != kUuid)
            return {QStringLiteral("<bad header>")};
        return archiveEntries(&file);
    }

    QTemporaryDir output;
    std::unique_ptr<TarvelVistrelProject> project;
    QString folder;
    QString target;
};

}  // namespace

TEST_F(ProjectSaveTest, SavesTheWorkingFolderBehindTheHeader)
{
    QTemporaryDir source;
    const QString media = source.path() + QStringLiteral("/clip.txt");
    writeFile(media, "media");
    ResourceRegistry* registry = ResourceRegistry::instance();
    const QUuid resource = registry->addFile(media);
    registry->updateUsage(resource, 2, true);
    project->copyResources(2, registry);
    EXPECT_EQ(project->resourceMask(), 2u);
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("resources/") + resource.toString() + QStringLiteral(".txt")));

    std::vector<std::pair<quint32, quint32>> reports;
    ProgressTracker tracker(
        [](quint32 done, quint32 total, void* data) {
            static_cast<std::vector<std::pair<quint32, quint32>>*>(data)->emplace_back(done, total);
        },
        nullptr, &reports);
    ASSERT_TRUE(project->saveToFile(target, &tracker)) << project->lastError().toStdString();
    EXPECT_TRUE(project->lastError().isEmpty());
    EXPECT_EQ(tracker.depth(), 0);
    EXPECT_EQ(tracker.titleText(), QStringLiteral("Saving project"));
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().first, reports.back().second);

    EXPECT_EQ(readAll(target).mid(27, 2).toHex(), QByteArray("1f8b"));  // gzip right behind the header
    const QStringList entries = entriesOf(target);
    EXPECT_EQ(entries, QStringLiteral("archive.tarv/ archive.tarv/.tarvel_project archive.tarv/misc.tarv resources/%1.txt "
                                      "custom_theme/ custom_theme/a.css web_interface/ web_interface/index.html")
                           .arg(resource.toString())
                           .split(QLatin1Char(' ')))
        << entries.join(QLatin1Char(' ')).toStdString();
}

TEST_F(ProjectSaveTest, FailedSavesKeepThePreviousFile)
{
    // Cancelled.
    ProgressTracker cancelling;
    cancelling.cancelFlag()->store(true);
    EXPECT_FALSE(project->saveToFile(target, &cancelling));
    EXPECT_EQ(project->lastError(), QStringLiteral("Saving was cancelled"));
    EXPECT_EQ(cancelling.depth(), 0);
    EXPECT_EQ(readAll(target), "previous");

    // A custom folder that cannot be packed: a link back into itself.
    ASSERT_TRUE(QFile::link(folder + QStringLiteral("custom_theme"), folder + QStringLiteral("custom_theme/loop")));
    EXPECT_FALSE(project->saveToFile(target, nullptr));
    EXPECT_EQ(project->lastError(), QStringLiteral("Failed to add custom_theme to the project archive"));
    EXPECT_EQ(readAll(target), "previous");
    QFile::remove(folder + QStringLiteral("custom_theme/loop"));

    // No database folder: nothing worth a project file.
    ASSERT_TRUE(QDir(folder + QStringLiteral("archive.tarv")).removeRecursively());
    EXPECT_FALSE(project->saveToFile(target, nullptr));
    EXPECT_EQ(project->lastError(), QStringLiteral("Failed to add archive.tarv to the project archive"));
    EXPECT_EQ(readAll(target), "previous");

    EXPECT_FALSE(project->saveToFile(output.path() + QStringLiteral("/missing/show.kv2"), nullptr));
    EXPECT_EQ(project->lastError(), QStringLiteral("Error 2 (No such file or directory)"));

    EXPECT_EQ(QDir(output.path()).entryList(QDir::Files), QStringList({QStringLiteral("show.kv2")}));
}

TEST_F(ProjectSaveTest, CachedDataAndModificationTime)
{
    EXPECT_FALSE(project->lastModified(project->folderPath()).isNull());
    EXPECT_TRUE(project->lastModified(output.path()).isNull());

    writeFile(folder + QStringLiteral("resources/r.bin"), "r");
    writeFile(folder + QStringLiteral("io_modules/m"), "m");
    QString error;
    EXPECT_EQ(project->clearCachedData(project->folderPath(), &error), 0);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(QDir(project->folderPath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
              QStringList({QStringLiteral(".lock"), QStringLiteral("resources")}));
    EXPECT_TRUE(project->lastModified(project->folderPath()).isNull());
}

TEST(ProjectLock, QueryBreakLockAsksTheUser)
{
    TarvelVistrelProject project(false);
    for (const bool breakIt : {true, false}) {
        QString text;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            text = box->windowTitle() + QLatin1Char('|') + box->text();
            for (QAbstractButton* button : box->buttons()) {
                if ((button->text() == QStringLiteral("Break Lock")) == breakIt) {
                    button->click();
                    return;
                }
            }
        });
        EXPECT_EQ(project.queryBreakLock(), breakIt);
        EXPECT_EQ(text, QStringLiteral("Project is locked|This project is open in another instance of "
                                       "Corvane Vistrel. Do you want to break the lock?"));
    }
}
