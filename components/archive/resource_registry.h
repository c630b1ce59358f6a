// ResourceRegistry is the one process-wide table of outside files (fonts,
// media, scripts) that the project being built refers to. A file is known by
// its content: registering equal content twice gives the same QUuid,
// whatever the path. Uses are counted per category bit so that a save copies
// and packs only the files some object of the saved categories still uses.
//
// The registry owns its records and the copies it made in a project folder
// that the saved project does not keep (clear() deletes those).
//
// Thread safety: GUI thread only; there is no lock.
#ifndef ARCHIVE_RESOURCE_REGISTRY_H
#define ARCHIVE_RESOURCE_REGISTRY_H

#include <QByteArray>
#include <QString>
#include <QUuid>
#include <QtGlobal>

#include <boost/multi_index/member.hpp>
#include <boost/multi_index/ordered_index.hpp>
#include <boost/multi_index/sequenced_index.hpp>
#include <boost/multi_index_container.hpp>

#include <array>
#include <set>

class ArchiveFile;
class ProgressTracker;

class ResourceRegistry
{
public:
    static ResourceRegistry* instance();

    // The identifier of the record holding the same content as the file; a
    // new record when there is none. Every missing file maps to one record.
    QUuid addFile(const QString& path);

    // One use more (used) or less in the category of the lowest set bit of
    // categoryBit. Unknown ids and a categoryBit of 0 change nothing.
    void updateUsage(const QUuid& id, unsigned categoryBit, bool used);

    // Copies the files in use for categoryMask into folder, each once and
    // whole on disk (through AtomicFile). False at the first that cannot be
    // copied, with *error naming it by its file name, the folder and the
    // system's reason; the files copied so far stay.
    bool copyResourcesTo(const QString& folder, unsigned categoryMask, QString* error = nullptr);

    // Adds the files in use for categoryMask (and those in alwaysInclude)
    // under folderName; ids in placeholders become empty entries. False,
    // with *error set, when a file in use is gone (the project would name a
    // file it does not hold) or an entry failed (the archive is then
    // unusable); false too when the tracker was cancelled.
    bool addToArchive(ArchiveFile& archive, const QString& folderName, unsigned categoryMask,
                      const std::set<QUuid>& alwaysInclude, const std::set<QUuid>& placeholders,
                      ProgressTracker* tracker, QString* error = nullptr);

    // Deletes the copies the saved project does not keep and forgets every
    // record.
    void clear();

    // For inspection: the use counter of a category index (0..31) and the
    // category mask of a record; 0 for an unknown id.
    quint32 usageCount(const QUuid& id, int categoryIndex) const;
    quint32 categoryMask(const QUuid& id) const;
    QString copiedPath(const QUuid& id) const;
    int count() const { return static_cast<int>(m_records.size()); }

private:
    struct Record
    {
        QUuid id;
        QByteArray fingerprint;
        QString sourcePath;
        QString copiedPath;
        std::array<quint32, 32> counters {};
        quint32 categoryMask = 0;
        bool kept = false;

        QString currentPath() const { return copiedPath.isEmpty() ? sourcePath : copiedPath; }
        bool inUse(unsigned mask) const;
    };
    struct ByFingerprint
    {};
    struct ById
    {};

    typedef boost::multi_index_container<
        Record,
        boost::multi_index::indexed_by<
            boost::multi_index::sequenced<>,
            // Equal fingerprints need not mean equal content.
            boost::multi_index::ordered_non_unique<
                boost::multi_index::tag<ByFingerprint>,
                boost::multi_index::member<Record, QByteArray, &Record::fingerprint>>,
            boost::multi_index::ordered_unique<boost::multi_index::tag<ById>,
                                               boost::multi_index::member<Record, QUuid, &Record::id>>>>
        Records;

    ResourceRegistry() = default;
    static QByteArray fingerprint(const QString& path);
    static QString copyName(const Record& record);
    const Record* find(const QUuid& id) const;

    Records m_records;
};

#endif  // ARCHIVE_RESOURCE_REGISTRY_H
