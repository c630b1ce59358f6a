#ifndef PROJECT_COLOUR_PALETTE_H
#define PROJECT_COLOUR_PALETTE_H

#include <QAbstractItemModel>
#include <QColor>
#include <QList>
#include <QObject>
#include <QString>

// ColourPalette is a named list of colours held by a project object, which
// creates and destroys it with itself.  A palette that has been entered into
// the process-wide ColourPaletteModel leaves that model when it is destroyed,
// so views never see a dangling palette.
//
// GUI thread only.
class ColourPalette : public QObject
{
    Q_OBJECT

public:
    explicit ColourPalette(QObject* parent = nullptr);
    ~ColourPalette() override;

    QString name() const { return m_name; }
    QList<QColor> colours() const { return m_colours; }

signals:
    void changed();

private:
    QString m_name;
    QList<QColor> m_colours;
};

// ColourPaletteModel is the one flat list model of the palettes that views
// show.  It does not own the palettes; each palette removes itself on
// destruction.  Made on first use by instance() and kept until the process
// ends.
//
// GUI thread only.
class ColourPaletteModel : public QAbstractItemModel
{
public:
    static ColourPaletteModel* instance();

    // Appends the palette unless it is already listed.
    void addPalette(ColourPalette* palette);
    // Removes the palette's row; a palette that is not listed is ignored.
    void removePalette(ColourPalette* palette);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    ColourPaletteModel() = default;

    QList<ColourPalette*> m_palettes;
};

#endif  // PROJECT_COLOUR_PALETTE_H
