#include "components/fixture_library/fixture_file.h"
#include "components/fixture_library/message_handler.h"
#include "components/fixture_library/tests/fixture_file_sample.h"

#include <QBuffer>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <tuple>

using FixtureLibraryTypes::FixtureDefinition;

namespace {

HueTable testHueTable()
{
    HueTable table;
    table.header = 3;
    for (std::size_t i = 0; i < HueTable::kSize; ++i)
        table.table[i] = quint8(i * 7);
    return table;
}

QString hueDigits()
{
    const HueTable table = testHueTable();
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(table.table.data()), 2048).toHex());
}

// The sample file, line by line.
QStringList goodLines() { return sampleFixtureFile(hueDigits()).split(QLatin1Char('\n')); }

Parameter parameter(qint32 type, quint16 patchOffset, std::vector<ParamRange> ranges)
{
    Parameter p;
    p.type = type, p.patchOffset = patchOffset, p.ranges = std::move(ranges);
    return p;
}

// The first block of goodLines, built by hand.
FixtureDefinition washBar()
{
    FixtureDefinition d;
    d.key = {12, 345, 2};
    FixtureModelSpec& modelSpec = d.model.modelSpec;
    modelSpec.manufacturerId = 12, modelSpec.productId = 345, modelSpec.name = QStringLiteral("Wash Bar");
    modelSpec.keys = {{4660, 17, 1}, {4660, 18, 0}};
    modelSpec.uuid = QUuid(QStringLiteral("{6f1d3c52-2b9e-4c55-9d34-0b1f1c2d3e4f}"));
    modelSpec.modelClass = 4, modelSpec.shape = 0, modelSpec.dimensionX = 40, modelSpec.dimensionY = 1024;
    modelSpec.dimmerCurve = 7, modelSpec.personality = 3, modelSpec.generatorVersion = 2 * 256 + 17;
    modelSpec.geometry = {{0, 0}, {98304, -131072}};
    d.model.patchMap = {{1, 1}, {7, 0}};
    d.model.functionNames = {{0, "Intensity"}, {7, "Strobe"}, {8, "Pan"}, {9, "Tilt"}};
    d.model.hueTables = {testHueTable()};

    FixtureModelElement a;
    a.name = QStringLiteral("Cell A");
    a.flags = FixtureModelElement::kInvertIntensity | FixtureModelElement::kHueParameters
        | FixtureModelElement::kAdditiveWhite;
    a.patchPoints = {{0, 2}, {5, 3}};
    a.constantChannels = {{4, 200}};
    a.duplicateChannels = {{0, 1}};
    a.panDeflection = 540, a.panOffset = 90;
    a.parameters[0] = parameter(2, 0, {{0, 65535, QStringLiteral("Dim +"), 0x02 | 0x10, {}}});
    a.parameters[0].highlightValue = 65535, a.parameters[0].crossfade = 2, a.parameters[0].paramDimmerCurve = 7;
    a.parameters[8] = parameter(0, 2, {{0, 255, QStringLiteral("snap, scan"), 0x04 | 0x20, {1 << 1 | 1 << 10}}});

    FixtureModelElement b;
    b.name = QStringLiteral("Cell B");
    b.tiltDeflection = 270, b.tiltOffset = 10;
    b.patchPoints = {{1, 1}};
    b.parameters[9] = parameter(1, 0, {{0, 255, QStringLiteral("Tilt"), 0, {}}});
    b.parameters[7] = parameter(-1, Parameter::kNoPatchOffset, {{0, 10, QStringLiteral("Off"), 0, {}}});
    b.parameters[7].unpatched = true;
    d.model.editElements() = {a, b};
    return d;
}

struct Parsed
{
    std::vector<FixtureDefinition> definitions;
    QStringList messages;
};

Parsed parse(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    ConcatenatingMessageHandler messages;
    Parsed parsed;
    parsed.definitions = parseFixtureFile(buffer, QStringLiteral("test.fixture"), messages);
    parsed.messages = messages.messages();
    return parsed;
}

QByteArray written(const std::vector<FixtureDefinition>& definitions)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(writeFixtureFile(buffer, definitions));
    return buffer.data();
}

}  // namespace

TEST(FixtureFile, EveryMappedKeywordGivesTheModelBuiltByHand)
{
    FixtureDefinition expected = washBar();
    QString message;
    ASSERT_TRUE(expected.model.validate(message)) << message.toStdString();
    // Validation gave each element's first patch point the group of its patch map entry.
    EXPECT_EQ(expected.model.elements()[0].patchPoints.front().group, 1u);
    EXPECT_EQ(expected.model.elements()[1].patchPoints.front().group, 7u);

    // CRLF line ends and a byte-order mark read the same as LF.
    for (const QByteArray& bytes :
         {goodLines().join('\n').toUtf8(), "\xEF\xBB\xBF" + goodLines().join(QStringLiteral("\r\n")).toUtf8()}) {
        const Parsed parsed = parse(bytes);
        EXPECT_EQ(parsed.messages, QStringList());
        ASSERT_EQ(parsed.definitions.size(), 2u);
        EXPECT_TRUE(parsed.definitions[0] == expected);
        EXPECT_EQ(parsed.definitions[1].model.modelSpec.name, QStringLiteral("Spot"));
        EXPECT_EQ(parsed.definitions[1].key, (FixtureModelKey {12, 346, 0}));
    }
}

TEST(FixtureFile, WriteThenParseIsEqualAndStable)
{
    const Parsed parsed = parse(goodLines().join('\n').toUtf8());
    ASSERT_EQ(parsed.definitions.size(), 2u);
    const QByteArray first = written(parsed.definitions);
    const Parsed again = parse(first);
    EXPECT_EQ(again.messages, QStringList());
    EXPECT_TRUE(again.definitions == parsed.definitions);
    EXPECT_EQ(written(again.definitions), first);

    EXPECT_EQ(written({parsed.definitions[1]}),
              QByteArray("version = 1\r\n"
                         "count = 1\r\n"
                         "fixture = Spot\r\n"
                         "manuid = 12\r\n"
                         "modelid = 346\r\n"
                         "modeid = 0\r\n"
                         "class = spot\r\n"
                         "shape = circular\r\n"
                         "dimensions = 4, 4\r\n"
                         "dimmercurve = linear\r\n"
                         "geometry = 0, 0\r\n"
                         "element = Head\r\n"
                         "patchgroup = fixture, 1\r\n"
                         "parameter = Intensity, 0\r\n"
                         "default = 0\r\n"
                         "highlight = 0\r\n"
                         "crossfade = linear\r\n"
                         "range = 0, 255\r\n"));

    // A line break in a name would start a line of its own.
    std::vector<FixtureDefinition> broken = {parsed.definitions[1]};
    broken[0].model.modelSpec.name = QStringLiteral("Spot\r\nspot\rx\ny");
    broken[0].model.editElements()[0].name = QStringLiteral("Head\nmanuid = 99");
    const Parsed mended = parse(written(broken));
    EXPECT_EQ(mended.messages, QStringList());
    ASSERT_EQ(mended.definitions.size(), 1u);
    EXPECT_EQ(mended.definitions[0].model.modelSpec.name, QStringLiteral("Spot spot x y"));
    EXPECT_EQ(mended.definitions[0].model.elements()[0].name, QStringLiteral("Head manuid = 99"));
    EXPECT_EQ(mended.definitions[0].model.modelSpec.manufacturerId, 12);
}

TEST(FixtureFile, OneChangedLineGivesItsErrorAndDropsOnlyItsBlock)
{
    const QString shortTable = QStringLiteral("3, ") + hueDigits().left(4094);
    // Line to change, its new text, the line reported, the message, whether the whole file is refused (else
    // the Wash Bar block is dropped and the Spot still loads). Without a message both blocks load.
    const std::tuple<const char*, QString, int, QString, bool> cases[] = {
        {"manuid = 12", "manuid = 65536", 6, "Invalid value 65536", false},
        {"manuid = 12", "manuid = 65534", 6, "", false},
        {"manuid = 12", "manuid = 65535", 5, "Invalid manufacturer id", false},  // the id of none
        {"modelid = 345", "modelid = 1024", 7, "Model id is greater than allowed maximum (1023)", false},
        {"modelid = 345", "modelid = 1023", 7, "", false},
        {"modelid = 345", "modelid = 1022", 7, "", false},
        {"modelid = 345", "modelid = 4294967295", 7, "Model id is greater than allowed maximum (1023)", false},
        {"modelid = 345", "modelid = 4294967296", 7, "Invalid value 4294967296", false},
        {"modeid = 2", "modeid = 255", 8, "", false},
        {"modeid = 2", "modeid = 256", 8, "Invalid value 256", false},
        {"rdmkey = 4660, 17, 1", "rdmkey = 65535, 65535, 255", 10, "", false},
        {"rdmkey = 4660, 17, 1", "rdmkey = 65535, 65535, 256", 10, "Invalid value 65535, 65535, 256", false},
        {"rdmkey = 4660, 17, 1", "rdmkey = 65535, 65536, 255", 10, "Invalid value 65535, 65536, 255", false},
        {"dimensions = 40, 2000", "dimensions = 65535, 65535", 15, "", false},
        {"dimensions = 40, 2000", "dimensions = 65535, 65536", 15, "Invalid value 65535, 65536", false},
        {"dimensions = 40, 2000", "dimensions = 65536, 1", 15, "Invalid value 65536, 1", false},
        {"personality = 3", "personality = 65535", 17, "", false},
        {"personality = 3", "personality = 65536", 17, "Invalid value 65536", false},
        {"generator = 2.17", "generator = 255.255", 18, "", false},
        {"generator = 2.17", "generator = 256.0", 18, "Invalid value 256.0", false},
        {"generator = 2.17", "generator = 0.256", 18, "Invalid value 0.256", false},
        {"patchmap = 7, 0", "patchmap = 255, 0", 22, "", false},
        {"patchmap = 7, 0", "patchmap = 7, 2", 5, "Patchmap contains duplicate or invalid entries", false},
        {"patchmap = 7, 0", "patchmap = 256, 0", 22, "Invalid value 256, 0", false},
        {"patchmap = 7, 0", "patchmap = 7, 65536", 22, "Invalid value 7, 65536", false},
        {"patchgroup = 5, 3", "patchgroup = 255, 3", 30, "", false},
        {"patchgroup = 5, 3", "patchgroup = 256, 3", 30, "Invalid value 256, 3", false},
        {"class = led", "class = LED", 13, "Invalid model class", false},
        {"shape = square", "shape = round", 14, "Invalid element shape", false},
        {"dimmercurve = squarelaw", "dimmercurve = s-curve", 16, "Invalid dimmer curve", false},
        {"estaid = 4660", "modeid = 1", 9, "Duplicate fixture keyword found", false},
        {"geometry = 1.5, -2", "geometry = 1.5", 20, "Invalid value 1.5", false},
        {"huetable = 3", "huetable = " + shortTable, 23, "Invalid value " + shortTable.left(40) + "...", false},
        {"hidden = 0", "manuid = 3", 25, "Keyword manuid is not allowed here", false},
        {"hidden = 0", "hidden = 2", 25, "Invalid value 2", false},
        {"white_mode = additive", "white_mode = warm", 28, "Invalid white mode", false},
        {"type = ltp16bit", "type = ltp32bit", 34, "Invalid parameter type", false},
        {"default = 0", "deflection = 5", 35, "deflection keyword is not allowed in function Intensity", false},
        {"highlight = 65535", "offset = 5", 36, "offset keyword is not allowed in function Intensity", false},
        {"crossfade = snap", "crossfade = fast", 37, "Invalid crossfade type", false},
        {"parameter = Pan, 2", "parameter = Zoom, 2", 39, "Unknown function Zoom", false},
        {"output = 1", "outputs = 1", 45, "Unknown keyword outputs", false},
        {"range = 0, 255, Tilt", "default = 3", 46, "No paramranges specified", false},
        {"patchgroup = fixture, 1", "patchgroup = fixture, 2", 44,
         "Number of channels in element doesn't match total footprint", false},
        {"hidden = 0", "hidden = 1", 5, "Geometry does not match visible element count", false},
        {"version = 1", "version = 2", 2, "Unsupported file version 2", true},
        {"// A library file", "fixture = Early", 1, "Unsupported file version", true},
        {"count = 2", "count = 4294967295", 3, "Fixture count doesn't match", true},
        {"count = 2", "", 5, "Fixture count doesn't match", true}};
    for (const auto& [original, changed, line, message, wholeFile] : cases) {
        QStringList lines = goodLines();
        const int index = lines.indexOf(QRegularExpression("^" + QRegularExpression::escape(original) + ".*"));
        ASSERT_GE(index, 0) << original;
        lines[index] = changed;
        const Parsed parsed = parse(lines.join('\n').toUtf8());
        const bool accepted = message.isEmpty();
        EXPECT_EQ(parsed.messages,
                  accepted ? QStringList()
                           : QStringList(QStringLiteral("test.fixture: Line %1: %2").arg(line).arg(message)))
            << changed.toStdString();
        ASSERT_EQ(parsed.definitions.size(), wholeFile ? 0u : accepted ? 2u : 1u) << changed.toStdString();
        if (!wholeFile) {
            EXPECT_EQ(parsed.definitions.back().model.modelSpec.name, QStringLiteral("Spot")) << original;
        }
    }
}

TEST(FixtureFile, AModelKeepsItsDefaultPositionUntilAGeometryLine)
{
    const auto spot = [](const QString& geometry) {
        return parse(QStringLiteral("version = 1\ncount = 1\nfixture = Spot\nmanuid = 12\nmodelid = 346\nclass = "
                                    "spot\ndimensions = 4, 4\n%1"
                                    "element = Head\npatchgroup = fixture, 1\nparameter = Intensity, 0\n"
                                    "range = 0, 255\n")
                         .arg(geometry)
                         .toUtf8());
    };
    // One element, no line: the default (0, 0); one line replaces it rather than adding to it.
    for (const auto& [line, position] :
         {std::pair {QString(), std::pair {0, 0}},
          std::pair {QStringLiteral("geometry = 1.5, -2\n"), std::pair {98304, -131072}}}) {
        const Parsed parsed = spot(line);
        EXPECT_EQ(parsed.messages, QStringList()) << line.toStdString();
        ASSERT_EQ(parsed.definitions.size(), 1u) << line.toStdString();
        EXPECT_EQ(parsed.definitions[0].model.modelSpec.geometry, (std::vector<std::pair<qint32, qint32>> {position}))
            << line.toStdString();
    }
    EXPECT_EQ(spot(QStringLiteral("geometry = 0, 0\ngeometry = 1, 0\n")).messages,
              QStringList(QStringLiteral("test.fixture: Line 3: Geometry does not match visible element count")));

    // Two visible elements and no line: one default position is still one too few.
    QStringList lines = goodLines();
    lines.removeAll(QStringLiteral("geometry = 0, 0"));
    lines.removeAll(QStringLiteral("geometry = 1.5, -2"));
    const Parsed washBar = parse(lines.join('\n').toUtf8());
    EXPECT_EQ(washBar.messages,
              QStringList(QStringLiteral("test.fixture: Line 5: Geometry does not match visible element count")));
    ASSERT_EQ(washBar.definitions.size(), 1u);
    EXPECT_EQ(washBar.definitions[0].model.modelSpec.name, QStringLiteral("Spot"));
    EXPECT_EQ(washBar.definitions[0].model.modelSpec.geometry, (std::vector<std::pair<qint32, qint32>> {{0, 0}}));
}

TEST(FixtureFile, LargeFilesAreRefusedUnread)
{
    QByteArray bytes = goodLines().join('\n').toUtf8() + '\n';
    bytes += QByteArray(int(16 * 1024 * 1024 - bytes.size()), ' ');
    const Parsed atBound = parse(bytes);
    EXPECT_EQ(atBound.messages, QStringList());
    EXPECT_EQ(atBound.definitions.size(), 2u);
    bytes += ' ';
    const Parsed over = parse(bytes);
    EXPECT_EQ(over.messages, QStringList(QStringLiteral("test.fixture: The file is larger than 16 MiB")));
    EXPECT_TRUE(over.definitions.empty());
}
