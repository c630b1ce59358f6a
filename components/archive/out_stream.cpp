#include "components/archive/out_stream.h"

#include "components/archive/type_registry.h"

#include <QDebug>
#include <QFile>

#include <cerrno>
#include <stdexcept>

OutStream::OutStream(quint16 version) : m_version(version)
{
    // Every stream needs the names of its own codes.
    ObjectRegistry::registerCoreTypes();
}

OutStream::~OutStream() = default;

void OutStream::writeCount(std::size_t count)
{
    checkCountFits(count, 0xFFFFFFFFu);
    *this << quint32(count);
}

void OutStream::checkCountFits(quint64 size, quint64 limit)
{
    if (size > limit)
        throw std::runtime_error(QStringLiteral("Too many entries for their stored count: %1, at most %2")
                                     .arg(size)
                                     .arg(limit)
                                     .toStdString());
}

void OutStream::createFile(QFile& file, const QString& path)
{
    m_fileError = 0;
    file.setFileName(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        noteFileError();
        throw std::runtime_error("Unable to open file");
    }
}

bool OutStream::closeFile(QFile& file)
{
    errno = 0;
    const bool flushed = file.flush();
    if (!flushed)
        noteFileError();
    errno = 0;
    file.close();
    const bool closed = file.error() == QFileDevice::NoError;
    if (!closed)
        noteFileError();
    return flushed && closed;
}

void OutStream::noteFileError()
{
    // The file's own calls leave errno as the system set it; a failure the
    // system gave no reason for is an I/O error.
    if (m_fileError == 0)
        m_fileError = errno != 0 ? errno : EIO;
}

void OutStream::reportClose(bool ok, bool quiet, const char* warning)
{
    if (ok)
        return;
    if (quiet)
        qWarning("%s", warning);
    else
        throw std::runtime_error("Error writing to file");
}

void writeObjectPointer(OutStream& out, const Archive::ObjectBase* object)
{
    if (!object) {
        out.beginSection(StreamCode::Null, false);
        out.endSection(StreamCode::Null);
        return;
    }
    const quint32 code = object->typeCode();
    out.beginSection(code, true);
    object->write(out);
    out.endSection(code);
}
