#include "components/archive/object_base.h"
#include "components/archive/type_registry.h"
#include "components/lx_objects/controllers/content_mask.h"
#include "components/lx_objects/fixtures/fixture_model.h"
#include "components/lx_objects/media/bitmap_font.h"
#include "components/lx_objects/media/composition.h"
#include "components/lx_objects/media/free_user_numbers.h"
#include "components/lx_objects/media/pixture_container.h"
#include "components/lx_objects/programming/colour_gradient.h"
#include "components/lx_objects/programming/contour_parameters.h"
#include "components/lx_objects/programming/cuelist.h"
#include "components/lx_objects/programming/custom_preset.h"
#include "components/lx_objects/programming/date_time_mask.h"
#include "components/lx_objects/programming/dynamic_text.h"
#include "components/lx_objects/programming/scene.h"
#include "components/lx_objects/programming/timeline.h"
#include "components/lx_objects/programming/trigger_values.h"
#include "components/lx_objects/project/layout.h"
#include "components/lx_objects/project/object_types.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <map>
#include <memory>
#include <set>

namespace {

// Every project code with its stored name and kind (O object, V value, R
// record; * abstract): 190 rows. The registry holds 42 codes of its own.
const char kTable[] =
    "100 GuiFeatures O 101 ProjectProperties O 102 TimelineProperties V 103 UserInterfaceState O "
    "104 TimecodeBuses O 105 AudioBuses O 106 EthernetSources O 107 Trigger O 108 TriggerCondition O "
    "109 TriggerAction O 110 Timeline O 111 Controller O 112 RangeMode V 113 ParamRange V 114 Parameter V "
    "115 ConstChanInfo V 116 PatchPointData V 117 TimecodeBuses V 118 GeoCoord V 119 DaylightSavingRule V "
    "120 Fixture O 121 FixtureModelSpec V 122 FixtureInstance O 123 Function O 124 PatchMapEntry V "
    "125 FixtureElement O 126 Group O 127 FixOrGroupKey V 128 PixelMatrix O 129 PatchRecord V "
    "130 FixtureModelElement V 131 Layout O 132 DaliGroup V 133 DaliScene O 134 DaliInterface O "
    "135 InterfaceConfigurationHeader V 136 InterfaceConfiguration O 137 InterfaceControl O* 138 InterfaceButton O "
    "139 InterfaceSlider O 140 InterfaceColourPicker O 141 InterfaceKeypad O 142 InterfaceLabel O "
    "143 InterfaceClock O 144 NavigationButtons V 145 InterfacePage O 146 InterfacePageSwitcher O "
    "147 SkinTransition V 148 InterfaceSkin V 149 InterfaceSkinSet V 150 SkinPropertyKey V 151 SkinProperty R* "
    "152 IntSkinProperty R 153 DoubleSkinProperty R 154 BoolSkinProperty R 155 StringSkinProperty R "
    "156 ColourSkinProperty R 157 ImageSkinProperty R 158 ImageData V 159 SharedImageData V 160 InterfaceTheme O "
    "161 DateTimeMask V 162 RDKey V 163 MidiMessage V 164 SerialString V 165 PlanTransformData V 166 RemoteDevice O "
    "167 FrameArray O 168 TriggerWildcard V 169 LayoutProperties V 170 TriggerDirectory O 171 Lkel V "
    "172 LookSequence V 173 Look V 174 Cue V 175 TimelineOptions V 176 Cuelist O 177 WebInterfaceProperties O "
    "178 PixmatFixtureInfo V 179 ObjectFolder O 180 MediaClip O 181 DaliProjectProperties O 182 CustomPreset O "
    "183 CustomPreset V 184 CustomPreset V 185 ColourGradient V 186 RGBData V 187 TriggerScript O "
    "188 DaliTestSchedule V 189 Universe O 190 Universe V 191 Scene O 192 TimelineTransformData V 193 TimelineEl V "
    "194 ContourParameters V 195 TextProperties V 196 TimelineFragment R 197 DynamicText V 198 DynamicTextPart V "
    "199 DaliFixtureProperties V 200 KinetPowerSupply O 201 DaliSceneDirectory O 202 FontData O "
    "203 CustomProperties O 204 BitmapFont V 205 LegacyBitmapFontMetrics V 206 DaliTestSettings V "
    "207 TextSlotValues O 208 CrossfadePath O 209 FxTable O 210 DimmerCurve O 211 ResourceKeys O "
    "212 NonLocalControllerAddresses O 213 DaliMonitoring V 214 DaliMonitoring R* 215 DaliMonitoring R "
    "216 DaliMonitoring R 230 FixtureModel O 250 Composition O 251 LookFragment V 252 GzePatchRecord V "
    "253 ContentTarget V 254 FreeUserNumbers V 255 PixtureContainer O 256 Pixture V 257 ContentTargetInstance V "
    "258 ContentMask V 259 ColourDataState O 260 BrowserState O 261 LayoutManagerState O "
    "262 InterfaceManagerState O 263 ReportWidgetState O 264 ExportWizardState O 265 PixelMatrixViewState O "
    "266 DaliViewState O 267 TimelineViewState O 268 TriggerViewState O 269 BrowserModelPath V 270 HueTable V "
    "271 NewInterfacePageData V 272 NavigationButtonData V 273 ParticleSystem V 274 CueMacro V 275 DaliEl V "
    "276 IoModule O 277 IoMPropertyEditorTemplate V 278 IoMPropertyTemplate V "
    "279 IoMTriggerConditionActionTemplate V 280 IoMConfiguration V 281 IoMInstance O 282 IoMContributor V "
    "283 IoMPackage V 284 IoMTypeTracker O 285 SourceCodeEditorData V 295 InterfaceFont O 296 NewInterfaceData V "
    "297 RDMKey V 298 Look V 299 DuplicateChanInfo V 330 IoMManagerState O 331 IoMTypeKey V 332 WaypointSection V "
    "333 WaypointSection V 334 PatchViewState O 335 BitmapFont V 336 ProjectReplication O 350 Vux O 351 Vux O "
    "352 Vux O 353 Vux O 354 Vux O 355 Vux O 356 Vux R* 357 Vux R 358 Vux R 359 Vux R 360 Vux R 361 Vux R 362 Vux R "
    "363 Vux O 364 Vux V 365 ProjectProvenance O 366 ProvenanceRecord V 376 Vux V 377 Vux O 378 LocationData V "
    "379 Vux O 380 NodeKey V 381 Vux O 382 Vux O ";

// Each value type is registered under the code its own class states.
template <class... T>
void expectValueRows()
{
    const auto check = [](quint32 code, bool created) { EXPECT_TRUE(created) << "no value of " << code; };
    (check(T::kTypeCode,
           [] {
               const std::unique_ptr<T> value = ObjectRegistry::createValue<T>(T::kTypeCode);
               return value && value->typeCode() == T::kTypeCode;
           }()),
     ...);
}

}  // namespace

TEST(ObjectTypes, ValueRowsMatchTheirClasses)
{
    registerObjectTypes();
    expectValueRows<CustomPresetPropertyMap, CustomPresetProperty, ColourGradient, RGBData, ContourParameters,
                    TextProperties, DynamicText, DynamicTextPart, ContentTarget, ContentTargetInstance, ContentMask,
                    DateTimeMask, RDKey, MidiMessage, SerialString, TriggerWildcard, RangeMode, ParamRange, Parameter,
                    ConstChanInfo, PatchPointData, FixtureModelSpec, PatchMapEntry, FixtureModelElement, HueTable,
                    FixtureModelKey, DuplicateChanInfo, LayoutProperties, BitmapFont, LegacyBitmapFontMetrics,
                    FreeUserNumbers, Pixture, Glyph, TimelineProperties, TimelineOptions, TimelineEl, Waypoint,
                    WaypointSection, Lkel, LookSequence, Look, Cue, LookFragment, CueMacro, DaliEl, LookSelection>();
}

TEST(ObjectTypes, RegisteredRowsMatchTheTable)
{
    registerObjectTypes();
    registerObjectTypes();  // idempotent
    const QStringList tokens = QString::fromLatin1(kTable).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    ASSERT_EQ(tokens.size(), 3 * 190);
    const ObjectRegistry::Registry& registry = ObjectRegistry::instance();
    std::set<quint32> codes;
    std::map<QString, quint32> firstCodeOfName;  // rows ascend
    std::size_t present = 0;
    for (int i = 0; i < tokens.size(); i += 3) {
        const quint32 code = tokens[i].toUInt();
        const QString name = tokens[i + 1];
        const bool abstract = tokens[i + 2].endsWith(QLatin1Char('*'));
        codes.insert(code);
        firstCodeOfName.emplace(name, code);
        const ObjectRegistry::Record* record = registry.find(code);
        if (!record)
            continue;  // its class is not part of the program yet
        ++present;
        EXPECT_EQ(ObjectRegistry::nameForCode(code), name) << code;
        const ObjectRegistry::Kind kinds[] = {ObjectRegistry::Kind::Object, ObjectRegistry::Kind::Value,
                                              ObjectRegistry::Kind::Record};
        const ObjectRegistry::Kind kind = kinds[QStringLiteral("OVR").indexOf(tokens[i + 2][0])];
        EXPECT_EQ(record->kind, kind) << code;
        EXPECT_EQ(record->objectFactory || record->valueFactory, !abstract) << code;
        if (registry.find(firstCodeOfName.at(name))) {
            EXPECT_EQ(ObjectRegistry::codeForName(name), firstCodeOfName.at(name));
        }
        if (kind == ObjectRegistry::Kind::Object && !abstract) {
            std::unique_ptr<Archive::ObjectBase> object(ObjectRegistry::create(code));
            ASSERT_TRUE(object);
            object->setId(42);
            std::unique_ptr<Archive::ObjectBase> copy(object->clone());
            EXPECT_EQ(copy->typeCode(), code);
            EXPECT_EQ(copy->getId(), Archive::kNoObjectId);
        }
    }
    for (quint32 code = 100; code <= 382; ++code)
        EXPECT_TRUE(!registry.find(code) || codes.count(code)) << code;
    EXPECT_GE(present, 6u);
    EXPECT_EQ(registry.size(), 42 + present);  // 232 once every class is in
    EXPECT_EQ(ObjectRegistry::codeForName(QStringLiteral("DirectoryBase")), 53u);
    EXPECT_TRUE(ObjectRegistry::createValue<ContentMask>(258));
    EXPECT_THROW(ObjectRegistry::create(258), std::exception);  // a value, not an object
}
