#include "applications/morvant/output_project.h"

#include "applications/morvant/app_identity.h"
#include "components/archive/autosave_timer.h"
#include "components/archive/database.h"
#include "components/archive/database_schema.h"
#include "components/archive/database_storage.h"
#include "components/archive/resource_registry.h"
#include "components/lx_objects/project/directories.h"
#include "components/lx_objects/project/project_creator_info.h"
#include "components/lx_objects/project/project_database.h"
#include "components/project/tarvel_vistrel_project.h"
#include "seltrane_components/os/logger.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QUuid>

#include <stdexcept>

OutputProject::OutputProject() = default;

OutputProject::~OutputProject() { close(); }

void OutputProject::create()
{
    m_project.reset(new TarvelVistrelProject(false));
    if (!m_project->create(QUuid::createUuid(), QString()))
        throw std::runtime_error(m_project->lastError().toUtf8().toStdString());
    m_project->setProgramVersion(AppIdentity::programVersion());

    const Archive::DatabaseSettings settings = makeDatabaseSettings(Archive::kAutoSaveOff, Archive::kAutoSaveOff);
    const Archive::DatabaseId id = Archive::createDatabase(settings, Archive::projectSchema(), Archive::kNoDatabase);
    m_project->setDatabaseId(id);

    ProjectCreatorInfo creator;
    creator.programVersion = AppIdentity::programVersion();
    Archive::DatabaseOpenParameters parameters;
    parameters.path = m_project->folderPath() + QLatin1Char('/') + Archive::projectDatabaseFolderName();
    parameters.supportedVersion = kProjectStreamVersion;
    parameters.openExisting = false;
    parameters.extra = creator.toByteArray();
    Archive::openDatabase(parameters, id);
    Archive::setDatabaseUuid(m_project->projectUuid(), id);
}

void OutputProject::initialise()
{
    const Archive::DatabaseId database = databaseId();
    Archive::ObjectId id = kTriggerDirectoryId;
    Archive::ObjectPtr triggers(new TriggerDirectory);
    Archive::addObject(0, id, triggers, database);
    id = kDaliSceneDirectoryId;
    Archive::ObjectPtr daliScenes(new DaliSceneDirectory);
    Archive::addObject(0, id, daliScenes, database);
}

void OutputProject::copyResources() { m_project->copyResources(kResourceMask, ResourceRegistry::instance()); }

bool OutputProject::save(const QString& path, ProgressTracker& progress)
{
    // Writes only what changed since the last save; throws on failure.
    Archive::saveDatabase(databaseId(), 0);
    if (!m_project->saveToFile(path, &progress)) {
        logMessage(kLogWarning, "Failed to compress the output project (%s)",
                   m_project->lastError().toUtf8().constData());
        return false;
    }
    return true;
}

Archive::DatabaseId OutputProject::databaseId() const
{
    return m_project ? m_project->databaseId() : Archive::kNoDatabase;
}

QString OutputProject::folderPath() const { return m_project ? m_project->folderPath() : QString(); }

void OutputProject::close()
{
    if (!m_project)
        return;
    const Archive::DatabaseId id = m_project->databaseId();
    if (id != Archive::kNoDatabase) {
        Archive::resetDatabase(id);
        Archive::closeDatabase(id);
        Archive::setCurrentDatabase(Archive::kNoDatabase);
        m_project->setDatabaseId(Archive::kNoDatabase);
    }
    m_project->setFlags(0);
    ResourceRegistry::instance()->clear();
    m_project.reset();
}
