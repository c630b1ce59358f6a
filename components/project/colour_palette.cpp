#include "components/project/colour_palette.h"

ColourPalette::ColourPalette(QObject* parent) : QObject(parent) {}

ColourPalette::~ColourPalette() { ColourPaletteModel::instance()->removePalette(this); }

ColourPaletteModel* ColourPaletteModel::instance()
{
    // Deliberately never destroyed: palettes may be destroyed during static
    // destruction and must still find the model.
    static ColourPaletteModel* const model = new ColourPaletteModel;
    return model;
}

void ColourPaletteModel::addPalette(ColourPalette* palette)
{
    if (!palette || m_palettes.contains(palette))
        return;
    const int row = m_palettes.size();
    beginInsertRows(QModelIndex(), row, row);
    m_palettes.append(palette);
    endInsertRows();
}

void ColourPaletteModel::removePalette(ColourPalette* palette)
{
    const int row = m_palettes.indexOf(palette);
    if (row < 0)
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_palettes.removeAt(row);
    endRemoveRows();
}

QModelIndex ColourPaletteModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || row >= rowCount(parent) || column >= columnCount(parent))
        return QModelIndex();
    return createIndex(row, column, m_palettes.at(row));
}

QModelIndex ColourPaletteModel::parent(const QModelIndex&) const { return QModelIndex(); }

int ColourPaletteModel::rowCount(const QModelIndex& parent) const
{
    // Palettes have no children; answering the palette count for them would
    // make views show an endless tree.
    return parent.isValid() ? 0 : m_palettes.size();
}

int ColourPaletteModel::columnCount(const QModelIndex&) const { return 1; }

QVariant ColourPaletteModel::data(const QModelIndex&, int) const { return QVariant(); }
