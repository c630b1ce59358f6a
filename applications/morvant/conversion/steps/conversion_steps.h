// The conversion steps: each reads one kind of item of the loaded version-1
// show and adds the version-2 objects made from it to the output project,
// recording their ids in the id maps. They run inside the output project's
// edit transaction, in the order of ConversionDriver::steps(), each with the
// conversion's context (conversion_context.h).
//
// A step never throws for bad data: a value without counterpart is
// defaulted and its item reported once as arrived changed, and an item that
// cannot be carried over is reported once, with its reason, through the
// context's report, which also counts what each step made. A step whose
// loop is long leaves it when the user asks the conversion to stop.
//
// The families live in their own sources: controller_steps.cpp (controllers
// and their links, remote devices, universes), kinet_merge_steps.cpp (the
// KiNET power-supply merge), fixture_steps.cpp (functions, fixture types, fixtures), patch_steps.cpp
// (patch records and universes on demand), dali_fixture_steps.cpp,
// group_steps.cpp, dynamic_text_steps.cpp, palette_steps.cpp and
// unread_kind_steps.cpp (the kinds no version-1 record of reaches us).
//
// GUI thread only, like the driver.
#ifndef APPLICATIONS_MORVANT_CONVERSION_STEPS_CONVERSION_STEPS_H
#define APPLICATIONS_MORVANT_CONVERSION_STEPS_CONVERSION_STEPS_H

#include "components/archive/object_base.h"
#include "components/lx_objects/controllers/universe.h"
#include "components/lx_objects/programming/trigger_values.h"

#include <QString>

class Fixture;
class FixtureModel;
struct ConversionContext;

namespace Quil {
class Fixture;
struct RDKey;
}  // namespace Quil

namespace ConversionSteps {

// One controller per output node, numbered node id + 1, with the node's
// KiNET power supplies; then the network primary controller.
void convertControllers(ConversionContext& context);
// One device per key of the show's remote-device map, in key order.
void convertRemoteDevices(ConversionContext& context);
// One universe per controller and remote device that the nodes' DSX
// universe keys name.
void convertDsxDmxUniverses(ConversionContext& context);
// One function per row of the standard function table; version-1
// functions are mapped to them by name.
void convertFunctions(ConversionContext& context);
// One fixture per version-1 fixture whose type the fixture library (or,
// fetched first, the online library) has with matching elements, its model
// added to the project once; the elements are patched on universes made on
// demand, the fixture placed on the layout, and its DALI ballast carried.
void convertFixtures(ConversionContext& context);
// KiNET power supplies with one IPv4 address are one device: the one of
// the lowest id stays and takes the others' patches; then clashing supply
// numbers are made unique.
void mergeKinetPowerSupplies(ConversionContext& context);
// One group per version-1 group, in id order, then "All Groups" holding
// them.
void convertGroups(ConversionContext& context);
// One font per version-1 font, in id order, numbered 1, 2, 3, ... and
// rendered as a bitmap font (GUI thread); then each text slot that has a
// text sets that slot of the project's text slot values.
void convertDynamicText(ConversionContext& context);
// One scene per palette, under the palette's id, filed in the scenes'
// folder: its look holds the values whose kind, element and function have
// version-2 counterparts, with the palette's fade and skew.
void convertScenes(ConversionContext& context);

// No layout of these version-1 records is known: the reader refuses a show
// that holds pixel matrices, custom presets, media, timelines, DALI
// interfaces or scenes, touch-panel interfaces or triggers, and reads no
// record of timecode buses, audio buses or ethernet sources. Each step
// converts none and says so.
void convertPixelMatrices(ConversionContext& context);
void convertCustomPresets(ConversionContext& context);
void convertMedia(ConversionContext& context);
void convertTimelines(ConversionContext& context);
void convertDaliInterfaces(ConversionContext& context);
void convertDaliScenes(ConversionContext& context);
void convertTimecodeBuses(ConversionContext& context);
void convertAudioBuses(ConversionContext& context);
void convertEthernetSources(ConversionContext& context);
void convertInterfaces(ConversionContext& context);
void convertTriggers(ConversionContext& context);
// A loaded show cannot tell whether it had a custom web interface: every
// conversion says that none is carried over.
void reportCustomWebInterfaces(ConversionContext& context);

// What became of the device asked for a key that only DSX DMX universes
// name: no item of the show, so their step says it, with the universe.
struct DsxDevice
{
    RDKey key;  // the version-2 key
    bool typeKept = true;
    bool made = false;  // made for this version-1 key, not met as another's
    QString failure;    // why the project refused it, when this call tried
};

// The device of a version-1 key, made with the type's defaults and the
// network primary controller when the key is new; Archive::kNoObjectId
// when it could not be added, which is decided once per key. What became of
// a key of the show's device table is reported; of any other (`dsx`, which
// only DSX DMX universes name), it is told back.
Archive::ObjectId remoteDeviceFor(ConversionContext& context, const Quil::RDKey& key, DsxDevice* dsx = nullptr);
// The universe of a controller and key, made when new; kNoObjectId for a
// key of no kind, or when the project could not take it: *reason (when
// given) then points at why, kept by the context, and the key is not tried
// again.
Archive::ObjectId universeFor(ConversionContext& context, quint32 controllerId, const UniverseKey& key,
                              const QString** reason = nullptr);

// What the fixture step leaves to its neighbours.
// The patch records of each element of a converted fixture, on universes
// made on demand; those that cannot be carried over are reported, grouped
// per fixture and reason.
void convertPatches(ConversionContext& context, const Quil::Fixture& from, Fixture& fixture, const FixtureModel& model);
// Each version-1 DALI fixture record arrives as its fixture's DALI data or
// is reported; interfaces that ballasts name are reported once each.
void convertDaliFixtures(ConversionContext& context);

}  // namespace ConversionSteps

#endif  // APPLICATIONS_MORVANT_CONVERSION_STEPS_CONVERSION_STEPS_H
