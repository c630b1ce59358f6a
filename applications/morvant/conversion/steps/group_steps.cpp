// Groups, and "All Groups" holding them.
#include "applications/morvant/conversion/conversion_context.h"
#include "applications/morvant/conversion/steps/conversion_steps.h"
#include "components/archive/archive_exception.h"
#include "components/lx_objects/fixtures/group.h"
#include "components/quilshow/show/quil_show.h"

#include <vector>

namespace {

const char* const kAllGroupsName = "All Groups";

}  // namespace

void ConversionSteps::convertGroups(ConversionContext& context)
{
    ConversionReport& report = context.report;
    report.touch(ReportKind::Groups);
    std::vector<Archive::ObjectId> converted;
    for (const auto& [quilId, from] : context.show.groups()) {
        const QString name = Quil::toQString(from.name);
        const QString item = ConversionReport::itemName("group", quilId, name);
        // Members are bare ids of no stated kind: fixtures and groups cannot
        // be told apart.
        if (!from.members.empty()) {
            const quint64 count = from.members.size();
            report.ignore(ReportKind::GroupMembers,
                          QStringLiteral("the ") + ConversionReport::counted(count, "member", "members")
                              + QStringLiteral(" of ") + item,
                          ConversionReport::byCount(
                              count,
                              "version-1 group members name no kind, so it cannot be told apart as a fixture or a "
                              "group; add it to the group in the new project",
                              "version-1 group members name no kind, so they cannot be told apart as fixtures or "
                              "groups; add them to the group in the new project"),
                          Causes::kGroupMembers, count);
        }
        auto group = Archive::makeObject<Group>();
        group->setName(name);
        try {
            const Archive::ObjectId id = context.add(Group::kArrayId, group);
            context.ids.insert(IdKind::Group, quilId, id);
            converted.push_back(id);
            report.made(ReportKind::Groups);
        } catch (const Archive::archive_exception& error) {
            report.refused(ReportKind::Groups, item, error);
        }
    }

    const auto all = Archive::makeObject<Group>();
    all->setName(QLatin1String(kAllGroupsName));
    Archive::ObjectPtr allHolder = all;
    try {
        Archive::ObjectId allId = Archive::kNoObjectId;
        Archive::addObject(Group::kArrayId, allId, allHolder, context.database);
        report.madeAllGroups();
        for (const Archive::ObjectId id : converted) {
            const FixOrGroupKey key(FixOrGroupKey::GroupKind, quint16(id));
            if (all->canAddMember(key))
                all->insertMember(key, -1);
        }
    } catch (const Archive::archive_exception& error) {
        // Not an item of the show: the groups arrive without it.
        report.missedAllGroups(report.refusalText(error));
    }
    report.flushLimits();
}
