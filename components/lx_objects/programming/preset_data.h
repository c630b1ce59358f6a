// PresetData is the preset a timeline element plays: a preset type, a list of
// colours and the part of the type (preset_parts.h). Types 0 to 13, 100, 200
// to 219 and 300 to 303 are known; any other type, -1 (none) included, has no
// part and is kept as its number.
//
// Reading data of older layouts converts it: type 0 becomes type 11, and the
// older forms of types 6, 8, 203, 208 and 209 have their values and colours
// rewritten into the present meaning. Data older than 100 stores the type and
// the colours ahead of the element's other fields: the element reads them
// there (reset(), colours and readColourList()) before read().
//
// A plain value embedded in its timeline element; copies are deep. One thread
// uses a value at a time.
#ifndef LX_OBJECTS_PROGRAMMING_PRESET_DATA_H
#define LX_OBJECTS_PROGRAMMING_PRESET_DATA_H

#include "components/archive/stream_fwd.h"
#include "components/lx_objects/programming/preset_parts.h"

#include <vector>

class PresetData
{
public:
    // Copying, moving, destroying and comparing are defined beside the
    // part's reader: each would otherwise instantiate the part variant's
    // tables of 34 alternatives in every source that copies an element.
    PresetData();
    PresetData(const PresetData&);
    PresetData(PresetData&&) noexcept;
    PresetData& operator=(const PresetData&);
    PresetData& operator=(PresetData&&) noexcept;
    ~PresetData();

    int presetType() const { return m_presetType; }
    // Another type replaces the part with the new type's fresh one; the
    // current type changes nothing.
    void reset(int newType);

    // The part of the type's layout, or null when the type has another or none.
    template <class P>
    P* part()
    {
        return std::get_if<P>(&m_part);
    }
    template <class P>
    const P* part() const
    {
        return std::get_if<P>(&m_part);
    }

    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const PresetData&) const;

    std::vector<RGBData> colours;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
    // Keeps the type and the colours, which data older than 100 holds outside
    // the preset; the part starts afresh.
    void resetForRead();
    void convertOlderData(quint16 version);

    PresetPart m_part;
    int m_presetType = -1;
};

// The colour list as a preset stores it: a vector section whose colours have
// no blocks of their own.
void readColourList(InStream& in, std::vector<RGBData>& colours);
void writeColourList(OutStream& out, const std::vector<RGBData>& colours);

// The category of a preset type: 0 for 0 to 13, 2 for 100, 3 for 200, 5 for
// 206, 1 for the other types 201 to 219, 4 for 300 to 303, 6 for any other.
int presetTypeCategory(int presetType);

#endif  // LX_OBJECTS_PROGRAMMING_PRESET_DATA_H
