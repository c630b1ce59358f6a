// FixtureTemplatePreviewScene shows the element grid of its builder's
// template: one cell per element, element width by height in scene units,
// filled in the style's button grey and outlined in mid grey, the selected
// elements outlined in accent blue. It draws the cells as its background and
// keeps every behaviour of PlanScene otherwise.
//
// The builder owns the scene (as its parent). GUI thread only.
#ifndef APPLICATIONS_COMMON_FIXTURE_LIBRARY_UI_FIXTURE_TEMPLATE_PREVIEW_SCENE_H
#define APPLICATIONS_COMMON_FIXTURE_LIBRARY_UI_FIXTURE_TEMPLATE_PREVIEW_SCENE_H

#include "applications/common/util/plan_scene.h"

#include <set>

class FixtureTemplateBuilder;

class FixtureTemplatePreviewScene : public PlanScene
{
    Q_OBJECT

public:
    explicit FixtureTemplatePreviewScene(FixtureTemplateBuilder* builder);

    // Fits the scene rectangle to the builder's grid and repaints.
    void templateChanged();
    // Elements by index, row by row.
    void setSelection(const std::set<int>& elements);

protected:
    void drawBackground(QPainter* painter, const QRectF& rect) override;

private:
    const FixtureTemplateBuilder& m_builder;
    std::set<int> m_selection;
};

#endif  // APPLICATIONS_COMMON_FIXTURE_LIBRARY_UI_FIXTURE_TEMPLATE_PREVIEW_SCENE_H
