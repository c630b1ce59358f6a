#include "components/archive/object_base.h"
#include "components/archive/type_registry.h"
#include "components/lx_objects/content_mask.h"
#include "components/lx_objects/controller.h"
#include "components/lx_objects/directories.h"
#include "components/lx_objects/frame_array.h"
#include "components/lx_objects/object_types.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

namespace {

enum class Kind { Object, Value, Record };

struct Row
{
    quint32 code;
    const char* name;
    Kind kind;
    bool abstract;
};

// Every project code with its stored name, its kind and whether it is
// abstract: 190 rows. The registry also holds 42 codes of its own (0 to 56).
const Row kTable[] = {
    {100, "GuiFeatures", Kind::Object, false},
    {101, "ProjectProperties", Kind::Object, false},
    {102, "TimelineProperties", Kind::Value, false},
    {103, "UserInterfaceState", Kind::Object, false},
    {104, "TimecodeBuses", Kind::Object, false},
    {105, "AudioBuses", Kind::Object, false},
    {106, "EthernetSources", Kind::Object, false},
    {107, "Trigger", Kind::Object, false},
    {108, "TriggerCondition", Kind::Object, false},
    {109, "TriggerAction", Kind::Object, false},
    {110, "Timeline", Kind::Object, false},
    {111, "Controller", Kind::Object, false},
    {112, "RangeMode", Kind::Value, false},
    {113, "ParamRange", Kind::Value, false},
    {114, "Parameter", Kind::Value, false},
    {115, "ConstChanInfo", Kind::Value, false},
    {116, "PatchPointData", Kind::Value, false},
    {117, "TimecodeBuses", Kind::Value, false},
    {118, "GeoCoord", Kind::Value, false},
    {119, "DaylightSavingRule", Kind::Value, false},
    {120, "Fixture", Kind::Object, false},
    {121, "FixtureModelSpec", Kind::Value, false},
    {122, "FixtureInstance", Kind::Object, false},
    {123, "Function", Kind::Object, false},
    {124, "PatchMapEntry", Kind::Value, false},
    {125, "FixtureElement", Kind::Object, false},
    {126, "Group", Kind::Object, false},
    {127, "FixOrGroupKey", Kind::Value, false},
    {128, "PixelMatrix", Kind::Object, false},
    {129, "PatchRecord", Kind::Value, false},
    {130, "FixtureModelElement", Kind::Value, false},
    {131, "Layout", Kind::Object, false},
    {132, "DaliGroup", Kind::Value, false},
    {133, "DaliScene", Kind::Object, false},
    {134, "DaliInterface", Kind::Object, false},
    {135, "InterfaceConfigurationHeader", Kind::Value, false},
    {136, "InterfaceConfiguration", Kind::Object, false},
    {137, "InterfaceControl", Kind::Object, true},
    {138, "InterfaceButton", Kind::Object, false},
    {139, "InterfaceSlider", Kind::Object, false},
    {140, "InterfaceColourPicker", Kind::Object, false},
    {141, "InterfaceKeypad", Kind::Object, false},
    {142, "InterfaceLabel", Kind::Object, false},
    {143, "InterfaceClock", Kind::Object, false},
    {144, "NavigationButtons", Kind::Value, false},
    {145, "InterfacePage", Kind::Object, false},
    {146, "InterfacePageSwitcher", Kind::Object, false},
    {147, "SkinTransition", Kind::Value, false},
    {148, "InterfaceSkin", Kind::Value, false},
    {149, "InterfaceSkinSet", Kind::Value, false},
    {150, "SkinPropertyKey", Kind::Value, false},
    {151, "SkinProperty", Kind::Record, true},
    {152, "IntSkinProperty", Kind::Record, false},
    {153, "DoubleSkinProperty", Kind::Record, false},
    {154, "BoolSkinProperty", Kind::Record, false},
    {155, "StringSkinProperty", Kind::Record, false},
    {156, "ColourSkinProperty", Kind::Record, false},
    {157, "ImageSkinProperty", Kind::Record, false},
    {158, "ImageData", Kind::Value, false},
    {159, "SharedImageData", Kind::Value, false},
    {160, "InterfaceTheme", Kind::Object, false},
    {161, "DateTimeMask", Kind::Value, false},
    {162, "RDKey", Kind::Value, false},
    {163, "MidiMessage", Kind::Value, false},
    {164, "SerialString", Kind::Value, false},
    {165, "PlanTransformData", Kind::Value, false},
    {166, "RemoteDevice", Kind::Object, false},
    {167, "FrameArray", Kind::Object, false},
    {168, "TriggerWildcard", Kind::Value, false},
    {169, "LayoutProperties", Kind::Value, false},
    {170, "TriggerDirectory", Kind::Object, false},
    {171, "Lkel", Kind::Value, false},
    {172, "LookSequence", Kind::Value, false},
    {173, "Look", Kind::Value, false},
    {174, "Cue", Kind::Value, false},
    {175, "TimelineOptions", Kind::Value, false},
    {176, "Cuelist", Kind::Object, false},
    {177, "WebInterfaceProperties", Kind::Object, false},
    {178, "PixmatFixtureInfo", Kind::Value, false},
    {179, "ObjectFolder", Kind::Object, false},
    {180, "MediaClip", Kind::Object, false},
    {181, "DaliProjectProperties", Kind::Object, false},
    {182, "CustomPreset", Kind::Object, false},
    {183, "CustomPreset", Kind::Value, false},
    {184, "CustomPreset", Kind::Value, false},
    {185, "ColourGradient", Kind::Value, false},
    {186, "RGBData", Kind::Value, false},
    {187, "TriggerScript", Kind::Object, false},
    {188, "DaliTestSchedule", Kind::Value, false},
    {189, "Universe", Kind::Object, false},
    {190, "Universe", Kind::Value, false},
    {191, "Scene", Kind::Object, false},
    {192, "TimelineTransformData", Kind::Value, false},
    {193, "TimelineEl", Kind::Value, false},
    {194, "ContourParameters", Kind::Value, false},
    {195, "TextProperties", Kind::Value, false},
    {196, "TimelineFragment", Kind::Record, false},
    {197, "DynamicText", Kind::Value, false},
    {198, "DynamicTextPart", Kind::Value, false},
    {199, "DaliFixtureProperties", Kind::Value, false},
    {200, "KinetPowerSupply", Kind::Object, false},
    {201, "DaliSceneDirectory", Kind::Object, false},
    {202, "FontData", Kind::Object, false},
    {203, "CustomProperties", Kind::Object, false},
    {204, "BitmapFont", Kind::Value, false},
    {205, "LegacyBitmapFontMetrics", Kind::Value, false},
    {206, "DaliTestSettings", Kind::Value, false},
    {207, "TextSlotValues", Kind::Object, false},
    {208, "CrossfadePath", Kind::Object, false},
    {209, "FxTable", Kind::Object, false},
    {210, "DimmerCurve", Kind::Object, false},
    {211, "ResourceKeys", Kind::Object, false},
    {212, "NonLocalControllerAddresses", Kind::Object, false},
    {213, "DaliMonitoring", Kind::Value, false},
    {214, "DaliMonitoring", Kind::Record, true},
    {215, "DaliMonitoring", Kind::Record, false},
    {216, "DaliMonitoring", Kind::Record, false},
    {230, "FixtureModel", Kind::Object, false},
    {250, "Composition", Kind::Object, false},
    {251, "LookFragment", Kind::Value, false},
    {252, "GzePatchRecord", Kind::Value, false},
    {253, "ContentTarget", Kind::Value, false},
    {254, "FreeUserNumbers", Kind::Value, false},
    {255, "PixtureContainer", Kind::Object, false},
    {256, "Pixture", Kind::Value, false},
    {257, "ContentTargetInstance", Kind::Value, false},
    {258, "ContentMask", Kind::Value, false},
    {259, "ColourDataState", Kind::Object, false},
    {260, "BrowserState", Kind::Object, false},
    {261, "LayoutManagerState", Kind::Object, false},
    {262, "InterfaceManagerState", Kind::Object, false},
    {263, "ReportWidgetState", Kind::Object, false},
    {264, "ExportWizardState", Kind::Object, false},
    {265, "PixelMatrixViewState", Kind::Object, false},
    {266, "DaliViewState", Kind::Object, false},
    {267, "TimelineViewState", Kind::Object, false},
    {268, "TriggerViewState", Kind::Object, false},
    {269, "BrowserModelPath", Kind::Value, false},
    {270, "HueTable", Kind::Value, false},
    {271, "NewInterfacePageData", Kind::Value, false},
    {272, "NavigationButtonData", Kind::Value, false},
    {273, "ParticleSystem", Kind::Value, false},
    {274, "CueMacro", Kind::Value, false},
    {275, "DaliEl", Kind::Value, false},
    {276, "IoModule", Kind::Object, false},
    {277, "IoMPropertyEditorTemplate", Kind::Value, false},
    {278, "IoMPropertyTemplate", Kind::Value, false},
    {279, "IoMTriggerConditionActionTemplate", Kind::Value, false},
    {280, "IoMConfiguration", Kind::Value, false},
    {281, "IoMInstance", Kind::Object, false},
    {282, "IoMContributor", Kind::Value, false},
    {283, "IoMPackage", Kind::Value, false},
    {284, "IoMTypeTracker", Kind::Object, false},
    {285, "SourceCodeEditorData", Kind::Value, false},
    {295, "InterfaceFont", Kind::Object, false},
    {296, "NewInterfaceData", Kind::Value, false},
    {297, "RDMKey", Kind::Value, false},
    {298, "Look", Kind::Value, false},
    {299, "DuplicateChanInfo", Kind::Value, false},
    {330, "IoMManagerState", Kind::Object, false},
    {331, "IoMTypeKey", Kind::Value, false},
    {332, "WaypointSection", Kind::Value, false},
    {333, "WaypointSection", Kind::Value, false},
    {334, "PatchViewState", Kind::Object, false},
    {335, "BitmapFont", Kind::Value, false},
    {336, "ProjectReplication", Kind::Object, false},
    {350, "Vux", Kind::Object, false},
    {351, "Vux", Kind::Object, false},
    {352, "Vux", Kind::Object, false},
    {353, "Vux", Kind::Object, false},
    {354, "Vux", Kind::Object, false},
    {355, "Vux", Kind::Object, false},
    {356, "Vux", Kind::Record, true},
    {357, "Vux", Kind::Record, false},
    {358, "Vux", Kind::Record, false},
    {359, "Vux", Kind::Record, false},
    {360, "Vux", Kind::Record, false},
    {361, "Vux", Kind::Record, false},
    {362, "Vux", Kind::Record, false},
    {363, "Vux", Kind::Object, false},
    {364, "Vux", Kind::Value, false},
    {365, "ProjectProvenance", Kind::Object, false},
    {366, "ProvenanceRecord", Kind::Value, false},
    {376, "Vux", Kind::Value, false},
    {377, "Vux", Kind::Object, false},
    {378, "LocationData", Kind::Value, false},
    {379, "Vux", Kind::Object, false},
    {380, "NodeKey", Kind::Value, false},
    {381, "Vux", Kind::Object, false},
    {382, "Vux", Kind::Object, false},
};

const std::size_t kCoreCodes = 42;
const std::size_t kAllCodes = 232;

ObjectRegistry::Kind registryKind(Kind kind)
{
    switch (kind) {
    case Kind::Object:
        return ObjectRegistry::Kind::Object;
    case Kind::Value:
        return ObjectRegistry::Kind::Value;
    case Kind::Record:
        break;
    }
    return ObjectRegistry::Kind::Record;
}

}  // namespace

TEST(ObjectTypes, RegisteredRowsMatchTheTable)
{
    registerObjectTypes();
    registerObjectTypes();  // idempotent
    ASSERT_EQ(std::size(kTable), 190u);

    std::map<QString, quint32> firstCodeOfName;
    for (const Row& row : kTable)
        firstCodeOfName.emplace(QString::fromLatin1(row.name), row.code);  // rows ascend

    std::size_t present = 0;
    std::set<quint32> tableCodes;
    for (const Row& row : kTable) {
        tableCodes.insert(row.code);
        const ObjectRegistry::Record* record = ObjectRegistry::instance().find(row.code);
        if (!record)
            continue;  // its class is not part of the program yet
        ++present;
        SCOPED_TRACE(row.code);
        EXPECT_EQ(record->name, QString::fromLatin1(row.name));
        EXPECT_EQ(ObjectRegistry::nameForCode(row.code), QString::fromLatin1(row.name));
        EXPECT_EQ(record->kind, registryKind(row.kind));
        const bool creatable = record->objectFactory || record->valueFactory;
        EXPECT_EQ(creatable, !row.abstract);
        const quint32 first = firstCodeOfName.at(QString::fromLatin1(row.name));
        if (ObjectRegistry::instance().find(first)) {
            EXPECT_EQ(ObjectRegistry::codeForName(QString::fromLatin1(row.name)), first);
        }
        if (row.kind == Kind::Object && !row.abstract) {
            std::unique_ptr<Archive::ObjectBase> object(ObjectRegistry::create(row.code));
            ASSERT_TRUE(object);
            EXPECT_EQ(object->typeCode(), row.code);
            EXPECT_EQ(object->getId(), Archive::kNoObjectId);
            object->setId(42);
            std::unique_ptr<Archive::ObjectBase> copy(object->clone());
            ASSERT_TRUE(copy);
            EXPECT_EQ(copy->typeCode(), row.code);
            EXPECT_EQ(copy->getId(), Archive::kNoObjectId);
            EXPECT_EQ(object->getId(), 42u);
        }
    }
    // Nothing outside the table is registered in the project's range.
    for (quint32 code = 100; code <= 382; ++code) {
        if (ObjectRegistry::instance().find(code)) {
            EXPECT_TRUE(tableCodes.count(code)) << code;
        }
    }
    EXPECT_GE(present, 6u);
    EXPECT_EQ(ObjectRegistry::instance().size(), kCoreCodes + present);
    if (present == std::size(kTable)) {
        EXPECT_EQ(ObjectRegistry::instance().size(), kAllCodes);
    }
}

TEST(ObjectTypes, FactoriesMakeTheirClasses)
{
    registerObjectTypes();
    const auto made = [](quint32 code) { return std::unique_ptr<Archive::ObjectBase>(ObjectRegistry::create(code)); };
    EXPECT_NE(dynamic_cast<Controller*>(made(111).get()), nullptr);
    EXPECT_NE(dynamic_cast<FrameArray*>(made(167).get()), nullptr);
    EXPECT_NE(dynamic_cast<TriggerDirectory*>(made(170).get()), nullptr);
    EXPECT_NE(dynamic_cast<DaliSceneDirectory*>(made(201).get()), nullptr);
    EXPECT_EQ(ObjectRegistry::codeForName(QStringLiteral("DirectoryBase")), 53u);
    EXPECT_EQ(TriggerDirectory::kArrayId, 16u);
    EXPECT_EQ(DaliSceneDirectory::kArrayId, 13u);

    std::unique_ptr<ContentMask> mask = ObjectRegistry::createValue<ContentMask>(258);
    ASSERT_TRUE(mask);
    EXPECT_EQ(*mask, ContentMask());
    EXPECT_THROW(ObjectRegistry::create(258), std::exception);  // a value, not an object
}
