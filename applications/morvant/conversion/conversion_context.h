// ConversionContext is what every conversion step works with, and the only
// thing it works with: the loaded version-1 show, the id maps, the output
// project and its database, the fixture libraries, the KiNET power-supply
// list, the settings, the font cache, the palette tables, the report and the
// progress tracker, plus the little each step leaves for a later one. The
// driver makes one per conversion and hands it to each step in turn.
//
// The context refers to what the driver owns (or to process-wide services
// the driver chose) and lives only while the steps run. GUI thread only.
#ifndef APPLICATIONS_MORVANT_CONVERSION_CONVERSION_CONTEXT_H
#define APPLICATIONS_MORVANT_CONVERSION_CONVERSION_CONTEXT_H

#include "applications/morvant/conversion/conversion_report.h"
#include "applications/morvant/conversion/enum_conversions.h"
#include "applications/morvant/conversion/id_maps.h"
#include "components/archive/database.h"
#include "components/archive/object_base.h"
#include "components/lx_objects/controllers/universe.h"
#include "components/lx_objects/fixtures/fixture_element.h"
#include "components/quilshow/show/output_node.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QString>

#include <map>
#include <set>
#include <string>
#include <utility>

class BitmapFontCache;
class FixtureLibrary;
class KinetPowerSupplyList;
class OnlineFixtureLibrary;
class OutputProject;
class QuilShow;
class VersionedSettings;
struct PaletteTables;

namespace Quil {
class Fixture;
}

// What the driver hands the steps, beside the show and its own bookkeeping.
struct ConversionServices
{
    FixtureLibrary& library;
    OnlineFixtureLibrary& onlineLibrary;
    const KinetPowerSupplyList& kinetSupplies;
    VersionedSettings& settings;
    BitmapFontCache& fonts;
    const PaletteTables& paletteTables;
};

// The services are the context's own members: context.library, ...
struct ConversionContext : ConversionServices
{
    ConversionContext(const QuilShow& show, IdMaps& ids, FreeFontNumbers& freeFontNumbers, OutputProject& project,
                      Archive::DatabaseId database, const ConversionServices& services, ConversionReport& report,
                      ProgressTracker& progress)
        : ConversionServices(services), show(show), ids(ids), freeFontNumbers(freeFontNumbers), project(project),
          database(database), report(report), progress(progress)
    {}
    ConversionContext(const ConversionContext&) = delete;
    ConversionContext& operator=(const ConversionContext&) = delete;

    const QuilShow& show;
    IdMaps& ids;
    FreeFontNumbers& freeFontNumbers;
    OutputProject& project;
    const Archive::DatabaseId database;
    ConversionReport& report;
    ProgressTracker& progress;

    // Universes that the project could not take, with the reason, so that
    // the patches on one are not tried again; and whether the universe
    // array is full, after which no new universe is tried at all.
    std::map<std::pair<quint32, UniverseKey>, QString, UniverseKeyLess> failedUniverses;
    bool universesFull = false;
    // For each version-2 remote device (by IdMaps::deviceKey), the
    // version-1 key it was made for; and the later keys that met it, each
    // reported once as merged into it.
    std::map<quint32, Quil::RDKey> deviceOwners;
    std::set<std::pair<quint8, quint8>> mergedDevices;
    // The version-1 keys that only DSX DMX universes name whose type change
    // is said already: once, with the first universe that arrives.
    std::set<std::pair<quint8, quint8>> dsxDeviceChanges;
    // Patch records that arrived changed, by element and patch, with the key
    // they were counted under: a merge that drops one drops its change too.
    std::map<std::pair<Archive::ObjectId, PatchRecord>, quint64> changedPatches;
    // Supplies whose model the KiNET power-supply list lacks, by id, with
    // their version-1 key and model: said once the merge has decided which
    // supplies stay.
    std::map<Archive::ObjectId, std::pair<quint32, quint32>> unlistedSupplies;

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

// The version-2 value of a version-1 one through its table. A value the
// table does not hold becomes `fallback`, and the item it belongs to arrives
// changed: the table's failure text, then words() (the item and what became
// of it), counted under cause. words() is called only then.
template <class Words>
qint64 convertValue(ConversionReport& report, ReportKind kind, quint64 key, const ReportCause& cause,
                    const EnumConversion& table, qint64 value, qint64 fallback, Words words)
{
    qint64 to = 0;
    if (table.keeps(value, &to))
        return to;
    report.changed(kind, key, table.failureText(value, words()), cause);
    return fallback;
}

// Texts handed to the logger's format.
inline QByteArray utf8(const QString& text) { return text.toUtf8(); }

// A show text on one line: each line feed becomes a blank.
QString oneLine(const std::string& text);

// A controller as the user finds it in the new project: "controller 4", the
// number of its version-1 output node plus 1 (as version 1 showed it too).
QString controllerName(quint32 node);
// The same with the node: "controller 4 (output node 3)".
QString controllerWithNode(quint32 node);
// "KiNET power supply 0 (PSU) of controller 4", from its node, id and name.
QString supplyName(quint32 node, quint32 supply, const QString& name);
// "fixture 7 (Front)".
QString fixtureItem(const Quil::Fixture& fixture);

#endif  // APPLICATIONS_MORVANT_CONVERSION_CONVERSION_CONTEXT_H
