#include "components/archive/parallel_gzip_writer.h"

#include <sched.h>
#include <zlib.h>

#include <algorithm>

namespace {

void putLittleEndian(char* at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = char((value >> (8 * i)) & 0xFF);
}

}  // namespace

struct ParallelGzipWriter::Block
{
    std::shared_ptr<const QByteArray> input;
    std::shared_ptr<const QByteArray> previous;  // null for the first block
    bool last = false;
    // Set by the worker before done.
    QByteArray output;
    quint32 crc = 0;
    bool ok = false;
    bool done = false;
};

// One raw-deflate state, reset for every block so that a block's bytes never
// depend on which thread compressed the blocks before it.
class ParallelGzipWriter::Deflater
{
public:
    explicit Deflater(int level)
    {
        m_ok = deflateInit2(&m_stream, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Deflater()
    {
        if (m_ok)
            deflateEnd(&m_stream);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    void compress(Block& block)
    {
        block.ok = m_ok && run(block);
        block.crc =
            quint32(crc32(0, reinterpret_cast<const Bytef*>(block.input->constData()), uInt(block.input->size())));
    }

private:
    bool run(Block& block)
    {
        if (deflateReset(&m_stream) != Z_OK)
            return false;
        if (block.previous && !block.previous->isEmpty()) {
            const int n = std::min(kWindowSize, block.previous->size());
            const auto* window =
                reinterpret_cast<const Bytef*>(block.previous->constData()) + (block.previous->size() - n);
            if (deflateSetDictionary(&m_stream, window, uInt(n)) != Z_OK)
                return false;
        }
        const QByteArray& input = *block.input;
        m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.constData()));
        m_stream.avail_in = uInt(input.size());
        // Room for the worst case and the flush marker; grown if ever short.
        block.output.resize(int(deflateBound(&m_stream, uLong(input.size()))) + 64);
        const int flush = block.last ? Z_FINISH : Z_SYNC_FLUSH;
        int produced = 0;
        for (;;) {
            m_stream.next_out = reinterpret_cast<Bytef*>(block.output.data()) + produced;
            m_stream.avail_out = uInt(block.output.size() - produced);
            const int r = deflate(&m_stream, flush);
            produced = block.output.size() - int(m_stream.avail_out);
            if (r == Z_STREAM_ERROR)
                return false;
            const bool complete = block.last ? r == Z_STREAM_END : m_stream.avail_in == 0 && m_stream.avail_out != 0;
            if (complete)
                break;
            if (m_stream.avail_out == 0)
                block.output.resize(block.output.size() * 2);
            else if (r != Z_OK)
                return false;
        }
        block.output.resize(produced);
        return true;
    }

    z_stream m_stream {};
    bool m_ok = false;
};

ParallelGzipWriter::ParallelGzipWriter(int threads, int level, Sink sink)
    : m_level(level), m_sink(std::move(sink)), m_maxInFlight(std::size_t(std::max(1, threads)) * 2)
{
    m_current.reserve(kBlockSize);
    if (threads < 2) {
        m_ownDeflater = std::make_unique<Deflater>(level);
        return;
    }
    m_workers.reserve(std::size_t(threads));
    for (int i = 0; i < threads; ++i)
        m_workers.emplace_back([this] { work(); });
}

ParallelGzipWriter::~ParallelGzipWriter()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_todo.clear();
    }
    m_workReady.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
}

int ParallelGzipWriter::defaultThreadCount()
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    // Fails on machines of more cores than a cpu_set_t holds: unknown then.
    const int allowedCpus = sched_getaffinity(0, sizeof allowed, &allowed) == 0 ? CPU_COUNT(&allowed) : 0;
    return threadCountFor(allowedCpus, int(std::thread::hardware_concurrency()));
}

int ParallelGzipWriter::threadCountFor(int allowedCpus, int hardwareCpus)
{
    if (allowedCpus <= 0)
        return std::max(1, hardwareCpus);
    if (hardwareCpus <= 0)
        return allowedCpus;
    return std::min(allowedCpus, hardwareCpus);
}

void ParallelGzipWriter::work()
{
    Deflater deflater(m_level);
    for (;;) {
        std::shared_ptr<Block> block;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_workReady.wait(lock, [this] { return m_stopping || !m_todo.empty(); });
            if (m_todo.empty())
                return;
            block = std::move(m_todo.front());
            m_todo.pop_front();
        }
        deflater.compress(*block);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            block->done = true;
        }
        m_blockDone.notify_all();
    }
}

bool ParallelGzipWriter::write(const char* data, qint64 size)
{
    if (m_failed || m_finished)
        return false;
    while (size > 0) {
        // A full block goes out only once more data follows it: the last
        // block must be known as last when it is compressed.
        if (m_current.size() == kBlockSize && !submit(false))
            return false;
        const int n = int(std::min<qint64>(size, kBlockSize - m_current.size()));
        m_current.append(data, n);
        data += n;
        size -= n;
    }
    return true;
}

bool ParallelGzipWriter::finish()
{
    if (m_failed || m_finished)
        return false;
    m_finished = true;
    if (!submit(true) || !drain(0))
        return false;
    char trailer[8];
    putLittleEndian(trailer, m_crc);
    putLittleEndian(trailer + 4, m_length);
    return deliver(trailer, sizeof trailer);
}

bool ParallelGzipWriter::submit(bool last)
{
    auto block = std::make_shared<Block>();
    block->input = std::make_shared<const QByteArray>(std::move(m_current));
    block->previous = std::move(m_previous);
    block->last = last;
    m_previous = block->input;
    m_current = QByteArray();
    if (!last)
        m_current.reserve(kBlockSize);
    m_inFlight.push_back(block);
    if (m_ownDeflater) {
        m_ownDeflater->compress(*block);
        block->done = true;
        return drain(0);
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_todo.push_back(block);
    }
    m_workReady.notify_one();
    return drain(m_maxInFlight - 1);
}

bool ParallelGzipWriter::drain(std::size_t keep)
{
    while (!m_inFlight.empty()) {
        const std::shared_ptr<Block> block = m_inFlight.front();
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (!block->done) {
                // Finished blocks go out as soon as they are in order; wait
                // only while too many are held.
                if (m_inFlight.size() <= keep)
                    return true;
                m_blockDone.wait(lock, [&] { return block->done; });
            }
        }
        m_inFlight.pop_front();
        if (!block->ok) {
            m_failed = true;
            return false;
        }
        const qint64 length = block->input->size();
        m_crc = quint32(crc32_combine(m_crc, block->crc, length));
        m_length += quint32(length);
        if (!deliver(block->output.constData(), block->output.size()))
            return false;
    }
    return true;
}

bool ParallelGzipWriter::deliver(const char* data, qint64 size)
{
    if (!m_headerWritten) {
        // Deflate, no flags, no time, no extra flags, Unix.
        static const char kHeader[10] = {'\x1f', '\x8b', 8, 0, 0, 0, 0, 0, 0, 3};
        m_headerWritten = true;
        if (!m_sink(kHeader, sizeof kHeader)) {
            m_failed = true;
            return false;
        }
    }
    if (size > 0 && !m_sink(data, size)) {
        m_failed = true;
        return false;
    }
    return true;
}
