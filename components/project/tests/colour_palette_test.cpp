#include "components/project/colour_palette.h"
#include "components/project/colour_swatch.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <memory>

// Runs first in this executable: a palette dying before anyone asked for the model creates it, empty.
TEST(ColourPalette, ModelListsLivePalettesOnce)
{
    std::make_unique<ColourPalette>().reset();
    ColourPaletteModel* model = ColourPaletteModel::instance();
    EXPECT_EQ(model->rowCount(), 0);
    // Any inconsistency in the model's signals or answers aborts the test.
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);

    auto first = std::make_unique<ColourPalette>(), second = std::make_unique<ColourPalette>();
    for (ColourPalette* palette : {first.get(), second.get(), second.get()})
        model->addPalette(palette);
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(1, 0).internalPointer(), second.get());

    QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
    first.reset();
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed.at(0).mid(1), (QList<QVariant> {0, 0}));
    EXPECT_EQ(model->index(0, 0).internalPointer(), second.get());
    {
        ColourPalette unlisted;
    }  // leaves the model alone
    EXPECT_EQ(removed.count(), 1);
}

TEST(ColourSwatch, DestroyingTheActiveSwatch)
{
    auto active = std::make_unique<ColourSwatch>(), other = std::make_unique<ColourSwatch>();
    EXPECT_EQ(active->entryCount(), 3u);
    QSignalSpy activeSpy(active.get(), &ColourSwatch::activeSwatchChanged);
    QSignalSpy otherSpy(other.get(), &ColourSwatch::activeSwatchChanged);
    ColourSwatch::setActiveSwatch(active.get());
    ColourSwatch::setActiveSwatch(active.get());  // no change, no signal
    EXPECT_EQ(activeSpy.count(), 1);
    other.reset();
    EXPECT_EQ(otherSpy.count(), 0);
    active.reset();
    EXPECT_EQ(activeSpy.count(), 2);
    EXPECT_EQ(ColourSwatch::activeSwatch(), nullptr);
}
