// ConversionContext is what every conversion step works with: the loaded
// version-1 show, the id maps, the output project and its database, the
// fixture libraries, the palette tables, the report and the progress
// tracker, plus the little each step leaves for a later one (universes that
// could not be made). The driver makes one per conversion and hands it to
// each step in turn; nothing else reaches the steps.
//
// The context refers to what the driver owns and lives only while the
// steps run. GUI thread only.
#ifndef APPLICATIONS_MORVANT_CONVERSION_CONVERSION_CONTEXT_H
#define APPLICATIONS_MORVANT_CONVERSION_CONVERSION_CONTEXT_H

#include "applications/morvant/conversion/conversion_report.h"
#include "applications/morvant/conversion/id_maps.h"
#include "components/archive/database.h"
#include "components/archive/object_base.h"
#include "components/lx_objects/controllers/universe.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QString>

#include <map>
#include <string>
#include <utility>

class FixtureLibrary;
class OnlineFixtureLibrary;
class OutputProject;
class QuilShow;
struct PaletteTables;

struct ConversionContext
{
    ConversionContext(const QuilShow& show, IdMaps& ids, FreeFontNumbers& freeFontNumbers, OutputProject& project,
                      Archive::DatabaseId database, FixtureLibrary& library, OnlineFixtureLibrary& onlineLibrary,
                      const PaletteTables& paletteTables, ConversionReport& report, ProgressTracker& progress)
        : show(show), ids(ids), freeFontNumbers(freeFontNumbers), project(project), database(database),
          library(library), onlineLibrary(onlineLibrary), paletteTables(paletteTables), report(report),
          progress(progress)
    {}
    ConversionContext(const ConversionContext&) = delete;
    ConversionContext& operator=(const ConversionContext&) = delete;

    const QuilShow& show;
    IdMaps& ids;
    FreeFontNumbers& freeFontNumbers;
    OutputProject& project;
    const Archive::DatabaseId database;
    FixtureLibrary& library;
    OnlineFixtureLibrary& onlineLibrary;
    const PaletteTables& paletteTables;
    ConversionReport& report;
    ProgressTracker& progress;

    // Universes that the project could not take, with the reason, so that
    // the patches on one are not tried again; and whether the universe
    // array is full, after which no new universe is tried at all.
    std::map<std::pair<quint32, UniverseKey>, QString, UniverseKeyLess> failedUniverses;
    bool universesFull = false;

    // True once the user asked the conversion to stop: a step leaves its
    // loop and the driver ends the conversion as cancelled.
    bool stopRequested() const { return progress.isCancelled(); }

    // Adds a new object to its array and answers its id; throws the
    // database's error.
    Archive::ObjectId add(Archive::ArrayId array, Archive::ObjectPtr object,
                          Archive::ObjectId id = Archive::kNoObjectId) const
    {
        Archive::addObject(array, id, object, database);
        return id;
    }
    // The writable copy of an object of the open transaction, cast to T;
    // null when the slot is empty or holds another class.
    template <class T>
    T* edit(Archive::ArrayId array, Archive::ObjectId id, Archive::ObjectPtr& holder) const
    {
        Archive::editObject(holder, array, id, database);
        return dynamic_cast<T*>(holder.get());
    }
    // Removes an object the open transaction added or holds; an empty slot
    // is left alone.
    void remove(Archive::ArrayId array, Archive::ObjectId id) const;
};

// Texts handed to the logger's format.
inline QByteArray utf8(const QString& text) { return text.toUtf8(); }

// A show text on one line: each line feed becomes a blank.
QString oneLine(const std::string& text);

// The database's "no room" error: an add refused because the array holds
// as many objects as it may.
bool isNoRoom(const std::exception& error, Archive::ArrayId* array = nullptr);

#endif  // APPLICATIONS_MORVANT_CONVERSION_CONVERSION_CONTEXT_H
