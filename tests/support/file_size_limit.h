// FileSizeLimit makes the writes of this process into any file past `bytes`
// fail with EFBIG ("File too large") while it lives, as a full disk would:
// SIGXFSZ is ignored and the soft limit lowered, then both are put back (the
// hard limit stays, so a process that is not root can raise it again).
// Pipes and terminals are not limited. Header-only; one thread, and nothing
// else of the process should write files meanwhile.
#ifndef TESTS_SUPPORT_FILE_SIZE_LIMIT_H
#define TESTS_SUPPORT_FILE_SIZE_LIMIT_H

#include <csignal>

#include <sys/resource.h>

class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved {};
    void (*m_handler)(int) = SIG_DFL;
};

#endif  // TESTS_SUPPORT_FILE_SIZE_LIMIT_H
