// TextSlotValues holds the project-wide values of the dynamic-text slots: one
// text per slot name. A project has one, in array 0 under id 11.
//
// A name stored twice reads as one slot holding the text read last.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_PROGRAMMING_TEXT_SLOT_VALUES_H
#define LX_OBJECTS_PROGRAMMING_TEXT_SLOT_VALUES_H

#include "components/archive/object.h"

#include <QString>

#include <map>

class TextSlotValues : public Archive::Object<TextSlotValues>
{
public:
    static constexpr quint32 kTypeCode = 207;
    static constexpr Archive::ArrayId kArrayId = 0;
    static constexpr Archive::ObjectId kObjectId = 11;

    // A text sets the slot's value; an empty text removes the slot.
    void setSlotText(const QString& name, const QString& text);
    const std::map<QString, QString>& slotTexts() const { return m_slotTexts; }

    bool operator==(const TextSlotValues&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);

    std::map<QString, QString> m_slotTexts;
};
extern template class Archive::Object<TextSlotValues>;

#endif  // LX_OBJECTS_PROGRAMMING_TEXT_SLOT_VALUES_H
