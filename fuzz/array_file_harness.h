// The harness body shared by the binary and the text object stream: the input
// is a database array file (header, then one array section), read as the
// database reads it, every object made through the type registry from the
// code it carries (whatever codes the registry holds at the time). A file
// that reads must write back, and what is written must read again and write
// the same bytes: a reader and its writer agree on every field.
#ifndef FUZZ_ARRAY_FILE_HARNESS_H
#define FUZZ_ARRAY_FILE_HARNESS_H

#include "components/archive/database_array.h"
#include "components/archive/database_storage.h"
#include "components/lx_objects/project/object_types.h"
#include "components/lx_objects/project/project_database.h"
#include "fuzz/fuzz_support.h"

#include <stdexcept>

namespace Fuzz {

// Ids past this are refused like ids past an array's maximum, so one input
// never grows the slots far.
constexpr quint32 kFuzzArrayMaxObjects = 4096;
constexpr Archive::ArrayId kFuzzArrayId = 1;

template <class In>
bool readArrayFile(const QString& path, Archive::Array& array, QByteArray& extra)
{
    try {
        In in;
        in.open(path, kProjectStreamVersion, &extra);
        Archive::readArrayObjects(in, array);
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

template <class Out>
QByteArray writtenArrayFile(const QString& path, const Archive::Array& array, const QByteArray& extra)
{
    {
        Out out(kProjectStreamVersion);
        out.open(path, &extra);
        Archive::writeArrayObjects(out, array, 0, array.slotCount());
        out.close();
    }
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

template <class In, class Out>
int readArrayInput(const uint8_t* data, size_t size)
{
    const QString path = writeInput(QStringLiteral("array"), data, size);
    QByteArray extra;
    Archive::Array first(kFuzzArrayId, kFuzzArrayMaxObjects, nullptr);
    if (!readArrayFile<In>(path, first, extra))
        return 0;
    const QByteArray written = writtenArrayFile<Out>(path, first, extra);
    Archive::Array second(kFuzzArrayId, kFuzzArrayMaxObjects, nullptr);
    QByteArray extraAgain;
    FUZZ_CHECK(readArrayFile<In>(path, second, extraAgain));
    FUZZ_CHECK(extraAgain == extra);
    FUZZ_CHECK(second.slotCount() == first.slotCount());
    FUZZ_CHECK(writtenArrayFile<Out>(path, second, extra) == written);
    return 0;
}

}  // namespace Fuzz

#endif  // FUZZ_ARRAY_FILE_HARNESS_H
