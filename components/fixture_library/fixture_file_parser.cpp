#include "components/fixture_library/fixture_file.h"

#include "components/fixture_library/fixture_file_terms.h"
#include "components/fixture_library/library_files.h"
#include "components/fixture_library/message_handler.h"
#include "components/lx_objects/fixtures/fixture_vocabulary.h"

#include <QIODevice>
#include <QObject>
#include <QRegularExpression>

#include <cmath>
#include <limits>
#include <optional>
#include <set>

using namespace FixtureVocabulary;
using FixtureLibraryTypes::FixtureDefinition;

namespace {

constexpr quint64 kMaxModelId = 1023;
constexpr quint32 kMaxPatchGroup = 255;

// Where a keyword may stand: the model keywords before a block's first
// element, the element keywords in an element, the parameter keywords in a
// parameter. Unmapped keywords are accepted anywhere after the header and
// set nothing.
enum class Place { Model, Element, Parameter, Unmapped, Structure };

Place placeOf(int keyword)
{
    switch (keyword) {
    case kManuIdKeyword:
    case kModelIdKeyword:
    case kModeIdKeyword:
    case kRdmKeyKeyword:
    case kUuidKeyword:
    case kClassKeyword:
    case kDimensionsKeyword:
    case kDimmerCurveKeyword:
    case kShapeKeyword:
    case kPersonalityKeyword:
    case kGeneratorKeyword:
    case kGeometryKeyword:
    case kPatchMapKeyword:
    case kHueTableKeyword:
        return Place::Model;
    case kHiddenKeyword:
    case kInvertIntensityKeyword:
    case kHueParamsKeyword:
    case kWhiteModeKeyword:
    case kPatchGroupKeyword:
    case kConstantKeyword:
    case kDuplicateKeyword:
    case kParameterKeyword:
        return Place::Element;
    case kTypeKeyword:
    case kDefaultKeyword:
    case kHighlightKeyword:
    case kCrossfadeKeyword:
    case kDeflectionKeyword:
    case kOffsetKeyword:
    case kRangeKeyword:
        return Place::Parameter;
    case kEstaIdKeyword:
    case kRdmModelIdKeyword:
    case kRdmModeIdKeyword:
    case kAliasIdKeyword:
    case kStandardKeyword:
    case kElementCountKeyword:
    case kOutputKeyword:
    case kMovementKeyword:
    case kHueWhiteKeyword:
    case kNameKeyword:
    case kYokeKeyword:
    case kPatchDirectionKeyword:
        return Place::Unmapped;
    default:
        return Place::Structure;
    }
}

// Keywords that may stand more than once in one model, element or parameter.
bool repeats(int keyword)
{
    switch (keyword) {
    case kRdmKeyKeyword:
    case kGeometryKeyword:
    case kPatchMapKeyword:
    case kHueTableKeyword:
    case kPatchGroupKeyword:
    case kConstantKeyword:
    case kDuplicateKeyword:
    case kParameterKeyword:
    case kRangeKeyword:
        return true;
    default:
        return false;
    }
}

std::optional<quint32> number(const QString& text, quint32 max) { return decimalNumber(text, max); }

// The comma-separated fields of a value, trimmed, when there are count.
std::optional<QStringList> fields(const QString& value, int count)
{
    QStringList parts = value.split(QLatin1Char(','));
    if (parts.size() != count)
        return std::nullopt;
    for (QString& part : parts)
        part = part.trimmed();
    return parts;
}

// Both fields as numbers up to their maxima.
std::optional<std::pair<quint32, quint32>> numberPair(const QString& value, quint32 firstMax, quint32 secondMax)
{
    const auto parts = fields(value, 2);
    if (!parts)
        return std::nullopt;
    const auto first = number(parts->at(0), firstMax);
    const auto second = number(parts->at(1), secondMax);
    if (!first || !second)
        return std::nullopt;
    return std::make_pair(*first, *second);
}

// "intensity", "fixture" or a number.
std::optional<quint32> patchGroup(const QString& text)
{
    const int named = nameToNumber(Table::PatchGroups, text);
    if (named < tableSize(Table::PatchGroups))
        return quint32(named);
    return number(text, kMaxPatchGroup);
}

// A position in parseCells, as 16.16 fixed point.
std::optional<qint32> parseCells(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    const double scaled = std::round(value * 65536.0);
    if (scaled < double(std::numeric_limits<qint32>::min()) || scaled > double(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint32(scaled);
}

std::optional<bool> flag(const QString& text)
{
    if (text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("0"))
        return false;
    return std::nullopt;
}

int hexDigit(QChar c)
{
    const char ascii = c.toLatin1();
    if (ascii >= '0' && ascii <= '9')
        return ascii - '0';
    if (ascii >= 'a' && ascii <= 'f')
        return ascii - 'a' + 10;
    if (ascii >= 'A' && ascii <= 'F')
        return ascii - 'A' + 10;
    return -1;
}

// "header, digits": exactly the table's 2048 values as hex digits, so a
// table is never short and nothing is stored past it.
std::optional<HueTable> hueTable(const QString& value)
{
    const int comma = value.indexOf(QLatin1Char(','));
    if (comma < 0)
        return std::nullopt;
    const auto header = number(value.left(comma).trimmed(), 255);
    const QString digits = value.mid(comma + 1).trimmed();
    if (!header || digits.size() != int(2 * HueTable::kSize))
        return std::nullopt;
    HueTable table;
    table.header = quint8(*header);
    for (std::size_t i = 0; i < HueTable::kSize; ++i) {
        const int high = hexDigit(digits[int(2 * i)]);
        const int low = hexDigit(digits[int(2 * i + 1)]);
        if (high < 0 || low < 0)
            return std::nullopt;
        table.table[i] = quint8(high * 16 + low);
    }
    return table;
}

class Parser
{
public:
    Parser(const QString& fileName, MessageHandler& messages) : m_fileName(fileName), m_messages(messages) {}

    std::vector<FixtureDefinition> run(const QStringList& lines);

private:
    enum class Scope { None, Fixture, Element, Parameter };
    enum SeenSet { kModelSeen, kElementSeen, kParameterSeen };

    void bodyLine(int keyword, const QString& keywordText, const QString& value);
    bool modelKeyword(int keyword, const QString& value);
    bool elementKeyword(int keyword, const QString& value);
    bool parameterKeyword(int keyword, const QString& value);
    bool openParameter(const QString& value);
    bool range(const QString& value);
    bool firstUse(SeenSet set, int keyword);

    bool closeParameter();
    bool closeElement();
    void closeFixture();

    // Each reports "<file>: <text>" and drops the open block; false.
    bool fail(const QString& text);
    bool invalid(const QString& value);
    bool notAllowed(const QString& keywordText);
    bool failValidation(int line, const QString& message);

    QString m_fileName;
    MessageHandler& m_messages;
    int m_line = 0;
    std::vector<FixtureDefinition> m_done;
    quint32 m_blocks = 0;

    Scope m_scope = Scope::None;
    // The open block, or the lines before the first, had an error: lines are
    // skipped up to the next block.
    bool m_bad = false;
    bool m_elementsStarted = false;
    bool m_geometryRead = false;
    std::set<int> m_seen[3];
    FixtureDefinition m_block;
    int m_blockLine = 0;
    FixtureModelElement m_element;
    int m_elementLine = 0;
    Parameter m_parameter;
    const StandardFunction* m_function = nullptr;
    int m_parameterLine = 0;
};

std::vector<FixtureDefinition> Parser::run(const QStringList& lines)
{
    enum { kWantVersion, kWantCount, kInBody } stage = kWantVersion;
    quint32 count = 0;
    int countLine = 0;
    for (m_line = 1; m_line <= lines.size(); ++m_line) {
        const QString line = lines[m_line - 1].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1String("//")))
            continue;
        const int equals = line.indexOf(QLatin1Char('='));
        const QString keywordText = equals < 0 ? line : line.left(equals).trimmed();
        const QString value = equals < 0 ? QString() : line.mid(equals + 1).trimmed();
        const int keyword = nameToNumber(Table::Keywords, keywordText);
        if (stage == kWantVersion) {
            if (keyword != kVersionKeyword || value != QLatin1String("1")) {
                fail(QObject::tr("Line %1: Unsupported file version %2")
                         .arg(m_line)
                         .arg(keyword == kVersionKeyword ? shownValue(value) : QString())
                         .trimmed());
                return {};
            }
            stage = kWantCount;
        } else if (stage == kWantCount) {
            const auto stated = number(value, std::numeric_limits<quint32>::max());
            if (keyword != kCountKeyword) {
                fail(QObject::tr("Line %1: Fixture count doesn't match").arg(m_line));
                return {};
            }
            if (!stated) {
                invalid(value);
                return {};
            }
            count = *stated;
            countLine = m_line;
            stage = kInBody;
        } else {
            bodyLine(keyword, keywordText, value);
        }
    }
    m_line = lines.size();
    if (stage == kWantVersion) {
        fail(QObject::tr("Line %1: Unsupported file version %2").arg(m_line).arg(QString()).trimmed());
        return {};
    }
    if (stage == kWantCount) {
        fail(QObject::tr("Line %1: Fixture count doesn't match").arg(m_line));
        return {};
    }
    closeFixture();
    // A count that disagrees means a cut or damaged file: none of it is
    // trusted.
    if (m_blocks != count) {
        m_line = countLine;
        fail(QObject::tr("Line %1: Fixture count doesn't match").arg(countLine));
        return {};
    }
    return std::move(m_done);
}

void Parser::bodyLine(int keyword, const QString& keywordText, const QString& value)
{
    if (keyword == kFixtureKeyword) {
        closeFixture();
        ++m_blocks;
        m_scope = Scope::Fixture;
        m_bad = false;
        m_elementsStarted = false;
        for (std::set<int>& seen : m_seen)
            seen.clear();
        m_block = FixtureDefinition();
        m_block.model.modelSpec.name = value;
        m_geometryRead = false;
        m_blockLine = m_line;
        return;
    }
    if (m_bad)
        return;
    if (keyword < 0) {
        fail(QObject::tr("Line %1: Unknown keyword %2").arg(m_line).arg(shownValue(keywordText)));
        return;
    }
    switch (placeOf(keyword)) {
    case Place::Model:
        if (m_scope != Scope::Fixture || m_elementsStarted) {
            notAllowed(keywordText);
            return;
        }
        if (firstUse(kModelSeen, keyword))
            modelKeyword(keyword, value);
        return;
    case Place::Element:
        if (m_scope != Scope::Element && m_scope != Scope::Parameter) {
            notAllowed(keywordText);
            return;
        }
        if (closeParameter() && firstUse(kElementSeen, keyword))
            elementKeyword(keyword, value);
        return;
    case Place::Parameter:
        if (m_scope != Scope::Parameter) {
            notAllowed(keywordText);
            return;
        }
        if (firstUse(kParameterSeen, keyword))
            parameterKeyword(keyword, value);
        return;
    case Place::Unmapped:
        return;
    case Place::Structure:
        break;
    }
    if (keyword != kElementKeyword || m_scope == Scope::None) {
        notAllowed(keywordText);
        return;
    }
    if (!closeElement())
        return;
    m_element = FixtureModelElement();
    m_element.name = value;
    m_elementLine = m_line;
    m_seen[kElementSeen].clear();
    m_elementsStarted = true;
    m_scope = Scope::Element;
}

bool Parser::firstUse(SeenSet set, int keyword)
{
    if (repeats(keyword) || m_seen[set].insert(keyword).second)
        return true;
    return fail(QObject::tr("Line %1: Duplicate fixture keyword found").arg(m_line));
}

bool Parser::modelKeyword(int keyword, const QString& value)
{
    FixtureModelSpec& modelSpec = m_block.model.modelSpec;
    switch (keyword) {
    case kManuIdKeyword:
        if (const auto id = number(value, 65535)) {
            modelSpec.manufacturerId = m_block.key.manufacturerId = quint16(*id);
            return true;
        }
        break;
    case kModelIdKeyword:
        if (const auto id = number(value, std::numeric_limits<quint32>::max())) {
            if (*id > kMaxModelId)
                return fail(QObject::tr("Line %1: Model id is greater than allowed maximum (1023)").arg(m_line));
            modelSpec.productId = m_block.key.modelId = quint16(*id);
            return true;
        }
        break;
    case kModeIdKeyword:
        if (const auto mode = number(value, 255)) {
            m_block.key.modeId = quint8(*mode);
            return true;
        }
        break;
    case kRdmKeyKeyword:
        if (const auto parts = fields(value, 3)) {
            const auto manufacturer = number(parts->at(0), 65535);
            const auto model = number(parts->at(1), 65535);
            const auto mode = number(parts->at(2), 255);
            if (manufacturer && model && mode) {
                modelSpec.keys.insert(FixtureModelKey {quint16(*manufacturer), quint16(*model), quint8(*mode)});
                return true;
            }
        }
        break;
    case kUuidKeyword: {
        const QUuid uuid(value);
        if (!uuid.isNull()) {
            modelSpec.uuid = uuid;
            return true;
        }
        break;
    }
    case kClassKeyword: {
        const int modelClass = nameToNumber(Table::ModelClasses, value);
        if (modelClass >= tableSize(Table::ModelClasses))
            return fail(QObject::tr("Line %1: Invalid model class").arg(m_line));
        modelSpec.modelClass = quint32(modelClass);
        return true;
    }
    case kShapeKeyword: {
        const int shape = nameToNumber(Table::Shapes, value);
        if (shape >= tableSize(Table::Shapes))
            return fail(QObject::tr("Line %1: Invalid element shape").arg(m_line));
        modelSpec.shape = quint32(shape);
        return true;
    }
    case kDimmerCurveKeyword: {
        const int curve = nameToNumber(Table::DimmerCurves, value);
        if (curve >= tableSize(Table::DimmerCurves))
            return fail(QObject::tr("Line %1: Invalid dimmer curve").arg(m_line));
        modelSpec.dimmerCurve = quint32(curve);
        return true;
    }
    case kDimensionsKeyword:
        if (const auto size = numberPair(value, 65535, 65535)) {
            modelSpec.setGeometrySize(quint16(size->first), quint16(size->second));
            return true;
        }
        break;
    case kPersonalityKeyword:
        if (const auto personality = number(value, 65535)) {
            modelSpec.personality = quint16(*personality);
            return true;
        }
        break;
    case kGeneratorKeyword: {
        static const QRegularExpression versionPattern(QStringLiteral("^(\\d{1,3})\\.(\\d{1,3})$"));
        const QRegularExpressionMatch match = versionPattern.match(value);
        const auto major = match.hasMatch() ? number(match.captured(1), 255) : std::nullopt;
        const auto minor = match.hasMatch() ? number(match.captured(2), 255) : std::nullopt;
        if (major && minor) {
            modelSpec.generatorVersion = quint16(*major * 256 + *minor);
            return true;
        }
        break;
    }
    case kGeometryKeyword:
        if (const auto parts = fields(value, 2)) {
            const auto x = parseCells(parts->at(0));
            const auto y = parseCells(parts->at(1));
            if (x && y) {
                // The model's default single position stands until the first
                // "geometry" line; from there the lines list every position.
                if (!m_geometryRead)
                    modelSpec.geometry.clear();
                m_geometryRead = true;
                modelSpec.geometry.emplace_back(*x, *y);
                return true;
            }
        }
        break;
    case kPatchMapKeyword:
        if (const auto parts = fields(value, 2)) {
            const auto group = patchGroup(parts->at(0));
            const auto element = number(parts->at(1), 65535);
            if (group && element) {
                m_block.model.patchMap.push_back(PatchMapEntry {*group, quint16(*element)});
                return true;
            }
        }
        break;
    case kHueTableKeyword:
        if (const auto table = hueTable(value)) {
            m_block.model.hueTables.push_back(*table);
            return true;
        }
        break;
    default:
        break;
    }
    return invalid(value);
}

bool Parser::elementKeyword(int keyword, const QString& value)
{
    const auto setFlag = [&](quint16 bit) {
        const auto set = flag(value);
        if (!set)
            return invalid(value);
        m_element.flags = *set ? quint16(m_element.flags | bit) : quint16(m_element.flags & ~bit);
        return true;
    };
    switch (keyword) {
    case kHiddenKeyword:
        return setFlag(FixtureModelElement::kHidden);
    case kInvertIntensityKeyword:
        return setFlag(FixtureModelElement::kInvertIntensity);
    case kHueParamsKeyword:
        return setFlag(FixtureModelElement::kHueParameters);
    case kWhiteModeKeyword: {
        const int mode = FixtureFileTerms::whiteMode(value);
        if (mode < 0)
            return fail(QObject::tr("Line %1: Invalid white mode").arg(m_line));
        m_element.flags = quint16((m_element.flags & ~FixtureFileTerms::kWhiteModeMask) | quint16(mode));
        return true;
    }
    case kPatchGroupKeyword:
        if (const auto parts = fields(value, 2)) {
            const auto group = patchGroup(parts->at(0));
            const auto channels = number(parts->at(1), 65535);
            if (group && channels) {
                m_element.patchPoints.push_back(PatchPointData {*group, quint16(*channels)});
                return true;
            }
        }
        break;
    case kConstantKeyword:
        if (const auto constant = numberPair(value, 65535, 255)) {
            m_element.constantChannels.push_back(ConstChanInfo {quint16(constant->first), quint8(constant->second)});
            return true;
        }
        break;
    case kDuplicateKeyword:
        if (const auto duplicate = numberPair(value, 65535, 65535)) {
            m_element.duplicateChannels.push_back(
                DuplicateChanInfo {quint16(duplicate->first), quint16(duplicate->second)});
            return true;
        }
        break;
    case kParameterKeyword:
        return openParameter(value);
    default:
        break;
    }
    return invalid(value);
}

bool Parser::openParameter(const QString& value)
{
    const int comma = value.lastIndexOf(QLatin1Char(','));
    if (comma < 0)
        return invalid(value);
    const QString name = value.left(comma).trimmed();
    const QString offset = value.mid(comma + 1).trimmed();
    const StandardFunction* function = standardFunctionByName(name);
    if (!function)
        return fail(QObject::tr("Line %1: Unknown function %2").arg(m_line).arg(shownValue(name)));
    Parameter parameter;
    if (offset == QLatin1String("-")) {
        parameter.unpatched = true;
    } else if (const auto patchOffset = number(offset, 65535)) {
        parameter.patchOffset = quint16(*patchOffset);
    } else {
        return invalid(offset);
    }
    if (m_element.parameters.count(function->id))
        return fail(QObject::tr("Line %1: Duplicate fixture keyword found").arg(m_line));
    if (function->id == kIntensityFunction)
        parameter.paramDimmerCurve = quint16(m_block.model.modelSpec.dimmerCurve);
    m_parameter = parameter;
    m_function = function;
    m_parameterLine = m_line;
    m_seen[kParameterSeen].clear();
    m_scope = Scope::Parameter;
    return true;
}

bool Parser::parameterKeyword(int keyword, const QString& value)
{
    switch (keyword) {
    case kTypeKeyword: {
        const int type = nameToNumber(Table::ParameterTypes, value);
        if (type >= tableSize(Table::ParameterTypes))
            return fail(QObject::tr("Line %1: Invalid parameter type").arg(m_line));
        m_parameter.type = type;
        return true;
    }
    case kDefaultKeyword:
    case kHighlightKeyword:
        if (const auto level = number(value, 65535)) {
            (keyword == kDefaultKeyword ? m_parameter.defaultValue : m_parameter.highlightValue) = quint16(*level);
            return true;
        }
        break;
    case kCrossfadeKeyword: {
        const int crossfade = nameToNumber(Table::Crossfades, value);
        if (crossfade >= tableSize(Table::Crossfades))
            return fail(QObject::tr("Line %1: Invalid crossfade type").arg(m_line));
        m_parameter.crossfade = quint32(crossfade + 1);
        return true;
    }
    case kDeflectionKeyword:
    case kOffsetKeyword: {
        const bool pan = m_function->id == kPanFunction;
        if (!pan && m_function->id != kTiltFunction) {
            const QString name = QLatin1String(m_function->name);
            return fail(
                keyword == kDeflectionKeyword
                    ? QObject::tr("Line %1: deflection keyword is not allowed in function %2").arg(m_line).arg(name)
                    : QObject::tr("Line %1: offset keyword is not allowed in function %2").arg(m_line).arg(name));
        }
        const auto degrees = number(value, 65535);
        if (!degrees)
            break;
        if (keyword == kDeflectionKeyword)
            (pan ? m_element.panDeflection : m_element.tiltDeflection) = quint16(*degrees);
        else
            (pan ? m_element.panOffset : m_element.tiltOffset) = quint16(*degrees);
        return true;
    }
    case kRangeKeyword:
        return range(value);
    default:
        break;
    }
    return invalid(value);
}

bool Parser::range(const QString& value)
{
    QStringList parts = value.split(QLatin1Char(','));
    for (QString& part : parts)
        part = part.trimmed();
    const auto from = parts.size() >= 2 ? number(parts[0], 65535) : std::nullopt;
    const auto to = parts.size() >= 2 ? number(parts[1], 65535) : std::nullopt;
    if (!from || !to)
        return invalid(value);
    ParamRange range;
    range.from = quint16(*from);
    range.to = quint16(*to);
    QStringList label;
    for (int i = 2; i < parts.size(); ++i) {
        const int modifier = nameToNumber(Table::RangeModifiers, parts[i]);
        if (modifier < tableSize(Table::RangeModifiers))
            range.modifier |= FixtureFileTerms::kModifierBits[modifier];
        else if (!parts[i].isEmpty())
            label << parts[i];
    }
    range.label = label.join(QLatin1String(", "));
    if (range.label.endsWith(QLatin1Char('+')))
        range.modifier |= FixtureFileTerms::kPlusLabelModifier;
    for (int mode = 0; mode < tableSize(Table::RangeModes); ++mode) {
        if (range.label.contains(numberToName(Table::RangeModes, mode)))
            range.mode.bits |= quint16(1u << mode);
    }
    m_parameter.ranges.push_back(range);
    return true;
}

bool Parser::closeParameter()
{
    if (m_scope != Scope::Parameter)
        return true;
    m_scope = Scope::Element;
    QString message;
    if (!m_parameter.validate(m_function->id, message))
        return failValidation(m_parameterLine, message);
    m_element.parameters.emplace(m_function->id, m_parameter);
    m_block.model.functionNames[m_function->id] = QLatin1String(m_function->name);
    return true;
}

bool Parser::closeElement()
{
    if (!closeParameter())
        return false;
    if (m_scope != Scope::Element)
        return true;
    m_scope = Scope::Fixture;
    QString message;
    if (!m_element.validate(message))
        return failValidation(m_elementLine, message);
    m_block.model.editElements().push_back(m_element);
    return true;
}

void Parser::closeFixture()
{
    if (m_scope != Scope::None && !m_bad && closeElement()) {
        QString message;
        if (!m_block.model.validate(message))
            failValidation(m_blockLine, message);
        else
            m_done.push_back(m_block);
    }
    m_scope = Scope::None;
}

bool Parser::fail(const QString& text)
{
    m_messages.addMessage(m_fileName + QLatin1String(": ") + text);
    m_bad = true;
    return false;
}

bool Parser::invalid(const QString& value)
{
    return fail(QObject::tr("Line %1: Invalid value %2").arg(m_line).arg(shownValue(value)));
}

bool Parser::notAllowed(const QString& keywordText)
{
    return fail(QObject::tr("Line %1: Keyword %2 is not allowed here").arg(m_line).arg(keywordText));
}

bool Parser::failValidation(int line, const QString& message)
{
    return fail(QObject::tr("Line %1: %2").arg(line).arg(message));
}

}  // namespace

std::vector<FixtureDefinition> parseFixtureFile(QIODevice& device, const QString& fileName, MessageHandler& messages)
{
    QStringList lines;
    if (!readTextLines(device, fileName, messages, lines))
        return {};
    return Parser(fileName, messages).run(lines);
}
