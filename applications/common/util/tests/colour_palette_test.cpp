#include "applications/common/util/colour_palette.h"
#include "applications/common/util/colour_swatch.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Counts the model tester's complaints so that they fail the test.
int s_modelFailures = 0;
QtMessageHandler s_previousHandler = nullptr;

void countModelFailures(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (context.category && qstrcmp(context.category, "qt.modeltest") == 0)
        ++s_modelFailures;
    s_previousHandler(type, context, text);
}

} // namespace

// Runs first in this executable: the model must come into being, empty, when
// a palette dies before anyone asked for it.
TEST(ColourPalette, NewPaletteIsEmptyAndItsDeathCreatesAnEmptyModel)
{
    auto palette = std::make_unique<ColourPalette>();
    EXPECT_TRUE(palette->name().isEmpty());
    EXPECT_TRUE(palette->colours().isEmpty());
    palette.reset();
    EXPECT_EQ(ColourPaletteModel::instance()->rowCount(), 0);
}

TEST(ColourPalette, ModelIsAFlatOneColumnListWithoutData)
{
    s_previousHandler = qInstallMessageHandler(countModelFailures);
    ColourPaletteModel* model = ColourPaletteModel::instance();
    auto tester = std::make_unique<QAbstractItemModelTester>(model, QAbstractItemModelTester::FailureReportingMode::Warning);

    auto first = std::make_unique<ColourPalette>();
    auto second = std::make_unique<ColourPalette>();
    model->addPalette(first.get());
    model->addPalette(second.get());
    model->addPalette(second.get()); // listed once only
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->columnCount(), 1);

    const QModelIndex index = model->index(1, 0);
    ASSERT_TRUE(index.isValid());
    EXPECT_EQ(index.internalPointer(), second.get());
    EXPECT_FALSE(model->parent(index).isValid());
    EXPECT_FALSE(model->data(index, Qt::DisplayRole).isValid());
    EXPECT_FALSE(model->index(0, 1).isValid());
    EXPECT_FALSE(model->index(2, 0).isValid());
    EXPECT_FALSE(model->index(-1, 0).isValid());
    EXPECT_EQ(model->rowCount(index), 0);
    EXPECT_FALSE(model->index(0, 0, index).isValid());

    QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
    first.reset();
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed.at(0).at(1).toInt(), 0);
    EXPECT_EQ(removed.at(0).at(2).toInt(), 0);
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->index(0, 0).internalPointer(), second.get());

    // A palette that was never listed leaves the model alone.
    { ColourPalette unlisted; }
    EXPECT_EQ(removed.count(), 1);

    second.reset();
    EXPECT_EQ(model->rowCount(), 0);
    tester.reset();
    qInstallMessageHandler(s_previousHandler);
    EXPECT_EQ(s_modelFailures, 0);
}

TEST(ColourSwatch, NewSwatchHoldsThreeOpaqueBlackEntries)
{
    ColourSwatch swatch;
    EXPECT_EQ(swatch.entryCount(), 3u);
    ASSERT_EQ(swatch.entries().size(), 3u);
    for (const ColourSwatch::Entry& entry : swatch.entries()) {
        EXPECT_EQ(entry.colour, 0xFF000000u);
        EXPECT_EQ(entry.byte0, 128);
        EXPECT_EQ(entry.byte1, 24);
    }
}

TEST(ColourSwatch, DestroyingTheActiveSwatchClearsItOnce)
{
    auto active = std::make_unique<ColourSwatch>();
    auto other = std::make_unique<ColourSwatch>();
    ASSERT_EQ(ColourSwatch::activeSwatch(), nullptr);

    QSignalSpy activeSpy(active.get(), &ColourSwatch::activeSwatchChanged);
    QSignalSpy otherSpy(other.get(), &ColourSwatch::activeSwatchChanged);
    ColourSwatch::setActiveSwatch(active.get());
    ColourSwatch::setActiveSwatch(active.get()); // no change, no signal
    EXPECT_EQ(activeSpy.count(), 1);
    EXPECT_EQ(ColourSwatch::activeSwatch(), active.get());

    other.reset();
    EXPECT_EQ(otherSpy.count(), 0);
    EXPECT_EQ(ColourSwatch::activeSwatch(), active.get());

    active.reset();
    EXPECT_EQ(activeSpy.count(), 2);
    EXPECT_EQ(ColourSwatch::activeSwatch(), nullptr);
}
