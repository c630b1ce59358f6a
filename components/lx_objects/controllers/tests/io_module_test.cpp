#include "components/archive/type_registry.h"
#include "components/lx_objects/controllers/io_module.h"
#include "components/lx_objects/controllers/iom_configuration.h"
#include "components/lx_objects/controllers/iom_type_tracker.h"
#include "components/lx_objects/programming/io_meta_types.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <QDataStream>
#include <QMetaType>

#include <memory>
#include <string>

namespace {

using StreamCheck::kCountTooLarge;

// A property template with an integer editor ("p", kind 2, unit "u",
// default 7, one string "x", flag set), as each version stored it.
const std::string kProperty =
    "-: 0116 'p' 02 0115 01 00000000 000000ff 00000001 'u' 00000007;  127-: 0007 00000001 'x';"
    "  143-: 01\n";

IoMPropertyTemplate sampleProperty(quint16 version, bool underActions)
{
    IoMPropertyTemplate property;
    property.name = QStringLiteral("p"), property.valueKind = 2;
    property.editor.setKind(IoMPropertyEditorTemplate::IntegerKind);
    IoMIntegerEditor* editor = property.editor.dataAs<IoMIntegerEditor>();
    editor->unit = QStringLiteral("u"), editor->defaultValue = 7;
    if (version >= 127)
        property.strings = {QStringLiteral("x")};
    property.flag = version >= 143 || underActions;
    return property;
}

const std::string kTemplate = "-: 0117 'tc' 'tx' 0006 00000001\n" + kProperty + "127-: 0007 00000001 'y'\n";

IoMTriggerConditionActionTemplate sampleTemplate(quint16 version, bool underActions)
{
    IoMTriggerConditionActionTemplate t;
    t.name = QStringLiteral("tc"), t.text = QStringLiteral("tx");
    t.propertyTemplates = {sampleProperty(version, underActions)};
    if (version >= 127)
        t.strings = {QStringLiteral("y")};
    return t;
}

IoMContributor sampleContributor(const char* name)
{
    IoMContributor contributor;
    contributor.name = QLatin1String(name), contributor.detail = QStringLiteral("d");
    contributor.url = QUrl(QStringLiteral("http://x/"));
    return contributor;
}

// Every part of a module set, as each version stored it; the property values
// are a serial resource under "s" and a variable under "v".
const std::string kModule = R"(
    -: 'mod';  -139:
    -: 011b 00112233445566778899aabbccddeeff 00000002 00000005 00000003 00000041 00000001 00000000 00000000 00000080
    -: 0007 't1' 't2' 011a 'm' 'd' 00000009 687474703a2f2f782f 0006 00000001 011a 'c' 'd' 00000009 687474703a2f2f782f
    -: 't3' 't4';  150-: 't5';  130-: 0009 00000001 's';  -: 0118 'cfg' 0006 00000001
)" + kProperty
    + "150-: 0006 00000001 0116 'p' 02 0115 01 00000000 000000ff 00000001 'u' 00000007 0007 00000001 'x' 01\n"
      "-: 0008 00000002 00000010 0006 00000001\n"
    + kTemplate + "-: 00000012 0006 00000001\n" + kTemplate + R"(
    150-: 01;  -: 0008 00000001 014b 00000005 0002 0009  0008 00000001 00000003 0008 00000001 0004 0005
    150-: 0008 00000002 00000002 0073 00000400 00 0000000f 53657269616c5265736f7572636500 6b02
    150-: 00000002 0076 00000400 00 0000000c 496f4d5661726961626c6500 01 0002
)";

IoModule sampleModule(quint16 version = kProjectStreamVersion)
{
    IoModule module;
    if (version >= 139)
        module.name = QStringLiteral("mod");
    IoMPackage& package = module.package;
    package.id = QUuid(QStringLiteral("{00112233-4455-6677-8899-aabbccddeeff}"));
    package.versionA = Version(2, 5, 3, 0x41), package.versionB = Version(1, 0, 0, 0x80), package.number = 7;
    package.text1 = QStringLiteral("t1"), package.text2 = QStringLiteral("t2");
    package.mainContributor = sampleContributor("m"), package.contributors = {sampleContributor("c")};
    package.text3 = QStringLiteral("t3"), package.text4 = QStringLiteral("t4");
    if (version >= 150)
        package.text5 = QStringLiteral("t5");
    if (version >= 130)
        package.stringSet = {QStringLiteral("s")};
    IoMConfiguration& configuration = module.configuration;
    configuration.name = QStringLiteral("cfg");
    configuration.propertyTemplates = {sampleProperty(version, false)};
    if (version >= 150)
        configuration.extraPropertyTemplates = {sampleProperty(version, false)};
    configuration.templates[IoMConfiguration::kTriggerTemplates] = {sampleTemplate(version, false)};
    configuration.templates[IoMConfiguration::kActionTemplates] = {sampleTemplate(version, true)};
    configuration.flag = version >= 150;
    module.typeNumbers[IoMTypeKey {5, 2}] = 9;
    module.indexMaps[3][4] = 5;
    IoMVariable variable;
    variable.type = 1, variable.index = 2;
    if (version >= 150)
        module.properties = {{QStringLiteral("s"), QVariant::fromValue(SerialResource {107, 2})},
                             {QStringLiteral("v"), QVariant::fromValue(variable)}};
    return module;
}

template <class T>
QByteArray dataStreamBytes(const T& value)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << value;
    return bytes;
}

template <class T>
T fromDataStream(const char* hexBytes)
{
    QDataStream stream(hex(hexBytes));
    T value;
    stream >> value;
    return value;
}

IoMPropertyEditorTemplate editorOf(quint8 kind, void (*set)(IoMPropertyEditorTemplate&) = nullptr)
{
    IoMPropertyEditorTemplate editor;
    editor.setKind(kind);
    if (set)
        set(editor);
    return editor;
}

}  // namespace

TEST(IoModule, EveryGateAndTheNewestBytes)
{
    const auto layout = StreamCheck::chunks(kModule);
    StreamCheck::expectGateReads<IoModule>(layout, kProjectStreamVersion, sampleModule);
    // One targeted row per count (after the pattern that holds it), and a
    // value of a type no one registered.
    expectForms<IoModule>(
        {{sampleModule(), "0114" + StreamCheck::hexOf(StreamCheck::bytesAt(kProjectStreamVersion, layout))}},
        {{0, 2, "7fffffff", kCountTooLarge, "0006 00000001 011a"},           // contributors
         {0, 2, "7fffffff", kCountTooLarge, "0009 00000001"},                // string set
         {0, 2, "7fffffff", kCountTooLarge, "0006 00000001 0116"},           // property templates
         {0, 5, "7fffffff", kCountTooLarge, "0078 01 0006 00000001 0116"},   // extra property templates
         {0, 2, "7fffffff", kCountTooLarge, "0007 00000001"},                // a property's strings
         {0, 2, "7fffffff", kCountTooLarge, "0008 00000002 00000010"},       // templates
         {0, 6, "7fffffff", kCountTooLarge, "00000010 0006 00000001"},       // the templates under a key
         {0, 2, "7fffffff", kCountTooLarge, "0008 00000001 014b"},           // type numbers
         {0, 2, "7fffffff", kCountTooLarge, "0008 00000001 00000003"},       // index maps
         {0, 6, "7fffffff", kCountTooLarge, "00000003 0008 00000001 0004"},  // one index map
         {0, 2, "7fffffff", kCountTooLarge, "0008 00000002 00000002 0073"},  // properties
         {0, 0, "58", "Error reading from file", "53657269616c5265736f7572636500"}});
    const IoModule newest = sampleModule();
    EXPECT_EQ(writtenBytes(*std::unique_ptr<IoModule>(newest.clone())), writtenBytes(newest));
    EXPECT_TRUE(StreamCheck::stableRoundTrip(newest.configuration, kProjectStreamVersion));
    EXPECT_TRUE(StreamCheck::stableRoundTrip(newest.configuration.templatesFor(18)[0], kProjectStreamVersion));
    EXPECT_TRUE(StreamCheck::stableRoundTrip(newest.configuration.propertyTemplates[0], kProjectStreamVersion));
    EXPECT_EQ(newest.configuration.templatesFor(16).size(), 1u);
    EXPECT_TRUE(newest.configuration.templatesFor(17).empty());
}

TEST(IoModule, PackageVersionsAndContributors)
{
    // Each word is cut to a byte; a tag without a kind reads as 0.
    const std::pair<const char*, quint8> tags[] = {{"05", 0}, {"3f", 0}, {"00", 0}, {"41", 0x41}, {"80", 0x80}};
    for (const auto& [tag, kept] : tags) {
        QByteArray bytes = writtenBytes(IoMPackage());
        bytes.replace(16, 16, hex("00000102 00000005 00000003 000000") + hex(tag));
        IoMPackage package;
        EXPECT_EQ(readBytes(package, bytes), 0);
        EXPECT_EQ(package.versionA, Version(2, 5, 3, kept)) << tag;
    }
    EXPECT_EQ(writtenBytes(IoMPackage()).mid(16, 32).toHex(), QByteArray(64, '0'));

    // URLs are stored fully encoded and read leniently.
    IoMContributor contributor;
    contributor.url = QUrl(QStringLiteral("http://x/a b"));
    expectForms<IoMContributor>({{contributor, "011a ffffffff ffffffff 0000000e 687474703a2f2f782f6125323062"}});
    IoMContributor lenient;
    EXPECT_EQ(readBytes(lenient, hex("ffffffff ffffffff 0000000c 687474703a2f2f782f612062")), 0);
    EXPECT_EQ(lenient, contributor);
    EXPECT_TRUE(StreamCheck::stableRoundTrip(sampleModule().package, kProjectStreamVersion));
}

TEST(IoModule, EditorKinds)
{
    using E = IoMPropertyEditorTemplate;
    expectForms<E>({
        {editorOf(0,
                  [](E& e) {
                      e.dataAs<IoMChoiceEditor>()->choices = {{QStringLiteral("a"), 1}};
                  }),
         "0115 00 0007 00000001 0010 00000002 'a' 00000002 00 00000001 ffffffff"},
        {editorOf(1), "0115 01 00000000 000000ff 00000001 ffffffff 00000000"},
        {editorOf(2, [](E& e) { e.dataAs<IoMRealEditor>()->unit = QStringLiteral("m"); }),
         "0115 02 0000000000000000 3ff0000000000000 3fb999999999999a 'm' 00000002"},
        {editorOf(3), "0115 03 ffffffff"},
        {editorOf(4, [](E& e) { e.dataAs<IoMSwitchEditor>()->value = true; }), "0115 04 01"},
        {editorOf(5), "0115 05 ffffffff ffffffff ffffffff"},
        {editorOf(9), "0115 09"},
        {editorOf(255), "0115 ff"},
    });

    // A new kind starts from its defaults; the same kind keeps its data.
    E editor = editorOf(E::IntegerKind, [](E& e) { e.dataAs<IoMIntegerEditor>()->maximum = 9; });
    editor.setKind(E::IntegerKind);
    EXPECT_EQ(editor.dataAs<IoMIntegerEditor>()->maximum, 9);
    editor.setKind(E::TextKind);
    EXPECT_FALSE(editor.dataAs<IoMIntegerEditor>());
    ASSERT_TRUE(editor.dataAs<IoMTextEditor>());
    EXPECT_TRUE(editor.dataAs<IoMTextEditor>()->text.isEmpty());

    // Before 133 the choices were a map by label.
    const auto layout = StreamCheck::chunks(R"(
        -: 00;  133-: 0007 00000002 0010 00000002 'b' 00000002 00 00000001 0010 00000002 'a' 00000002 00 00000002
        -133: 0008 00000002 'a' 00000002 00 00000002 'b' 00000002 00 00000001;  -: 00000001
    )");
    StreamCheck::expectGateReads<E>(layout, kProjectStreamVersion, [](quint16 v) {
        E e = editorOf(E::ChoiceKind);
        const std::pair<QString, QVariant> a {QStringLiteral("a"), 2}, b {QStringLiteral("b"), 1};
        e.dataAs<IoMChoiceEditor>()->choices = v < 133 ? std::list {a, b} : std::list {b, a};
        e.dataAs<IoMChoiceEditor>()->defaultIndex = 1;
        return e;
    });
    EXPECT_TRUE(StreamCheck::damagedReadFails(StreamCheck::bytesAt(132, layout), 3, "7fffffff", 132, kCountTooLarge,
                                              [](InStream& in) { E().read(in); }));

    // The kind decides what follows: a switch in place of a text misreads
    // the property's strings.
    IoMPropertyTemplate property;
    property.editor.setKind(E::TextKind);
    EXPECT_TRUE(StreamCheck::damagedReadFails(writtenBytes(property), 7, "04", kProjectStreamVersion,
                                              "Tag mismatch when trying to read opening tag list",
                                              [](InStream& in) { IoMPropertyTemplate().read(in); }));
}

TEST(IoMTypeTracker, NewTrackerAndOldData)
{
    // Its 12 kB are not read cut at every length: that would take seconds.
    const IoMTypeTracker tracker;
    const QByteArray fresh = hex("0008 00000000 0008 00000003 00000010 0018 00008000 ff*4096 "
                                 "00000011 0018 00008000 ff*4096 00000012 0018 00008000 ff*4096");
    EXPECT_EQ(writtenBytes(tracker), fresh);
    EXPECT_TRUE(StreamCheck::stableRoundTrip(tracker, kProjectStreamVersion));
    EXPECT_EQ(*std::unique_ptr<IoMTypeTracker>(static_cast<IoMTypeTracker*>(tracker.clone())), tracker);

    // Before 122 a map of identities sat between the two; a read keeps only
    // what the data holds.
    const auto layout = StreamCheck::chunks(R"(
        -: 0008 00000001 014b 00000005 0002 00000009;  -122: 0008 00000001 00112233445566778899aabbccddeeff 00000007
        -: 0008 00000001 00000011 0018 00000008 a5
    )");
    StreamCheck::expectGateReads<IoMTypeTracker>(layout, kProjectStreamVersion, [](quint16) {
        IoMTypeTracker t;
        t.typeNumbers[IoMTypeKey {5, 2}] = 9;
        t.freeNumbers.clear();
        t.freeNumbers[17].setRawBytes(8, hex("a5"));
        return t;
    });
    const QByteArray old = StreamCheck::bytesAt(121, layout);
    const auto read = [](InStream& in) { IoMTypeTracker().read(in); };
    for (const int at : {2, 20, 46})
        EXPECT_TRUE(StreamCheck::damagedReadFails(old, at, "7fffffff", 121, kCountTooLarge, read)) << at;
    EXPECT_TRUE(StreamCheck::damagedReadFails(old, 56, "7fffffff", 121, "Error reading from file", read));

    // Keys order by module, then type.
    EXPECT_LT((IoMTypeKey {4, 9}), (IoMTypeKey {5, 1}));
    EXPECT_LT((IoMTypeKey {5, 1}), (IoMTypeKey {5, 2}));
    expectForms<IoMTypeKey>({{IoMTypeKey(), "014b ffffffff ffff"}, {IoMTypeKey {5, 2}, "014b 00000005 0002"}});
}

TEST(IoMetaTypes, ResourcesAsStoredInValues)
{
    registerIoMetaTypes();
    for (const char* name :
         {"SerialResource", "DigitalInputResource", "DigitalOutputResource", "AnalogInputResource", "IoMVariable"}) {
        const int type = QMetaType::type(name);
        EXPECT_NE(type, QMetaType::UnknownType) << name;
        EXPECT_EQ(QByteArray(QMetaType::typeName(type)), QByteArray(name));
    }
    EXPECT_EQ(dataStreamBytes(DigitalOutputResource()).toHex(), hex("00000000 ff00").toHex());
    EXPECT_EQ(dataStreamBytes(SerialResource()).toHex(), hex("ff00").toHex());
    AnalogInputResource analog;
    analog.deviceType = 0x81, analog.deviceNumber = 2, analog.index = -2;
    EXPECT_EQ(dataStreamBytes(analog).toHex(), hex("fffffffe 8102").toHex());
    EXPECT_EQ(fromDataStream<AnalogInputResource>("fffffffe 8102"), analog);
    EXPECT_EQ(fromDataStream<SerialResource>("6b02"), (SerialResource {107, 2}));
    DigitalInputResource input;
    input.deviceType = 101, input.index = 3;
    EXPECT_EQ(fromDataStream<DigitalInputResource>("00000003 6500"), input);
    // Values compare by their fields inside QVariants.
    EXPECT_EQ(QVariant::fromValue(input), QVariant::fromValue(fromDataStream<DigitalInputResource>("00000003 6500")));
    EXPECT_NE(QVariant::fromValue(input), QVariant::fromValue(DigitalInputResource()));
}

TEST(IoModule, ValueRowsMatchTheirClasses)
{
    const auto check = [](auto typed) {
        using T = decltype(typed);
        const std::unique_ptr<T> value = ObjectRegistry::createValue<T>(T::kTypeCode);
        EXPECT_TRUE(value && value->typeCode() == T::kTypeCode) << T::kTypeCode;
    };
    check(IoMPropertyEditorTemplate()), check(IoMPropertyTemplate()), check(IoMTriggerConditionActionTemplate());
    check(IoMConfiguration()), check(IoMContributor()), check(IoMPackage()), check(IoMTypeKey());
}
