#include "applications/morvant/tests/app_test_support.h"

#include "components/archive/archive_file.h"

#include <QBuffer>
#include <QFile>

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

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
