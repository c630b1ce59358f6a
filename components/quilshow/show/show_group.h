// ShowGroup: one entry of a version-1 show's group table (member ids and a
// name). The table, a map from group id to ShowGroup, is owned by QuilShow.
//
// Thread safety: a plain value; GUI thread like the show.
#ifndef QUILSHOW_SHOW_SHOW_GROUP_H
#define QUILSHOW_SHOW_SHOW_GROUP_H

#include <QtGlobal>

#include <set>
#include <string>

namespace Quil {

struct ShowGroup
{
    std::set<quint16> members;
    std::string name;  // show text

    bool operator==(const ShowGroup&) const = default;
};

}  // namespace Quil

#endif  // QUILSHOW_SHOW_SHOW_GROUP_H
