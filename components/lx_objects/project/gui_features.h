// GuiFeatures keeps which parts of the design program's interface a project
// shows: a state (0, 1 or 2) for each feature number. A new object knows
// features 0 to 34; a project keeps one, as object 2 of array 0.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_PROJECT_GUI_FEATURES_H
#define LX_OBJECTS_PROJECT_GUI_FEATURES_H

#include "components/archive/object.h"

#include <map>

class GuiFeatures : public Archive::Object<GuiFeatures>
{
public:
    static constexpr quint32 kTypeCode = 100;
    static constexpr Archive::ArrayId kArrayId = 0;

    GuiFeatures();

    // Throws std::runtime_error "Too many entries for their stored count: ..."
    // when the features outnumber what a file can count (255).

    // Feature numbers and states are stored as bytes, so they lie in 0-255.
    const std::map<quint8, quint8>& features() const { return m_features; }
    // Changes a known feature; an unknown one is ignored.
    void setFeature(int feature, int state);

    bool operator==(const GuiFeatures&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
    void afterRead(InStream& in);
    void addMissingDefaults();

    std::map<quint8, quint8> m_features;
};
extern template class Archive::Object<GuiFeatures>;

#endif  // LX_OBJECTS_PROJECT_GUI_FEATURES_H
