#include "components/quilshow/show/bundler.h"

#include "components/quilshow/show/show_kinds.h"
#include "components/quilshow/show/show_streamer.h"
#include "seltrane_components/os/expansion_guard.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace Quil {

namespace {

const quint8 kStartMagic[16] = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80,
                                0x90, 0xA0, 0xB0, 0xC0, 0xD0, 0xE0, 0xF0, 0x00};
const quint8 kEndMagic[16] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88,
                              0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00};

// The stage an expansion reports in: bytes read of the bundle against its size.
const unsigned kProgressSteps = 1000;

[[noreturn]] void fail(const char* text) { throw std::runtime_error(text); }

// A file of the bundle that could not be written, named by the bundle and its
// name in it, never by the folder it was expanded into.
[[noreturn]] void failFile(const char* text, const std::string& name, const std::string& bundle, int error)
{
    throw std::runtime_error(std::string(text) + " " + name + " of the bundle " + bundle
                             + (error != 0 ? ": " + std::string(std::strerror(error)) : std::string()));
}

void expectMagic(std::istream& in, const quint8 (&magic)[16], const char* error)
{
    for (quint8 expected : magic) {
        const int byte = in.get();
        if (byte == std::char_traits<char>::eof() || static_cast<quint8>(byte) != expected)
            fail(error);
    }
}

template <typename T>
T readLittleEndian(std::istream& in, const char* error)
{
    char bytes[sizeof(T)];
    if (!in.read(bytes, sizeof bytes))
        fail(error);
    return qFromLittleEndian<T>(bytes);
}

// The file count: decimal digits after optional white space.
quint32 readFileCount(std::istream& in)
{
    int c = in.peek();
    while (c != std::char_traits<char>::eof() && std::isspace(c)) {
        in.get();
        c = in.peek();
    }
    quint64 count = 0;
    int digits = 0;
    while (c != std::char_traits<char>::eof() && std::isdigit(c)) {
        count = count * 10 + static_cast<quint64>(c - '0');
        if (count > 0xFFFFFFFFu)
            fail("Bad bundle file count");
        in.get();
        c = in.peek();
        ++digits;
    }
    if (digits == 0)
        fail("Bad bundle file count");
    in.clear(in.rdstate() & ~std::ios::eofbit);
    return static_cast<quint32>(count);
}

// The stored name with "/" separators; refuses names that leave the folder.
// Names are 8-bit texts like the show's own: decoded as the show decodes its
// paths (UTF-8 when valid, else Latin-1) and encoded for the file system, so
// the show's references find the file and the folder can be removed again.
// A NUL would cut the name short where the file is opened.
std::string safeRelativeName(std::string name)
{
    if (name.find('\0') != std::string::npos)
        fail("Bad bundled file name");
    name = QFile::encodeName(toQString(name)).toStdString();
    for (char& c : name) {
        if (c == '\\')
            c = '/';
    }
    const bool driveLetter = name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]));
    if (name.empty() || name[0] == '/' || driveLetter)
        fail("Bad bundled file name");
    std::string::size_type start = 0;
    while (start <= name.size()) {
        std::string::size_type end = name.find('/', start);
        if (end == std::string::npos)
            end = name.size();
        if (name.compare(start, end - start, "..") == 0)
            fail("Bad bundled file name");
        start = end + 1;
    }
    return name;
}

// Moves the stage on to the share of the bundle read so far, so that one
// large file does not hold it still.
class ReadProgress
{
public:
    ReadProgress(ProgressTracker& tracker, std::istream& in, std::streamoff size)
        : m_stage(&tracker, kProgressSteps), m_in(in), m_size(size)
    {}
    void update()
    {
        const std::streamoff position = m_in.tellg();
        if (m_size <= 0 || position <= 0)
            return;
        m_stage.step(static_cast<unsigned>(quint64(std::min(position, m_size)) * kProgressSteps / quint64(m_size)));
    }

private:
    ProgressStage m_stage;  // ended however the expansion ends
    std::istream& m_in;
    std::streamoff m_size;
};

// Copies `size` bytes of the file `name` of `bundle`; what is written counts
// against the bound as it arrives, so a damaged size reads short before it
// counts.
void copyData(std::istream& in, std::ofstream* out, quint32 size, ExpansionGuard& guard, const std::string& name,
              const std::string& bundle, ReadProgress& progress)
{
    char buffer[65536];
    while (size > 0) {
        const std::streamsize chunk = std::min<quint32>(size, sizeof buffer);
        if (!in.read(buffer, chunk))
            fail("Error reading bundled file");
        if (out && !guard.take(chunk)) {
            out->close();
            guard.removeCreated();
            // A bundle is not compressed: only the free space can stop one by default.
            if (guard.limitIsFreeSpace()) {
                throw std::runtime_error("Error writing unbundled file " + name + " of the bundle " + bundle
                                         + ": it would take the expanded files beyond the "
                                         + QLocale::c().formattedDataSize(guard.limit(), 1).toStdString()
                                         + " free on the disk they are expanded onto ("
                                         + QFile::encodeName(guard.disk()).toStdString()
                                         + "), and nothing expanded from it was kept");
            }
            throw std::runtime_error("The bundled file " + name + " would take the expanded files beyond the limit of "
                                     + std::to_string(guard.limit())
                                     + " bytes for this bundle: it is damaged, and nothing expanded from it was "
                                       "kept");
        }
        errno = 0;
        if (out && !out->write(buffer, chunk))
            failFile("Error writing unbundled file", name, bundle, errno);
        size -= static_cast<quint32>(chunk);
        progress.update();
    }
}

}  // namespace

bool Bundler::isBundle(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open())
        return false;
    char bytes[4];
    if (!in.read(bytes, sizeof bytes))
        return false;
    return qFromLittleEndian<quint32>(bytes) == kMagic;
}

void Bundler::unbundle(const std::string& bundlePath, const std::string& destination, ProgressTracker& progress,
                       OverwriteCallback overwriteCallback)
{
    this->destination = destination;
    std::ifstream in(bundlePath, std::ios::binary);
    if (!in.is_open())
        fail("Cannot open bundle file");
    if (readLittleEndian<quint32>(in, "Bad bundler magicnum") != kMagic)
        fail("Bad bundler magicnum");
    version = readLittleEndian<quint32>(in, "Bad bundler magicnum");
    const quint32 count = readFileCount(in);

    const std::streamoff position = in.tellg();
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(position);
    ExpansionGuard guard(sizeLimit, size, QFile::decodeName(QByteArray::fromStdString(destination)));
    ReadProgress readProgress(progress, in, size);
    for (quint32 i = 0; i < count; ++i) {
        expectMagic(in, kStartMagic, "Bad file start magicnum");
        const quint16 nameLength = readLittleEndian<quint16>(in, "Error reading bundled file");
        std::string name(nameLength, '\0');
        if (nameLength > 0 && !in.read(&name[0], nameLength))
            fail("Error reading bundled file");
        name = safeRelativeName(name);

        const std::string::size_type lastSeparator = name.rfind('/');
        // The folder's own reason, not the "No such file" of the open after it.
        if (lastSeparator != std::string::npos
            && !guard.makeFolder(
                QFile::decodeName(QByteArray::fromStdString(destination + "/" + name.substr(0, lastSeparator)))))
            failFile("Couldn't unbundle file", name, bundlePath, errno);
        const std::string fullPath = destination + "/" + name;

        bool write = true;
        if (overwriteCallback && QFileInfo::exists(QString::fromStdString(fullPath))) {
            const int answer = overwriteCallback(fullPath);
            if (answer == 2)
                fail("Unbundle cancelled");
            write = answer == 0;
        }
        std::ofstream out;
        if (write) {
            errno = 0;
            out.open(fullPath, std::ios::binary | std::ios::trunc);
            if (!out.is_open())
                failFile("Couldn't unbundle file", name, bundlePath, errno);
            guard.addFile(QFile::decodeName(QByteArray::fromStdString(fullPath)));
        }
        const quint32 size = readLittleEndian<quint32>(in, "Error reading bundled file");
        copyData(in, write ? &out : nullptr, size, guard, name, bundlePath, readProgress);
        if (write) {
            errno = 0;
            out.close();
            if (out.fail())
                failFile("Error writing unbundled file", name, bundlePath, errno);
        }
        expectMagic(in, kEndMagic, "Bad file end magicnum");
        readProgress.update();
    }
}

QString Bundler::findShowFile(const QString& folder, const QString& bundleKind)
{
    const quint32 magic = fileTypeMagicForKind(bundleKind);
    const QDir dir(folder);
    const QStringList topLevel = dir.entryList(QDir::Files, QDir::Name);
    if (magic != 0) {
        for (const QString& name : topLevel) {
            if (fileTypeMagicForKind(QFileInfo(name).suffix()) == magic)
                return dir.filePath(name);
        }
    }
    QStringList all;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        all.append(dir.relativeFilePath(it.next()));
    all.sort();
    for (const QString& name : all) {
        ShowStreamer streamer(magic);
        if (streamer.open(QFile::encodeName(dir.filePath(name)).toStdString(), ShowStreamer::BINARY_IN))
            return dir.filePath(name);
    }
    return QString();
}

}  // namespace Quil
