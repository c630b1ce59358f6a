#include "applications/common/util/tree_model.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

#include <map>

namespace {

std::map<QString, int> deaths;

// Counts its own destructions by name.
struct CountedItem : TreeModelItem
{
    CountedItem(TreeModelItem* parent, const QString& name) : TreeModelItem(parent)
    {
        setData(0, name, Qt::DisplayRole);
    }
    ~CountedItem() override { ++deaths[data(0, Qt::DisplayRole).toString()]; }
};

// Fills three levels the way the fixture library does: appended rows, then
// resets that delete and rebuild part of the tree.
struct Library : TreeModel
{
    void addMaker(const QString& name, int models)
    {
        beginInsertRows(QModelIndex(), rowCount(), rowCount());
        auto* maker = new CountedItem(root(), name);
        for (int m = 0; m < models; ++m)
            new CountedItem(new CountedItem(maker, name + QString::number(m)), name + QString::number(m) + "-mode");
        endInsertRows();
    }
    // Deletes the first maker, or all of them.
    void drop(bool all)
    {
        beginResetModel();
        const QList<TreeModelItem*> makers = root()->children();
        qDeleteAll(all ? makers : makers.mid(0, 1));
        endResetModel();
    }
};

TEST(TreeModel, ShapeDataAndOwnership)
{
    deaths.clear();
    {
        Library library;
        QAbstractItemModelTester tester(&library, QAbstractItemModelTester::FailureReportingMode::Fatal);
        EXPECT_EQ(std::pair(library.rowCount(), library.columnCount()), std::pair(0, 0));
        for (const char* maker : {"A", "B", "C"})
            library.addMaker(QString::fromLatin1(maker), 2);
        EXPECT_EQ(std::pair(library.rowCount(), library.columnCount()), std::pair(3, 1));

        const QModelIndex b = library.index(1, 0), b1 = library.index(1, 0, b), mode = library.index(0, 0, b1);
        EXPECT_EQ(library.data(b1).toString(), QStringLiteral("B1"));
        EXPECT_FALSE(library.parent(b).isValid());
        EXPECT_EQ(std::pair(library.parent(mode), library.parent(b1)), std::pair(b1, b));
        EXPECT_EQ(std::pair(library.rowCount(mode), library.columnCount(mode)), std::pair(0, 0));
        EXPECT_FALSE(library.index(3, 0).isValid() || library.index(0, 1).isValid());
        EXPECT_FALSE(library.data(b, Qt::ToolTipRole).isValid());
        EXPECT_EQ(std::pair(library.flags(mode), library.flags({})),
                  std::pair(Qt::ItemFlags(Qt::ItemIsEnabled), Qt::ItemFlags()));
        auto* item = static_cast<TreeModelItem*>(b.internalPointer());
        item->setData(0, QStringLiteral("first"), Qt::ToolTipRole);
        item->setData(0, QStringLiteral("second"), Qt::ToolTipRole);
        EXPECT_EQ(library.data(b, Qt::ToolTipRole).toString(), QStringLiteral("second"));

        // A child deleted by the subclass leaves its parent, and goes once.
        library.drop(false);
        EXPECT_EQ(library.data(library.index(0, 0)).toString(), QStringLiteral("B"));
        EXPECT_EQ(std::pair(library.rowCount(), deaths.size()), std::pair(2, std::size_t(5)));
        library.addMaker(QStringLiteral("D"), 1);
        library.drop(true);
        EXPECT_EQ(library.rowCount(), 0);
        library.addMaker(QStringLiteral("E"), 3);
    }
    EXPECT_EQ(deaths.size(), 3u * 5 + 3 + 7);
    for (const auto& [name, count] : deaths)
        EXPECT_EQ(count, 1) << qPrintable(name);
}

}  // namespace
