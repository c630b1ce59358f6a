// AudioBuses is the project's table of 4 audio inputs: whether each is used
// and its value. A project keeps one, as object 4 of array 0; an index beyond
// the table is ignored.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_PROJECT_AUDIO_BUSES_H
#define LX_OBJECTS_PROJECT_AUDIO_BUSES_H

#include "components/archive/object.h"

#include <array>

struct AudioBusSetting
{
    bool isUsed = false;
    quint8 value = 0;

    bool operator==(const AudioBusSetting&) const = default;
};

class AudioBuses : public Archive::Object<AudioBuses>
{
public:
    static constexpr quint32 kTypeCode = 105;
    static constexpr Archive::ArrayId kArrayId = 0;
    static constexpr int kCount = 4;

    // Using a used bus is reported as a logic error; it stays used.
    void setUsed(int index);
    void setValue(int index, quint8 value);

    const std::array<AudioBusSetting, kCount>& settings() const { return m_settings; }

    bool operator==(const AudioBuses&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);

    std::array<AudioBusSetting, kCount> m_settings {};
};
extern template class Archive::Object<AudioBuses>;

#endif  // LX_OBJECTS_PROJECT_AUDIO_BUSES_H
