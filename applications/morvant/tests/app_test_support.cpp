#include "applications/morvant/tests/app_test_support.h"

#include "components/archive/archive_file.h"
#include "components/quilshow/tests/show_writer.h"

#include <QBuffer>
#include <QFile>

QString ScriptedChooser::openFileName(QWidget*, const QString& caption, const QString&, const QString& filter,
                                      QString*)
{
    ++openCount;
    openCaption = caption;
    openFilter = filter;
    return openAnswer;
}

QString ScriptedChooser::saveFileName(QWidget*, const QString& caption, const QString& start,
                                      const QString& filter, QString*)
{
    ++saveCount;
    saveCaption = caption;
    saveFilter = filter;
    saveStart = start;
    return saveAnswer;
}

int ScriptedChooser::askOverwrite(const QString& path, bool, QWidget*)
{
    overwriteQuestions << path;
    return overwriteAnswer;
}

void ScriptedChooser::showError(QWidget*, const QString& title, const QString& text)
{
    errors << title + QLatin1Char('|') + text;
}

QByteArray plainShow(quint16 version)
{
    ShowContent content;
    content.version = version;
    return buildShow(content);
}

QByteArray packArchive(int kind, const std::vector<std::pair<QString, QByteArray>>& files)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ArchiveFile archive;
    if (!archive.open(ArchiveFile::WriteMode, &buffer, kind))
        return QByteArray();
    for (const auto& file : files) {
        if (!archive.addBuffer(file.second, file.first))
            return QByteArray();
    }
    if (!archive.close())
        return QByteArray();
    return buffer.data();
}

bool writeBytes(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
