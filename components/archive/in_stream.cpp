#include "components/archive/in_stream.h"

#include "components/archive/type_registry.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

InStream::InStream()
{
    // Every stream needs the names of its own codes.
    ObjectRegistry::registerCoreTypes();
}

InStream::~InStream() = default;

void InStream::setContextValue(int index, const QVariant& value)
{
    if (index < 0)
        return;
    if (index >= m_context.size())
        m_context.resize(index + 1);
    m_context[index] = value;
}

QVariant InStream::contextValue(int index) const
{
    return index >= 0 && index < m_context.size() ? m_context.at(index) : QVariant();
}

quint32 InStream::readCount()
{
    quint32 count = 0;
    *this >> count;
    checkStatus();
    checkCount(count);
    return count;
}

void InStream::checkCount(quint64 count) const
{
    if (count > quint64(std::max<qint64>(0, bytesRemaining())))
        throw std::runtime_error(
            QStringLiteral("Error reading from file, count %1 exceeds the data remaining").arg(count).toStdString());
}

void InStream::checkCount(quint64 count, quint64 limit) const
{
    if (count > limit)
        throw std::runtime_error(QStringLiteral("Error reading from file, count %1 is above the limit %2")
                                     .arg(count)
                                     .arg(limit)
                                     .toStdString());
    checkCount(count);
}

void InStream::openFile(QFile& file, const QString& path)
{
    file.setFileName(path);
    if (!QFileInfo::exists(path))
        throw std::runtime_error("Unable to open file, file doesn't exist");
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Unable to open file");
}

void InStream::acceptVersion(quint16 found, quint16 supported)
{
    setVersion(found);
    if (found > supported)
        throw version_exception(supported, found);
}

void InStream::tagMismatch(quint32 expected)
{
    throw std::runtime_error(QStringLiteral("Tag mismatch when trying to read opening tag %1")
                                 .arg(ObjectRegistry::nameForCode(expected))
                                 .toStdString());
}

InStream::NestingGuard::NestingGuard(InStream& in) : m_in(in)
{
    if (m_in.m_nesting >= kMaxNesting)
        throw std::runtime_error("Error reading from file, nesting too deep");
    ++m_in.m_nesting;
}

void badObjectLookup(quint32 code)
{
    throw std::runtime_error(QStringLiteral("Bad registry lookup, id %1").arg(code).toLatin1().toStdString());
}

void readObjectPointer(InStream& in, std::unique_ptr<Archive::ObjectBase>& target)
{
    const InStream::NestingGuard guard(in);
    const quint16 code = in.peekSection();
    if (code == StreamCode::Null) {
        in.beginSection(StreamCode::Null);
        target.reset();
        in.endSection(StreamCode::Null);
        return;
    }
    // Only an object class may stand here: a value or record code would make
    // something that is not an ObjectBase.
    const ObjectRegistry::Record* record = ObjectRegistry::instance().find(code);
    if (!record || record->kind != ObjectRegistry::Kind::Object)
        badObjectLookup(code);
    std::unique_ptr<Archive::ObjectBase> object(ObjectRegistry::create(code));
    in.beginSection(code);
    object->read(in);
    in.endSection(code);
    target = std::move(object);
}
