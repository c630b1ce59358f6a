#include "applications/morvant/tests/app_test_support.h"

#include "applications/morvant/show_converter_app.h"
#include "components/archive/archive_file.h"
#include "components/quilshow/show/quil_show.h"
#include "seltrane_components/os/logger.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QVariant>

const std::vector<ConversionDriver::Step>& ScriptedDriver::steps() const
{
    static const auto run = [](ConversionDriver& driver, ProgressTracker&) {
        auto& self = static_cast<ScriptedDriver&>(driver);
        self.step(self);
    };
    static const std::vector<Step> none, scripted {{"Scripted step", run}};
    return step ? scripted : none;
}

bool ScriptedDriver::saveOutputProject(const QString& path, ProgressTracker& progress)
{
    saved << path;
    bytesAtSave = readBytes(path);
    // A save cancelled before it starts fails the way a real one does.
    ProgressTracker cancelled;
    cancelled.cancelFlag()->store(true);
    return ConversionDriver::saveOutputProject(path, failSave ? cancelled : progress);
}

void AppFixture::SetUp()
{
    savedTmpDir = qgetenv("TMPDIR");
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("tmp")));
    qputenv("TMPDIR", QFile::encodeName(folder.filePath(QStringLiteral("tmp"))));
    addLogHandler(&ShowConverterApp::onLogMessage, nullptr);
    window.setFileDialogChooser(&chooser);
}

void AppFixture::TearDown()
{
    removeLogHandler(&ShowConverterApp::onLogMessage);
    EXPECT_EQ(Quil::_gpShow, nullptr);
    savedTmpDir.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", savedTmpDir);
}

QString AppFixture::input(const QString& name, const QByteArray& bytes)
{
    EXPECT_TRUE(writeFile(folder.filePath(name), bytes));
    return folder.filePath(name);
}

bool AppFixture::convert(const QString& path)
{
    window.convert(path);
    EXPECT_EQ(QDir::temp().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    return text("resultLabel") == QStringLiteral("Conversion complete");
}

QString AppFixture::text(const char* name) const
{
    const QWidget* widget = window.findChild<QWidget*>(QLatin1String(name));
    const QVariant label = widget->property("text");
    return label.isValid() ? label.toString() : widget->property("plainText").toString();
}

QByteArray packArchive(int kind, const std::vector<std::pair<QString, QByteArray>>& files)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ArchiveFile archive;
    bool ok = archive.open(ArchiveFile::WriteMode, &buffer, kind);
    for (const auto& file : files)
        ok = ok && archive.addBuffer(file.second, file.first);
    return ok && archive.close() ? buffer.data() : QByteArray();
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
