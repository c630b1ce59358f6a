#include "components/archive/archive_file.h"

#include "stream_test_types.h"

#include <QBuffer>

#include <archive.h>
#include <archive_entry.h>

#include <clocale>
#include <random>
#include <sys/stat.h>

using StreamTest::readFile;
using StreamTest::writeFile;

namespace {

QByteArray pack(int kind, const std::vector<QString>& paths, const QString& entryName = QString())
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ArchiveFile archive;
    EXPECT_TRUE(archive.open(ArchiveFile::WriteMode, &buffer, kind));
    for (const QString& path : paths)
        EXPECT_TRUE(archive.addPathUnder(path, entryName)) << archive.errorString().toStdString();
    EXPECT_TRUE(archive.close());
    return buffer.data();
}

// Extracts bytes of kind below root, within limit (negative: the default bound).
bool extract(QByteArray bytes, const QString& root, QString* error = nullptr, int kind = ArchiveFile::TarGzKind,
             qint64 limit = -1)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    ArchiveFile archive;
    ArchiveFile::ExtractOptions options;
    options.sizeLimit = limit;
    const bool ok = archive.open(ArchiveFile::ReadMode, &buffer, kind) && archive.extractTo(root, options);
    if (error)
        *error = archive.errorString();
    return ok;
}

struct RawEntry
{
    const char* name;
    unsigned type = AE_IFREG;
    const char* link = nullptr;
    const char* hardlink = nullptr;
    QByteArray content = "bad";
    qint64 dataAt = -1;  // a sparse file: holes but for content's bytes from here
    qint64 dataSize = 0;
};

// Entries our writer never makes, written through libarchive directly.
QByteArray rawTar(const std::vector<RawEntry>& entries, bool gzip = false)
{
    std::vector<char> out(1 << 20);
    size_t used = 0;
    struct archive* a = archive_write_new();
    archive_write_set_format_pax_restricted(a);
    if (gzip)
        archive_write_add_filter_gzip(a);
    archive_write_open_memory(a, out.data(), out.size(), &used);
    for (const RawEntry& e : entries) {
        struct archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.name);
        archive_entry_set_filetype(entry, e.type);
        archive_entry_set_perm(entry, 0644);
        if (e.link)
            archive_entry_set_symlink(entry, e.link);
        if (e.hardlink)
            archive_entry_set_hardlink(entry, e.hardlink);
        const bool hasData = e.type == AE_IFREG && !e.hardlink;
        archive_entry_set_size(entry, hasData ? e.content.size() : 0);
        if (e.dataAt >= 0)
            archive_entry_sparse_add_entry(entry, e.dataAt, e.dataSize);
        EXPECT_EQ(archive_write_header(a, entry), ARCHIVE_OK) << e.name;
        // A sparse entry takes the whole content and keeps its data regions.
        EXPECT_TRUE(!hasData
                    || archive_write_data(a, e.content.constData(), size_t(e.content.size())) == e.content.size());
        archive_entry_free(entry);
    }
    archive_write_free(a);
    return QByteArray(out.data(), static_cast<int>(used));
}

// Truncates the source at the first write: it shrinks after its header went out.
class ShrinkingDevice : public QBuffer
{
public:
    explicit ShrinkingDevice(const QString& victim) : m_victim(victim) {}

protected:
    qint64 writeData(const char* data, qint64 len) override
    {
        if (!std::exchange(m_done, true))
            QFile::resize(m_victim, 100);
        return QBuffer::writeData(data, len);
    }

private:
    QString m_victim;
    bool m_done = false;
};

}  // namespace

TEST(ArchiveFile, GnuTarHeaders)
{
    QTemporaryDir dir;
    const QString data = dir.filePath("src");
    writeFile(data + "/b.txt", QByteArray(700, 'b'));
    QDir().mkpath(data + "/a");
    writeFile(data + "/.hidden", "h");
    const QByteArray tar = pack(ArchiveFile::TarKind, {data}, "data");
    // Four headers, 1 + 2 data blocks, the end marker and nothing after it.
    EXPECT_EQ(tar.size(), (4 + 1 + 2) * 512 + 1024);
    const auto field = [&](int header, int offset, int length) { return tar.mid(header * 512 + offset, length); };
    EXPECT_EQ(field(0, 100, 7) + field(0, 156, 1), "00007555");
    EXPECT_EQ(field(1, 100, 7) + field(1, 156, 1), "00006440");
    for (int header : {0, 1, 3, 4}) {
        EXPECT_EQ(field(header, 136, 11), "00000000000") << header;  // mtime 0
        EXPECT_EQ(field(header, 257, 8), QByteArray("ustar  \0", 8)) << header;
    }
    EXPECT_EQ(field(4, 124, 11), "00000001274");
    EXPECT_EQ(field(4, 0, 11), QByteArray("data/b.txt\0", 11));

    // A buffer counts its bytes, and whole 8 KB blocks towards the estimate.
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    ArchiveFile archive;
    ASSERT_TRUE(archive.open(ArchiveFile::WriteMode, &out, ArchiveFile::TarKind));
    ASSERT_TRUE(archive.addBuffer(QByteArray(5000, 'x'), QStringLiteral("x.bin")));
    EXPECT_EQ(archive.dataBytesWritten(), 5000);
    EXPECT_EQ(archive.estimatedArchiveSize(), 8192);
    EXPECT_TRUE(archive.close());
}

TEST(ArchiveFile, RoundTripTarAndZipWithNonAsciiNamesInAnyLocale)
{
    QTemporaryDir dir;
    const QString src = dir.filePath("src");
    const QString name = QString::fromUtf8("Grüße/ñame €.txt");
    QByteArray content;
    for (int i = 0; i < 50000; ++i)
        content += QByteArray::number(i * 7919 % 1000);
    writeFile(src + "/" + name, content);
    writeFile(src + "/plain.bin", "plain");

    for (int kind : {int(ArchiveFile::TarGzKind), int(ArchiveFile::ZipKind)}) {
        // libarchive's own name conversion fails in the C locale.
        const std::string saved = std::setlocale(LC_CTYPE, nullptr);
        std::setlocale(LC_CTYPE, "C");
        const QByteArray bytes = pack(kind, {src}, "top");
        std::setlocale(LC_CTYPE, saved.c_str());
        const QString out = dir.filePath(QString("out%1").arg(kind));
        writeFile(out + "/top/plain.bin", "much longer old content");
        QString error;
        ASSERT_TRUE(extract(bytes, out, &error, kind)) << error.toStdString();
        EXPECT_EQ(readFile(out + "/top/" + name), content) << kind;
        EXPECT_EQ(readFile(out + "/top/plain.bin"), "plain") << kind;
    }
}

TEST(ArchiveFile, ExtractionStaysInsideRoot)
{
    QTemporaryDir dir;
    const QString root = dir.filePath("root/inner");
    const std::vector<std::pair<std::vector<RawEntry>, bool>> cases = {
        {{{"../x"}}, false},
        {{{"a/../../x"}}, false},
        {{{"/abs"}}, false},
        {{{"..", AE_IFDIR}}, false},
        {{{"link", AE_IFLNK, "../../x", nullptr}}, false},
        {{{"link", AE_IFLNK, "/etc/passwd", nullptr}}, false},
        {{{"hard", AE_IFREG, nullptr, "../x"}}, false},
        // Links pointing inside are skipped, the rest goes on.
        {{{"d/link", AE_IFLNK, "../ok.txt", nullptr}, {"ok.txt"}}, true},
    };
    for (const auto& [entries, ok] : cases) {
        QString error;
        EXPECT_EQ(extract(rawTar(entries), root, &error), ok) << entries[0].name;
        EXPECT_TRUE(ok || error.contains(entries[0].name)) << error.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("root/x")) || QFileInfo::exists(dir.filePath("x"))
                 || QFileInfo::exists("/abs") || QFileInfo(root + "/d/link").isSymLink());
    EXPECT_EQ(readFile(root + "/ok.txt"), "bad");

    // A link already on disk inside the root does not carry files out.
    ASSERT_TRUE(QFile::link(dir.path(), root + "/escape"));
    QString error;
    EXPECT_FALSE(extract(rawTar({{"escape/y"}}), root, &error));
    EXPECT_TRUE(error.contains("escape/y")) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("y")));
}

TEST(ArchiveFile, SourceShrinkingMidEntryFailsTheSave)
{
    QTemporaryDir dir;
    const QString victim = dir.filePath("victim.bin");
    writeFile(victim, QByteArray(1 << 20, 'v'));
    ShrinkingDevice device(victim);
    device.open(QIODevice::WriteOnly);
    ArchiveFile archive;
    ASSERT_TRUE(archive.open(ArchiveFile::WriteMode, &device, ArchiveFile::TarKind));
    EXPECT_FALSE(archive.addPath(victim));
    EXPECT_TRUE(archive.isDamaged() && archive.errorString().contains("victim.bin"));
    EXPECT_FALSE(archive.addBuffer("more", "more") || archive.close());
    EXPECT_EQ(archive.errorString(), "An earlier entry of the archive failed");
}

TEST(ArchiveFile, DeclaredSizesWithoutDataFail)
{
    // zip-entry-declared-size.zip: one stored entry "P" with no data and a
    // declared size of 0x61000000.
    const QByteArray zip =
        QByteArray::fromHex("504b0304001400080000bc9a865d07d66f9000000000000000610100000050504b0506");
    QTemporaryDir dir;
    // The default bound (1 GiB for so small an archive) refuses the declared
    // size at once; under a bound that allows it, the missing data fails the
    // entry.
    for (const qint64 limit : {qint64(-1), qint64(1) << 32}) {
        QString error;
        EXPECT_FALSE(extract(zip, dir.path(), &error, ArchiveFile::ZipKind, limit));
        EXPECT_EQ(error.toStdString(),
                  limit < 0 ? "The entry P of the archive would take it beyond 1.0 GiB, more than any show or project "
                              "of its size holds: it is damaged or was made to fill the disk, so nothing of it was "
                              "kept. Choose another copy of it."
                            : "The archive entry P holds 0 bytes where its header declares 1627389952: the "
                              "archive is damaged");
        EXPECT_LE(QFileInfo(dir.filePath("P")).size(), zip.size());
    }
}

// What compresses far better than 64 to 1 (an uncompressed floor plan, a file of zeros) extracts whole: deflate
// expands no more than 1032-fold, so no real archive reaches the bound. A real sparse file extracts with its holes
// when it fits the bound, and not at all when it does not.
TEST(ArchiveFile, TheBoundKeepsWhatRealArchivesHold)
{
    QTemporaryDir dir;
    QString error;
    const QString zeros = dir.filePath("src/zeros.bin");
    writeFile(dir.filePath("src/a/small.txt"), "small");
    QFile source(zeros);
    ASSERT_TRUE(source.open(QIODevice::WriteOnly) && source.resize(qint64(16) << 20));
    source.close();
    const QByteArray packed = pack(ArchiveFile::TarGzKind, {dir.filePath("src/a"), zeros});
    ASSERT_LT(packed.size() * 512, 16 << 20);
    const QString out = dir.filePath("out/x");
    ASSERT_TRUE(extract(packed, out, &error)) << error.toStdString();
    EXPECT_EQ(QFileInfo(out + "/zeros.bin").size(), qint64(16) << 20);
    EXPECT_EQ(readFile(out + "/a/small.txt"), "small");
    QDir(dir.filePath("out")).removeRecursively();

    // Its data does not compress, so that the archive's size allows the file.
    QByteArray data(12 * 1024, Qt::Uninitialized);
    std::mt19937 random(11);
    for (char& byte : data)
        byte = char(random());
    RawEntry holes {"holes.bin"};
    holes.content = QByteArray(512 * 1024, '\0').replace(100 * 1024, data.size(), data);
    holes.dataAt = 100 * 1024;
    holes.dataSize = data.size();
    const QByteArray sparse = rawTar({holes}, true);
    ASSERT_TRUE(extract(sparse, out, &error)) << error.toStdString();
    EXPECT_TRUE(readFile(out + "/holes.bin") == holes.content);
    // Where the file system keeps holes, so does the extracted file.
    const auto allocated = [](const QString& path) {
        struct stat info = {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? qint64(info.st_blocks) * 512 : -1;
    };
    QFile probe(dir.filePath("probe"));
    ASSERT_TRUE(probe.open(QIODevice::WriteOnly) && probe.resize(512 * 1024));
    probe.close();
    EXPECT_TRUE(allocated(probe.fileName()) >= 64 * 1024 || allocated(out + "/holes.bin") < 128 * 1024);
    QDir(dir.filePath("out")).removeRecursively();
    EXPECT_FALSE(extract(sparse, out, &error, ArchiveFile::TarGzKind, 512 * 1024 - 1));
    EXPECT_TRUE(error.startsWith("The entry holes.bin of the archive would take it beyond 512.0 KiB, more than any "
                                 "show or project of its size holds"))
        << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("out")));
}

// A failure to write an entry names the entry and the archive's file, never the folder it is extracted into.
TEST(ArchiveFile, FailuresNameTheEntryAndTheArchive)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("src/a/b.txt"), "b");
    writeFile(dir.filePath("src/c.txt"), "c");
    const QString path = dir.filePath("in.tar.gz");
    writeFile(path, pack(ArchiveFile::TarGzKind, {dir.filePath("src/a"), dir.filePath("src/c.txt")}));
    // A file where its folder goes, a folder where a file goes.
    writeFile(dir.filePath("out1/a"), "in the way");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("out2/c.txt")));
    const std::pair<const char*, const char*> cases[] = {
        {"out1", "Cannot extract the folder a of %1: Not a directory"},
        {"out2", "Cannot extract the entry c.txt of %1: Is a directory"}};
    for (const auto& [root, message] : cases) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        ArchiveFile archive;
        ASSERT_TRUE(archive.open(ArchiveFile::ReadMode, &file, ArchiveFile::TarGzKind));
        EXPECT_FALSE(archive.extractTo(dir.filePath(QLatin1String(root))));
        EXPECT_EQ(
            archive.errorString().toStdString(),
            QString::fromLatin1(message).arg("the archive \"" + QDir::toNativeSeparators(path) + '"').toStdString());
    }
}

TEST(ArchiveFile, TenThousandEmptyEntriesExtract)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ArchiveFile writer;
    ASSERT_TRUE(writer.open(ArchiveFile::WriteMode, &buffer, ArchiveFile::TarGzKind));
    for (int i = 0; i < 10000; ++i)
        ASSERT_TRUE(writer.addEmptyFile(QStringLiteral("d%1/e%2").arg(i % 10).arg(i)));
    ASSERT_TRUE(writer.close());
    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(extract(buffer.data(), dir.path(), &error)) << error.toStdString();
    int files = 0;
    for (int d = 0; d < 10; ++d)
        files += QDir(dir.filePath(QStringLiteral("d%1").arg(d))).entryList(QDir::Files).size();
    EXPECT_EQ(files, 10000);
}
