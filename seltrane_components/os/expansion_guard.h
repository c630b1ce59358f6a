// ExpansionGuard bounds what one expansion of an archive or bundle into a
// folder may write, and remembers the files and folders the expansion created
// so that one stopped by the bound can take them back.
//
// The bound is on the total apparent size of the files written, holes
// included. By default it is one that no real show or project reaches: 1 GiB,
// or 1032 times the size of the input when that is more (deflate, which tar.gz
// and zip archives compress with, expands at most 1032-fold; a bundle is not
// compressed at all), and never more than the space free where the expansion
// goes. What passes it is damaged or hostile (a declared size without data, a
// sparse entry ending in a huge hole, a bomb of a stronger compression), and
// it cannot fill the disk.
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
    static constexpr qint64 kMinimumLimit = qint64(1) << 30;
    static constexpr qint64 kInputRatio = 1032;

    // The default bound for an input of `inputSize` bytes (negative when its
    // size is not known: then the minimum), before the free space.
    static qint64 defaultLimit(qint64 inputSize);

    // A negative `limit` takes the default for `inputSize`, within the free
    // space of `folder` when one is given.
    ExpansionGuard(qint64 limit, qint64 inputSize, const QString& folder = QString());

    qint64 limit() const { return m_limit; }
    // True when the free space, rather than the input's size, set the limit;
    // disk() is then the mount point of the disk it was measured on.
    bool limitIsFreeSpace() const { return !m_disk.isEmpty(); }
    QString disk() const { return m_disk; }
    qint64 used() const { return m_used; }
    // Counts `bytes` more; false, and nothing counted, when they would take
    // the total beyond the limit.
    bool take(qint64 bytes);
    // True once take() refused.
    bool exceeded() const { return m_exceeded; }

    // Makes `folder` with every missing parent, remembering each one made;
    // on failure errno tells why.
    bool makeFolder(const QString& folder);
    // Remembers a file that the expansion created or replaced.
    void addFile(const QString& path) { m_files.append(path); }
    // Removes the remembered files, then the remembered folders (newest first,
    // each only when empty), and forgets them.
    void removeCreated();

private:
    qint64 m_limit;
    QString m_disk;
    qint64 m_used = 0;
    bool m_exceeded = false;
    QStringList m_files;
    QStringList m_folders;
};

#endif  // SELTRANE_COMPONENTS_OS_EXPANSION_GUARD_H
