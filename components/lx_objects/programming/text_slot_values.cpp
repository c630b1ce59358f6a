#include "components/lx_objects/programming/text_slot_values.h"

#include "components/archive/fields.h"

void TextSlotValues::setSlotText(const QString& name, const QString& text)
{
    if (text.isEmpty())
        m_slotTexts.erase(name);
    else
        m_slotTexts[name] = text;
}

template <class F, class Self>
void TextSlotValues::fields(F& f, Self& s)
{
    f(s.m_slotTexts);
}

template class Archive::Object<TextSlotValues>;
