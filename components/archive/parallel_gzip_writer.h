// ParallelGzipWriter compresses a byte stream into one gzip member on several
// threads, the way pigz does: the input is cut into blocks of kBlockSize
// bytes, each block is deflated on a worker thread with zlib at the given
// level, primed with the last kWindowSize bytes of the block before it, and
// ended with a sync flush (the last one with the final block); the blocks are
// joined in order behind one gzip header and the CRC-32 of the whole input is
// combined from the blocks' own. The result is an ordinary gzip stream, and
// the same bytes for the same input whatever the number of threads: only the
// block boundaries decide the output, never the timing.
//
// The header carries no name and no time (mtime 0, OS 3), like the gzip
// filter of the archive writer.
//
// Ownership: the writer owns its worker threads and the blocks in flight; the
// sink is called on the thread that calls write() and finish(), in stream
// order. At most twice as many blocks as threads are held at once.
//
// Threads: one thread calls write() and finish(); the workers are internal.
#ifndef ARCHIVE_PARALLEL_GZIP_WRITER_H
#define ARCHIVE_PARALLEL_GZIP_WRITER_H

#include <QByteArray>
#include <QtGlobal>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class ParallelGzipWriter
{
public:
    static constexpr int kBlockSize = 128 * 1024;
    static constexpr int kWindowSize = 32 * 1024;

    // Takes the compressed bytes; false stops the writer.
    using Sink = std::function<bool(const char* data, qint64 size)>;

    // threads below 2 compresses on the calling thread (the same bytes).
    ParallelGzipWriter(int threads, int level, Sink sink);
    // Stops the workers; what was not finished is dropped.
    ~ParallelGzipWriter();

    ParallelGzipWriter(const ParallelGzipWriter&) = delete;
    ParallelGzipWriter& operator=(const ParallelGzipWriter&) = delete;

    // False once compression or the sink has failed; nothing more is written then.
    bool write(const char* data, qint64 size);
    // Compresses the last block, writes everything and the gzip trailer.
    bool finish();
    bool failed() const { return m_failed; }

    // One thread per core the process may run on (taskset and cpusets narrow
    // it), never more than the machine has.
    static int defaultThreadCount();
    // The same from the two counts; 0 is unknown.
    static int threadCountFor(int allowedCpus, int hardwareCpus);

private:
    struct Block;
    class Deflater;

    bool submit(bool last);
    // Hands finished blocks to the sink in order until at most keep are in flight.
    bool drain(std::size_t keep);
    bool deliver(const char* data, qint64 size);
    void work();

    const int m_level;
    const Sink m_sink;
    const std::size_t m_maxInFlight;
    QByteArray m_current;
    std::shared_ptr<const QByteArray> m_previous;
    std::deque<std::shared_ptr<Block>> m_inFlight;
    quint32 m_crc = 0;
    quint32 m_length = 0;  // modulo 2^32, as the trailer stores it
    bool m_headerWritten = false;
    bool m_finished = false;
    bool m_failed = false;
    std::unique_ptr<Deflater> m_ownDeflater;  // the caller's, when there are no workers

    std::mutex m_mutex;
    std::condition_variable m_workReady;
    std::condition_variable m_blockDone;
    std::deque<std::shared_ptr<Block>> m_todo;
    bool m_stopping = false;
    std::vector<std::thread> m_workers;
};

#endif  // ARCHIVE_PARALLEL_GZIP_WRITER_H
