// TextSlotValues holds the project-wide values of the dynamic-text slots: one
// text per slot name. A project has one, in array 0 under id 11.
//
// Stream form: a map (code 8): uint32 count, then per slot in name order its
// name and its text. Reading replaces the values; a name met twice is one
// slot holding the text read last.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_PROGRAMMING_TEXT_SLOT_VALUES_H
#define LX_OBJECTS_PROGRAMMING_TEXT_SLOT_VALUES_H

#include "components/archive/object_base.h"

#include <QString>

#include <map>

class TextSlotValues : public Archive::ObjectBase
{
public:
    static constexpr quint32 kTypeCode = 207;
    static constexpr Archive::ArrayId kArrayId = 0;
    static constexpr Archive::ObjectId kObjectId = 11;

    void read(InStream& in) override;
    void write(OutStream& out) const override;
    quint32 typeCode() const override { return kTypeCode; }
    TextSlotValues* clone() const override { return new TextSlotValues(*this); }

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

#endif  // LX_OBJECTS_PROGRAMMING_TEXT_SLOT_VALUES_H
