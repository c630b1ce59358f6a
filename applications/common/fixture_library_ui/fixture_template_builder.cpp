#include "applications/common/fixture_library_ui/fixture_template_builder.h"

#include "applications/common/fixture_library_ui/fixture_template_preview_scene.h"
#include "components/fixture_library/fixture_library.h"
#include "components/lx_objects/fixtures/fixture_vocabulary.h"
#include "seltrane_components/os/atomic_file.h"
#include "seltrane_components/os/file_utils.h"

#include <QFile>
#include <QFileInfo>

using namespace FixtureTemplate;

FixtureTemplateBuilder::FixtureTemplateBuilder(const FixtureLibrary& library)
    : AbstractPropertyModel(nullptr), m_library(library), m_values(FixtureTemplateParser::defaults())
{
    propertyPresent.assign(kPropertyCount, true);
    m_scene = new FixtureTemplatePreviewScene(this);
    m_scene->templateChanged();
}

FixtureTemplateBuilder::~FixtureTemplateBuilder() = default;

QVariant FixtureTemplateBuilder::value(int propertyId) const
{
    if (propertyId < 0 || propertyId >= kPropertyCount || !propertyPresent[std::size_t(propertyId)])
        return QVariant();
    if (propertyId == kModelId && m_automaticModelId)
        return int(m_library.freeUserModelId(quint16(m_values[kManufacturer].toInt())));
    return m_values[std::size_t(propertyId)];
}

bool FixtureTemplateBuilder::setValue(int propertyId, const QVariant& value)
{
    const QVariant checked = FixtureTemplateParser::checked(propertyId, value);
    if (!checked.isValid())
        return false;
    m_values[std::size_t(propertyId)] = checked;
    if (propertyId == kModelId)
        m_automaticModelId = false;
    changed(propertyId);
    // The free model id is the manufacturer's.
    if (propertyId == kManufacturer && m_automaticModelId)
        changed(kModelId);
    return true;
}

AbstractPropertyModel::Flags FixtureTemplateBuilder::flags(int propertyId) const
{
    return propertyId == kModelId && m_automaticModelId ? Flags(Enabled | Marked) : Flags(Enabled);
}

void FixtureTemplateBuilder::setAutomaticModelId(bool automatic)
{
    if (automatic == m_automaticModelId)
        return;
    // The id shown so far stays when the flag goes, unless none was free.
    const QVariant shown = FixtureTemplateParser::checked(kModelId, value(kModelId));
    if (!automatic && shown.isValid())
        m_values[kModelId] = shown;
    m_automaticModelId = automatic;
    changed(kModelId);
}

void FixtureTemplateBuilder::changed(int propertyId)
{
    emit valueChanged(propertyId, value(propertyId));
    m_scene->templateChanged();
}

bool FixtureTemplateBuilder::loadTemplate(const QString& path, QString& error)
{
    QFile file(path);
    Values values;
    if (!FixtureTemplateParser::read(file, values, error))
        return false;
    m_values = values;
    for (int id = 0; id < kPropertyCount; ++id)
        changed(id);
    return true;
}

bool FixtureTemplateBuilder::saveTemplate(const QString& path, QString& error) const
{
    Values values = m_values;
    values[kModelId] = value(kModelId);
    AtomicFile file(path);
    const QString folder = QFileInfo(path).path();
    if (const int made = makeFolderPath(folder)) {
        error = tr("The template could not be saved as %1, as its folder %2 could not be made (%3)")
                    .arg(path, folder, systemErrorText(made));
        return false;
    }
    if (!file.open(QIODevice::WriteOnly) || !FixtureTemplateParser::write(file, values) || !file.commit()) {
        error = tr("The template could not be saved as %1 (%2)").arg(path, file.errorString());
        return false;
    }
    // In place: saved, even when its folder could not be synced.
    error = file.folderSyncFailure().isEmpty()
        ? QString()
        : tr("The template was saved as %1; its folder could not be synced (%2), so the file may not survive a power "
             "cut")
              .arg(path, file.folderSyncFailure());
    return true;
}

bool FixtureTemplateBuilder::buildModel(FixtureLibraryTypes::FixtureDefinition& definition, QString& message) const
{
    using namespace FixtureVocabulary;
    const auto number = [this](int id) { return value(id).toInt(); };
    FixtureModel model;
    FixtureModelSpec& modelSpec = model.modelSpec;
    modelSpec.name = value(kName).toString();
    modelSpec.manufacturerId = quint16(number(kManufacturer));
    modelSpec.productId = quint16(number(kModelId));
    modelSpec.uuid = value(kUuid).toUuid();
    modelSpec.modelClass = quint32(number(kClass));
    modelSpec.shape = quint32(number(kShape));
    modelSpec.setGeometrySize(quint16(number(kElementWidth)), quint16(number(kElementHeight)));
    modelSpec.dimmerCurve = quint32(number(kDimmerCurve));
    modelSpec.geometry.clear();

    static const quint16 whiteModeFlags[] = {0, FixtureModelElement::kSubtractiveWhite,
                                             FixtureModelElement::kAdditiveWhite};
    const bool wide = value(kSixteenBit).toBool();
    FixtureModelElement element;
    element.flags = whiteModeFlags[number(kWhiteMode)];
    quint16 offset = 0;
    for (int id = kFirstFunction; id <= kLastFunction; ++id) {
        if (!value(id).toBool())
            continue;
        const quint32 function = functionOf(id);
        const QString name =
            QLatin1String(std::find_if(standardFunctions(), standardFunctions() + kStandardFunctionCount,
                                       [function](const StandardFunction& row) { return row.id == function; })
                              ->name);
        Parameter parameter;
        // Intensity mixes highest-takes-precedence, the rest latest-takes-precedence.
        parameter.type = (function == kIntensityFunction ? 1 : 0) + (wide ? 2 : 0);
        parameter.patchOffset = offset;
        ParamRange range;
        range.from = 0;
        range.to = wide ? 65535 : 255;
        range.label = name;
        parameter.ranges.push_back(range);
        if (!parameter.validate(function, message))
            return false;
        offset = quint16(offset + parameter.footprint());
        element.parameters.emplace(function, parameter);
        model.functionNames.emplace(function, name);
    }
    element.patchPoints.push_back(
        PatchPointData {quint32(nameToNumber(Table::PatchGroups, QStringLiteral("fixture"))), offset});
    if (!element.validate(message))
        return false;

    std::vector<FixtureModelElement>& elements = model.editElements();
    const int columns = number(kColumns);
    const int rows = number(kRows);
    elements.reserve(std::size_t(columns * rows));
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            element.name = tr("Element %1").arg(elements.size() + 1);
            elements.push_back(element);
            modelSpec.geometry.emplace_back(column * 65536, row * 65536);
        }
    }
    if (!model.validate(message))
        return false;
    definition.key = FixtureModelKey {modelSpec.manufacturerId, modelSpec.productId, quint8(number(kMode))};
    definition.model = std::move(model);
    return true;
}
