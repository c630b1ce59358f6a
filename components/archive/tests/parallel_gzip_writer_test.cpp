// The parallel gzip writer: the same bytes whatever the thread count, an
// ordinary gzip stream for zlib, gzip and libarchive, and a sink that fails.
#include "components/archive/parallel_gzip_writer.h"

#include "components/archive/archive_file.h"

#include "stream_test_types.h"

#include <QBuffer>
#include <QProcess>

#include <sched.h>
#include <zlib.h>

#include <random>

using StreamTest::readFile;
using StreamTest::writeFile;

namespace {

// Text-like data that compresses about 3:1, so blocks carry real matches.
QByteArray sampleText(int size, unsigned seed)
{
    static const char* const kWords[] = {"fixture", "universe", "channel", "cue", "fade",  "0",     "255",
                                         "\n",      " ",        "<group>", "id=", "scene", "pixel", ";"};
    std::mt19937 rng(seed);
    QByteArray data;
    while (data.size() < size) {
        if (rng() % 8 == 0)
            data += QByteArray::number(int(rng() % 100000));
        else
            data += kWords[rng() % 14];
    }
    data.truncate(size);
    return data;
}

QByteArray compress(const QByteArray& input, int threads, int chunk = 10240)
{
    QByteArray out;
    ParallelGzipWriter writer(threads, Z_DEFAULT_COMPRESSION, [&](const char* data, qint64 size) {
        out.append(data, int(size));
        return true;
    });
    for (int at = 0; at < input.size(); at += chunk)
        EXPECT_TRUE(writer.write(input.constData() + at, std::min(chunk, input.size() - at)));
    EXPECT_TRUE(writer.finish());
    return out;
}

// Everything a gzip stream holds, or a null array when zlib refuses it.
QByteArray gunzip(const QByteArray& gz)
{
    z_stream z {};
    if (inflateInit2(&z, 16 + 15) != Z_OK)
        return QByteArray();
    QByteArray out;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gz.constData()));
    z.avail_in = uInt(gz.size());
    char buffer[65536];
    int r = Z_OK;
    while (r == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        r = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, int(sizeof buffer - z.avail_out));
    }
    const bool whole = r == Z_STREAM_END && z.avail_in == 0;
    inflateEnd(&z);
    return whole ? out : QByteArray();
}

// Takes limit bytes, then fails every write.
class FailingAfterDevice : public QIODevice
{
public:
    explicit FailingAfterDevice(qint64 limit) : m_limit(limit) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override
    {
        if (m_written + size > m_limit)
            return -1;
        m_written += size;
        return size;
    }

private:
    qint64 m_limit;
    qint64 m_written = 0;
};

}  // namespace

TEST(ParallelGzipWriter, SameBytesForEveryThreadCountReadableByZlibAndGzipAndAFailingSink)
{
    const int block = ParallelGzipWriter::kBlockSize;
    const QByteArray inputs[] = {
        QByteArray(),
        QByteArray("x"),
        sampleText(block, 1),
        sampleText(block + 1, 2),
        sampleText(3 * block - 7, 3),
        QByteArray(block * 2 + 5, '\0'),
    };
    for (const QByteArray& input : inputs) {
        const QByteArray one = compress(input, 1);
        EXPECT_EQ(compress(input, 2), one) << input.size();
        EXPECT_EQ(compress(input, 8, 1000), one) << input.size();
        EXPECT_EQ(gunzip(one), input) << input.size();
    }

    // Several megabytes: gzip itself reads it back, and blocks cost next to
    // nothing against gzip's one stream at the same level.
    const QByteArray big = sampleText(6 << 20, 4);
    const QByteArray gz = compress(big, 8);
    EXPECT_EQ(compress(big, 1), gz);
    const auto gzip = [](const QStringList& arguments, const QByteArray& input) {
        QProcess process;
        process.start("gzip", arguments);
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(60000) && process.exitCode() == 0);
        return process.readAllStandardOutput();
    };
    EXPECT_LT(double(gz.size()), gzip({"-6", "-c"}, big).size() * 1.01);
    EXPECT_TRUE(gzip({"-dc"}, gz) == big);

    // A sink that fails stops the writer at once, on one thread or several.
    for (int threads : {1, 4}) {
        int calls = 0;
        ParallelGzipWriter writer(threads, 6, [&](const char*, qint64) { return ++calls < 3; });
        bool ok = true;
        for (int at = 0; ok && at < big.size(); at += 65536)
            ok = writer.write(big.constData() + at, 65536);
        EXPECT_TRUE(!(ok && writer.finish()) && writer.failed() && calls == 3 && !writer.write("x", 1)) << threads;
    }
}

TEST(ParallelGzipWriter, ArchiveFilePacksOnSeveralThreadsIntoOneReadableStream)
{
    QTemporaryDir dir;
    const QString root = dir.filePath("project");
    QDir().mkpath(root + "/empty");
    const QByteArray large = sampleText(5 * ParallelGzipWriter::kBlockSize + 3, 6);
    writeFile(root + "/large.bin", large);
    writeFile(root + "/small.txt", "small");

    const auto pack = [&](int threads, const QString& path) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        ArchiveFile archive;
        archive.setCompressionThreads(threads);
        EXPECT_TRUE(archive.open(ArchiveFile::WriteMode, &buffer, ArchiveFile::TarGzKind));
        EXPECT_TRUE(archive.addPath(path)) << archive.errorString().toStdString();
        EXPECT_TRUE(archive.close()) << archive.errorString().toStdString();
        return buffer.data();
    };
    const QByteArray libarchiveGz = pack(1, root);
    const QByteArray two = pack(2, root);
    EXPECT_EQ(pack(8, root), two);
    // The same tar inside, whichever compressor.
    EXPECT_EQ(gunzip(two), gunzip(libarchiveGz));
    EXPECT_FALSE(gunzip(two).isEmpty());

    QByteArray bytes = two;
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    ArchiveFile reader;
    ASSERT_TRUE(reader.open(ArchiveFile::ReadMode, &in, ArchiveFile::TarGzKind));
    ASSERT_TRUE(reader.extractTo(dir.filePath("out"))) << reader.errorString().toStdString();
    EXPECT_EQ(readFile(dir.filePath("out/project/large.bin")), large);
    EXPECT_EQ(readFile(dir.filePath("out/project/small.txt")), "small");
    EXPECT_TRUE(QFileInfo(dir.filePath("out/project/empty")).isDir());

    // An empty folder alone.
    EXPECT_FALSE(gunzip(pack(4, root + "/empty")).isEmpty());

    // The device fails half-way through the compressed data.
    FailingAfterDevice device(two.size() / 2);
    ArchiveFile archive;
    archive.setCompressionThreads(4);
    ASSERT_TRUE(archive.open(ArchiveFile::WriteMode, &device, ArchiveFile::TarGzKind));
    const bool added = archive.addPath(root);
    EXPECT_FALSE(added && archive.close());
    EXPECT_FALSE(archive.errorString().isEmpty());
}

TEST(ParallelGzipWriter, DefaultThreadCountFollowsTheCoresTheProcessMayRunOn)
{
    EXPECT_EQ(ParallelGzipWriter::threadCountFor(4, 8), 4);
    EXPECT_EQ(ParallelGzipWriter::threadCountFor(16, 8), 8);
    EXPECT_EQ(ParallelGzipWriter::threadCountFor(0, 8), 8);
    EXPECT_EQ(ParallelGzipWriter::threadCountFor(3, 0), 3);
    EXPECT_EQ(ParallelGzipWriter::threadCountFor(0, 0), 1);

    // Pinned to one core, as under `taskset -c N`: one thread.
    cpu_set_t saved;
    ASSERT_EQ(sched_getaffinity(0, sizeof saved, &saved), 0);
    int first = 0;
    while (!CPU_ISSET(first, &saved))
        ++first;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(first, &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    const int pinned = ParallelGzipWriter::defaultThreadCount();
    ASSERT_EQ(sched_setaffinity(0, sizeof saved, &saved), 0);
    EXPECT_EQ(pinned, 1);
    EXPECT_EQ(ParallelGzipWriter::defaultThreadCount(), CPU_COUNT(&saved));
}
