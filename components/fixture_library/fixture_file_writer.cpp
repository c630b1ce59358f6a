#include "components/fixture_library/fixture_file.h"

#include "components/fixture_library/fixture_file_terms.h"
#include "components/lx_objects/fixtures/fixture_vocabulary.h"

#include <QIODevice>
#include <QLocale>

using namespace FixtureVocabulary;
using FixtureLibraryTypes::FixtureDefinition;

namespace {

class Writer
{
public:
    void definition(const FixtureDefinition& definition);
    void line(int keyword, const QString& value);
    const QByteArray& bytes() const { return m_bytes; }

private:
    void element(const FixtureModelElement& element, const FixtureModel& model);
    void parameter(quint32 functionId, const Parameter& parameter, const FixtureModelElement& element,
                   const FixtureModel& model);

    QByteArray m_bytes;
};

QString numbers(quint32 first, quint32 second) { return QStringLiteral("%1, %2").arg(first).arg(second); }

QString patchGroupName(quint32 group)
{
    const QString name = numberToName(Table::PatchGroups, int(group));
    return name.isEmpty() ? QString::number(group) : name;
}

// A 16.16 position in cellsText: whole cellsText as integers, others as the
// shortest decimal that reads back to the same value.
QString cellsText(qint32 position)
{
    if (position % 65536 == 0)
        return QString::number(position / 65536);
    return QString::number(double(position) / 65536.0, 'g', QLocale::FloatingPointShortest);
}

QString functionName(quint32 id, const FixtureModel& model)
{
    const StandardFunction* rows = standardFunctions();
    for (std::size_t i = 0; i < kStandardFunctionCount; ++i) {
        if (rows[i].id == id)
            return QLatin1String(rows[i].name);
    }
    const auto named = model.functionNames.find(id);
    return named != model.functionNames.end() ? named->second : QString::number(id);
}

void Writer::line(int keyword, const QString& value)
{
    if (keyword < 0 || keyword >= kKeywordCount)
        return;
    // A line break would start a line of its own that reads back as another
    // keyword.
    QString oneLine = value;
    oneLine.replace(QLatin1String("\r\n"), QLatin1String(" "));
    oneLine.replace(QLatin1Char('\r'), QLatin1Char(' '));
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    m_bytes += numberToName(Table::Keywords, keyword).toUtf8() + " = " + oneLine.toUtf8() + "\r\n";
}

void Writer::definition(const FixtureDefinition& definition)
{
    const FixtureModel& model = definition.model;
    const FixtureModelSpec& modelSpec = model.modelSpec;
    line(kFixtureKeyword, modelSpec.name);
    line(kManuIdKeyword, QString::number(modelSpec.manufacturerId));
    if (modelSpec.productId != FixtureModelSpec::kInvalidId)
        line(kModelIdKeyword, QString::number(modelSpec.productId));
    line(kModeIdKeyword, QString::number(definition.key.modeId));
    for (const FixtureModelKey& key : modelSpec.keys)
        line(kRdmKeyKeyword, QStringLiteral("%1, %2, %3").arg(key.manufacturerId).arg(key.modelId).arg(key.modeId));
    if (!modelSpec.uuid.isNull())
        line(kUuidKeyword, modelSpec.uuid.toString());
    const QString modelClass = numberToName(Table::ModelClasses, int(modelSpec.modelClass));
    if (!modelClass.isEmpty())
        line(kClassKeyword, modelClass);
    const QString shape = numberToName(Table::Shapes, int(modelSpec.shape));
    if (!shape.isEmpty())
        line(kShapeKeyword, shape);
    if (modelSpec.dimensionX != FixtureModelSpec::kUninitialisedDimension
        && modelSpec.dimensionY != FixtureModelSpec::kUninitialisedDimension)
        line(kDimensionsKeyword, numbers(modelSpec.dimensionX, modelSpec.dimensionY));
    const QString curve = numberToName(Table::DimmerCurves, int(modelSpec.dimmerCurve));
    if (!curve.isEmpty())
        line(kDimmerCurveKeyword, curve);
    if (modelSpec.personality != 65535)
        line(kPersonalityKeyword, QString::number(modelSpec.personality));
    if (modelSpec.generatorVersion != 65535)
        line(kGeneratorKeyword,
             QStringLiteral("%1.%2").arg(modelSpec.generatorVersion >> 8).arg(modelSpec.generatorVersion & 0xFF));
    for (const auto& position : modelSpec.geometry)
        line(kGeometryKeyword, cellsText(position.first) + QLatin1String(", ") + cellsText(position.second));
    for (const PatchMapEntry& entry : model.patchMap)
        line(kPatchMapKeyword,
             patchGroupName(entry.patchValue) + QLatin1String(", ") + QString::number(entry.elementIndex));
    for (const HueTable& table : model.hueTables) {
        const QByteArray values(reinterpret_cast<const char*>(table.table.data()), int(table.table.size()));
        line(kHueTableKeyword,
             QString::number(table.header) + QLatin1String(", ") + QString::fromLatin1(values.toHex()));
    }
    for (const FixtureModelElement& element : model.elements())
        this->element(element, model);
}

void Writer::element(const FixtureModelElement& element, const FixtureModel& model)
{
    line(kElementKeyword, element.name);
    const std::pair<int, quint16> flags[] = {{kHiddenKeyword, FixtureModelElement::kHidden},
                                             {kInvertIntensityKeyword, FixtureModelElement::kInvertIntensity},
                                             {kHueParamsKeyword, FixtureModelElement::kHueParameters}};
    for (const auto& [keyword, bit] : flags) {
        if (element.flags & bit)
            line(keyword, QStringLiteral("1"));
    }
    if (element.flags & FixtureFileTerms::kWhiteModeMask)
        line(kWhiteModeKeyword, FixtureFileTerms::whiteModeName(element.flags));
    for (const PatchPointData& point : element.patchPoints)
        line(kPatchGroupKeyword,
             patchGroupName(point.group) + QLatin1String(", ") + QString::number(point.channelCount));
    for (const ConstChanInfo& constant : element.constantChannels)
        line(kConstantKeyword, numbers(constant.channel, constant.value));
    for (const DuplicateChanInfo& duplicate : element.duplicateChannels)
        line(kDuplicateKeyword, numbers(duplicate.first, duplicate.second));
    for (const auto& [functionId, parameter] : element.parameters)
        this->parameter(functionId, parameter, element, model);
}

void Writer::parameter(quint32 functionId, const Parameter& parameter, const FixtureModelElement& element,
                       const FixtureModel& model)
{
    const QString offset = parameter.unpatched ? QStringLiteral("-") : QString::number(parameter.patchOffset);
    line(kParameterKeyword, functionName(functionId, model) + QLatin1String(", ") + offset);
    const QString type = numberToName(Table::ParameterTypes, parameter.type);
    if (!type.isEmpty())
        line(kTypeKeyword, type);
    line(kDefaultKeyword, QString::number(parameter.defaultValue));
    line(kHighlightKeyword, QString::number(parameter.highlightValue));
    const QString crossfade = numberToName(Table::Crossfades, int(parameter.crossfade) - 1);
    if (!crossfade.isEmpty())
        line(kCrossfadeKeyword, crossfade);
    if (functionId == kPanFunction || functionId == kTiltFunction) {
        const bool pan = functionId == kPanFunction;
        line(kDeflectionKeyword, QString::number(pan ? element.panDeflection : element.tiltDeflection));
        line(kOffsetKeyword, QString::number(pan ? element.panOffset : element.tiltOffset));
    }
    for (const ParamRange& range : parameter.ranges) {
        QString value = numbers(range.from, range.to);
        if (!range.label.isEmpty())
            value += QLatin1String(", ") + range.label;
        for (int modifier = 0; modifier < tableSize(Table::RangeModifiers); ++modifier) {
            if (range.modifier & FixtureFileTerms::kModifierBits[modifier])
                value += QLatin1String(", ") + numberToName(Table::RangeModifiers, modifier);
        }
        line(kRangeKeyword, value);
    }
}

}  // namespace

bool writeFixtureFile(QIODevice& device, const std::vector<FixtureDefinition>& definitions)
{
    Writer writer;
    writer.line(kVersionKeyword, QStringLiteral("1"));
    writer.line(kCountKeyword, QString::number(definitions.size()));
    for (const FixtureDefinition& definition : definitions)
        writer.definition(definition);
    return device.write(writer.bytes()) == writer.bytes().size();
}
