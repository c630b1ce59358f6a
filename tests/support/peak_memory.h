// Test support: the peak resident memory of the test process, to check that
// a hostile input is refused without the allocation it asks for.
#ifndef TESTS_SUPPORT_PEAK_MEMORY_H
#define TESTS_SUPPORT_PEAK_MEMORY_H

#include <QByteArray>
#include <QFile>
#include <QtGlobal>

#include <sys/resource.h>

namespace TestSupport {

// Bytes: VmHWM since the last reset, else getrusage's peak since the start.
inline qint64 peakMemoryBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
        }
    }
    struct rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

// Starts a new peak where Linux allows it (a test process may have peaked
// before the case under test) and returns it: the memory in use now. What a
// case takes is the peak after it less this.
inline qint64 resetPeakMemory()
{
    QFile file(QStringLiteral("/proc/self/clear_refs"));
    if (file.open(QIODevice::WriteOnly))
        file.write("5");
    return peakMemoryBytes();
}

}  // namespace TestSupport

#endif  // TESTS_SUPPORT_PEAK_MEMORY_H
