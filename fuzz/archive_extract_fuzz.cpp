// Archive listing and extraction, as a bundle of the tar or zip kind reaches
// them: ArchiveFile::openFile lists the file, then the first input byte picks
// the reader (gzip or plain tar, or zip) that extracts the rest into a fresh
// folder under the default size bound. Afterwards nothing lies beside that
// folder, nothing in it links out, and the files in it are no larger in all
// than the bound.
#include "components/archive/archive_file.h"
#include "fuzz/fuzz_support.h"
#include "seltrane_components/os/expansion_guard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int kind = data[0] % 2 == 0 ? ArchiveFile::TarGzKind : ArchiveFile::ZipKind;
    const QString path = Fuzz::writeInput(QStringLiteral("input"), data + 1, size - 1);
    QStringList names;
    ArchiveFile::openFile(path, names);

    const QString root = Fuzz::freshFolder(QStringLiteral("out"));
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    {
        ArchiveFile archive;
        if (archive.open(ArchiveFile::ReadMode, &file, kind))
            archive.extractTo(root);
        archive.close();
    }
    Fuzz::checkNoLinkOut(root);
    Fuzz::checkScratchHolds({QStringLiteral("input"), QStringLiteral("out")});
    qint64 total = 0;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        total += QFileInfo(it.next()).size();
    FUZZ_CHECK(total <= ExpansionGuard::defaultLimit(qint64(size - 1)));
    return 0;
}
