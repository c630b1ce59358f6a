#include "components/archive/resource_registry.h"
#include "components/project/colour_palette.h"
#include "components/project/colour_swatch.h"
#include "components/project/tarvel_vistrel_project.h"
#include "components/project/tests/project_test_support.h"
#include "seltrane_components/os/progress_tracker.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
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
    const std::tuple<ProgressTracker*, QString, bool, const char*> failures[] = {
        {&cancelling, target, false, "Saving was cancelled"},
        {nullptr, target, false, "Failed to add custom_theme to the project archive"},
        {nullptr, output.path() + QStringLiteral("/missing/show.kv2"), false, "Error 2 (No such file or directory)"},
        {nullptr, target, true,
         "Failed to save the project (Cannot finish the archive: the compressed data could not be written)"}};
    for (const auto& [progress, path, refuse, message] : failures) {
        const bool looped = QString::fromLatin1(message).contains(QStringLiteral("custom_theme"));
        ASSERT_TRUE(!looped || QFile::link(folder + QStringLiteral("custom_theme"), loop));
        project.refuse = refuse;
        EXPECT_FALSE(project.saveToFile(path, progress));
        EXPECT_EQ(project.lastError(), QString::fromLatin1(message));
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
