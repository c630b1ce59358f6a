// The sibling product's panoramas (namespace Vux): a panorama, one instance
// of content placed on it, and the three view states of its editor (the
// panorama view, the project view and the schedule view). Read, copied and
// written back unchanged; their numbered fields carry no meaning here.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_VUX_PANORAMA_H
#define LX_OBJECTS_VUX_PANORAMA_H

#include "components/archive/object.h"
#include "components/lx_objects/common/location_data.h"
#include "components/lx_objects/views/abstract_tab_bar_state.h"

#include <QPoint>
#include <QSize>
#include <QString>
#include <QUuid>

#include <map>

namespace Vux {

// A valueC of 0 reads as 1.
class Panorama final : public Archive::Object<Panorama>
{
public:
    static constexpr quint32 kTypeCode = 351;

    QString name;
    quint32 valueA = 0;
    QSize size {1920, 1080};
    quint32 valueB = 0xFFFFFFFF;
    QUuid uuid;
    QString text;
    int mode = 0;  // one byte stored
    bool flag = true;
    quint32 colour = 0xFFA0A0A4;
    quint32 valueC = 24;
    quint32 valueD = 4;

    bool operator==(const Panorama&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
    void afterRead(InStream& in);
};

class PanoramaContentInstance final : public Archive::Object<PanoramaContentInstance>
{
public:
    static constexpr quint32 kTypeCode = 363;

    quint32 idA = 0xFFFFFFFF;
    quint32 idB = 0xFFFFFFFF;
    quint32 idC = 0xFFFFFFFF;
    quint32 idD = 0xFFFFFFFF;
    QUuid uuid;
    quint8 mode = 0xFE;
    QPoint position;
    quint16 sizeA = 0;
    quint16 sizeB = 0;
    quint16 sizeC = 0;
    quint16 sizeD = 0;
    qint32 valueE = 0;

    bool operator==(const PanoramaContentInstance&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

using PanoramaViewState = TabBarStateOf<352, AbstractPlanState>;

// A read replaces the map with what the data holds.
class ProjectViewState final : public Archive::Object<ProjectViewState>
{
public:
    static constexpr quint32 kTypeCode = 353;

    std::map<quint16, qint32> valuesByKey;
    quint16 valueA = 1;
    bool flag = true;

    bool operator==(const ProjectViewState&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class ScheduleViewState final : public Archive::Object<ScheduleViewState>
{
public:
    static constexpr quint32 kTypeCode = 379;

    LocationData location;

    bool operator==(const ScheduleViewState&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

}  // namespace Vux

extern template class Archive::Object<Vux::Panorama>;
extern template class Archive::Object<Vux::PanoramaContentInstance>;
extern template class Archive::Object<Vux::ProjectViewState>;
extern template class Archive::Object<Vux::ScheduleViewState>;

#endif  // LX_OBJECTS_VUX_PANORAMA_H
