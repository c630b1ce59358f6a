#include "components/fixture_library/fixture_template_parser.h"

#include "components/fixture_library/library_files.h"
#include "components/lx_objects/fixtures/fixture_vocabulary.h"

#include <QDir>
#include <QIODevice>
#include <QObject>
#include <QStandardPaths>
#include <QUuid>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>

using namespace FixtureTemplate;

namespace {

enum class Kind { Text, Number, Named, Flag, Uuid };

struct Row
{
    Kind kind;
    int min;
    int max;
    QVariant defaultValue;
};

// The properties by id.
const Row& row(int id)
{
    using namespace FixtureVocabulary;
    static const Row rows[kPropertyCount] = {
        {Kind::Text, 0, 0, QObject::tr("New fixture")},
        {Kind::Number, 0, 1023, 0},
        {Kind::Number, 0, 65535, 0},
        {Kind::Number, 0, 255, 0},
        {Kind::Named, 0, tableSize(Table::ModelClasses) - 1, int(kLedClass)},
        {Kind::Named, 0, tableSize(Table::Shapes) - 1, int(kSquareShape)},
        {Kind::Number, 1, 256, 1},
        {Kind::Number, 1, 256, 1},
        {Kind::Number, 4, 1024, 10},
        {Kind::Number, 4, 1024, 10},
        {Kind::Named, 0, tableSize(Table::DimmerCurves) - 1, 0},
        {Kind::Flag, 0, 1, true},
        {Kind::Flag, 0, 1, false},
        {Kind::Flag, 0, 1, false},
        {Kind::Flag, 0, 1, false},
        {Kind::Flag, 0, 1, false},
        {Kind::Flag, 0, 1, false},
        {Kind::Flag, 0, 1, false},
        {Kind::Flag, 0, 1, false},
        {Kind::Flag, 0, 1, false},
        {Kind::Flag, 0, 1, false},
        {Kind::Flag, 0, 1, false},
        {Kind::Named, 0, 2, 0},
        {Kind::Uuid, 0, 0, QUuid()},
    };
    return rows[id];
}

QString nameOf(int id, int number)
{
    using FixtureVocabulary::Table;
    switch (id) {
    case kClass:
        return FixtureVocabulary::numberToName(Table::ModelClasses, number);
    case kShape:
        return FixtureVocabulary::numberToName(Table::Shapes, number);
    case kDimmerCurve:
        return FixtureVocabulary::numberToName(Table::DimmerCurves, number);
    default: {
        static const char* const whiteModes[] = {"balanced", "subtractive", "additive"};
        return number >= 0 && number < 3 ? QLatin1String(whiteModes[number]) : QString();
    }
    }
}

int numberOf(int id, const QString& name)
{
    for (int number = 0; number <= row(id).max; ++number) {
        if (nameOf(id, number) == name)
            return number;
    }
    return -1;
}

// A property's text in a file.
QString textOf(int id, const QVariant& value)
{
    switch (row(id).kind) {
    case Kind::Named:
        return nameOf(id, value.toInt());
    case Kind::Flag:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case Kind::Uuid: {
        const QUuid uuid = value.toUuid();
        return uuid.isNull() ? QString() : uuid.toString();
    }
    default:
        return value.toString();
    }
}

// A name is one line of printable text: a template file cannot hold most
// control characters, and a line break would not come back as written.
QVariant oneLineText(const QString& text)
{
    const bool printable =
        std::none_of(text.begin(), text.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
    return printable ? QVariant(text) : QVariant();
}

QVariant fromText(int id, const QString& text)
{
    const Row& r = row(id);
    switch (r.kind) {
    case Kind::Text:
        return oneLineText(text);
    case Kind::Number: {
        const auto number = decimalNumber(text, quint32(r.max));
        return number && int(*number) >= r.min ? QVariant(int(*number)) : QVariant();
    }
    case Kind::Named: {
        const int number = numberOf(id, text);
        return number >= 0 ? QVariant(number) : QVariant();
    }
    case Kind::Flag:
        return text == QLatin1String("1") ? QVariant(true) : text == QLatin1String("0") ? QVariant(false) : QVariant();
    case Kind::Uuid: {
        const QUuid uuid(text);
        return text.isEmpty() || !uuid.isNull() ? QVariant(uuid) : QVariant();
    }
    }
    return QVariant();
}

}  // namespace

quint32 FixtureTemplate::functionOf(int propertyId)
{
    using namespace FixtureVocabulary;
    static const quint32 functions[] = {
        kIntensityFunction, kCyanFunction,  kMagentaFunction,   kYellowFunction,    kColourTemperatureFunction,
        kAmberFunction,     kWhiteFunction, kWarmWhiteFunction, kCoolWhiteFunction, 7 /* Strobe */};
    return functions[propertyId - kFirstFunction];
}

FixtureTemplate::Values FixtureTemplateParser::defaults()
{
    Values values;
    for (int id = 0; id < kPropertyCount; ++id)
        values[id] = row(id).defaultValue;
    return values;
}

QVariant FixtureTemplateParser::checked(int propertyId, const QVariant& value)
{
    if (propertyId < 0 || propertyId >= kPropertyCount || !value.isValid())
        return QVariant();
    const Row& r = row(propertyId);
    switch (r.kind) {
    case Kind::Text:
        return oneLineText(value.toString());
    case Kind::Uuid:
        return value.userType() == QMetaType::QUuid ? value : fromText(propertyId, value.toString());
    case Kind::Named:
        if (value.userType() == QMetaType::QString)
            return fromText(propertyId, value.toString());
        [[fallthrough]];
    case Kind::Number:
    case Kind::Flag: {
        bool ok = false;
        const int number = value.toInt(&ok);
        if (!ok || number < r.min || number > r.max)
            return QVariant();
        return r.kind == Kind::Flag ? QVariant(number != 0) : QVariant(number);
    }
    }
    return QVariant();
}

bool FixtureTemplateParser::read(QIODevice& device, Values& values, QString& error)
{
    values = defaults();
    if (!device.isOpen() && !device.open(QIODevice::ReadOnly)) {
        error = QObject::tr("Cannot read the file (%1)").arg(device.errorString());
        return false;
    }
    const QByteArray data = device.read(kMaxLibraryFileSize + 1);
    if (data.size() > kMaxLibraryFileSize) {
        error = QObject::tr("The file is larger than 16 MiB");
        return false;
    }
    QXmlStreamReader xml(data);
    const auto fail = [&](const QString& text) {
        error = QObject::tr("Line %1: %2").arg(xml.lineNumber()).arg(text);
        return false;
    };
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("fixturetemplate")
        || xml.attributes().value(QLatin1String("version")) != QLatin1String("1"))
        return fail(QObject::tr("Not a version-1 fixture template"));
    std::array<bool, kPropertyCount> seen {};
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("property"))
            return fail(QObject::tr("Unknown element %1").arg(xml.name()));
        const QString idText = xml.attributes().value(QLatin1String("id")).toString();
        const auto id = decimalNumber(idText, kPropertyCount - 1);
        if (!id)
            return fail(QObject::tr("Unknown property %1").arg(shownValue(idText)));
        if (seen[*id])
            return fail(QObject::tr("Duplicate property %1").arg(*id));
        seen[*id] = true;
        const QString text = xml.readElementText();
        if (xml.hasError())
            break;
        const QVariant value = fromText(int(*id), text);
        if (!value.isValid())
            return fail(QObject::tr("Invalid value %1 for property %2").arg(shownValue(text), QString::number(*id)));
        values[*id] = value;
    }
    if (xml.hasError())
        return fail(xml.errorString());
    return true;
}

bool FixtureTemplateParser::write(QIODevice& device, const Values& values)
{
    QXmlStreamWriter xml(&device);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("fixturetemplate"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    for (int id = 0; id < kPropertyCount; ++id) {
        xml.writeStartElement(QStringLiteral("property"));
        xml.writeAttribute(QStringLiteral("id"), QString::number(id));
        xml.writeCharacters(textOf(id, values[id]));
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return !xml.hasError();
}

QString FixtureTemplateParser::templateFolder()
{
    const QString appData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return appData.isEmpty() ? QString() : appData + QStringLiteral("/templates");
}

QStringList FixtureTemplateParser::templateFiles()
{
    const QString folder = templateFolder();
    if (folder.isEmpty())
        return {};
    QStringList files;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name))
        files << dir.filePath(name);
    return files;
}
