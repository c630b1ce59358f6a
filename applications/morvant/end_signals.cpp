#include "applications/morvant/end_signals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

namespace {

// The pipe's write end while an object listens, else -1.
std::atomic<int> s_writeEnd {-1};
// Handlers between their start and their end, on any thread.
std::atomic<int> s_handlersRunning {0};
// Lock-free atomics are safe in a signal handler.
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onEndSignal(int signal)
{
    // Only async-signal-safe work here: one write, errno kept for whatever
    // the signal interrupted. A full pipe drops the byte, as enough
    // requests are waiting then. Counted before the write end is read, so
    // that the destructor never closes it under this write.
    s_handlersRunning.fetch_add(1);
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(s_writeEnd.load(), &number, 1);
    errno = savedErrno;
    s_handlersRunning.fetch_sub(1);
}

}  // namespace

const int EndSignals::kSignals[kSignalCount] = {SIGTERM, SIGINT, SIGHUP};

EndSignals::EndSignals(QObject* parent) : QObject(parent)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_readEnd = ends[0];
    m_writeEnd = ends[1];
    s_writeEnd = m_writeEnd;
    m_notifier = new QSocketNotifier(m_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &EndSignals::readPipe);

    struct sigaction action = {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls go on; the request waits for the event loop.
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < kSignalCount; ++i) {
        if (::sigaction(kSignals[i], nullptr, &m_previous[i]) != 0 || m_previous[i].sa_handler == SIG_IGN)
            continue;
        m_installed[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

EndSignals::~EndSignals()
{
    for (int i = 0; i < kSignalCount; ++i) {
        if (m_installed[i])
            ::sigaction(kSignals[i], &m_previous[i], nullptr);
    }
    if (m_notifier) {
        // A handler that began before the dispositions came back may be on
        // another thread, about to write: the write end is closed (and its
        // number free for reuse) only once none is running. One that begins
        // later finds no write end.
        s_writeEnd.store(-1);
        while (s_handlersRunning.load() != 0)
            sched_yield();
        delete m_notifier;
        ::close(m_readEnd);
        ::close(m_writeEnd);
    }
}

void EndSignals::readPipe()
{
    unsigned char numbers[16];
    ssize_t count = 0;
    while ((count = ::read(m_readEnd, numbers, sizeof numbers)) > 0) {
        for (ssize_t i = 0; i < count; ++i)
            emit endRequested(numbers[i]);
    }
}

HeldEndSignals::HeldEndSignals()
{
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : EndSignals::kSignals)
        sigaddset(&held, signal);
    m_held = ::pthread_sigmask(SIG_BLOCK, &held, &m_previous) == 0;
}

void HeldEndSignals::release()
{
    if (m_held)
        ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    m_held = false;
}
