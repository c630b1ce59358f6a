#ifndef PROJECT_COLOUR_SWATCH_H
#define PROJECT_COLOUR_SWATCH_H

#include <QObject>
#include <QtGlobal>

#include <list>

// ColourSwatch is a short list of colour entries held by a project object,
// which creates and destroys it with itself.  One swatch at a time may be the
// process-wide active swatch; destroying it clears that state and announces
// the change, so nobody keeps using a dead swatch.
//
// GUI thread only.
class ColourSwatch : public QObject
{
    Q_OBJECT

public:
    // One entry: an ARGB colour and two bytes kept for the entry's owner.
    struct Entry
    {
        quint32 colour = 0xFF000000u;
        quint8 byte0 = 128;
        quint8 byte1 = 24;

        bool operator==(const Entry& other) const
        {
            return colour == other.colour && byte0 == other.byte0 && byte1 == other.byte1;
        }
    };

    explicit ColourSwatch(QObject* parent = nullptr);
    ~ColourSwatch() override;

    quint32 entryCount() const { return m_entryCount; }
    const std::list<Entry>& entries() const { return m_entries; }

    static ColourSwatch* activeSwatch();
    // Makes swatch (may be null) the active one; when that changes,
    // activeSwatchChanged is emitted by the new swatch, or by the old one
    // when the active swatch becomes null.
    static void setActiveSwatch(ColourSwatch* swatch);

signals:
    void swatchChanged();
    void activeSwatchChanged();

private:
    void resizeEntries(quint32 count, const Entry& fill);

    quint32 m_entryCount = 0;
    std::list<Entry> m_entries;
};

#endif  // PROJECT_COLOUR_SWATCH_H
