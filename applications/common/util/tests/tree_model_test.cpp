#include "applications/common/util/tree_model.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

#include <map>

namespace {

// Counts its own destructions by name.
class CountedItem : public TreeModelItem
{
public:
    CountedItem(TreeModelItem* parent, const QString& name, std::map<QString, int>& deaths)
        : TreeModelItem(parent), m_name(name), m_deaths(deaths)
    {
        setData(0, name, Qt::DisplayRole);
    }
    ~CountedItem() override { ++m_deaths[m_name]; }

private:
    QString m_name;
    std::map<QString, int>& m_deaths;
};

// Fills three levels the way the fixture library does: appended rows, then
// resets that delete and rebuild part of the tree.
class Library : public TreeModel
{
public:
    explicit Library(std::map<QString, int>& deaths) : m_deaths(deaths) {}

    void addMaker(const QString& name, int models)
    {
        beginInsertRows(QModelIndex(), rowCount(), rowCount());
        auto* maker = new CountedItem(root(), name, m_deaths);
        for (int m = 0; m < models; ++m) {
            auto* model = new CountedItem(maker, name + QString::number(m), m_deaths);
            new CountedItem(model, name + QString::number(m) + QStringLiteral("-mode"), m_deaths);
        }
        endInsertRows();
    }
    void dropFirstMaker()
    {
        beginResetModel();
        delete root()->children().first();
        endResetModel();
    }
    void clear()
    {
        beginResetModel();
        const QList<TreeModelItem*> makers = root()->children();
        qDeleteAll(makers);
        endResetModel();
    }

private:
    std::map<QString, int>& m_deaths;
};

TEST(TreeModel, ShapeDataAndOwnership)
{
    std::map<QString, int> deaths;
    {
        Library library(deaths);
        QAbstractItemModelTester tester(&library, QAbstractItemModelTester::FailureReportingMode::Fatal);
        EXPECT_EQ(library.rowCount(), 0);
        EXPECT_EQ(library.columnCount(), 0);
        for (const char* maker : {"A", "B", "C"})
            library.addMaker(QString::fromLatin1(maker), 2);
        EXPECT_EQ(library.rowCount(), 3);
        EXPECT_EQ(library.columnCount(), 1);

        const QModelIndex b = library.index(1, 0), b1 = library.index(1, 0, b), mode = library.index(0, 0, b1);
        EXPECT_EQ(library.data(b1).toString(), QStringLiteral("B1"));
        EXPECT_FALSE(library.parent(b).isValid());
        EXPECT_EQ(library.parent(mode), b1);
        EXPECT_EQ(library.parent(b1), b);
        EXPECT_EQ(std::make_pair(library.rowCount(mode), library.columnCount(mode)), std::make_pair(0, 0));
        EXPECT_FALSE(library.index(3, 0).isValid());
        EXPECT_FALSE(library.index(0, 1).isValid());
        EXPECT_FALSE(library.data(b, Qt::ToolTipRole).isValid());
        EXPECT_EQ(library.flags(mode), Qt::ItemIsEnabled);
        EXPECT_EQ(library.flags(QModelIndex()), Qt::NoItemFlags);

        auto* item = static_cast<TreeModelItem*>(b.internalPointer());
        item->setData(0, QStringLiteral("first"), Qt::ToolTipRole);
        item->setData(0, QStringLiteral("second"), Qt::ToolTipRole);
        EXPECT_EQ(library.data(b, Qt::ToolTipRole).toString(), QStringLiteral("second"));

        // A child deleted by the subclass leaves its parent, and goes once.
        library.dropFirstMaker();
        EXPECT_EQ(library.rowCount(), 2);
        EXPECT_EQ(library.data(library.index(0, 0)).toString(), QStringLiteral("B"));
        EXPECT_EQ(deaths.size(), 5u);
        library.addMaker(QStringLiteral("D"), 1);
        library.clear();
        EXPECT_EQ(library.rowCount(), 0);
        library.addMaker(QStringLiteral("E"), 3);
    }
    EXPECT_EQ(deaths.size(), 3u * 5 + 3 + 7);
    for (const auto& [name, count] : deaths)
        EXPECT_EQ(count, 1) << qPrintable(name);

    // An item made on its own belongs to nobody and has no parent.
    TreeModelItem alone;
    EXPECT_EQ(alone.parent(), nullptr);
    EXPECT_EQ(alone.flags(), Qt::ItemIsEnabled);
}

}  // namespace
