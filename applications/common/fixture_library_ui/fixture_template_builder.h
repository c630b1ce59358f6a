// FixtureTemplateBuilder offers the 24 properties of a fixture template to a
// property sheet and builds a fixture model from them: a grid of columns x
// rows elements, each with the offered functions at consecutive channel
// offsets in one "fixture" patch point, and one geometry position.
//
// Its own flag, "automatic model id", is set at first: property 1 then
// answers the lowest model id that the user library leaves free for the
// manufacturer, and its flags are Enabled | Marked (257); every other
// property, and property 1 otherwise, is Enabled (1). Setting property 1
// clears the flag.
//
// The builder owns its preview scene and reads the library it is given,
// which must outlive it. GUI thread only.
#ifndef APPLICATIONS_COMMON_FIXTURE_LIBRARY_UI_FIXTURE_TEMPLATE_BUILDER_H
#define APPLICATIONS_COMMON_FIXTURE_LIBRARY_UI_FIXTURE_TEMPLATE_BUILDER_H

#include "applications/common/util/abstract_property_model.h"
#include "components/fixture_library/fixture_library_types.h"
#include "components/fixture_library/fixture_template_parser.h"

class FixtureLibrary;
class FixtureTemplatePreviewScene;

class FixtureTemplateBuilder : public AbstractPropertyModel
{
    Q_OBJECT

public:
    explicit FixtureTemplateBuilder(const FixtureLibrary& library);
    ~FixtureTemplateBuilder() override;

    // Answers for ids below 24 only.
    QVariant value(int propertyId) const override;
    // False, changing nothing, for an unknown id or a value that does not fit.
    bool setValue(int propertyId, const QVariant& value) override;
    Flags flags(int propertyId) const override;

    bool automaticModelId() const { return m_automaticModelId; }
    void setAutomaticModelId(bool automatic);

    // Takes every property from the file; on false error says why and
    // nothing changed.
    bool loadTemplate(const QString& path, QString& error);
    // Writes the current values (property 1 as it answers now), making the
    // folder it goes into. False, with error saying why, when the file was
    // not saved; true once it is in place, with error empty, or a note that
    // its folder could not be synced.
    bool saveTemplate(const QString& path, QString& error) const;

    // The model of the current values; false, with the validation message,
    // when it is not usable.
    bool buildModel(FixtureLibraryTypes::FixtureDefinition& definition, QString& message) const;

    FixtureTemplatePreviewScene* previewScene() const { return m_scene; }

private:
    void changed(int propertyId);

    const FixtureLibrary& m_library;
    FixtureTemplate::Values m_values;
    bool m_automaticModelId = true;
    FixtureTemplatePreviewScene* m_scene;  // a child
};

#endif  // APPLICATIONS_COMMON_FIXTURE_LIBRARY_UI_FIXTURE_TEMPLATE_BUILDER_H
