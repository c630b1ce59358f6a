#ifndef APPLICATIONS_COMMON_UTIL_TREE_MODEL_H
#define APPLICATIONS_COMMON_UTIL_TREE_MODEL_H

#include <QAbstractItemModel>
#include <QList>
#include <QMap>
#include <QPair>
#include <QVariant>

// TreeModelItem is one node of a TreeModel: it holds its values by (column,
// role) and answers the model's data and flags through its own virtual
// operations, which subclasses override.  An item made with a parent is owned
// by that parent, which deletes its children with itself; an item deleted
// on its own leaves its parent's children first, so a subclass may delete a
// child to rebuild its tree.
//
// GUI thread only.
class TreeModelItem
{
public:
    explicit TreeModelItem(TreeModelItem* parent = nullptr);
    virtual ~TreeModelItem();
    TreeModelItem(const TreeModelItem&) = delete;
    TreeModelItem& operator=(const TreeModelItem&) = delete;

    // Qt::ItemIsEnabled only: items are not selectable unless a subclass says so.
    virtual Qt::ItemFlags flags() const;
    // The value stored under (column, role), or an invalid QVariant.
    virtual QVariant data(int column, int role) const;

    // Stores or replaces the value under (column, role).  Always true.
    bool setData(int column, const QVariant& value, int role);

    TreeModelItem* parent() const { return m_parent; }
    const QList<TreeModelItem*>& children() const { return m_children; }

private:
    TreeModelItem* m_parent = nullptr;
    QList<TreeModelItem*> m_children;  // owned
    QMap<QPair<int, int>, QVariant> m_values;
};

// TreeModel is a read-only item model over a tree of TreeModelItems under a
// root it owns; each index carries its item.  It sends no insert or remove
// notifications of its own: subclasses fill and empty the tree under root()
// and reset or notify as they need.
//
// GUI thread only.
class TreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    explicit TreeModel(QObject* parent = nullptr);
    ~TreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // 1 where there are rows, else 0.
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

protected:
    TreeModelItem* root() { return &m_root; }
    // The item of index, the root for an invalid one.
    TreeModelItem* itemOf(const QModelIndex& index) const;

private:
    TreeModelItem m_root;
};

#endif  // APPLICATIONS_COMMON_UTIL_TREE_MODEL_H
