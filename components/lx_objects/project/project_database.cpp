#include "components/lx_objects/project/project_database.h"

Archive::DatabaseSettings makeDatabaseSettings(qint32 idleDelay, qint32 maxDelay)
{
    Archive::DatabaseSettings settings;
    settings.name = QStringLiteral("Tarvel");
    settings.singleFile = false;
    settings.binary = true;
    settings.binarySuffix = QStringLiteral("tarv");
    settings.textSuffix = QStringLiteral("tarvt");
    settings.headerName = QStringLiteral(".tarvel_project");
    settings.version = kProjectStreamVersion;
    settings.idleDelay = idleDelay;
    settings.maxDelay = maxDelay;
    return settings;
}
