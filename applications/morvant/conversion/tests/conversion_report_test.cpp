#include "applications/morvant/conversion/conversion_report.h"
#include "components/archive/database.h"
#include "components/archive/database_schema.h"
#include "components/lx_objects/project/project_database.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> texts(const std::vector<LogCapture::Line>& lines)
{
    std::vector<std::string> result;
    for (const auto& [level, text] : lines)
        result.push_back(std::to_string(level) + " " + QString::fromStdString(text).trimmed().toStdString());
    return result;
}

}  // namespace

// What the report logs and counts: items once each, limits as one line per run, tallies in kind order, and a
// summary by kind whose counts add up to the total.
TEST(ConversionReport, LinesTalliesLimitsAndTheSummaryAddUp)
{
    const Archive::DatabaseId database =
        Archive::createDatabase(makeDatabaseSettings(0x7FFFFFFF, 0x7FFFFFFF), Archive::projectSchema());
    Archive::setCurrentDatabase(database);
    ConversionReport report;
    LogCapture capture;
    report.touch(ReportKind::Timelines);
    report.made(ReportKind::Fixtures, 12999);
    report.ignore(ReportKind::Scenes, ConversionReport::itemName("palette", 600, QStringLiteral(" ")),
                  QStringLiteral("scene ids end at 499"), "past the ids");
    report.ignore(ReportKind::Fixtures, ConversionReport::itemName("fixture", 7, QStringLiteral("Front")),
                  QStringLiteral("no type"), "no type");
    report.count(ReportKind::Fixtures, "no type", 2);
    EXPECT_FALSE(report.inLimitRun(ReportKind::Fixtures, 3));
    report.ignoreForLimit(ReportKind::Fixtures, QStringLiteral("fixture 8 (A)"), 3);
    EXPECT_TRUE(report.inLimitRun(ReportKind::Fixtures, 3));
    report.ignoreForLimit(ReportKind::Fixtures, QString(), 3, 1499);
    report.ignoreForLimit(ReportKind::Groups, QStringLiteral("group 2 (B)"), 5);
    report.made(ReportKind::Groups);
    report.removed(ReportKind::Groups, 2);  // never below none
    report.flushLimits();
    EXPECT_FALSE(report.inLimitRun(ReportKind::Fixtures, 3));
    report.logTallies();
    report.logSummary();
    EXPECT_EQ(texts(capture.lines()),
              (std::vector<std::string> {
                  "130 Ignoring palette 600 (unnamed): scene ids end at 499",
                  "130 Ignoring fixture 7 (Front): no type",
                  "130 The project holds at most 60,000 fixture elements: fixture 8 (A) and 1,499 more were not "
                  "converted",
                  "130 The project holds at most 1,024 groups: group 2 (B) was not converted",
                  "132 Fixtures: 12,999 converted, 1,503 not carried over",
                  "132 Groups: 0 converted, 1 not carried over",
                  "132 Timelines: 0 converted",
                  "132 Scenes: 0 converted, 1 not carried over",
                  "132 Fixtures not carried over: 3 (no type)",
                  "132 Fixtures not carried over: 1,500 (the project holds at most 60,000 fixture elements)",
                  "132 Groups not carried over: 1 (the project holds at most 1,024 groups)",
                  "132 Scenes not carried over: 1 (past the ids)",
              }));
    unsigned summed = 0;
    for (const ConversionReport::SummaryLine& line : report.summary())
        summed += line.count;
    EXPECT_EQ(summed, 1505u);
    EXPECT_EQ(report.ignoredTotal(), 1505u);
    EXPECT_EQ(report.converted(ReportKind::Fixtures), 12999u);
    EXPECT_EQ(report.ignored(ReportKind::Fixtures), 1503u);

    report.clear();
    EXPECT_EQ(report.ignoredTotal(), 0u);
    EXPECT_TRUE(report.summary().empty());
    Archive::closeDatabase(database);
}
