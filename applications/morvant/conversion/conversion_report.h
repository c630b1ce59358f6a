// ConversionReport is what one conversion says about the show it converted.
// Every item of the show arrives as itself, arrives changed (a value
// replaced by a fallback or default, clamped, or completed with defaults) or
// is not carried over (merged into another item included). Per kind the
// report counts what arrived and names each item of the other two outcomes
// once in the error pane with its reason; at the end it logs a tally per
// kind and a summary per outcome, kind and cause, whose counts add up to the
// numbers of the result line (resultText()).
//
// Every step writes through it: made() for each object it adds (whichever
// step adds it), ignore() and its siblings for each item left out, which log
// their line at once, changed() for each item that arrives changed,
// ignoreForLimit() for items that the project has no room for, which are
// said as one line per limit when the step flushes them. Counting costs no
// allocation; only a line that is logged builds text. Every cause is a
// named constant of report_causes.h.
//
// Owned by the conversion driver, cleared at the start of each conversion.
// GUI thread only, like the steps and the logger's window handler.
#ifndef APPLICATIONS_MORVANT_CONVERSION_CONVERSION_REPORT_H
#define APPLICATIONS_MORVANT_CONVERSION_CONVERSION_REPORT_H

#include "applications/morvant/conversion/report_causes.h"
#include "components/archive/object_base.h"

#include <QString>

#include <array>
#include <cstddef>
#include <exception>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

// The kinds the report counts, in the order its tallies are logged. Where a
// kind names objects of the project (controllers to scenes), "N converted"
// counts the objects of that kind the project holds when the steps end.
enum class ReportKind : int {
    Controllers,
    ControllerLinks,
    KinetPowerSupplies,
    // The show's; those made for DSX DMX universes count beside them.
    RemoteDevices,
    DsxDmxUniverses,
    // Those made for patch records: DSX DMX universes count on their own.
    Universes,
    // The show's functions, mapped onto the project's standard ones.
    Functions,
    FixtureModels,
    Fixtures,
    FixtureElements,
    PlanPlaces,
    PatchRecords,
    FixtureComments,
    DaliFixtures,
    DaliInterfaces,
    // The show's groups; "All Groups" is said beside them.
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
    ShowSettings,
    ShowTexts,
    DaliTestSchedules,
    PlanImages,
    Count
};

// A line of the report built by appending UTF-8, with no format to parse
// and no allocation once its buffer has grown: a large show may leave out
// tens of thousands of items, each group of them with its line. The report
// hands one out (ConversionReport::line()) and logs it whole.
class ReportLine
{
public:
    ReportLine& operator<<(const char* text) { return append(std::string_view(text)); }
    ReportLine& operator<<(const QString& text);
    // Numbers as ids are written, without grouping.
    template <class Number, class = std::enable_if_t<std::is_integral_v<Number>>>
    ReportLine& operator<<(Number value)
    {
        return appendNumber(quint64(value));
    }
    // "1 channel", "2 channels", "1,200 channels".
    ReportLine& counted(quint64 count, const char* one, const char* many);
    // "fixture 7 (Front)" from a text as the show stores it: "unnamed" when
    // blank, decoded as the show's reader decodes it when not plain ASCII.
    ReportLine& item(const char* noun, quint32 id, std::string_view name);

    void clear() { m_text.clear(); }
    std::string_view text() const { return m_text; }

private:
    ReportLine& append(std::string_view text) { return m_text.append(text), *this; }
    ReportLine& appendNumber(quint64 value);

    std::string m_text;
};

class ConversionReport
{
public:
    enum class Outcome { NotCarriedOver, Changed };
    struct SummaryLine
    {
        Outcome outcome;
        ReportKind kind;
        QString cause;
        quint64 count;
    };

    ConversionReport();

    void clear();
    // The database whose arrays a limit names: the output project's (the
    // current one until set).
    void setDatabase(Archive::DatabaseId database) { m_database = database; }

    // Counts `count` objects of kind as made; the kind's tally is logged
    // even when nothing was made.
    void made(ReportKind kind, quint64 count = 1) { m_kinds[index(kind)].converted += count, touch(kind); }
    // The same for a kind every show has (its settings, its DALI test
    // schedules): its tally is logged only once an item of it changed or
    // was left out.
    void madeQuietly(ReportKind kind, quint64 count = 1) { m_kinds[index(kind)].converted += count; }
    // Counts an object made earlier and removed again, never below none.
    // When it had arrived changed (`key` as changed() was given it), its
    // change goes with it: from the kind's changed count, the total and its
    // cause's summary line.
    void removed(ReportKind kind, std::optional<quint64> key = std::nullopt);
    // Marks a kind whose tally is logged though no item of it was met.
    void touch(ReportKind kind) { m_kinds[index(kind)].touched = true; }
    // Items left out with the fixture they belong to (its elements, patch
    // records, plan place, comment): said on their kind's tally, counted with
    // the fixture; the caller counts each item once.
    void leftWithFixtures(ReportKind kind, quint64 count);
    // The values of palettes left out, said on the palette values' tally
    // and counted with their palettes.
    void leftWithPalettes(quint64 count);
    // The tally of Functions says how many of the show's were mapped onto
    // how many standard functions the project holds.
    void setStandardFunctions(quint64 count) { m_standardFunctions = count; }
    // "All Groups" stands in the project beside the show's groups.
    void madeAllGroups() { m_allGroups = AllGroups::Made; }
    // "All Groups" could not be added (`reason`): one line, and the groups
    // count as arriving changed, though no group of the show was left out.
    void missedAllGroups(const QString& reason);
    // A remote device that no entry of the show's device table asked for,
    // made for the DSX DMX universes that name it: said on the remote
    // devices' tally beside the show's own.
    void madeForDsxUniverses() { ++m_dsxDevices, touch(ReportKind::RemoteDevices); }

    // An item of the show that is not carried over: logs "Ignoring <item>:
    // <reason>" as a warning and counts `count` items of kind under cause.
    void ignore(ReportKind kind, const QString& item, const QString& reason, const ReportCause& cause,
                quint64 count = 1);
    // The same, in a line of the caller's that names the item (such as one
    // that starts with a conversion table's own failure text).
    void ignoreLine(ReportKind kind, const QString& line, const ReportCause& cause, quint64 count = 1);
    // The same with a line built by appending; line() hands out the report's
    // own, emptied.
    void ignoreLine(ReportKind kind, const ReportLine& line, const ReportCause& cause, quint64 count = 1);
    ReportLine& line() { return m_line.clear(), m_line; }
    // An item the project refused: a full array is said as its limit
    // (ignoreForLimit), any other error in the database's own words.
    void refused(ReportKind kind, const QString& item, const std::exception& error, quint64 count = 1);
    // `count` items, named by `item`, that the project had no room for, in
    // `array`: the first of a run is remembered and the others counted;
    // flushLimits() logs one line per kind and array, "The project holds at
    // most N <objects>: <first item> and M more were not converted".
    void ignoreForLimit(ReportKind kind, const QString& item, Archive::ArrayId array, quint64 count = 1);
    // Whether a run of the kind and array is open: its later items need no
    // text.
    bool inLimitRun(ReportKind kind, Archive::ArrayId array) const;
    void flushLimits();
    // "the project holds at most 60,000 fixture elements".
    QString limitText(Archive::ArrayId array) const;
    // Why the project refused an object, in words and without the
    // database's codes: a full array as its limit.
    QString refusalText(const std::exception& error) const;

    // An item that arrives changed: logs the line (which names the item and
    // what changed) as a warning, and counts the item once, under the first
    // cause met for it; `key` tells the items of one kind apart.
    void changed(ReportKind kind, quint64 key, const QString& line, const ReportCause& cause);

    quint64 converted(ReportKind kind) const { return m_kinds[index(kind)].converted; }
    quint64 ignored(ReportKind kind) const { return m_kinds[index(kind)].ignored; }
    quint64 changedCount(ReportKind kind) const { return m_kinds[index(kind)].changed; }
    // Every item not carried over, and every item changed, of every kind.
    quint64 ignoredTotal() const { return m_totals[0]; }
    quint64 changedTotal() const { return m_totals[1]; }
    // Not carried over first, then changed; by kind in the tallies' order,
    // a kind's causes in the order met. The counts of each outcome add up
    // to its total.
    std::vector<SummaryLine> summary() const;
    // "Conversion complete", or with the counts of the other outcomes:
    // "Conversion complete; 12 items were not carried over and 3 arrived
    // changed (see the error pane)"; a note (what became of the result since)
    // follows the counts, before the pointer to the error pane.
    QString resultText(const QString& note = QString()) const;

    // Logs the tally of every kind met ("Fixtures: 7,500 converted, 12 of
    // them changed, 500 not carried over"), then the summary lines, which
    // end the report.
    void logTallies() const;
    void logSummary() const;

    static QString kindName(ReportKind kind);
    // "fixture 7 (Front)", "fixture 7 (unnamed)".
    static QString itemName(const char* noun, quint32 id, const QString& name);
    // 12,999: the report's numbers are read by people.
    static QString number(quint64 value);
    // The text with its first letter upper case, to start a line.
    static QString capitalized(QString text);
    // "1 channel", "2 channels".
    static QString counted(quint64 count, const char* one, const char* many);
    // The words of a line about `count` items that depend on how many they
    // are: `one` for a single item ("it names"), else `many` ("they name").
    static QLatin1String byCount(quint64 count, const char* one, const char* many)
    {
        return QLatin1String(count == 1 ? one : many);
    }

private:
    struct Kind
    {
        quint64 converted = 0;
        quint64 ignored = 0;
        quint64 changed = 0;
        quint64 withFixtures = 0;
        bool touched = false;
    };
    struct Cause
    {
        Outcome outcome;
        ReportKind kind;
        const ReportCause* cause;  // null for a limit
        Archive::ArrayId array;
        QString limit;  // limitText(array), made when first met
        quint64 count;
    };
    struct LimitRun
    {
        ReportKind kind;
        Archive::ArrayId array;
        QString limit;
        QString first;
        quint64 after;
    };

    static std::size_t index(ReportKind kind) { return static_cast<std::size_t>(kind); }
    void addCause(Outcome outcome, ReportKind kind, const ReportCause* cause, Archive::ArrayId array, quint64 count);
    // The summary line's share alone, of addCause.
    void addSummary(Outcome outcome, ReportKind kind, const ReportCause* cause, Archive::ArrayId array, quint64 count);
    QString tally(std::size_t kind) const;

    std::array<Kind, static_cast<std::size_t>(ReportKind::Count)> m_kinds;
    std::vector<Cause> m_causes;
    std::vector<LimitRun> m_limits;
    // Each item counted as changed (kind, key), with the cause it counts under.
    std::map<std::pair<int, quint64>, const ReportCause*> m_changedItems;
    quint64 m_totals[2] = {0, 0};
    ReportLine m_line;
    quint64 m_standardFunctions = 0;
    enum class AllGroups { NotMade, Made, Missed } m_allGroups = AllGroups::NotMade;
    quint64 m_valuesWithPalettes = 0;
    quint64 m_dsxDevices = 0;
    Archive::DatabaseId m_database = 0;
};

// The database's "no room" error: an add refused because the array holds
// as many objects as it may.
bool isNoRoom(const std::exception& error, Archive::ArrayId* array = nullptr);
// The text of an exception for a message: the database's own message for
// its errors, with the object and array concerned ("Added object already
// exists (object 5, array 2)"), what() for the others; never a bare code.
QString exceptionText(const std::exception& error);

#endif  // APPLICATIONS_MORVANT_CONVERSION_CONVERSION_REPORT_H
