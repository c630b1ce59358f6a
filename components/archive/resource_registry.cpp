#include "components/archive/resource_registry.h"

#include "components/archive/archive_file.h"
#include "seltrane_components/os/atomic_file.h"
#include "seltrane_components/os/file_utils.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>

#include <cstring>
#include <utility>
#include <vector>

namespace {

const qint64 kFingerprintBlock = 1024;
const qint64 kFingerprintLimit = 1024 * 1024;
const qint64 kCompareBlock = 64 * 1024;

int lowestBitIndex(unsigned value)
{
    static const int kPositions[32] = {0,  1,  28, 2,  29, 14, 24, 3, 30, 22, 20, 15, 25, 17, 4,  8,
                                       31, 27, 13, 23, 21, 19, 16, 7, 26, 12, 18, 6,  11, 5,  10, 9};
    return kPositions[((value & (0u - value)) * 0x077CB531u) >> 27];
}

// Equal fingerprints only say the sizes and first MiB agree.
bool sameContent(const QString& a, const QString& b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    if (!canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath())
        return true;
    QFile fileA(a);
    QFile fileB(b);
    if (!fileA.open(QIODevice::ReadOnly) || !fileB.open(QIODevice::ReadOnly) || fileA.size() != fileB.size())
        return false;
    QByteArray blockA(kCompareBlock, Qt::Uninitialized);
    QByteArray blockB(kCompareBlock, Qt::Uninitialized);
    for (;;) {
        const qint64 n = fileA.read(blockA.data(), kCompareBlock);
        const qint64 m = fileB.read(blockB.data(), kCompareBlock);
        if (n < 0 || n != m)
            return false;
        if (n == 0)
            return true;
        if (std::memcmp(blockA.constData(), blockB.constData(), static_cast<size_t>(n)) != 0)
            return false;
    }
}

// Copies source to target, which is replaced only once the copy is whole on
// disk; false with *error set to the system's reason otherwise.
bool copyWhole(const QString& source, const QString& target, QString* error)
{
    QFile in(source);
    AtomicFile out(target);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = in.errorString();
        return false;
    }
    if (!out.open(QIODevice::WriteOnly)) {
        *error = out.errorString();
        return false;
    }
    QByteArray block(kCompareBlock, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(block.data(), kCompareBlock);
        if (n < 0) {
            *error = in.errorString();
            return false;
        }
        if (n == 0)
            break;
        if (out.write(block.constData(), n) != n) {
            *error = out.errorString();
            return false;
        }
    }
    if (!out.commit()) {
        *error = out.errorString();
        return false;
    }
    return true;
}

}  // namespace

ResourceRegistry* ResourceRegistry::instance()
{
    static ResourceRegistry registry;
    return &registry;
}

bool ResourceRegistry::Record::inUse(unsigned mask) const
{
    for (int i = 0; i < 32; ++i) {
        if ((mask & (1u << i)) && counters[i] > 0)
            return true;
    }
    return false;
}

QByteArray ResourceRegistry::fingerprint(const QString& path)
{
    QFileInfo info(path);
    if (!info.exists())
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Md5);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return hash.result();
    char block[kFingerprintBlock];
    qint64 total = 0;
    while (total < kFingerprintLimit) {
        const qint64 n = file.read(block, kFingerprintBlock);
        if (n > 0)
            hash.addData(block, static_cast<int>(n));
        if (n < kFingerprintBlock)
            break;
        total += n;
    }
    hash.addData(QByteArray::number(file.size()));
    return hash.result();
}

QString ResourceRegistry::copyName(const Record& record)
{
    // A copy already carries its name.
    if (!record.copiedPath.isEmpty())
        return QFileInfo(record.copiedPath).fileName();
    const QString suffix = QFileInfo(record.sourcePath).completeSuffix();
    return suffix.isEmpty() ? record.id.toString() : record.id.toString() + QLatin1Char('.') + suffix;
}

QUuid ResourceRegistry::addFile(const QString& path)
{
    const QByteArray print = fingerprint(path);
    auto range = m_records.get<ByFingerprint>().equal_range(print);
    for (auto it = range.first; it != range.second; ++it) {
        // Every missing file maps to the one record of the empty fingerprint.
        if (print.isEmpty() || sameContent(path, it->currentPath()))
            return it->id;
    }
    Record record;
    record.id = QUuid::createUuid();
    record.fingerprint = print;
    record.sourcePath = path;
    m_records.push_back(std::move(record));
    return m_records.back().id;
}

const ResourceRegistry::Record* ResourceRegistry::find(const QUuid& id) const
{
    const auto& byId = m_records.get<ById>();
    const auto it = byId.find(id);
    return it == byId.end() ? nullptr : &*it;
}

void ResourceRegistry::updateUsage(const QUuid& id, unsigned categoryBit, bool used)
{
    if (id.isNull() || categoryBit == 0)
        return;
    auto& byId = m_records.get<ById>();
    const auto it = byId.find(id);
    if (it == byId.end())
        return;
    // Only the lowest bit is counted, so only it may enter or leave the mask:
    // the other bits of a wider value would mark categories with no use, or
    // drop categories still in use.
    const int index = lowestBitIndex(categoryBit);
    const quint32 bit = 1u << index;
    byId.modify(it, [&](Record& record) {
        if (used) {
            ++record.counters[index];
            record.categoryMask |= bit;
        } else if (record.counters[index] > 0) {
            if (--record.counters[index] == 0)
                record.categoryMask &= ~bit;
        }
    });
}

bool ResourceRegistry::copyResourcesTo(const QString& folder, unsigned categoryMask, QString* error)
{
    QString reason;
    bool folderReady = false;
    for (auto it = m_records.begin(); it != m_records.end(); ++it) {
        if ((it->categoryMask & categoryMask) == 0) {
            if (!it->copiedPath.isEmpty())
                m_records.modify(it, [](Record& record) { record.kept = false; });
            continue;
        }
        if (!it->copiedPath.isEmpty() || !it->inUse(categoryMask))
            continue;
        if (!folderReady) {
            if (const int made = makeFolderPath(folder)) {
                if (error) {
                    *error = QObject::tr("The folder %1 could not be created (%2)")
                                 .arg(QDir::toNativeSeparators(folder), systemErrorText(made));
                }
                return false;
            }
            folderReady = true;
        }
        const QString target = folder + QLatin1Char('/') + copyName(*it);
        // Named by its file name alone: the source may lie in a temporary
        // folder that means nothing to the user.
        if (!copyWhole(it->sourcePath, target, &reason)) {
            if (error) {
                *error = QObject::tr("%1 could not be copied into %2 (%3)")
                             .arg(QFileInfo(it->sourcePath).fileName(), QDir::toNativeSeparators(folder), reason);
            }
            return false;
        }
        m_records.modify(it, [&](Record& record) {
            record.sourcePath.clear();
            record.copiedPath = target;
            record.kept = true;
        });
    }
    return true;
}

bool ResourceRegistry::addToArchive(ArchiveFile& archive, const QString& folderName, unsigned categoryMask,
                                    const std::set<QUuid>& alwaysInclude, const std::set<QUuid>& placeholders,
                                    ProgressTracker* tracker, QString* error)
{
    const auto failed = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    QString prefix = folderName;
    if (!prefix.endsWith(QLatin1Char('/')))
        prefix += QLatin1Char('/');

    std::vector<std::pair<QString, QString>> files;  // (path on disk, entry name)
    for (const Record& record : m_records) {
        const bool selected = (record.inUse(categoryMask) && (record.categoryMask & categoryMask) != 0)
            || alwaysInclude.count(record.id) != 0;
        if (!selected)
            continue;
        const QString entryName = prefix + copyName(record);
        if (placeholders.count(record.id) != 0) {
            if (!archive.addEmptyFile(entryName))
                return failed(archive.errorString());
        } else {
            files.emplace_back(record.currentPath(), entryName);
        }
    }
    if (files.empty())
        return true;

    if (tracker)
        tracker->begin(static_cast<unsigned>(files.size()));
    bool ok = true;
    for (size_t i = 0; i < files.size(); ++i) {
        // A file gone before the save would leave the project naming what it
        // does not hold; any other failure leaves the archive unusable.
        if (!QFileInfo::exists(files[i].first)) {
            ok = failed(
                QObject::tr("%1, which the project uses, is gone").arg(QDir::toNativeSeparators(files[i].first)));
            break;
        }
        if (!archive.addPathUnder(files[i].first, files[i].second)) {
            ok = failed(archive.errorString());
            break;
        }
        if (tracker) {
            if (tracker->isCancelled()) {
                ok = false;
                break;
            }
            tracker->setStep(static_cast<unsigned>(i + 1));
        }
    }
    if (tracker)
        tracker->end();
    return ok;
}

void ResourceRegistry::clear()
{
    for (const Record& record : m_records) {
        if (!record.copiedPath.isEmpty() && !record.kept)
            QFile::remove(record.copiedPath);
    }
    m_records.clear();
}

quint32 ResourceRegistry::usageCount(const QUuid& id, int categoryIndex) const
{
    const Record* record = find(id);
    return record && categoryIndex >= 0 && categoryIndex < 32 ? record->counters[categoryIndex] : 0;
}

quint32 ResourceRegistry::categoryMask(const QUuid& id) const
{
    const Record* record = find(id);
    return record ? record->categoryMask : 0;
}

QString ResourceRegistry::copiedPath(const QUuid& id) const
{
    const Record* record = find(id);
    return record ? record->copiedPath : QString();
}
