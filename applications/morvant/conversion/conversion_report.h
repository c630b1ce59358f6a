// ConversionReport is what one conversion says about the show it converted:
// per kind of item, how many arrived in the project and which did not, each
// of those named once in the error pane with the reason, and at the end a
// tally per kind and a summary per kind and cause, whose counts add up to
// the number the main window shows beside "Conversion complete".
//
// Every step writes through it: made() for each object it adds (whichever
// step adds it), ignore() for each item of the show left out, which logs
// its line at once; ignoreForLimit() for items that the project has no room
// for, which are said as one line per limit when the step flushes them.
// Counting costs no allocation; only a line that is logged builds text.
//
// Owned by the conversion driver, cleared at the start of each conversion.
// GUI thread only, like the steps and the logger's window handler.
#ifndef APPLICATIONS_MORVANT_CONVERSION_CONVERSION_REPORT_H
#define APPLICATIONS_MORVANT_CONVERSION_CONVERSION_REPORT_H

#include "components/archive/object_base.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>
#include <vector>

// The kinds the report counts, in the order its tallies are logged. Where a
// kind names objects of the project (controllers to scenes), "N converted"
// counts the objects of that kind the project holds when the steps end.
enum class ReportKind : int {
    Controllers,
    KinetPowerSupplies,
    RemoteDevices,
    DsxDmxUniverses,
    Universes,
    Functions,
    FixtureModels,
    Fixtures,
    FixtureElements,
    PlanPlaces,
    PatchRecords,
    FixtureComments,
    DaliFixtures,
    DaliInterfaces,
    Groups,
    GroupMembers,
    PixelMatrices,
    CustomPresets,
    MediaClips,
    MediaSlots,
    Fonts,
    TextSlots,
    TextPresets,
    Timelines,
    DaliScenes,
    TimecodeBuses,
    AudioBuses,
    EthernetSources,
    Scenes,
    PaletteValues,
    TouchPanelInterfaces,
    Triggers,
    ShowTexts,
    PlanImages,
    Count
};

class ConversionReport
{
public:
    struct SummaryLine
    {
        ReportKind kind;
        QString cause;
        unsigned count;
    };

    ConversionReport();

    void clear();

    // Counts `count` objects of kind as made; the kind's tally is logged
    // even when nothing was made.
    void made(ReportKind kind, unsigned count = 1) { m_kinds[index(kind)].converted += count, touch(kind); }
    // Counts objects made earlier and removed again (merged into another).
    void removed(ReportKind kind, unsigned count = 1);
    // Marks a kind whose tally is logged though no item of it was met.
    void touch(ReportKind kind) { m_kinds[index(kind)].touched = true; }

    // An item of the show that is not carried over: logs "Ignoring <item>:
    // <reason>" as a warning and counts `count` items of kind under `cause`,
    // the summary's words for why (a string literal; the same pointer or text
    // is one summary line).
    void ignore(ReportKind kind, const QString& item, const QString& reason, const char* cause, unsigned count = 1);
    // The same for a line the caller has logged itself, in a text that
    // names the item (such as a conversion table's own failure text).
    void count(ReportKind kind, const char* cause, unsigned count = 1);
    // `count` items, named by `item`, that the project had no room for, in
    // `array`: the first of a run is remembered and the others counted;
    // flushLimits() logs one line per kind and array, "The project holds at
    // most N <objects>: <first item> and M more were not converted".
    void ignoreForLimit(ReportKind kind, const QString& item, Archive::ArrayId array, unsigned count = 1);
    // Whether a run of the kind and array is open: its later items need no
    // text.
    bool inLimitRun(ReportKind kind, Archive::ArrayId array) const;
    void flushLimits();
    // "the project holds at most 60,000 fixture elements".
    static QString limitText(Archive::ArrayId array);

    unsigned converted(ReportKind kind) const { return m_kinds[index(kind)].converted; }
    unsigned ignored(ReportKind kind) const { return m_kinds[index(kind)].ignored; }
    // Every item not carried over, of every kind.
    unsigned ignoredTotal() const { return m_ignoredTotal; }
    // Per kind and cause, by kind in the tallies' order, then in the order
    // met; the counts add up to ignoredTotal().
    std::vector<SummaryLine> summary() const;

    // Logs "<Kind>: N converted" (", M not carried over" when any were)
    // for every kind met, then the summary lines, which end the report.
    void logTallies() const;
    void logSummary() const;

    static QString kindName(ReportKind kind);
    // "fixture 7 (Front)", "fixture 7 (unnamed)".
    static QString itemName(const char* noun, quint32 id, const QString& name);
    // 12,999: the report's numbers are read by people.
    static QString number(unsigned value);

private:
    struct Kind
    {
        unsigned converted = 0;
        unsigned ignored = 0;
        bool touched = false;
    };
    struct Cause
    {
        ReportKind kind;
        const char* cause;  // null for a limit
        Archive::ArrayId array;
        QString limit;  // limitText(array), made when first met
        unsigned count;
    };
    struct LimitRun
    {
        ReportKind kind;
        Archive::ArrayId array;
        QString limit;
        QString first;
        unsigned after;
    };

    static std::size_t index(ReportKind kind) { return static_cast<std::size_t>(kind); }
    void addCause(ReportKind kind, const char* cause, Archive::ArrayId array, unsigned count);

    std::array<Kind, static_cast<std::size_t>(ReportKind::Count)> m_kinds;
    std::vector<Cause> m_causes;
    std::vector<LimitRun> m_limits;
    unsigned m_ignoredTotal = 0;
};

#endif  // APPLICATIONS_MORVANT_CONVERSION_CONVERSION_REPORT_H
