#include "components/archive/resource_registry.h"
#include "components/project/colour_palette.h"
#include "components/project/colour_swatch.h"
#include "components/project/tarvel_vistrel_project.h"
#include "components/project/tests/project_test_support.h"
#include "seltrane_components/os/progress_tracker.h"
#include "tests/support/file_size_limit.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <tuple>

namespace {

// Its save fails when the archive is closed, which is when the compressed
// project reaches the refusing device.
struct RefusingProject : TarvelVistrelProject
{
    RefusingProject() : TarvelVistrelProject(false) {}
    bool save(QIODevice* device, quint64* counter, ProgressTracker* progress) override
    {
        RefusingDevice refusing;
        return TarvelVistrelProject::save(refuse ? &refusing : device, counter, progress);
    }
    bool refuse = false;
};

}  // namespace

// A working folder with a database folder and both custom folders, saved
// over an earlier file: every failure says why and keeps that file.
TEST(ProjectSave, SavesTheWorkingFolderAndFailuresKeepThePreviousFile)
{
    QTemporaryDir output;
    RefusingProject project;
    ASSERT_TRUE(project.create(QUuid::createUuid(), QString())) << project.lastError().toStdString();
    const QString folder = project.folderPath() + QStringLiteral("/");
    writeFile(folder + QStringLiteral("archive.tarv/.tarvel_project"), "header");
    writeFile(folder + QStringLiteral("custom_theme/a.css"), "css");
    writeFile(folder + QStringLiteral("web_interface/index.html"), "html");
    const QString target = output.path() + QStringLiteral("/show.kv2");
    writeFile(target, "previous");

    // Cancelled, a folder that cannot be packed (a link back into itself), a
    // target folder that does not exist, compressed data that cannot be
    // written when the archive is finished.
    ProgressTracker cancelling;
    cancelling.cancelFlag()->store(true);
    const QString loop = folder + QStringLiteral("custom_theme/loop");
    const std::tuple<ProgressTracker*, QString, bool, QString> failures[] = {
        {&cancelling, target, false, "Saving was cancelled"},
        {nullptr, target, false,
         QStringLiteral("Failed to add custom_theme to the project archive (%1 links back to a folder that contains "
                        "it)")
             .arg(loop)},
        {nullptr, output.path() + QStringLiteral("/missing/show.kv2"), false,
         "Failed to save the project (No such file or directory)"},
        {nullptr, target, true,
         "Failed to save the project (Cannot finish the archive: the compressed data could not be written (No space "
         "left on device))"}};
    for (const auto& [progress, path, refuse, message] : failures) {
        const bool looped = message.contains(QStringLiteral("custom_theme"));
        ASSERT_TRUE(!looped || QFile::link(folder + QStringLiteral("custom_theme"), loop));
        project.refuse = refuse;
        EXPECT_FALSE(project.saveToFile(path, progress));
        EXPECT_EQ(project.lastError().toStdString(), message.toStdString());
        QFile::remove(loop);
    }
    project.refuse = false;
    EXPECT_EQ(readAll(target), "previous");
    EXPECT_EQ(QDir(output.path()).entryList(QDir::Files), QStringList({QStringLiteral("show.kv2")}));

    // A resource copied in, then the whole folder packed behind the header.
    QTemporaryDir source;
    writeFile(source.path() + QStringLiteral("/clip.txt"), "media");
    ResourceRegistry* registry = ResourceRegistry::instance();
    const QUuid resource = registry->addFile(source.path() + QStringLiteral("/clip.txt"));
    registry->updateUsage(resource, 2, true);
    project.copyResources(2, registry);
    ProgressTracker tracker;
    ASSERT_TRUE(project.saveToFile(target, &tracker)) << project.lastError().toStdString();
    registry->clear();
    EXPECT_EQ(tracker.depth(), 0);
    EXPECT_EQ(tracker.titleText(), QStringLiteral("Saving project"));
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly) && file.seek(27));
    EXPECT_EQ(archiveEntries(&file),
              QStringLiteral("archive.tarv/ archive.tarv/.tarvel_project resources/%1.txt custom_theme/ "
                             "custom_theme/a.css web_interface/ web_interface/index.html")
                  .arg(resource.toString())
                  .toStdString());

    // Clearing the cached data keeps the lock and the resources.
    QString error;
    EXPECT_EQ(project.clearCachedData(project.folderPath(), &error), 0);
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
              QStringList({QStringLiteral(".lock"), QStringLiteral("resources")}));
}

// A save that cannot put the whole file on disk fails with the system's reason and leaves the earlier file byte for
// byte: a disk full for a project smaller than one write buffer, for the last write of a larger one, and a resource
// in use that is gone at the save.
TEST(ProjectSave, AFullDiskOrAResourceGoneFailsTheSaveAndKeepsTheEarlierFile)
{
    QTemporaryDir output, source;
    TarvelVistrelProject project(false);
    ASSERT_TRUE(project.create(QUuid::createUuid(), QString())) << project.lastError().toStdString();
    const QString folder = project.folderPath() + QStringLiteral("/");
    writeFile(folder + QStringLiteral("archive.tarv/.tarvel_project"), "header");
    const QString target = output.filePath(QStringLiteral("show.kv2"));
    writeFile(target, "earlier, whole");
    const auto expectKept = [&](rlim_t limit, const QString& error) {
        const FileSizeLimit full(limit);
        EXPECT_FALSE(project.saveToFile(target, nullptr)) << limit;
        EXPECT_EQ(project.lastError().toStdString(), error.toStdString());
        EXPECT_EQ(readAll(target), "earlier, whole") << limit;
        EXPECT_EQ(QDir(output.path()).entryList(QDir::Files | QDir::Hidden), QStringList({QStringLiteral("show.kv2")}));
    };
    expectKept(100, QStringLiteral("Failed to save the project (File too large)"));

    // A megabyte that does not compress: many writes, of which only the last reaches past the limit.
    QByteArray media(1 << 20, Qt::Uninitialized);
    QRandomGenerator(65).fillRange(reinterpret_cast<quint32*>(media.data()), media.size() / 4);
    writeFile(folder + QStringLiteral("archive.tarv/media.bin"), media);
    const QString whole = output.filePath(QStringLiteral("whole.kv2"));
    ASSERT_TRUE(project.saveToFile(whole, nullptr)) << project.lastError().toStdString();
    const QByteArray wholeBytes = readAll(whole);
    ASSERT_TRUE(QFile::remove(whole));
    expectKept(rlim_t(wholeBytes.size() - 1), QStringLiteral("Failed to save the project (File too large)"));

    writeFile(source.filePath(QStringLiteral("plan.png")), "image");
    ResourceRegistry* registry = ResourceRegistry::instance();
    const QUuid resource = registry->addFile(source.filePath(QStringLiteral("plan.png")));
    registry->updateUsage(resource, 2, true);
    ASSERT_TRUE(project.copyResources(2, registry)) << project.lastError().toStdString();
    const QString copy = registry->copiedPath(resource);
    ASSERT_TRUE(QFile::remove(copy));
    expectKept(RLIM_INFINITY,
               QStringLiteral("Failed to add resources to the project archive (%1, which the project "
                              "uses, is gone)")
                   .arg(copy));
    registry->clear();
}

TEST(ProjectSave, QueryBreakLockAndSharedColours)
{
    const int rows = ColourPaletteModel::instance()->rowCount();
    ColourSwatch active;
    ColourSwatch::setActiveSwatch(&active);
    {
        TarvelVistrelProject project(false);
        EXPECT_TRUE(project.children().isEmpty());  // neither palette nor swatch is a child
        QString text;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            text = box->windowTitle() + QLatin1Char('|') + box->text();
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == QStringLiteral("Break Lock"))
                    return button->click();
            }
        });
        EXPECT_TRUE(project.queryBreakLock());
        EXPECT_EQ(text,
                  QStringLiteral("Project is locked|This project is open in another instance of "
                                 "Corvane Vistrel. Do you want to break the lock?"));
    }
    EXPECT_EQ(ColourPaletteModel::instance()->rowCount(), rows);
    EXPECT_EQ(ColourSwatch::activeSwatch(), &active);
    ColourSwatch::setActiveSwatch(nullptr);
}
