#include "applications/common/fixture_library_ui/fixture_template_preview_scene.h"

#include "applications/common/fixture_library_ui/fixture_template_builder.h"
#include "applications/common/util/tarvel_style.h"
#include "components/lx_objects/fixtures/fixture_vocabulary.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

using namespace FixtureTemplate;

FixtureTemplatePreviewScene::FixtureTemplatePreviewScene(FixtureTemplateBuilder* builder)
    : PlanScene(builder), m_builder(*builder)
{}

void FixtureTemplatePreviewScene::templateChanged()
{
    const int width = m_builder.value(kElementWidth).toInt();
    const int height = m_builder.value(kElementHeight).toInt();
    setSceneRect(0, 0, m_builder.value(kColumns).toInt() * width, m_builder.value(kRows).toInt() * height);
    update();
}

void FixtureTemplatePreviewScene::setSelection(const std::set<int>& elements)
{
    m_selection = elements;
    update();
}

void FixtureTemplatePreviewScene::drawBackground(QPainter* painter, const QRectF& rect)
{
    painter->fillRect(rect, colourOffWhite);
    const int columns = m_builder.value(kColumns).toInt();
    const int rows = m_builder.value(kRows).toInt();
    const double width = m_builder.value(kElementWidth).toInt();
    const double height = m_builder.value(kElementHeight).toInt();
    const bool circular = m_builder.value(kShape).toInt() == int(FixtureVocabulary::kCircularShape);
    // Only the cells the exposed rectangle touches: a grid may hold 65536.
    const auto first = [](double edge, double size) { return std::max(0, int(std::floor(edge / size))); };
    const auto last = [](double edge, double size, int count) {
        return std::min(count - 1, int(std::floor(edge / size)));
    };
    painter->save();
    // Rectangles stay sharp; circles need smoothing.
    painter->setRenderHint(QPainter::Antialiasing, circular);
    painter->setBrush(colourButtonGrey);
    for (int row = first(rect.top(), height); row <= last(rect.bottom(), height, rows); ++row) {
        for (int column = first(rect.left(), width); column <= last(rect.right(), width, columns); ++column) {
            const bool selected = m_selection.count(row * columns + column) > 0;
            QPen pen(selected ? colourAccentBlue : colourMidGrey, selected ? 2 : 1);
            pen.setCosmetic(true);
            painter->setPen(pen);
            // A small gap keeps neighbouring outlines apart.
            const QRectF cell = QRectF(column * width, row * height, width, height)
                                    .adjusted(width / 20, height / 20, -width / 20, -height / 20);
            if (circular)
                painter->drawEllipse(cell);
            else
                painter->drawRect(cell);
        }
    }
    painter->restore();
}
