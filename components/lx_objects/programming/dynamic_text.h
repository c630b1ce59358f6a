// The values of a text preset. DynamicText is a display text in which slot
// names between "<" and ">" stand for values filled in at show time, kept
// with its parse into parts (DynamicTextPart: literal text or a slot name);
// TextProperties holds the preset's layout settings. A read takes the parts
// as stored, without parsing the text again.
//
// Plain values held by the timeline's text presets; one thread uses a value
// at a time.
#ifndef LX_OBJECTS_PROGRAMMING_DYNAMIC_TEXT_H
#define LX_OBJECTS_PROGRAMMING_DYNAMIC_TEXT_H

#include "components/archive/object.h"
#include "components/archive/stream_fwd.h"

#include <QString>

#include <list>

// Text direction 0 to 5, alignment 0 to 3, orientation 0 to 2, change
// behaviour 0 to 3: the converter maps the version-1 values into these ranges.
enum class TextDirection : quint32 {};
enum class TextAlignment : quint32 {};
enum class TextOrientation : quint32 {};
enum class TextChangeBehaviour : quint32 {};

struct TextProperties
{
    static constexpr quint32 kTypeCode = 195;

    quint32 param1 = 0xFFFFFFFF;
    TextDirection direction {};
    quint8 flag = 0;
    TextAlignment alignment {};
    TextOrientation orientation {};
    quint8 param2 = 0;
    quint8 param3 = 0;
    qint32 param4 = 0;
    TextChangeBehaviour changeBehaviour {};
    quint16 param5 = 4;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const TextProperties&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct DynamicTextPart
{
    static constexpr quint32 kTypeCode = 198;

    enum Kind : quint8 {
        NoKind = 0,  // a part under construction
        LiteralKind = 1,
        SlotKind = 2,
    };

    quint8 kind = NoKind;
    QString text;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const DynamicTextPart&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class DynamicText : public Archive::Value<DynamicText>
{
public:
    static constexpr quint32 kTypeCode = 197;

    // Stores the text and parses it into parts, in order:
    //   "<name>" is a slot; text outside slots is literal;
    //   a backslash escapes the next "<" or backslash (">" always closes);
    //   a "<" inside a slot and a ">" outside one are dropped;
    //   an empty slot gives no part, a slot never closed is dropped.
    // "Hello <name>!" gives {1, "Hello "}, {2, "name"}, {1, "!"}.
    void setText(const QString& text);

    const QString& text() const { return m_text; }
    const std::list<DynamicTextPart>& parts() const { return m_parts; }

    bool operator==(const DynamicText&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);

    QString m_text;
    std::list<DynamicTextPart> m_parts;
};
extern template class Archive::Value<DynamicText>;

#endif  // LX_OBJECTS_PROGRAMMING_DYNAMIC_TEXT_H
