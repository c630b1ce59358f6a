// ProjectProperties holds the settings of the whole project: its texts, where
// and in which time zone it runs (a LocationData), how times and dates are
// shown, two colours and the page of a new project's plan. A project keeps
// one, as object 0 of array 0.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_PROJECT_PROJECT_PROPERTIES_H
#define LX_OBJECTS_PROJECT_PROJECT_PROPERTIES_H

#include "components/archive/object.h"
#include "components/lx_objects/common/location_data.h"
#include "components/lx_objects/project/layout.h"

#include <QString>

class ProjectProperties : public Archive::Object<ProjectProperties>
{
public:
    static constexpr quint32 kTypeCode = 101;
    static constexpr Archive::ArrayId kArrayId = 0;

    // The second and third texts are shown on one line: each line feed
    // becomes a blank.
    const QString& text2() const { return m_text2; }
    void setText2(const QString& text);
    const QString& text3() const { return m_text3; }
    void setText3(const QString& text);

    bool operator==(const ProjectProperties&) const = default;

    QString text1;
    QString text4;
    quint32 option1 = 2;
    quint32 option2 = 0;
    // groupA the latitude, groupB the longitude, offset the time-zone offset
    // in minutes, name the fifth text, ruleA and ruleB the start and end of
    // daylight saving, enabled whether it applies.
    LocationData location;
    quint32 option3 = 0xFFFFFFFF;
    quint32 option4 = 0;
    qint32 option5 = 0;
    QString timeFormat = QStringLiteral("%X");  // strftime form
    QString dateFormat = QStringLiteral("%x");
    quint32 colour1 = 0xFFFF0000;  // ARGB
    quint32 colour2 = 0xFF0000FF;  // ARGB
    quint16 option6 = 0;
    LayoutProperties layout;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
    void afterRead(InStream& in);

    QString m_text2;
    QString m_text3;
};
extern template class Archive::Object<ProjectProperties>;

#endif  // LX_OBJECTS_PROJECT_PROJECT_PROPERTIES_H
