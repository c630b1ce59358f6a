// ExpansionGuard bounds what one expansion of an archive or bundle into a
// folder may write, and remembers the files and folders the expansion created
// so that one stopped by the bound can take them back.
//
// The bound is on the total apparent size of the files written, holes
// included: by default 4 GiB or 64 times the size of the input, whichever is
// smaller. A small hostile input (a declared size without data, a compression
// bomb, a sparse entry ending in a huge hole) cannot fill the disk, or, where
// the file system has no holes, make it write gigabytes of zeros.
//
// Thread safety: one thread uses a guard.
#ifndef SELTRANE_COMPONENTS_OS_EXPANSION_GUARD_H
#define SELTRANE_COMPONENTS_OS_EXPANSION_GUARD_H

#include <QString>
#include <QStringList>
#include <QtGlobal>

class ExpansionGuard
{
public:
    static constexpr qint64 kMaximumLimit = qint64(4) << 30;
    static constexpr qint64 kInputRatio = 64;

    // The default bound for an input of `inputSize` bytes (negative when its
    // size is not known: then the maximum).
    static qint64 defaultLimit(qint64 inputSize);

    // A negative `limit` takes the default for `inputSize`.
    ExpansionGuard(qint64 limit, qint64 inputSize);

    qint64 limit() const { return m_limit; }
    qint64 used() const { return m_used; }
    // Counts `bytes` more; false, and nothing counted, when they would take
    // the total beyond the limit.
    bool take(qint64 bytes);
    // True once take() refused.
    bool exceeded() const { return m_exceeded; }

    // Makes `folder` with every missing parent, remembering each one made.
    bool makeFolder(const QString& folder);
    // Remembers a file that the expansion created or replaced.
    void addFile(const QString& path) { m_files.append(path); }
    // Removes the remembered files, then the remembered folders (newest first,
    // each only when empty), and forgets them.
    void removeCreated();

private:
    qint64 m_limit;
    qint64 m_used = 0;
    bool m_exceeded = false;
    QStringList m_files;
    QStringList m_folders;
};

#endif  // SELTRANE_COMPONENTS_OS_EXPANSION_GUARD_H
