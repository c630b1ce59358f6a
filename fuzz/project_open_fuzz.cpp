// A kv2 project file opened whole: its header read (TarvelBaseProject::
// readHeader), the packed folder after it extracted into a fresh folder, and
// the database folder in it opened with the project's schema and every
// object read through the registry. Extraction stays inside its folder.
#include "components/archive/archive_file.h"
#include "components/archive/database.h"
#include "components/archive/database_schema.h"
#include "components/archive/database_storage.h"
#include "components/lx_objects/project/object_types.h"
#include "components/lx_objects/project/project_database.h"
#include "components/project/tarvel_base_project.h"
#include "fuzz/fuzz_support.h"

#include <stdexcept>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    registerObjectTypes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = Fuzz::writeInput(QStringLiteral("show.kv2"), data, size);
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    TarvelBaseProject project(false, 1);
    QString error;
    if (project.readHeader(&file, &error) < 0)
        return 0;
    const QString root = Fuzz::freshFolder(QStringLiteral("project"));
    {
        ArchiveFile archive;
        const bool extracted =
            archive.open(ArchiveFile::ReadMode, &file, ArchiveFile::TarGzKind) && archive.extractTo(root);
        archive.close();
        Fuzz::checkNoLinkOut(root);
        Fuzz::checkScratchHolds({QStringLiteral("show.kv2"), QStringLiteral("project")});
        if (!extracted)
            return 0;
    }
    const Archive::DatabaseId db =
        Archive::createDatabase(makeDatabaseSettings(0x7FFFFFFF, 0x7FFFFFFF), Archive::projectSchema());
    try {
        Archive::DatabaseOpenParameters open;
        open.path = root + QLatin1Char('/') + Archive::projectDatabaseFolderName();
        open.supportedVersion = kProjectStreamVersion;
        open.openExisting = true;
        Archive::openDatabase(open, db);
    } catch (const std::runtime_error&) {}
    Archive::closeDatabase(db);
    return 0;
}
