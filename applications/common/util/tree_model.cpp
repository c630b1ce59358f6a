#include "applications/common/util/tree_model.h"

#include <algorithm>
#include <utility>

TreeModelItem::TreeModelItem(TreeModelItem* parent)
{
    // Should appending throw, the half-made item is freed by the language.
    if (parent) {
        parent->m_children.append(this);
        m_parent = parent;
    }
}

TreeModelItem::~TreeModelItem()
{
    if (m_parent)
        m_parent->m_children.removeOne(this);
    // Unlinked first, so the children do not search this list as they go.
    const QList<TreeModelItem*> children = std::exchange(m_children, {});
    for (TreeModelItem* child : children) {
        child->m_parent = nullptr;
        delete child;
    }
}

Qt::ItemFlags TreeModelItem::flags() const { return Qt::ItemIsEnabled; }

QVariant TreeModelItem::data(int column, int role) const { return m_values.value(qMakePair(column, role)); }

bool TreeModelItem::setData(int column, const QVariant& value, int role)
{
    m_values.insert(qMakePair(column, role), value);
    return true;
}

TreeModel::TreeModel(QObject* parent) : QAbstractItemModel(parent) {}

TreeModel::~TreeModel() = default;

TreeModelItem* TreeModel::itemOf(const QModelIndex& index) const
{
    if (!index.isValid())
        return const_cast<TreeModelItem*>(&m_root);
    return static_cast<TreeModelItem*>(index.internalPointer());
}

QModelIndex TreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    return createIndex(row, column, itemOf(parent)->children().at(row));
}

QModelIndex TreeModel::parent(const QModelIndex& index) const
{
    if (!index.isValid())
        return QModelIndex();
    TreeModelItem* const parent = itemOf(index)->parent();
    if (!parent || parent == &m_root)
        return QModelIndex();
    const TreeModelItem* const grandParent = parent->parent();
    const int row = grandParent ? std::max(0, int(grandParent->children().indexOf(parent))) : 0;
    return createIndex(row, 0, parent);
}

int TreeModel::rowCount(const QModelIndex& parent) const { return int(itemOf(parent)->children().size()); }

int TreeModel::columnCount(const QModelIndex& parent) const { return rowCount(parent) > 0 ? 1 : 0; }

QVariant TreeModel::data(const QModelIndex& index, int role) const
{
    return index.isValid() ? itemOf(index)->data(index.column(), role) : QVariant();
}

Qt::ItemFlags TreeModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? itemOf(index)->flags() : Qt::NoItemFlags;
}
