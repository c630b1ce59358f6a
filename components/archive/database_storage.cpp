#include "components/archive/database_storage.h"

#include "components/archive/archive_exception.h"
#include "components/archive/binary_stream.h"
#include "components/archive/database.h"
#include "components/archive/stream_codes.h"
#include "components/archive/text_stream.h"
#include "seltrane_components/os/atomic_file.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Archive {

namespace {

constexpr quint32 kNoId = 0xFFFFFFFFu;

[[noreturn]] void raise(const Database& database, int code, ArrayId arrayId = kNoId, ObjectId objectId = kNoId)
{
    throw archive_exception(code, objectId, arrayId, database.id());
}

template <class Stream>
std::unique_ptr<InStream> openInFile(const QString& path, quint16 supportedVersion, QByteArray* extra)
{
    auto stream = std::make_unique<Stream>();
    stream->open(path, supportedVersion, extra);
    return stream;
}

std::unique_ptr<InStream> openInStream(bool binary, const QString& path, quint16 supportedVersion, QByteArray* extra)
{
    return binary ? openInFile<BinaryInStream>(path, supportedVersion, extra)
                  : openInFile<TextInStream>(path, supportedVersion, extra);
}

[[noreturn]] void raiseStorage(const Database& database, storage_error::Step step, const QString& path, int error,
                               ArrayId arrayId)
{
    throw storage_error(step, path, error, arrayId, database.id());
}

// Asks the test seam about a system call on path: its errno, or 0.
int injected(AtomicFile::Call call, const QString& path) { return AtomicFile::injectedError(call, path); }

// Makes one folder (its parent must be there); a folder already there will do.
void makeFolder(const Database& database, const QString& path, ArrayId arrayId)
{
    int error = injected(AtomicFile::Call::MakeFolder, path);
    if (error == 0 && ::mkdir(QFile::encodeName(path).constData(), 0777) != 0)
        error = errno;
    if (error == EEXIST && QFileInfo(path).isDir())
        return;
    if (error != 0)
        raiseStorage(database, storage_error::MakeFolder, path, error == EEXIST ? ENOTDIR : error, arrayId);
}

// The data of the file at path on the disk: 0, or the errno of the failure.
int syncToDisk(const QString& path)
{
    if (const int error = injected(AtomicFile::Call::Sync, path))
        return error;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

// Writes target through a sibling file that replaces it only once it is
// complete and on disk, so that a failed save leaves the old file as it was.
// write() throws storage_error for the sibling file it cannot write.
void replaceFile(const Database& database, ArrayId arrayId, const QString& target,
                 const std::function<void(const QString&)>& write)
{
    const QString temporary = target + QStringLiteral(".part");
    try {
        write(temporary);
        if (const int error = syncToDisk(temporary))
            raiseStorage(database, storage_error::Sync, temporary, error, arrayId);
        int error = injected(AtomicFile::Call::Rename, temporary);
        if (error == 0
            && std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0)
            error = errno;
        if (error != 0)
            raiseStorage(database, storage_error::Rename, temporary, error, arrayId);
    } catch (...) {
        QFile::remove(temporary);
        throw;
    }
}

void writeStreamFile(const Database& database, ArrayId arrayId, bool binary, const QString& target,
                     const QByteArray* extra, const std::function<void(OutStream&)>& body)
{
    // A failure of the file is told as the system's, with its path; the
    // stream's own failures (a count too large) pass on as they are.
    const auto writeWith = [&](const QString& temporary, auto&& out) {
        storage_error::Step step = storage_error::Open;
        try {
            if (const int error = injected(AtomicFile::Call::Open, temporary))
                raiseStorage(database, step, temporary, error, arrayId);
            out->open(temporary, extra);
            step = storage_error::Write;
            body(*out);
            if (const int error = injected(AtomicFile::Call::Close, temporary))
                raiseStorage(database, storage_error::Close, temporary, error, arrayId);
            out->close();
        } catch (const std::runtime_error& error) {
            if (out->fileError() == 0 || dynamic_cast<const storage_error*>(&error))
                throw;
            raiseStorage(database, step, temporary, out->fileError(), arrayId);
        }
    };
    const quint16 version = database.settings().version;
    replaceFile(database, arrayId, target, [&](const QString& temporary) {
        if (binary)
            writeWith(temporary, std::make_unique<BinaryOutStream>(version));
        else
            writeWith(temporary, std::make_unique<TextOutStream>(version));
    });
}

bool isBinaryArray(const Array& array) { return (array.flags() & kArrayBinaryFlag) != 0; }

void setArrayEncoding(Array& array, bool binary)
{
    array.setFlags((array.flags() & kArrayFieldMask) | (binary ? kArrayBinaryFlag : kArrayTextFlag));
}

QString arraySuffix(const Database& database, const Array& array)
{
    return isBinaryArray(array) ? database.settings().binarySuffix : database.settings().textSuffix;
}

// The number of ids a run file holds, from its name "a-b" or "a".
quint32 runLength(const Database& database, const Array& array, const QString& fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,10})(?:-([0-9]{1,10}))?$"));
    const QRegularExpressionMatch match = pattern.match(fileName.section(QLatin1Char('.'), 0, 0));
    if (!match.hasMatch())
        raise(database, 9, array.id());
    const quint64 first = match.captured(1).toULongLong();
    const quint64 last = match.capturedLength(2) > 0 ? match.captured(2).toULongLong() : first;
    if (last < first || last > kNoId || last - first + 1 >= kNotStoredField)
        raise(database, 9, array.id());
    return quint32(last - first + 1);
}

void loadArrayFile(Array& array, const QString& path, bool binary, quint16 supportedVersion, quint16& foundVersion)
{
    const std::unique_ptr<InStream> in = openInStream(binary, path, supportedVersion, nullptr);
    readArrayObjects(*in, array);
    foundVersion = std::max(foundVersion, in->version());
}

void loadArrayFromFolder(const Database& database, Array& array, const QString& folder, quint16 supportedVersion,
                         quint16& foundVersion)
{
    if (!array.isStored())
        return;
    const DatabaseSettings& settings = database.settings();
    const QString base = folder + QLatin1Char('/') + array.name();
    if (QFileInfo(base).isDir()) {
        const QDir dir(base);
        const auto list = [&](const QString& suffix) {
            return dir.entryList(QStringList {QStringLiteral("*.") + suffix}, QDir::Files, QDir::Name);
        };
        QStringList files = list(settings.binarySuffix);
        const bool binary = !files.isEmpty();
        if (!binary)
            files = list(settings.textSuffix);
        setArrayEncoding(array, binary);
        // Every name is checked before anything is read.
        quint32 field = 0;
        for (const QString& file : files) {
            const quint32 length = runLength(database, array, file);
            if (field == 0)
                field = length;
        }
        if (field != 0)
            array.replaceStorageField(field);
        for (const QString& file : files)
            loadArrayFile(array, dir.filePath(file), binary, supportedVersion, foundVersion);
        return;
    }
    for (const bool binary : {true, false}) {
        const QString path = base + QLatin1Char('.') + (binary ? settings.binarySuffix : settings.textSuffix);
        if (QFileInfo::exists(path)) {
            setArrayEncoding(array, binary);
            loadArrayFile(array, path, binary, supportedVersion, foundVersion);
            return;
        }
    }
}

// One file of an array in the folder layout: its slots [first, end).
struct ArrayFile
{
    Array* array;
    QString target;
    quint64 first;
    quint64 end;
};

// Lists the files of one array in the folder layout, creating its folder of
// runs. An array without changes has none unless forced; false for an array
// that is not stored or has none.
bool listArrayFiles(const Database& database, Array& array, const QString& folder, bool force,
                    std::vector<ArrayFile>& files)
{
    const quint32 field = array.storageField();
    if (field == kNotStoredField)
        return false;
    if (!force && array.nextChangedId(-1) < 0)
        return false;
    const QString suffix = QLatin1Char('.') + arraySuffix(database, array);
    const quint32 slotCount = array.slotCount();
    if (field == 0) {
        files.push_back({&array, folder + QLatin1Char('/') + array.name() + suffix, 0, slotCount});
        return true;
    }
    const QString subFolder = folder + QLatin1Char('/') + array.name();
    makeFolder(database, subFolder, array.id());
    for (quint64 first = 0; first < slotCount; first += field) {
        const quint64 last = first + field - 1;
        const qint64 changed = array.nextChangedId(qint64(first) - 1);
        if (!force && (changed < 0 || quint64(changed) > last))
            continue;
        const QString name = field == 1 ? QString::number(first) : QStringLiteral("%1-%2").arg(first).arg(last);
        files.push_back(
            {&array, subFolder + QLatin1Char('/') + name + suffix, first, std::min<quint64>(first + field, slotCount)});
    }
    return true;
}

// Writes the files on a few threads at once, so that formatting one overlaps
// another's wait for the disk; the calling thread is one of them. Only reading
// happens meanwhile: the caller holds the save lock, which every commit takes.
// Every file is tried, each whole or untouched (replaceFile); once every thread
// has stopped, the failure of the first file in list order, if any, is raised.
void writeArrayFiles(const Database& database, const std::vector<ArrayFile>& files)
{
    const auto write = [&](const ArrayFile& file) {
        writeStreamFile(
            database, file.array->id(), isBinaryArray(*file.array), file.target, nullptr,
            [&](OutStream& out) { writeArrayObjects(out, *file.array, ObjectId(file.first), ObjectId(file.end)); });
    };
    std::vector<std::exception_ptr> failures(files.size());
    std::atomic<std::size_t> next {0};
    const auto work = [&] {
        for (std::size_t index = next++; index < files.size(); index = next++) {
            try {
                write(files[index]);
            } catch (...) {
                failures[index] = std::current_exception();
            }
        }
    };
    // The machine's processors, not only those this process may run on: the
    // threads wait on the disk as much as they format.
    const std::size_t threads =
        std::min<std::size_t>({files.size(), std::max(1u, std::thread::hardware_concurrency()), 8});
    std::vector<std::thread> pool;
    try {
        for (std::size_t i = 1; i < threads; ++i)
            pool.emplace_back(work);
    } catch (...) {
        // No thread to spare: the ones started and this one do the rest.
    }
    work();
    for (std::thread& thread : pool)
        thread.join();
    for (const std::exception_ptr& failure : failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
}

// Clears a stream's context values on every way out of an array section.
class ArrayContext
{
public:
    ArrayContext(InStream& in, ArrayId arrayId) : m_in(in)
    {
        m_in.setContextValue(InStream::ArrayIdContext, QVariant(arrayId));
    }
    ~ArrayContext()
    {
        m_in.setContextValue(InStream::ObjectIdContext, QVariant());
        m_in.setContextValue(InStream::ArrayIdContext, QVariant());
    }

private:
    InStream& m_in;
};

}  // namespace

// ---------------------------------------------------------------- array sections

void readArrayObjects(InStream& in, Array& array)
{
    const ArrayContext context(in, array.id());
    in.beginSection(StreamCode::ArchiveArray);
    const quint32 count = in.readCount();
    for (quint32 i = 0; i < count; ++i) {
        in.beginSection(StreamCode::ObjectBase);
        quint32 id = 0;
        quint32 sequence = 0;
        quint32 stamp = 0;
        in >> id >> sequence >> stamp;
        in.checkStatus();
        // Damaged data must not grow the slots past what the array can hold.
        if (id != kNoObjectId && id >= array.maxObjects())
            throw archive_exception(9, id, array.id(), array.databaseId());
        in.setContextValue(InStream::ObjectIdContext, QVariant(id));
        std::unique_ptr<ObjectBase> object;
        readObjectPointer(in, object);
        in.setContextValue(InStream::ObjectIdContext, QVariant());
        array.loadSlot(id, ObjectPtr(object.release()), sequence, stamp);
        in.endSection(StreamCode::ObjectBase);
    }
    in.endSection(StreamCode::ArchiveArray);
}

void writeArrayObjects(OutStream& out, const Array& array, ObjectId first, ObjectId end)
{
    out.beginSection(StreamCode::ArchiveArray, true);
    out.writeCount(end > first ? end - first : 0);
    // Slots past the end are written empty. The slots are read in place: a
    // handle's reference per object touches memory the writing never needs.
    static const ObjectPtr empty;
    const ObjectId slotCount = array.slotCount();
    for (ObjectId id = first; id < end; ++id) {
        const ObjectPtr& slot = id < slotCount ? array.slot(id) : empty;
        out.beginSection(StreamCode::ObjectBase, true);
        out << quint32(id) << slot.sequence() << slot.stamp();
        writeObjectPointer(out, slot.object());
        out.endSection(StreamCode::ObjectBase);
    }
    out.endSection(StreamCode::ArchiveArray);
}

// ---------------------------------------------------------------- storage

void DatabaseStorage::configure(const DatabaseSettings& settings)
{
    m_singleFile = settings.singleFile;
    m_binary = settings.binary;
}

void DatabaseStorage::clear()
{
    m_path.clear();
    m_uuid = QUuid();
    m_secondUuid = QUuid();
}

void DatabaseStorage::create(const Database& database, const QString& path, const QByteArray& extra)
{
    m_path = path;
    m_extra = extra;
    if (QFileInfo::exists(path))
        raise(database, 5);
    m_uuid = QUuid::createUuid();
    m_secondUuid = QUuid();
}

void DatabaseStorage::load(Database& database, DatabaseOpenParameters& parameters)
{
    m_path = parameters.path;
    m_extra = parameters.extra;
    const QFileInfo info(parameters.path);
    if (!info.exists())
        raise(database, 5);
    parameters.foundVersion = 0;
    if (info.isDir())
        loadFolder(database, parameters);
    else
        loadSingleFile(database, parameters);
}

void DatabaseStorage::loadFolder(Database& database, DatabaseOpenParameters& parameters)
{
    QFile header(parameters.path + QLatin1Char('/') + database.settings().headerName);
    if (!QFileInfo(header.fileName()).isFile() || !header.open(QIODevice::ReadOnly))
        raise(database, 5);
    QDataStream stream(&header);
    QByteArray extra;
    QUuid uuid;
    stream >> extra >> uuid;
    if (stream.status() != QDataStream::Ok || uuid.isNull())
        raise(database, 5);
    QUuid second;
    stream >> second;
    if (stream.status() != QDataStream::Ok)
        second = QUuid();  // an older header ends after the database identifier
    parameters.extra = extra;
    m_uuid = uuid;
    m_secondUuid = second;
    m_singleFile = false;

    const std::vector<ArrayId>& arrayIds = database.arrayIds();
    ProgressStage progress(parameters.progress, unsigned(arrayIds.size()));
    for (std::size_t index = 0; index < arrayIds.size(); ++index) {
        progress.step(unsigned(index));
        loadArrayFromFolder(database, *database.array(arrayIds[index]), parameters.path, parameters.supportedVersion,
                            parameters.foundVersion);
    }
}

void DatabaseStorage::loadSingleFile(Database& database, DatabaseOpenParameters& parameters)
{
    const DatabaseSettings& settings = database.settings();
    const QString suffix = QFileInfo(parameters.path).suffix();
    if (suffix != settings.binarySuffix && suffix != settings.textSuffix)
        raise(database, 5);
    const bool binary = suffix == settings.binarySuffix;
    const std::unique_ptr<InStream> in =
        openInStream(binary, parameters.path, parameters.supportedVersion, &parameters.extra);
    parameters.foundVersion = in->version();

    const quint32 section = in->peekSection() == StreamCode::OldFormatArchiveDatabase
        ? StreamCode::OldFormatArchiveDatabase
        : StreamCode::ArchiveDatabase;
    in->beginSection(section);
    QUuid uuid;
    QUuid second;
    *in >> uuid;
    if (section == StreamCode::ArchiveDatabase)
        *in >> second;
    in->checkStatus();
    m_uuid = uuid;
    m_secondUuid = second;
    m_singleFile = true;
    m_binary = binary;

    ProgressStage progress(parameters.progress, unsigned(database.arrayIds().size()));
    for (unsigned index = 0;; ++index) {
        quint32 arrayId = 0;
        *in >> arrayId;
        in->checkStatus();
        if (arrayId == kSchemaEnd)
            break;
        Array* array = database.array(arrayId);
        if (!array)
            raise(database, 6, arrayId);
        progress.step(index);
        if (array->isStored())
            readArrayObjects(*in, *array);
    }
    in->endSection(section);
}

void DatabaseStorage::save(Database& database, bool force, bool newSecondId)
{
    if (newSecondId)
        m_secondUuid = QUuid::createUuid();
    if (m_singleFile)
        saveSingleFile(database, force);
    else
        saveFolder(database, force);
}

void DatabaseStorage::saveSingleFile(Database& database, bool force)
{
    writeStreamFile(database, kNoId, m_binary, m_path, &m_extra, [&](OutStream& out) {
        out.beginSection(StreamCode::ArchiveDatabase, true);
        out << m_uuid << m_secondUuid;
        for (ArrayId arrayId : database.arrayIds()) {
            const Array& array = *database.array(arrayId);
            out << quint32(arrayId);
            if (array.isStored())
                writeArrayObjects(out, array, 0, array.slotCount());
        }
        out << quint32(kSchemaEnd);
        out.endSection(StreamCode::ArchiveDatabase);
    });
    if (!force) {
        for (ArrayId arrayId : database.arrayIds())
            database.array(arrayId)->clearChangedIds();
    }
}

void DatabaseStorage::saveFolder(Database& database, bool force)
{
    // One level: a folder whose parent is gone is not made again.
    makeFolder(database, m_path, kNoId);
    std::vector<ArrayFile> files;
    std::vector<Array*> saved;
    for (ArrayId arrayId : database.arrayIds()) {
        Array& array = *database.array(arrayId);
        if (listArrayFiles(database, array, m_path, force, files))
            saved.push_back(&array);
    }
    writeArrayFiles(database, files);
    // Only once every file is on disk: after a failure, the next save writes
    // each changed array again.
    if (!force) {
        for (Array* array : saved)
            array->clearChangedIds();
    }

    // The header goes last: it is what marks the folder as a database.
    replaceFile(database, kNoId, m_path + QLatin1Char('/') + database.settings().headerName,
                [&](const QString& temporary) {
                    const auto fail = [&](storage_error::Step step, int error) {
                        raiseStorage(database, step, temporary, error, kNoId);
                    };
                    QFile file(temporary);
                    errno = 0;
                    if (const int error = injected(AtomicFile::Call::Open, temporary))
                        fail(storage_error::Open, error);
                    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                        fail(storage_error::Open, errno);
                    QDataStream stream(&file);
                    errno = 0;
                    stream << m_extra << m_uuid << m_secondUuid;
                    if (stream.status() != QDataStream::Ok || !file.flush())
                        fail(storage_error::Write, errno);
                    if (const int error = injected(AtomicFile::Call::Close, temporary))
                        fail(storage_error::Close, error);
                    errno = 0;
                    file.close();
                    if (file.error() != QFileDevice::NoError)
                        fail(storage_error::Close, errno);
                });
}

void DatabaseStorage::saveArray(Database& database, ArrayId arrayId, const QString& folder)
{
    Array& array = database.requireArray(arrayId);
    // Written as one file whatever the array's own storage field says.
    const quint32 field = array.replaceStorageField(0);
    try {
        std::vector<ArrayFile> files;
        listArrayFiles(database, array, folder, true, files);
        writeArrayFiles(database, files);
    } catch (...) {
        array.replaceStorageField(field);
        throw;
    }
    array.replaceStorageField(field);
}

// ---------------------------------------------------------------- database members

void Database::open(DatabaseOpenParameters& parameters)
{
    if (!m_initialised)
        raise(4);
    DatabaseLocks locks(*this, AllLocks);
    if (parameters.openExisting) {
        m_storage.load(*this, parameters);
        return;
    }
    m_storage.create(*this, parameters.path, parameters.extra);
    m_modified = true;
    emit requestAutoSaveTimer();
}

void Database::save(bool force, bool newSecondId)
{
    if (!m_initialised)
        raise(4);
    DatabaseLocks locks(*this, SaveLock);
    if (!m_modified && !force)
        return;
    m_storage.save(*this, force, newSecondId);
    // Still under the save lock: a commit waiting for it marks the database
    // modified again afterwards, so its changes are not forgotten.
    m_modified = false;
}

bool Database::saveArray(ArrayId arrayId, const QString& folder)
{
    DatabaseLocks locks(*this, SaveLock);
    m_storage.saveArray(*this, arrayId, folder);
    return true;
}

void Database::setDatabaseUuid(const QUuid& uuid)
{
    {
        DatabaseLocks locks(*this, SaveLock);
        m_storage.setUuid(uuid);
        m_modified = true;
    }
    emit requestAutoSaveTimer();
}

void Database::startAutoSaveTimer() { m_autoSave.restart(); }

// ---------------------------------------------------------------- free functions

void openDatabase(DatabaseOpenParameters& parameters, DatabaseId databaseId)
{
    resolveDatabase(databaseId).open(parameters);
}

void setDatabaseUuid(const QUuid& uuid, DatabaseId databaseId) { resolveDatabase(databaseId).setDatabaseUuid(uuid); }

void saveDatabase(DatabaseId databaseId, quint32 flags)
{
    resolveDatabase(databaseId).save((flags & kSaveForce) != 0, (flags & kSaveNewSecondId) != 0);
}

bool saveArray(ArrayId arrayId, const QString& folder, DatabaseId databaseId)
{
    return resolveDatabase(databaseId).saveArray(arrayId, folder);
}

}  // namespace Archive
