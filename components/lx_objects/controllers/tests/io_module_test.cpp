#include "components/archive/type_registry.h"
#include "components/lx_objects/controllers/io_module.h"
#include "components/lx_objects/controllers/iom_configuration.h"
#include "components/lx_objects/controllers/iom_type_tracker.h"
#include "components/lx_objects/programming/io_meta_types.h"
#include "components/lx_objects/tests/stream_bytes.h"
#include "tests/support/stream_check.h"

#include <gtest/gtest.h>

#include <QDataStream>
#include <QMetaType>

#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace {

using StreamCheck::Chunk;
using StreamCheck::kNewest;

const char kCountTooLarge[] = "Error reading from file, count 2147483647 exceeds the data remaining";

// A gate table whose chunks are built from parts.
class Layout
{
public:
    Layout& add(quint16 from, quint16 until, const std::string& bytes)
    {
        m_bytes.push_back(bytes);
        m_chunks.push_back({from, until, m_bytes.back().c_str()});
        return *this;
    }
    Layout& all(const std::string& bytes) { return add(0, kNewest, bytes); }
    const std::vector<Chunk>& chunks() const { return m_chunks; }

private:
    std::deque<std::string> m_bytes;
    std::vector<Chunk> m_chunks;
};

// A QString as the binary stream holds it (ASCII text).
std::string qs(const std::string& text)
{
    std::string bytes = QByteArray::number(qulonglong(text.size() * 2), 16).rightJustified(8, '0').toStdString();
    for (const char c : text)
        bytes += QByteArray(1, c).toHex().prepend("00").toStdString();
    return bytes + " ";
}

// A property template with an integer editor ("p", kind 2, unit "u",
// default 7, one string "x", flag set), no part of it older than `from`.
void addProperty(Layout& layout, quint16 from)
{
    layout.add(from, kNewest, "0116" + qs("p") + "02 0115 01 00000000 000000ff 00000001" + qs("u") + "00000007");
    layout.add(std::max<quint16>(from, 127), kNewest, "0007 00000001" + qs("x"));
    layout.add(std::max<quint16>(from, 143), kNewest, "01");
}

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

void addTemplate(Layout& layout)
{
    layout.all("0117" + qs("tc") + qs("tx") + "0006 00000001");
    addProperty(layout, 0);
    layout.add(127, kNewest, "0007 00000001" + qs("y"));
}

IoMTriggerConditionActionTemplate sampleTemplate(quint16 version, bool underActions)
{
    IoMTriggerConditionActionTemplate t;
    t.name = QStringLiteral("tc"), t.text = QStringLiteral("tx");
    t.propertyTemplates = {sampleProperty(version, underActions)};
    if (version >= 127)
        t.strings = {QStringLiteral("y")};
    return t;
}

std::string contributorBytes(const std::string& name)
{
    return "011a" + qs(name) + qs("d") + "00000009 687474703a2f2f782f";
}

IoMContributor sampleContributor(const char* name)
{
    IoMContributor contributor;
    contributor.name = QLatin1String(name), contributor.detail = QStringLiteral("d");
    contributor.url = QUrl(QStringLiteral("http://x/"));
    return contributor;
}

// The property values: a serial resource under "s", a variable under "v".
const char kProperties[] = "0008 00000002 00000002 0073 00000400 00 0000000f 53657269616c5265736f7572636500 6b02 "
                           "00000002 0076 00000400 00 0000000c 496f4d5661726961626c6500 01 0002";

IoMPropertyMap sampleProperties()
{
    IoMVariable variable;
    variable.type = 1, variable.index = 2;
    return {{QStringLiteral("s"), QVariant::fromValue(SerialResource {107, 2})},
            {QStringLiteral("v"), QVariant::fromValue(variable)}};
}

// Every part of a module set, as each version stored it.
void addModule(Layout& layout)
{
    layout.all(qs("mod")).add(0, 139, "");
    layout.all("011b 00112233445566778899aabbccddeeff 00000002 00000005 00000003 00000041 "
               "00000001 00000000 00000000 00000080 0007"
               + qs("t1") + qs("t2") + contributorBytes("m") + "0006 00000001" + contributorBytes("c") + qs("t3")
               + qs("t4"));
    layout.add(150, kNewest, qs("t5"));
    layout.add(130, kNewest, "0009 00000001" + qs("s"));
    layout.all("0118" + qs("cfg") + "0006 00000001");
    addProperty(layout, 0);
    layout.add(150, kNewest, "0006 00000001");
    addProperty(layout, 150);
    layout.all("0008 00000002 00000010 0006 00000001");
    addTemplate(layout);
    layout.all("00000012 0006 00000001");
    addTemplate(layout);
    layout.add(150, kNewest, "01");
    layout.all("0008 00000001 014b 00000005 0002 0009  0008 00000001 00000003 0008 00000001 0004 0005");
    layout.add(150, kNewest, kProperties);
}

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
    if (version >= 150)
        module.properties = sampleProperties();
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

}  // namespace

TEST(IoModule, EveryGateAndTheNewestBytes)
{
    Layout layout;
    addModule(layout);
    const IoModule newest = sampleModule();
    const QByteArray bytes = StreamCheck::bytesAt(kProjectStreamVersion, layout.chunks());
    EXPECT_EQ(writtenBytes(newest).toHex(), bytes.toHex());
    StreamCheck::expectGateReads<IoModule>(layout.chunks(), kProjectStreamVersion, sampleModule);
    EXPECT_TRUE(StreamCheck::stableRoundTrip(newest, kProjectStreamVersion));
    EXPECT_TRUE(StreamCheck::stableRoundTrip(newest.configuration, kProjectStreamVersion));
    EXPECT_TRUE(StreamCheck::stableRoundTrip(newest.configuration.templatesFor(18)[0], kProjectStreamVersion));
    EXPECT_TRUE(StreamCheck::stableRoundTrip(newest.configuration.propertyTemplates[0], kProjectStreamVersion));
    EXPECT_EQ(writtenBytes(*std::unique_ptr<IoModule>(newest.clone())), bytes);
    EXPECT_TRUE(everyStrictPrefixFails(newest));
    EXPECT_EQ(newest.configuration.templatesFor(16).size(), 1u);
    EXPECT_TRUE(newest.configuration.templatesFor(17).empty());

    // One targeted row per count: the pattern, and where in it the count is.
    const std::pair<const char*, int> counts[] = {
        {"0006 00000001 011a", 2},           // contributors
        {"0009 00000001", 2},                // string set
        {"0006 00000001 0116", 2},           // property templates
        {"0078 01 0006 00000001 0116", 5},   // extra property templates
        {"0007 00000001", 2},                // a property's strings
        {"0008 00000002 00000010", 2},       // templates
        {"00000010 0006 00000001", 6},       // the templates under a key
        {"0008 00000001 014b", 2},           // type numbers
        {"0008 00000001 00000003", 2},       // index maps
        {"00000003 0008 00000001 0004", 6},  // one index map
        {"0008 00000002 00000002 0073", 2},  // properties
    };
    for (const auto& [pattern, at] : counts) {
        const int offset = bytes.indexOf(hex(pattern));
        ASSERT_GE(offset, 0) << pattern;
        EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, offset + at, "7fffffff", kProjectStreamVersion, kCountTooLarge,
                                                  [](InStream& in) { IoModule().read(in); }))
            << pattern;
    }
    // A value of a type no one registered is refused.
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, bytes.indexOf("SerialResource"), "58", kProjectStreamVersion,
                                              "Error reading from file", [](InStream& in) { IoModule().read(in); }));
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
    EXPECT_EQ(blockBytes(contributor).toHex(),
              hex("011a ffffffff ffffffff 0000000e 687474703a2f2f782f6125323062").toHex());
    IoMContributor lenient;
    EXPECT_EQ(readBytes(lenient, hex("ffffffff ffffffff 0000000c 687474703a2f2f782f612062")), 0);
    EXPECT_EQ(lenient, contributor);
    EXPECT_TRUE(StreamCheck::stableRoundTrip(sampleModule().package, kProjectStreamVersion));
    EXPECT_TRUE(StreamCheck::stableRoundTrip(contributor, kProjectStreamVersion));
}

TEST(IoModule, EditorKinds)
{
    struct Form
    {
        quint8 kind;
        void (*set)(IoMPropertyEditorTemplate&);
        const char* bytes;
    };
    const Form forms[] = {
        {0,
         [](IoMPropertyEditorTemplate& e) {
             e.dataAs<IoMChoiceEditor>()->choices = {{QStringLiteral("a"), 1}};
         },
         "0115 00 0007 00000001 0010 00000002 00000002 0061 00000002 00 00000001 ffffffff"},
        {1, nullptr, "0115 01 00000000 000000ff 00000001 ffffffff 00000000"},
        {2, [](IoMPropertyEditorTemplate& e) { e.dataAs<IoMRealEditor>()->unit = QStringLiteral("m"); },
         "0115 02 0000000000000000 3ff0000000000000 3fb999999999999a 00000002 006d 00000002"},
        {3, nullptr, "0115 03 ffffffff"},
        {4, [](IoMPropertyEditorTemplate& e) { e.dataAs<IoMSwitchEditor>()->value = true; }, "0115 04 01"},
        {5, nullptr, "0115 05 ffffffff ffffffff ffffffff"},
        {9, nullptr, "0115 09"},
        {255, nullptr, "0115 ff"},
    };
    for (const Form& form : forms) {
        IoMPropertyEditorTemplate editor;
        editor.setKind(form.kind);
        if (form.set)
            form.set(editor);
        EXPECT_EQ(blockBytes(editor).toHex(), hex(form.bytes).toHex()) << int(form.kind);
        EXPECT_TRUE(StreamCheck::stableRoundTrip(editor, kProjectStreamVersion)) << int(form.kind);
    }

    // A new kind starts from its defaults; the same kind keeps its data.
    IoMPropertyEditorTemplate editor;
    editor.setKind(IoMPropertyEditorTemplate::IntegerKind);
    editor.dataAs<IoMIntegerEditor>()->maximum = 9;
    editor.setKind(IoMPropertyEditorTemplate::IntegerKind);
    EXPECT_EQ(editor.dataAs<IoMIntegerEditor>()->maximum, 9);
    editor.setKind(IoMPropertyEditorTemplate::TextKind);
    EXPECT_FALSE(editor.dataAs<IoMIntegerEditor>());
    ASSERT_TRUE(editor.dataAs<IoMTextEditor>());
    EXPECT_TRUE(editor.dataAs<IoMTextEditor>()->text.isEmpty());

    // Before 133 the choices were a map by label.
    const std::vector<Chunk> layout = {
        {0, kNewest, "00"},
        {133, kNewest,
         "0007 00000002 0010 00000002 00000002 0062 00000002 00 00000001 "
         "0010 00000002 00000002 0061 00000002 00 00000002"},
        {0, 133, "0008 00000002 00000002 0061 00000002 00 00000002 00000002 0062 00000002 00 00000001"},
        {0, kNewest, "00000001"},
    };
    StreamCheck::expectGateReads<IoMPropertyEditorTemplate>(layout, kProjectStreamVersion, [](quint16 v) {
        IoMPropertyEditorTemplate e;
        e.setKind(IoMPropertyEditorTemplate::ChoiceKind);
        const std::pair<QString, QVariant> a {QStringLiteral("a"), 2}, b {QStringLiteral("b"), 1};
        e.dataAs<IoMChoiceEditor>()->choices = v < 133 ? std::list {a, b} : std::list {b, a};
        e.dataAs<IoMChoiceEditor>()->defaultIndex = 1;
        return e;
    });
    EXPECT_TRUE(StreamCheck::damagedReadFails(StreamCheck::bytesAt(132, layout), 3, "7fffffff", 132, kCountTooLarge,
                                              [](InStream& in) { IoMPropertyEditorTemplate().read(in); }));

    // The kind decides what follows: a switch in place of a text misreads
    // the property's strings.
    IoMPropertyTemplate property;
    property.editor.setKind(IoMPropertyEditorTemplate::TextKind);
    EXPECT_TRUE(StreamCheck::damagedReadFails(writtenBytes(property), 7, "04", kProjectStreamVersion,
                                              "Tag mismatch when trying to read opening tag list",
                                              [](InStream& in) { IoMPropertyTemplate().read(in); }));
}

TEST(IoMTypeTracker, NewTrackerAndOldData)
{
    QByteArray fresh = hex("0008 00000000 0008 00000003");
    for (const char* kind : {"00000010", "00000011", "00000012"})
        fresh += hex(kind) + hex("0018 00008000") + QByteArray(4096, char(0xFF));
    const IoMTypeTracker tracker;
    EXPECT_EQ(writtenBytes(tracker).toHex(), fresh.toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(tracker, kProjectStreamVersion));
    EXPECT_EQ(writtenBytes(*std::unique_ptr<IoMTypeTracker>(tracker.clone())), fresh);

    // Before 122 a map of identities sat between the two; a read keeps only
    // what the data holds.
    const std::vector<Chunk> layout = {
        {0, kNewest, "0008 00000001 014b 00000005 0002 00000009"},
        {0, 122, "0008 00000001 00112233445566778899aabbccddeeff 00000007"},
        {0, kNewest, "0008 00000001 00000011 0018 00000008 a5"},
    };
    StreamCheck::expectGateReads<IoMTypeTracker>(layout, kProjectStreamVersion, [](quint16) {
        IoMTypeTracker t;
        t.typeNumbers[IoMTypeKey {5, 2}] = 9;
        t.freeNumbers.clear();
        t.freeNumbers[17].setRawBytes(8, hex("a5"));
        return t;
    });
    const QByteArray old = StreamCheck::bytesAt(121, layout);
    const auto read = [](InStream& in) { IoMTypeTracker().read(in); };
    for (const int at : {2, 20})
        EXPECT_TRUE(StreamCheck::damagedReadFails(old, at, "7fffffff", 121, kCountTooLarge, read)) << at;
    EXPECT_TRUE(StreamCheck::damagedReadFails(old, 46, "7fffffff", 121, kCountTooLarge, read));
    EXPECT_TRUE(StreamCheck::damagedReadFails(old, 56, "7fffffff", 121, "Error reading from file", read));

    // Keys order by module, then type.
    EXPECT_LT((IoMTypeKey {4, 9}), (IoMTypeKey {5, 1}));
    EXPECT_LT((IoMTypeKey {5, 1}), (IoMTypeKey {5, 2}));
    EXPECT_EQ(blockBytes(IoMTypeKey()).toHex(), hex("014b ffffffff ffff").toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(IoMTypeKey {5, 2}, kProjectStreamVersion));
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
