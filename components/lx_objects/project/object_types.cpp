#include "components/lx_objects/project/object_types.h"

#include "components/archive/type_registry.h"
#include "components/lx_objects/common/location_data.h"
#include "components/lx_objects/controllers/content_mask.h"
#include "components/lx_objects/controllers/controller.h"
#include "components/lx_objects/controllers/io_module.h"
#include "components/lx_objects/controllers/iom_instance.h"
#include "components/lx_objects/controllers/kinet_power_supply.h"
#include "components/lx_objects/controllers/remote_device.h"
#include "components/lx_objects/controllers/universe.h"
#include "components/lx_objects/dali/dali_interface.h"
#include "components/lx_objects/dali/dali_monitoring.h"
#include "components/lx_objects/dali/dali_project_properties.h"
#include "components/lx_objects/dali/dali_scene.h"
#include "components/lx_objects/dali/dali_test_schedule.h"
#include "components/lx_objects/fixtures/fix_or_group_key.h"
#include "components/lx_objects/fixtures/fixture.h"
#include "components/lx_objects/fixtures/fixture_element.h"
#include "components/lx_objects/fixtures/fixture_instance.h"
#include "components/lx_objects/fixtures/fixture_model.h"
#include "components/lx_objects/fixtures/function.h"
#include "components/lx_objects/fixtures/group.h"
#include "components/lx_objects/fixtures/pixel_matrix.h"
#include "components/lx_objects/interface/interface_font.h"
#include "components/lx_objects/interface/interface_objects.h"
#include "components/lx_objects/interface/interface_theme.h"
#include "components/lx_objects/interface/skin_property.h"
#include "components/lx_objects/media/bitmap_font.h"
#include "components/lx_objects/media/composition.h"
#include "components/lx_objects/media/font_data.h"
#include "components/lx_objects/media/frame_array.h"
#include "components/lx_objects/media/free_user_numbers.h"
#include "components/lx_objects/media/media_clip.h"
#include "components/lx_objects/media/pixture_container.h"
#include "components/lx_objects/programming/colour_gradient.h"
#include "components/lx_objects/programming/contour_parameters.h"
#include "components/lx_objects/programming/cuelist.h"
#include "components/lx_objects/programming/custom_preset.h"
#include "components/lx_objects/programming/date_time_mask.h"
#include "components/lx_objects/programming/dynamic_text.h"
#include "components/lx_objects/programming/io_meta_types.h"
#include "components/lx_objects/programming/look.h"
#include "components/lx_objects/programming/particle_system.h"
#include "components/lx_objects/programming/preset_categories.h"
#include "components/lx_objects/programming/scene.h"
#include "components/lx_objects/programming/text_slot_values.h"
#include "components/lx_objects/programming/timeline.h"
#include "components/lx_objects/programming/trigger.h"
#include "components/lx_objects/programming/trigger_action.h"
#include "components/lx_objects/programming/trigger_condition.h"
#include "components/lx_objects/programming/trigger_script.h"
#include "components/lx_objects/programming/trigger_values.h"
#include "components/lx_objects/project/audio_buses.h"
#include "components/lx_objects/project/custom_properties.h"
#include "components/lx_objects/project/directories.h"
#include "components/lx_objects/project/ethernet_sources.h"
#include "components/lx_objects/project/fx_table.h"
#include "components/lx_objects/project/gui_features.h"
#include "components/lx_objects/project/layout.h"
#include "components/lx_objects/project/non_local_controller_addresses.h"
#include "components/lx_objects/project/object_folder.h"
#include "components/lx_objects/project/project_properties.h"
#include "components/lx_objects/project/project_provenance.h"
#include "components/lx_objects/project/project_replication.h"
#include "components/lx_objects/project/resource_keys.h"
#include "components/lx_objects/project/timecode_buses.h"
#include "components/lx_objects/views/new_interface_data.h"
#include "components/lx_objects/views/user_interface_state.h"
#include "components/lx_objects/views/view_states.h"
#include "components/lx_objects/views/view_values.h"
#include "components/lx_objects/views/web_interface_properties.h"
#include "components/lx_objects/vux/media_resource.h"
#include "components/lx_objects/vux/panorama.h"
#include "components/lx_objects/vux/playlist.h"
#include "components/lx_objects/vux/project.h"
#include "components/lx_objects/vux/schedule.h"

#include <mutex>

namespace {

// The project's codes 100 to 382, in ascending order.
void registerProjectTypes()
{
    using namespace ObjectRegistry;
    const Record records[] = {
        objectRecord<GuiFeatures>(QStringLiteral("GuiFeatures")),
        objectRecord<ProjectProperties>(QStringLiteral("ProjectProperties")),
        valueRecord<TimelineProperties>(QStringLiteral("TimelineProperties")),
        objectRecord<UserInterfaceState>(QStringLiteral("UserInterfaceState")),
        objectRecord<TimecodeBuses>(QStringLiteral("TimecodeBuses")),
        objectRecord<AudioBuses>(QStringLiteral("AudioBuses")),
        objectRecord<EthernetSources>(QStringLiteral("EthernetSources")),
        objectRecord<Trigger>(QStringLiteral("Trigger")),
        objectRecord<TriggerCondition>(QStringLiteral("TriggerCondition")),
        objectRecord<TriggerAction>(QStringLiteral("TriggerAction")),
        objectRecord<Timeline>(QStringLiteral("Timeline")),
        objectRecord<Controller>(QStringLiteral("Controller")),
        valueRecord<RangeMode>(QStringLiteral("RangeMode")),
        valueRecord<ParamRange>(QStringLiteral("ParamRange")),
        valueRecord<Parameter>(QStringLiteral("Parameter")),
        valueRecord<ConstChanInfo>(QStringLiteral("ConstChanInfo")),
        valueRecord<PatchPointData>(QStringLiteral("PatchPointData")),
        valueRecord<TimecodeBusSetting>(QStringLiteral("TimecodeBuses")),
        valueRecord<GeoCoord>(QStringLiteral("GeoCoord")),
        valueRecord<DaylightSavingRule>(QStringLiteral("DaylightSavingRule")),
        objectRecord<Fixture>(QStringLiteral("Fixture")),
        valueRecord<FixtureModelSpec>(QStringLiteral("FixtureModelSpec")),
        objectRecord<FixtureInstance>(QStringLiteral("FixtureInstance")),
        objectRecord<Function>(QStringLiteral("Function")),
        valueRecord<PatchMapEntry>(QStringLiteral("PatchMapEntry")),
        objectRecord<FixtureElement>(QStringLiteral("FixtureElement")),
        objectRecord<Group>(QStringLiteral("Group")),
        valueRecord<FixOrGroupKey>(QStringLiteral("FixOrGroupKey")),
        objectRecord<PixelMatrix>(QStringLiteral("PixelMatrix")),
        valueRecord<PatchRecord>(QStringLiteral("PatchRecord")),
        valueRecord<FixtureModelElement>(QStringLiteral("FixtureModelElement")),
        objectRecord<Layout>(QStringLiteral("Layout")),
        valueRecord<DaliGroup>(QStringLiteral("DaliGroup")),
        objectRecord<DaliScene>(QStringLiteral("DaliScene")),
        objectRecord<DaliInterface>(QStringLiteral("DaliInterface")),
        valueRecord<InterfaceConfigurationHeader>(QStringLiteral("InterfaceConfigurationHeader")),
        objectRecord<InterfaceConfiguration>(QStringLiteral("InterfaceConfiguration")),
        abstractObjectRecord(InterfaceControl::kTypeCode, QStringLiteral("InterfaceControl")),
        objectRecord<InterfaceButton>(QStringLiteral("InterfaceButton")),
        objectRecord<InterfaceSlider>(QStringLiteral("InterfaceSlider")),
        objectRecord<InterfaceColourPicker>(QStringLiteral("InterfaceColourPicker")),
        objectRecord<InterfaceKeypad>(QStringLiteral("InterfaceKeypad")),
        objectRecord<InterfaceLabel>(QStringLiteral("InterfaceLabel")),
        objectRecord<InterfaceClock>(QStringLiteral("InterfaceClock")),
        valueRecord<NavigationButtons>(QStringLiteral("NavigationButtons")),
        objectRecord<InterfacePage>(QStringLiteral("InterfacePage")),
        objectRecord<InterfacePageSwitcher>(QStringLiteral("InterfacePageSwitcher")),
        valueRecord<SkinTransition>(QStringLiteral("SkinTransition")),
        valueRecord<InterfaceSkin>(QStringLiteral("InterfaceSkin")),
        valueRecord<InterfaceSkinSet>(QStringLiteral("InterfaceSkinSet")),
        valueRecord<SkinPropertyKey>(QStringLiteral("SkinPropertyKey")),
        abstractRecord<SkinProperty>(SkinProperty::kTypeCode, QStringLiteral("SkinProperty")),
        polymorphicRecord<SkinProperty, IntSkinProperty>(IntSkinProperty::kTypeCode, QStringLiteral("IntSkinProperty")),
        polymorphicRecord<SkinProperty, DoubleSkinProperty>(DoubleSkinProperty::kTypeCode,
                                                            QStringLiteral("DoubleSkinProperty")),
        polymorphicRecord<SkinProperty, BoolSkinProperty>(BoolSkinProperty::kTypeCode,
                                                          QStringLiteral("BoolSkinProperty")),
        polymorphicRecord<SkinProperty, StringSkinProperty>(StringSkinProperty::kTypeCode,
                                                            QStringLiteral("StringSkinProperty")),
        polymorphicRecord<SkinProperty, ColourSkinProperty>(ColourSkinProperty::kTypeCode,
                                                            QStringLiteral("ColourSkinProperty")),
        polymorphicRecord<SkinProperty, ImageSkinProperty>(ImageSkinProperty::kTypeCode,
                                                           QStringLiteral("ImageSkinProperty")),
        valueRecord<ImageData>(QStringLiteral("ImageData")),
        valueRecord<SharedImageData>(QStringLiteral("SharedImageData")),
        objectRecord<InterfaceTheme>(QStringLiteral("InterfaceTheme")),
        valueRecord<DateTimeMask>(QStringLiteral("DateTimeMask")),
        valueRecord<RDKey>(QStringLiteral("RDKey")),
        valueRecord<MidiMessage>(QStringLiteral("MidiMessage")),
        valueRecord<SerialString>(QStringLiteral("SerialString")),
        valueRecord<PlanTransformData>(QStringLiteral("PlanTransformData")),
        objectRecord<RemoteDevice>(QStringLiteral("RemoteDevice")),
        objectRecord<FrameArray>(QStringLiteral("FrameArray")),
        valueRecord<TriggerWildcard>(QStringLiteral("TriggerWildcard")),
        valueRecord<LayoutProperties>(QStringLiteral("LayoutProperties")),
        objectRecord<TriggerDirectory>(QStringLiteral("TriggerDirectory")),
        valueRecord<Lkel>(QStringLiteral("Lkel")),
        valueRecord<LookSequence>(QStringLiteral("LookSequence")),
        valueRecord<Look>(QStringLiteral("Look")),
        valueRecord<Cue>(QStringLiteral("Cue")),
        valueRecord<TimelineOptions>(QStringLiteral("TimelineOptions")),
        objectRecord<Cuelist>(QStringLiteral("Cuelist")),
        objectRecord<WebInterfaceProperties>(QStringLiteral("WebInterfaceProperties")),
        valueRecord<PixmatFixtureInfo>(QStringLiteral("PixmatFixtureInfo")),
        objectRecord<ObjectFolder>(QStringLiteral("ObjectFolder")),
        objectRecord<MediaClip>(QStringLiteral("MediaClip")),
        objectRecord<DaliProjectProperties>(QStringLiteral("DaliProjectProperties")),
        objectRecord<CustomPreset>(QStringLiteral("CustomPreset")),
        valueRecord<CustomPresetPropertyMap>(QStringLiteral("CustomPreset")),
        valueRecord<CustomPresetProperty>(QStringLiteral("CustomPreset")),
        valueRecord<ColourGradient>(QStringLiteral("ColourGradient")),
        valueRecord<RGBData>(QStringLiteral("RGBData")),
        objectRecord<TriggerScript>(QStringLiteral("TriggerScript")),
        valueRecord<DaliTestSchedule>(QStringLiteral("DaliTestSchedule")),
        objectRecord<Universe>(QStringLiteral("Universe")),
        valueRecord<UniverseKey>(QStringLiteral("Universe")),
        objectRecord<Scene>(QStringLiteral("Scene")),
        valueRecord<TimelineTransformData>(QStringLiteral("TimelineTransformData")),
        valueRecord<TimelineEl>(QStringLiteral("TimelineEl")),
        valueRecord<ContourParameters>(QStringLiteral("ContourParameters")),
        valueRecord<TextProperties>(QStringLiteral("TextProperties")),
        polymorphicRecord<sortvector_el, TimelineFragment>(TimelineFragment::kTypeCode,
                                                           QStringLiteral("TimelineFragment")),
        valueRecord<DynamicText>(QStringLiteral("DynamicText")),
        valueRecord<DynamicTextPart>(QStringLiteral("DynamicTextPart")),
        valueRecord<DaliFixtureProperties>(QStringLiteral("DaliFixtureProperties")),
        objectRecord<KinetPowerSupply>(QStringLiteral("KinetPowerSupply")),
        objectRecord<DaliSceneDirectory>(QStringLiteral("DaliSceneDirectory")),
        objectRecord<FontData>(QStringLiteral("FontData")),
        objectRecord<CustomProperties>(QStringLiteral("CustomProperties")),
        valueRecord<BitmapFont>(QStringLiteral("BitmapFont")),
        valueRecord<LegacyBitmapFontMetrics>(QStringLiteral("LegacyBitmapFontMetrics")),
        valueRecord<DaliTestSettings>(QStringLiteral("DaliTestSettings")),
        objectRecord<TextSlotValues>(QStringLiteral("TextSlotValues")),
        objectRecord<CrossfadePath>(QStringLiteral("CrossfadePath")),
        objectRecord<FxTable>(QStringLiteral("FxTable")),
        objectRecord<DimmerCurve>(QStringLiteral("DimmerCurve")),
        objectRecord<ResourceKeys>(QStringLiteral("ResourceKeys")),
        objectRecord<NonLocalControllerAddresses>(QStringLiteral("NonLocalControllerAddresses")),
        valueRecord<DaliMonitoring>(QStringLiteral("DaliMonitoring")),
        abstractRecord<DaliMonitoring::AbstractBallastData>(DaliMonitoring::AbstractBallastData::kTypeCode,
                                                            QStringLiteral("DaliMonitoring")),
        polymorphicRecord<DaliMonitoring::AbstractBallastData, DaliMonitoring::BallastData>(
            DaliMonitoring::BallastData::kTypeCode, QStringLiteral("DaliMonitoring")),
        polymorphicRecord<DaliMonitoring::AbstractBallastData, DaliMonitoring::EmergencyBallastData>(
            DaliMonitoring::EmergencyBallastData::kTypeCode, QStringLiteral("DaliMonitoring")),
        objectRecord<FixtureModel>(QStringLiteral("FixtureModel")),
        objectRecord<Composition>(QStringLiteral("Composition")),
        valueRecord<LookFragment>(QStringLiteral("LookFragment")),
        valueRecord<GzePatchRecord>(QStringLiteral("GzePatchRecord")),
        valueRecord<ContentTarget>(QStringLiteral("ContentTarget")),
        valueRecord<FreeUserNumbers>(QStringLiteral("FreeUserNumbers")),
        objectRecord<PixtureContainer>(QStringLiteral("PixtureContainer")),
        valueRecord<Pixture>(QStringLiteral("Pixture")),
        valueRecord<ContentTargetInstance>(QStringLiteral("ContentTargetInstance")),
        valueRecord<ContentMask>(QStringLiteral("ContentMask")),
        objectRecord<ColourDataState>(QStringLiteral("ColourDataState")),
        objectRecord<BrowserState>(QStringLiteral("BrowserState")),
        objectRecord<LayoutManagerState>(QStringLiteral("LayoutManagerState")),
        objectRecord<InterfaceManagerState>(QStringLiteral("InterfaceManagerState")),
        objectRecord<ReportWidgetState>(QStringLiteral("ReportWidgetState")),
        objectRecord<ExportWizardState>(QStringLiteral("ExportWizardState")),
        objectRecord<PixelMatrixViewState>(QStringLiteral("PixelMatrixViewState")),
        objectRecord<DaliViewState>(QStringLiteral("DaliViewState")),
        objectRecord<TimelineViewState>(QStringLiteral("TimelineViewState")),
        objectRecord<TriggerViewState>(QStringLiteral("TriggerViewState")),
        valueRecord<BrowserModelPath>(QStringLiteral("BrowserModelPath")),
        valueRecord<HueTable>(QStringLiteral("HueTable")),
        valueRecord<NewInterfacePageData>(QStringLiteral("NewInterfacePageData")),
        valueRecord<NavigationButtonData>(QStringLiteral("NavigationButtonData")),
        valueRecord<ParticleSystem>(QStringLiteral("ParticleSystem")),
        valueRecord<CueMacro>(QStringLiteral("CueMacro")),
        valueRecord<DaliEl>(QStringLiteral("DaliEl")),
        objectRecord<IoModule>(QStringLiteral("IoModule")),
        valueRecord<IoMPropertyEditorTemplate>(QStringLiteral("IoMPropertyEditorTemplate")),
        valueRecord<IoMPropertyTemplate>(QStringLiteral("IoMPropertyTemplate")),
        valueRecord<IoMTriggerConditionActionTemplate>(QStringLiteral("IoMTriggerConditionActionTemplate")),
        valueRecord<IoMConfiguration>(QStringLiteral("IoMConfiguration")),
        objectRecord<IoMInstance>(QStringLiteral("IoMInstance")),
        valueRecord<IoMContributor>(QStringLiteral("IoMContributor")),
        valueRecord<IoMPackage>(QStringLiteral("IoMPackage")),
        objectRecord<IoMTypeTracker>(QStringLiteral("IoMTypeTracker")),
        valueRecord<SourceCodeEditorData>(QStringLiteral("SourceCodeEditorData")),
        objectRecord<InterfaceFont>(QStringLiteral("InterfaceFont")),
        valueRecord<NewInterfaceData>(QStringLiteral("NewInterfaceData")),
        valueRecord<FixtureModelKey>(QStringLiteral("RDMKey")),
        valueRecord<LookSelection>(QStringLiteral("Look")),
        valueRecord<DuplicateChanInfo>(QStringLiteral("DuplicateChanInfo")),
        objectRecord<IoMManagerState>(QStringLiteral("IoMManagerState")),
        valueRecord<IoMTypeKey>(QStringLiteral("IoMTypeKey")),
        valueRecord<Waypoint>(QStringLiteral("WaypointSection")),
        valueRecord<WaypointSection>(QStringLiteral("WaypointSection")),
        objectRecord<PatchViewState>(QStringLiteral("PatchViewState")),
        valueRecord<Glyph>(QStringLiteral("BitmapFont")),
        objectRecord<ProjectReplication>(QStringLiteral("ProjectReplication")),
        objectRecord<Vux::Project>(QStringLiteral("Vux")),
        objectRecord<Vux::Panorama>(QStringLiteral("Vux")),
        objectRecord<Vux::PanoramaViewState>(QStringLiteral("Vux")),
        objectRecord<Vux::ProjectViewState>(QStringLiteral("Vux")),
        objectRecord<Vux::Schedule>(QStringLiteral("Vux")),
        objectRecord<Vux::Playlist>(QStringLiteral("Vux")),
        abstractRecord<Vux::PlayAction>(Vux::PlayAction::kTypeCode, QStringLiteral("Vux")),
        polymorphicRecord<Vux::PlayAction, Vux::JumpPlayAction>(Vux::JumpPlayAction::kTypeCode, QStringLiteral("Vux")),
        polymorphicRecord<Vux::PlayAction, Vux::MediaPlayAction>(Vux::MediaPlayAction::kTypeCode,
                                                                 QStringLiteral("Vux")),
        polymorphicRecord<Vux::PlayAction, Vux::DelayPlayAction>(Vux::DelayPlayAction::kTypeCode,
                                                                 QStringLiteral("Vux")),
        polymorphicRecord<Vux::PlayAction, Vux::TriggerPlayAction>(Vux::TriggerPlayAction::kTypeCode,
                                                                   QStringLiteral("Vux")),
        polymorphicRecord<Vux::PlayAction, Vux::TimelinePlayAction>(Vux::TimelinePlayAction::kTypeCode,
                                                                    QStringLiteral("Vux")),
        polymorphicRecord<Vux::PlayAction, Vux::IntensityPlayAction>(Vux::IntensityPlayAction::kTypeCode,
                                                                     QStringLiteral("Vux")),
        objectRecord<Vux::PanoramaContentInstance>(QStringLiteral("Vux")),
        valueRecord<Vux::ScheduleRule>(QStringLiteral("Vux")),
        objectRecord<ProjectProvenance>(QStringLiteral("ProjectProvenance")),
        valueRecord<ProvenanceRecord>(QStringLiteral("ProvenanceRecord")),
        valueRecord<Vux::MediaResourceKey>(QStringLiteral("Vux")),
        objectRecord<Vux::MediaResource>(QStringLiteral("Vux")),
        valueRecord<LocationData>(QStringLiteral("LocationData")),
        objectRecord<Vux::ScheduleViewState>(QStringLiteral("Vux")),
        valueRecord<Vux::PasswordKey>(QStringLiteral("NodeKey")),
        objectRecord<Vux::PasswordStore>(QStringLiteral("Vux")),
        objectRecord<Vux::OverrideProperties>(QStringLiteral("Vux")),
    };
    for (const Record& record : records)
        registerType(record);
}

}  // namespace

void registerObjectTypes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        ObjectRegistry::registerCoreTypes();
        registerDirectoryBaseType();
        registerProjectTypes();
        registerPresetTypeCategories();
        registerIoMetaTypes();
    });
}
