#include "applications/morvant/conversion/conversion_report.h"
#include "components/archive/archive_exception.h"
#include "components/archive/database.h"
#include "components/archive/database_schema.h"
#include "components/lx_objects/project/project_database.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

std::vector<std::string> texts(const std::vector<LogCapture::Line>& lines)
{
    std::vector<std::string> result;
    for (const auto& [level, text] : lines)
        result.push_back(std::to_string(level) + " " + QString::fromStdString(text).trimmed().toStdString());
    return result;
}

}  // namespace

// Causes of the test's own: the report tells causes apart by address.
constexpr ReportCause kPastIds {"past the ids"};
constexpr ReportCause kNoType {"no type"};
constexpr ReportCause kClamped {"clamped"};
constexpr ReportCause kFallback {"fallback"};

// What the report logs and counts: items once each, limits as one line per run, changes once per item, tallies in
// kind order with what each counts, and a summary by outcome and kind whose counts add up to the result line's.
TEST(ConversionReport, LinesTalliesLimitsAndTheSummaryAddUp)
{
    const Archive::DatabaseId database =
        Archive::createDatabase(makeDatabaseSettings(0x7FFFFFFF, 0x7FFFFFFF), Archive::projectSchema());
    Archive::setCurrentDatabase(database);
    ConversionReport report;
    EXPECT_EQ(report.resultText(), "Conversion complete");
    LogCapture capture;
    report.touch(ReportKind::Timelines);
    report.made(ReportKind::Fixtures, 12999);
    report.ignore(ReportKind::Scenes, ConversionReport::itemName("palette", 600, QStringLiteral(" ")),
                  QStringLiteral("scene ids end at 499"), kPastIds);
    report.ignore(ReportKind::Fixtures, ConversionReport::itemName("fixture", 7, QStringLiteral("Front")),
                  QStringLiteral("no type"), kNoType);
    report.ignoreLine(ReportKind::Fixtures, QStringLiteral("Two fixtures of no type"), kNoType, 2);
    EXPECT_FALSE(report.inLimitRun(ReportKind::Fixtures, 3));
    report.ignoreForLimit(ReportKind::Fixtures, QStringLiteral("fixture 8 (A)"), 3);
    EXPECT_TRUE(report.inLimitRun(ReportKind::Fixtures, 3));
    report.ignoreForLimit(ReportKind::Fixtures, QString(), 3, 1499);
    report.ignoreForLimit(ReportKind::Groups, QStringLiteral("group 2 (B)"), 5);
    report.made(ReportKind::Groups);
    report.removed(ReportKind::Groups);
    report.removed(ReportKind::Groups);  // never below none
    report.madeAllGroups();
    // A full array is said as the project's limit; another refusal in words, without the database's codes.
    report.refused(ReportKind::Groups, QStringLiteral("group 3 (C)"), Archive::archive_exception(16, 7, 5, 1));
    report.refused(ReportKind::Groups, QStringLiteral("group 4 (D)"), Archive::archive_exception(3, 7, 5, 1));
    report.flushLimits();
    EXPECT_FALSE(report.inLimitRun(ReportKind::Fixtures, 3));
    // A font changed twice counts once, under its first cause; another font counts on its own.
    report.made(ReportKind::Fonts, 3);
    report.changed(ReportKind::Fonts, 5, QStringLiteral("Font 5 clamped"), kClamped);
    report.changed(ReportKind::Fonts, 5, QStringLiteral("Font 5 fell back"), kFallback);
    report.changed(ReportKind::Fonts, 6, QStringLiteral("Font 6 fell back"), kFallback);
    report.leftWithFixtures(ReportKind::PatchRecords, 952);
    report.leftWithPalettes(1);
    report.made(ReportKind::PatchRecords, 4);
    report.setStandardFunctions(28);
    report.made(ReportKind::Functions, 23);
    report.made(ReportKind::Universes, 514);
    report.logTallies();
    report.logSummary();
    EXPECT_EQ(texts(capture.lines()),
              (std::vector<std::string> {
                  "130 Ignoring palette 600 (unnamed): scene ids end at 499",
                  "130 Ignoring fixture 7 (Front): no type",
                  "130 Two fixtures of no type",
                  "130 Ignoring group 4 (D): the project refused it ("
                      + Archive::archive_exception::messageForCode(3).toStdString() + ")",
                  "130 The project holds at most 60,000 fixture elements: fixture 8 (A) and 1,499 more were not "
                  "converted",
                  "130 The project holds at most 1,024 groups: group 2 (B) and 1 more were not converted",
                  "130 Font 5 clamped",
                  "130 Font 5 fell back",
                  "130 Font 6 fell back",
                  "132 Universes: 514 made for patch records",
                  "132 Functions: 23 of the show's mapped onto the project's 28 standard functions",
                  "132 Fixtures: 12,999 converted, 1,503 not carried over",
                  "132 Patch records: 4 converted, 952 left out with their fixtures",
                  "132 Groups: 0 converted, and All Groups, 3 not carried over",
                  "132 Fonts: 3 converted, 2 of them changed",
                  "132 Timelines: 0 converted",
                  "132 Scenes: 0 converted, 1 not carried over",
                  "132 Palette values: 0 converted, 1 left out with its palette",
                  "132 Fixtures not carried over: 3 (no type)",
                  "132 Fixtures not carried over: 1,500 (the project holds at most 60,000 fixture elements)",
                  "132 Groups not carried over: 2 (the project holds at most 1,024 groups)",
                  "132 Groups not carried over: 1 (the project refused them)",
                  "132 Scenes not carried over: 1 (past the ids)",
                  "132 Fonts arrived changed: 1 (clamped)",
                  "132 Fonts arrived changed: 1 (fallback)",
              }));
    quint64 summed[2] = {0, 0};
    for (const ConversionReport::SummaryLine& line : report.summary())
        summed[line.outcome == ConversionReport::Outcome::Changed] += line.count;
    EXPECT_EQ(summed[0], 1507u);
    EXPECT_EQ(summed[1], 2u);
    EXPECT_EQ(report.ignoredTotal(), 1507u);
    EXPECT_EQ(report.changedTotal(), 2u);
    EXPECT_EQ(report.converted(ReportKind::Fixtures), 12999u);
    EXPECT_EQ(report.ignored(ReportKind::Fixtures), 1503u);
    EXPECT_EQ(report.resultText(),
              "Conversion complete; 1,507 items were not carried over and 2 arrived changed (see the error pane)");

    // An object removed takes its change with it (once): from the kind's count, the total and its summary line.
    report.clear();
    report.made(ReportKind::Fonts, 2);
    report.changed(ReportKind::Fonts, 1, QStringLiteral("Font 1 clamped"), kClamped);
    report.changed(ReportKind::Fonts, 2, QStringLiteral("Font 2 fell back"), kFallback);
    report.removed(ReportKind::Fonts, 2);
    report.removed(ReportKind::Fonts, 2);
    ASSERT_EQ(report.summary().size(), 1u);
    EXPECT_EQ(std::make_tuple(report.changedCount(ReportKind::Fonts), report.changedTotal(), report.summary()[0].cause),
              std::make_tuple(quint64(1), quint64(1), QStringLiteral("clamped")));

    // Counts saturate rather than wrap.
    report.ignoreLine(ReportKind::Fixtures, QStringLiteral("many"), kNoType, ~quint64(0) - 1);
    report.ignoreLine(ReportKind::Fixtures, QStringLiteral("more"), kNoType, 5);
    EXPECT_EQ(report.ignoredTotal(), ~quint64(0));
    EXPECT_EQ(report.summary().front().count, ~quint64(0));

    EXPECT_EQ(ConversionReport::counted(1, "channel", "channels"), "1 channel");
    EXPECT_EQ(ConversionReport::counted(12000, "channel", "channels"), "12,000 channels");

    report.clear();
    EXPECT_EQ(report.ignoredTotal(), 0u);
    EXPECT_EQ(report.changedTotal(), 0u);
    EXPECT_TRUE(report.summary().empty());
    report.ignoreLine(ReportKind::Scenes, QStringLiteral("one"), kPastIds);
    EXPECT_EQ(report.resultText(), "Conversion complete; 1 item was not carried over (see the error pane)");
    Archive::closeDatabase(database);
}
