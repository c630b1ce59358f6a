// The causes a conversion's report sums its summary lines under: every one
// the steps name is here, once, so that a cause cannot be spelled two ways
// and split its summary line. The report tells causes apart by address.
//
// Constant data, shared by every conversion.
#ifndef APPLICATIONS_MORVANT_CONVERSION_REPORT_CAUSES_H
#define APPLICATIONS_MORVANT_CONVERSION_REPORT_CAUSES_H

// The summary's words for why items were left out or changed, as in
// "Fixtures not carried over: 12 (<text>)".
struct ReportCause
{
    const char* text;
};

namespace Causes {

// --- Not carried over ---

// The database refused an add for a reason other than a full array.
inline constexpr ReportCause kRefused {"the project refused them"};
inline constexpr ReportCause kControllerNotConverted {"their controller was not converted"};
inline constexpr ReportCause kControllerNotInShow {"their controller is not in the show"};
inline constexpr ReportCause kRemoteDeviceNotConverted {"their remote device was not converted"};
inline constexpr ReportCause kRemoteDeviceNotMade {"the remote device they name could not be made"};
inline constexpr ReportCause kUniverseRefused {"the project refused their universe"};
inline constexpr ReportCause kRemoteDeviceMerged {
    "they become the same version-2 device as another remote device of the show"};
inline constexpr ReportCause kSupplyMerged {"they were merged into the supply of the same address"};
inline constexpr ReportCause kDsxUniverseMerged {
    "they name the same remote device as another DSX DMX universe of their controller"};
inline constexpr ReportCause kLinkNeedsProxy {
    "a link names a proxy, which only type-1 controllers have, and every controller arrives as type 255"};
inline constexpr ReportCause kLinkNodeNotInShow {"they name an output node the show does not hold"};
inline constexpr ReportCause kNoCounterpart {"they have no version-2 counterpart"};
inline constexpr ReportCause kTypeNotInLibrary {"their fixture type is not in the fixture library"};
inline constexpr ReportCause kElementsDoNotMatch {"their elements do not match their fixture type's"};
inline constexpr ReportCause kUnpatched {"they are patched to no controller"};
inline constexpr ReportCause kSamePatch {"they become the same patch as another record of their element"};
inline constexpr ReportCause kOutputNoCounterpart {
    "their output (Net2, FlipDot or Lumalive) has no version-2 counterpart"};
inline constexpr ReportCause kSacnUniverseZero {"sACN universe 0 does not exist, as sACN numbers its universes from 1"};
inline constexpr ReportCause kSupplyNotConverted {"their KiNET power supply was not converted"};
inline constexpr ReportCause kSupplyNotInShow {"their KiNET power supply is not in the show"};
inline constexpr ReportCause kDsxUniverseNotConverted {"their DSX DMX universe was not converted"};
inline constexpr ReportCause kDsxUniverseNotInShow {"their DSX DMX universe is not in the show"};
inline constexpr ReportCause kDrivesNoFixture {"they drive no fixture of the show"};
inline constexpr ReportCause kFixtureHasLowerBallast {"their fixture has another DALI fixture, of a lower id"};
inline constexpr ReportCause kFixtureNotConverted {"their fixture was not converted"};
inline constexpr ReportCause kNotDaliType {"their fixture's type is not a DALI ballast"};
inline constexpr ReportCause kGroupMembers {"version-1 group members cannot be converted"};
inline constexpr ReportCause kNoText {"they have no text"};
inline constexpr ReportCause kSameSlotName {"another text slot has the same name"};
inline constexpr ReportCause kOnlyWithTimelines {"they arrive only with timelines, which are not read"};
inline constexpr ReportCause kPastSceneIds {"their palette ids are past the project's scene ids"};
inline constexpr ReportCause kElementNotConverted {"their fixture element was not converted"};
inline constexpr ReportCause kElementNotInShow {"their fixture element is not in the show"};
inline constexpr ReportCause kFunctionNotConverted {"their function was not converted"};
inline constexpr ReportCause kFunctionNotInShow {"their function is not in the show"};
inline constexpr ReportCause kValueKindUnknown {"the converter does not know what their value kinds become"};
inline constexpr ReportCause kNoPlaceForThirdText {"the project has no place for the show's third text"};
inline constexpr ReportCause kImageNotFound {"the image file was not found"};
inline constexpr ReportCause kNotAnImage {"the file does not read whole as an image"};
inline constexpr ReportCause kImageLeavesBundle {"its path leads out of the bundle"};
inline constexpr ReportCause kImageTooLarge {"the image is too large to check"};
inline constexpr ReportCause kImageFormatNotPacked {"the image is in a format the project does not pack"};

// --- Arrived changed ---

inline constexpr ReportCause kUnknownHardware {
    "their hardware is not read from the show, so they arrive as the unknown type 255"};
inline constexpr ReportCause kParityFallback {"their serial parity has no version-2 counterpart"};
inline constexpr ReportCause kDeviceTypeFallback {
    "their type has no version-2 counterpart, so they arrive as type 255"};
inline constexpr ReportCause kDsxDeviceTypeFallback {
    "the type of the remote device they name has no version-2 counterpart, so they name one of type 255"};
inline constexpr ReportCause kSupplyModelUnknown {
    "their model is not in the KiNET power-supply list, so they arrive without type, ports and protocol"};
inline constexpr ReportCause kSupplyRenumbered {"another supply of the project has their number"};
inline constexpr ReportCause kDimmerCurveFallback {
    "their dimmer curve has no version-2 counterpart, so they keep their type's"};
inline constexpr ReportCause kShapeFallback {"their shape has no version-2 counterpart"};
inline constexpr ReportCause kPatchPointFallback {"their patch point has no version-2 counterpart"};
inline constexpr ReportCause kFontSizeClamped {"their size is outside the sizes fonts are drawn at"};
inline constexpr ReportCause kInterfaceMadeWithDefaults {
    "no DALI interface of a version-1 show is read, so the interfaces its ballasts name are made with a new "
    "interface's settings"};
inline constexpr ReportCause kInterfaceNotMade {"the DALI interface they name could not be made"};
inline constexpr ReportCause kShortAddressTaken {
    "another DALI fixture of their interface has their short address, so they arrive without one"};
inline constexpr ReportCause kShortAddressPastEnd {
    "their short address is not one of the 64 of a DALI interface, so they arrive without one"};
inline constexpr ReportCause kWithoutAllGroups {"\"All Groups\", which would hold them, could not be added"};
inline constexpr ReportCause kMonthWeekFallback {"their month week has no version-2 counterpart"};
inline constexpr ReportCause kScheduleDefault {
    "their kind or day mode has no version-2 counterpart, so they arrive as the default schedule"};
inline constexpr ReportCause kDaylightSaving {
    "the daylight-saving rule has no version-2 counterpart, so the project keeps standard time"};
inline constexpr ReportCause kTimeZoneOffset {"the time zone offset is beyond a day, so the project keeps UTC"};
inline constexpr ReportCause kSkewFallback {"their skew has no version-2 counterpart"};
inline constexpr ReportCause kSkewFunctionsDropped {"their skew groups name functions that were not converted"};
inline constexpr ReportCause kCrossfadePathFallback {"their crossfade path has no version-2 counterpart"};
inline constexpr ReportCause kFxTableFallback {"their FX table has no version-2 counterpart"};
inline constexpr ReportCause kOffsetStyleFallback {"their offset style has no version-2 counterpart"};

}  // namespace Causes

#endif  // APPLICATIONS_MORVANT_CONVERSION_REPORT_CAUSES_H
