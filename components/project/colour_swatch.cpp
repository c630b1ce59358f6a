#include "components/project/colour_swatch.h"

namespace {

ColourSwatch* s_activeSwatch = nullptr;

}  // namespace

ColourSwatch::ColourSwatch(QObject* parent) : QObject(parent) { resizeEntries(3, Entry()); }

ColourSwatch::~ColourSwatch()
{
    if (s_activeSwatch == this) {
        s_activeSwatch = nullptr;
        emit activeSwatchChanged();
    }
}

ColourSwatch* ColourSwatch::activeSwatch() { return s_activeSwatch; }

void ColourSwatch::setActiveSwatch(ColourSwatch* swatch)
{
    if (s_activeSwatch == swatch)
        return;
    ColourSwatch* const previous = s_activeSwatch;
    s_activeSwatch = swatch;
    emit(swatch ? swatch : previous)->activeSwatchChanged();
}

void ColourSwatch::resizeEntries(quint32 count, const Entry& fill)
{
    m_entries.resize(count, fill);
    m_entryCount = count;
}
