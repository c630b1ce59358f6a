#include "applications/morvant/end_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The pipe's write end while an object listens, else -1.
volatile sig_atomic_t s_writeEnd = -1;

extern "C" void onEndSignal(int signal)
{
    // Only async-signal-safe work here: one write, errno kept for whatever
    // the signal interrupted. A full pipe drops the byte, as enough
    // requests are waiting then.
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(s_writeEnd, &number, 1);
    errno = savedErrno;
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
        s_writeEnd = -1;
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
