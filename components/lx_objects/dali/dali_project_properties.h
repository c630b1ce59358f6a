// DaliProjectProperties holds the project-wide DALI test settings. A project
// keeps one, as object 9 of array 0.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_DALI_DALI_PROJECT_PROPERTIES_H
#define LX_OBJECTS_DALI_DALI_PROJECT_PROPERTIES_H

#include "components/archive/object.h"
#include "components/lx_objects/dali/dali_test_schedule.h"

class DaliProjectProperties : public Archive::Object<DaliProjectProperties>
{
public:
    static constexpr quint32 kTypeCode = 181;
    static constexpr Archive::ArrayId kArrayId = 0;

    // Index 0 replaces the first schedule, 1 the second; any other is ignored.
    void setTestSchedule(int index, const DaliTestSchedule& schedule);

    bool operator==(const DaliProjectProperties&) const = default;

    DaliTestSettings settings;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<DaliProjectProperties>;

#endif  // LX_OBJECTS_DALI_DALI_PROJECT_PROPERTIES_H
