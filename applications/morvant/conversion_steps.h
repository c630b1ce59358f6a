// The conversion steps: each reads one kind of item of the loaded version-1
// show and adds the version-2 objects made from it to the output project,
// recording their ids in the driver's id maps. They run inside the output
// project's edit transaction, in the order of ConversionDriver::steps().
//
// A step never throws for bad data: a value without counterpart is logged
// and defaulted, an item that cannot be carried over is logged with a line
// that begins "Ignoring", and a database error while one item is added skips
// that item alone. Each step ends with "<Kind>: N converted" (", M ignored"
// when any were).
//
// GUI thread only, like the driver.
#ifndef APPLICATIONS_MORVANT_CONVERSION_STEPS_H
#define APPLICATIONS_MORVANT_CONVERSION_STEPS_H

#include "components/archive/object_base.h"
#include "components/lx_objects/controllers/universe.h"

class ConversionDriver;
class ProgressTracker;

namespace Quil {
struct RDKey;
}

struct ConversionSteps
{
    // One controller per output node, numbered node id + 1, with the node's
    // KiNET power supplies; then the network primary controller.
    static void convertControllers(ConversionDriver& driver, ProgressTracker& progress);
    // One device per key of the show's remote-device map, in key order.
    static void convertRemoteDevices(ConversionDriver& driver, ProgressTracker& progress);
    // One universe per controller and remote device that the nodes' DSX
    // universe keys name.
    static void convertDsxDmxUniverses(ConversionDriver& driver, ProgressTracker& progress);
    // One function per row of the standard function table; version-1
    // functions are mapped to them by name.
    static void convertFunctions(ConversionDriver& driver, ProgressTracker& progress);
    // One fixture per version-1 fixture whose type the fixture library (or,
    // fetched first, the online library) has with matching elements, its
    // model added to the project once; the elements are patched on
    // universes made on demand, and the fixture placed on the layout.
    static void convertFixtures(ConversionDriver& driver, ProgressTracker& progress);
    // KiNET power supplies with one IPv4 address are one device: the one of
    // the lowest id stays and takes the others' patches; then clashing
    // supply numbers are made unique.
    static void mergeKinetPowerSupplies(ConversionDriver& driver, ProgressTracker& progress);
    // One group per version-1 group, in id order, then "All Groups" holding
    // them.
    static void convertGroups(ConversionDriver& driver, ProgressTracker& progress);
    // The reader refuses shows with pixel matrices, so there are none.
    static void convertPixelMatrices(ConversionDriver& driver, ProgressTracker& progress);
    // The reader refuses shows that hold any of these, or (timecode and
    // audio buses, ethernet sources) has no version-1 record of them: each
    // step converts none and says so.
    static void convertCustomPresets(ConversionDriver& driver, ProgressTracker& progress);
    static void convertMedia(ConversionDriver& driver, ProgressTracker& progress);
    // One font per version-1 font, in id order, numbered 1, 2, 3, ... and
    // rendered as a bitmap font (GUI thread); then each text slot that has a
    // text sets that slot of the project's text slot values.
    static void convertDynamicText(ConversionDriver& driver, ProgressTracker& progress);
    static void convertTimelines(ConversionDriver& driver, ProgressTracker& progress);
    // A loaded show cannot tell whether it had a custom web interface: every
    // conversion says that none is carried over.
    static void reportCustomWebInterfaces(ConversionDriver& driver, ProgressTracker& progress);
    static void convertDaliInterfaces(ConversionDriver& driver, ProgressTracker& progress);
    static void convertDaliScenes(ConversionDriver& driver, ProgressTracker& progress);
    static void convertTimecodeBuses(ConversionDriver& driver, ProgressTracker& progress);
    static void convertAudioBuses(ConversionDriver& driver, ProgressTracker& progress);
    static void convertEthernetSources(ConversionDriver& driver, ProgressTracker& progress);
    // One scene per palette, under the palette's id, filed in the scenes'
    // folder: its look holds the values whose kind, element and function
    // have version-2 counterparts, with the palette's fade and skew.
    static void convertScenes(ConversionDriver& driver, ProgressTracker& progress);
    // No version-1 record of the touch-panel interface data is read.
    static void convertInterfaces(ConversionDriver& driver, ProgressTracker& progress);
    static void convertTriggers(ConversionDriver& driver, ProgressTracker& progress);

    // The device of a version-1 key, made with the type's defaults and the
    // network primary controller when the key is new; Archive::kNoObjectId
    // (logged) when it could not be added.
    static Archive::ObjectId remoteDeviceFor(ConversionDriver& driver, const Quil::RDKey& key);
    // The universe of a controller and key, made when new; kNoObjectId for
    // a key of no kind, or (logged) when it could not be added.
    static Archive::ObjectId universeFor(ConversionDriver& driver, quint32 controllerId, const UniverseKey& key);
};

#endif  // APPLICATIONS_MORVANT_CONVERSION_STEPS_H
