// What the fuzz harnesses share: one scratch folder per process, the input
// written as a file there (the readers take paths, as the program gives
// them), a check that stops the run as a finding, and a walk that finds
// anything a reader left outside its folder or linked out of it.
//
// A harness lets an exception other than the reader's documented
// std::runtime_error escape: libFuzzer then reports it as a crash. One thread.
#ifndef FUZZ_FUZZ_SUPPORT_H
#define FUZZ_FUZZ_SUPPORT_H

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace Fuzz {

[[noreturn]] inline void fail(const char* file, int line, const char* what)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_CHECK(condition) ((condition) ? void(0) : Fuzz::fail(__FILE__, __LINE__, #condition))

inline const QString& scratchFolder()
{
    static QTemporaryDir dir;
    static const QString path = dir.isValid() ? dir.path() : QString();
    FUZZ_CHECK(!path.isEmpty());
    return path;
}

inline QString scratchPath(const QString& name) { return scratchFolder() + QLatin1Char('/') + name; }

// Writes the input to <scratch>/name and answers the path.
inline QString writeInput(const QString& name, const uint8_t* data, size_t size)
{
    const QString path = scratchPath(name);
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    return path;
}

// A fresh, empty folder <scratch>/name.
inline QString freshFolder(const QString& name)
{
    const QString path = scratchPath(name);
    QDir(path).removeRecursively();
    FUZZ_CHECK(QDir().mkpath(path));
    return path;
}

// Nothing below root is a link whose target lies outside root.
inline void checkNoLinkOut(const QString& root)
{
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath() + QLatin1Char('/');
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (!info.isSymLink())
            continue;
        const QString target = QFileInfo(info.symLinkTarget()).absoluteFilePath();
        FUZZ_CHECK(target.startsWith(canonicalRoot));
    }
}

// The scratch folder holds exactly the given names: a reader wrote nothing
// beside the folder it was given.
inline void checkScratchHolds(const QStringList& names)
{
    QStringList found =
        QDir(scratchFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QStringList expected = names;
    found.sort(), expected.sort();
    if (found != expected) {
        std::fprintf(stderr, "scratch folder holds: %s\n", qPrintable(found.join(QLatin1Char(' '))));
        fail(__FILE__, __LINE__, "a reader wrote outside its folder");
    }
}

}  // namespace Fuzz

#endif  // FUZZ_FUZZ_SUPPORT_H
