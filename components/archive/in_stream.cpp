#include "components/archive/in_stream.h"

#include "components/archive/type_registry.h"

namespace {

[[noreturn]] void badLookup(quint32 code)
{
    throw std::runtime_error(
        QStringLiteral("Bad registry lookup, id %1").arg(code).toLatin1().toStdString());
}

} // namespace

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
    if (index >= context_.size())
        context_.resize(index + 1);
    context_[index] = value;
}

QVariant InStream::contextValue(int index) const
{
    return index >= 0 && index < context_.size() ? context_.at(index) : QVariant();
}

quint32 InStream::readCount()
{
    quint32 count = 0;
    *this >> count;
    checkStatus();
    if (qint64(count) > bytesRemaining())
        throw std::runtime_error(
            QStringLiteral("Error reading from file, count %1 exceeds the data remaining")
                .arg(count)
                .toStdString());
    return count;
}

InStream::NestingGuard::NestingGuard(InStream& in)
    : in_(in)
{
    if (in_.nesting_ >= kMaxNesting)
        throw std::runtime_error("Error reading from file, nesting too deep");
    ++in_.nesting_;
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
        badLookup(code);
    std::unique_ptr<Archive::ObjectBase> object(ObjectRegistry::create(code));
    in.beginSection(code);
    object->read(in);
    in.endSection(code);
    target = std::move(object);
}
