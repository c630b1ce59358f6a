#include "applications/common/util/colour_palette.h"
#include "applications/common/util/colour_swatch.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <list>
#include <memory>

// Runs first in this executable: the model must come into being, empty, when
// a palette dies before anyone asked for it.
TEST(ColourPalette, DeathOfAnUnlistedPaletteCreatesAnEmptyModel)
{
    std::make_unique<ColourPalette>().reset();
    EXPECT_EQ(ColourPaletteModel::instance()->rowCount(), 0);
}

TEST(ColourPalette, ModelIsAFlatOneColumnListWithoutData)
{
    ColourPaletteModel* model = ColourPaletteModel::instance();
    // Any inconsistency the tester sees in the model's signals or answers aborts the test.
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);

    auto first = std::make_unique<ColourPalette>();
    auto second = std::make_unique<ColourPalette>();
    model->addPalette(first.get());
    model->addPalette(second.get());
    model->addPalette(second.get()); // listed once only
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->columnCount(), 1);

    const QModelIndex index = model->index(1, 0);
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
    EXPECT_EQ(removed.at(0).mid(1), (QList<QVariant>{0, 0}));
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->index(0, 0).internalPointer(), second.get());

    // A palette that was never listed leaves the model alone.
    { ColourPalette unlisted; }
    EXPECT_EQ(removed.count(), 1);

    second.reset();
    EXPECT_EQ(model->rowCount(), 0);
}

TEST(ColourSwatch, DefaultsAndDestroyingTheActiveSwatch)
{
    auto active = std::make_unique<ColourSwatch>();
    auto other = std::make_unique<ColourSwatch>();
    EXPECT_EQ(active->entryCount(), 3u);
    EXPECT_EQ(active->entries(), std::list<ColourSwatch::Entry>(3, ColourSwatch::Entry{0xFF000000u, 128, 24}));
    ASSERT_EQ(ColourSwatch::activeSwatch(), nullptr);

    QSignalSpy activeSpy(active.get(), &ColourSwatch::activeSwatchChanged);
    QSignalSpy otherSpy(other.get(), &ColourSwatch::activeSwatchChanged);
    ColourSwatch::setActiveSwatch(active.get());
    ColourSwatch::setActiveSwatch(active.get()); // no change, no signal
    EXPECT_EQ(activeSpy.count(), 1);
    other.reset();
    EXPECT_EQ(otherSpy.count(), 0);
    EXPECT_EQ(ColourSwatch::activeSwatch(), active.get());
    active.reset();
    EXPECT_EQ(activeSpy.count(), 2);
    EXPECT_EQ(ColourSwatch::activeSwatch(), nullptr);
}
