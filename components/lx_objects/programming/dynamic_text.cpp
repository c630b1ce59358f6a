#include "components/lx_objects/programming/dynamic_text.h"

#include "components/archive/fields.h"

template <class F, class Self>
void TextProperties::fields(F& f, Self& s)
{
    using Archive::storedAs;
    f(s.param1, storedAs<quint8>(s.direction), s.flag, storedAs<quint8>(s.alignment), storedAs<quint8>(s.orientation),
      s.param2, s.param3, s.param4, storedAs<quint8>(s.changeBehaviour), s.param5);
}

template <class F, class Self>
void DynamicTextPart::fields(F& f, Self& s)
{
    f(s.kind, s.text);
}

void DynamicText::setText(const QString& text)
{
    m_text = text;
    m_parts.clear();
    QString buffer;
    bool inSlot = false;
    bool escaped = false;
    const auto flush = [&](quint8 kind) {
        if (!buffer.isEmpty())
            m_parts.push_back(DynamicTextPart {kind, buffer});
        buffer.clear();
    };
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') && !escaped) {
            escaped = true;
        } else if (c == QLatin1Char('<') && !escaped) {
            if (!inSlot) {
                flush(DynamicTextPart::LiteralKind);
                inSlot = true;
            }
        } else if (c == QLatin1Char('>')) {
            // Closes a slot even after a backslash, whose escape then
            // carries over to the next character.
            if (inSlot) {
                flush(DynamicTextPart::SlotKind);
                inSlot = false;
            }
        } else {
            buffer += c;
            escaped = false;
        }
    }
    if (!inSlot)
        flush(DynamicTextPart::LiteralKind);
}

template <class F, class Self>
void DynamicText::fields(F& f, Self& s)
{
    f(s.m_text, s.m_parts);
}

void TextProperties::read(InStream& in) { Archive::readFields(in, *this); }

void TextProperties::write(OutStream& out) const { Archive::writeFields(out, *this); }

void DynamicTextPart::read(InStream& in) { Archive::readFields(in, *this); }

void DynamicTextPart::write(OutStream& out) const { Archive::writeFields(out, *this); }

template class Archive::Value<DynamicText>;
