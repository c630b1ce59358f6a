#include "applications/morvant/conversion/conversion_report.h"

#include "components/archive/archive_exception.h"
#include "components/archive/database.h"
#include "components/archive/database_array.h"
#include "components/quilshow/show/show_streamer.h"
#include "seltrane_components/os/logger.h"

#include <QCoreApplication>
#include <QLocale>
#include <QStringBuilder>

#include <algorithm>
#include <charconv>

namespace {

// Each kind's name, and what its tally counts when not the objects it made.
struct KindWords
{
    const char* name;
    const char* converted;
};
const KindWords kKindWords[] = {
    {"Controllers", "converted"},
    {"Controller links", "converted"},
    {"KiNET power supplies", "converted"},
    {"Remote devices", "converted"},
    {"DSX DMX universes", "converted"},
    {"Universes", "made for patch records"},
    {"Functions", "converted"},
    {"Fixture types", "converted"},
    {"Fixtures", "converted"},
    {"Fixture elements", "converted"},
    {"Plan places", "converted"},
    {"Patch records", "converted"},
    {"Fixture comments", "converted"},
    {"DALI fixtures", "converted"},
    {"DALI interfaces", "converted"},
    {"Groups", "converted"},
    {"Group members", "converted"},
    {"Pixel matrices", "converted"},
    {"Custom presets", "converted"},
    {"Media clips", "converted"},
    {"Media slots", "converted"},
    {"Fonts", "converted"},
    {"Text slots", "converted"},
    {"Text presets", "converted"},
    {"Timelines", "converted"},
    {"DALI scenes", "converted"},
    {"Timecode buses", "converted"},
    {"Audio buses", "converted"},
    {"Ethernet sources", "converted"},
    {"Scenes", "converted"},
    {"Palette values", "converted"},
    {"Touch-panel interfaces", "converted"},
    {"Triggers", "converted"},
    {"Show settings", "converted"},
    {"Show texts", "converted"},
    {"DALI test schedules", "converted"},
    {"Plan images", "converted"},
};
static_assert(std::size(kKindWords) == static_cast<std::size_t>(ReportKind::Count));

// What the arrays a conversion fills hold, as a limit names them.
struct ArrayNoun
{
    Archive::ArrayId array;
    const char* noun;
};
const ArrayNoun kArrayNouns[] = {
    {1, "functions"},
    {2, "fixtures"},
    {3, "fixture elements"},
    {4, "plan places"},
    {5, "groups"},
    {6, "scenes"},
    {11, "fonts"},
    {12, "DALI interfaces"},
    {19, "controllers"},
    {20, "remote devices"},
    {21, "KiNET power supplies"},
    {30, "universes"},
    {34, "fixture types"},
};

// The database's code for an add that found no free id.
const int kNoFreeIdCode = 16;

void logLine(int level, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    logText(level, bytes.constData(), std::size_t(bytes.size()));
}

quint64 saturatedSum(quint64 a, quint64 b) { return a > ~quint64(0) - b ? ~quint64(0) : a + b; }

}  // namespace

ConversionReport::ConversionReport() = default;

void ConversionReport::clear()
{
    m_kinds = {};
    m_causes.clear();
    m_limits.clear();
    m_changedItems.clear();
    m_totals[0] = m_totals[1] = 0;
    m_standardFunctions = 0;
    m_allGroups = AllGroups::NotMade;
    m_valuesWithPalettes = 0;
    m_dsxDevices = 0;
}

void ConversionReport::removed(ReportKind kind, std::optional<quint64> key)
{
    Kind& entry = m_kinds[index(kind)];
    if (entry.converted != 0)
        --entry.converted;
    if (!key)
        return;
    const auto item = m_changedItems.find({int(kind), *key});
    if (item == m_changedItems.end())
        return;
    const ReportCause* const cause = item->second;
    m_changedItems.erase(item);
    --entry.changed;
    --m_totals[1];
    for (auto known = m_causes.begin(); known != m_causes.end(); ++known) {
        if (known->outcome == Outcome::Changed && known->kind == kind && known->cause == cause) {
            if (--known->count == 0)
                m_causes.erase(known);
            return;
        }
    }
}

void ConversionReport::leftWithFixtures(ReportKind kind, quint64 count)
{
    Kind& entry = m_kinds[index(kind)];
    entry.withFixtures = saturatedSum(entry.withFixtures, count);
    entry.touched = true;
}

void ConversionReport::leftWithPalettes(quint64 count)
{
    m_valuesWithPalettes = saturatedSum(m_valuesWithPalettes, count);
    touch(ReportKind::PaletteValues);
}

void ConversionReport::missedAllGroups(const QString& reason)
{
    logLine(kLogWarning, QStringLiteral("The groups arrive without \"All Groups\", which would hold them: ") + reason);
    m_allGroups = AllGroups::Missed;
    // A change of the groups as a whole, not of one of them: counted in the
    // result line and the summary, not among the groups that changed.
    touch(ReportKind::Groups);
    m_totals[1] = saturatedSum(m_totals[1], 1);
    addSummary(Outcome::Changed, ReportKind::Groups, &Causes::kWithoutAllGroups, Archive::kNoObjectId, 1);
}

void ConversionReport::ignore(ReportKind kind, const QString& item, const QString& reason, const ReportCause& cause,
                              quint64 count)
{
    // Built by joining: a large show may leave out thousands of items.
    logLine(kLogWarning, QStringLiteral("Ignoring ") % item % QStringLiteral(": ") % reason);
    addCause(Outcome::NotCarriedOver, kind, &cause, Archive::kNoObjectId, count);
}

void ConversionReport::ignoreLine(ReportKind kind, const QString& line, const ReportCause& cause, quint64 count)
{
    logLine(kLogWarning, line);
    addCause(Outcome::NotCarriedOver, kind, &cause, Archive::kNoObjectId, count);
}

void ConversionReport::ignoreLine(ReportKind kind, const ReportLine& line, const ReportCause& cause, quint64 count)
{
    logText(kLogWarning, line.text().data(), line.text().size());
    addCause(Outcome::NotCarriedOver, kind, &cause, Archive::kNoObjectId, count);
}

void ConversionReport::refused(ReportKind kind, const QString& item, const std::exception& error, quint64 count)
{
    Archive::ArrayId array = 0;
    if (isNoRoom(error, &array))
        ignoreForLimit(kind, item, array, count);
    else
        ignore(kind, item, refusalText(error), Causes::kRefused, count);
}

void ConversionReport::changed(ReportKind kind, quint64 key, const QString& line, const ReportCause& cause)
{
    logLine(kLogWarning, line);
    if (m_changedItems.emplace(std::make_pair(int(kind), key), &cause).second)
        addCause(Outcome::Changed, kind, &cause, Archive::kNoObjectId, 1);
}

void ConversionReport::addCause(Outcome outcome, ReportKind kind, const ReportCause* cause, Archive::ArrayId array,
                                quint64 count)
{
    Kind& entry = m_kinds[index(kind)];
    quint64& counted = outcome == Outcome::Changed ? entry.changed : entry.ignored;
    counted = saturatedSum(counted, count);
    entry.touched = true;
    quint64& total = m_totals[outcome == Outcome::Changed ? 1 : 0];
    total = saturatedSum(total, count);
    addSummary(outcome, kind, cause, array, count);
}

void ConversionReport::addSummary(Outcome outcome, ReportKind kind, const ReportCause* cause, Archive::ArrayId array,
                                  quint64 count)
{
    // A handful of causes per conversion: a walk beats a map.
    for (Cause& known : m_causes) {
        if (known.outcome == outcome && known.kind == kind && known.array == array && known.cause == cause) {
            known.count = saturatedSum(known.count, count);
            return;
        }
    }
    m_causes.push_back({outcome, kind, cause, array, cause ? QString() : limitText(array), count});
}

void ConversionReport::ignoreForLimit(ReportKind kind, const QString& item, Archive::ArrayId array, quint64 count)
{
    addCause(Outcome::NotCarriedOver, kind, nullptr, array, count);
    for (LimitRun& run : m_limits) {
        if (run.kind == kind && run.array == array) {
            run.after = saturatedSum(run.after, count);
            return;
        }
    }
    // The first item names as many as it counts; "more" are the later ones.
    m_limits.push_back({kind, array, limitText(array), item, 0});
}

bool ConversionReport::inLimitRun(ReportKind kind, Archive::ArrayId array) const
{
    return std::any_of(m_limits.begin(), m_limits.end(),
                       [&](const LimitRun& run) { return run.kind == kind && run.array == array; });
}

void ConversionReport::flushLimits()
{
    for (const LimitRun& run : m_limits) {
        QString text = capitalized(run.limit);
        if (run.after == 0)
            text += QStringLiteral(": %1 was not converted").arg(run.first);
        else
            text += QStringLiteral(": %1 and %2 more were not converted").arg(run.first, number(run.after));
        logLine(kLogWarning, text);
    }
    m_limits.clear();
}

QString ConversionReport::limitText(Archive::ArrayId array) const
{
    const Archive::Array* target = Archive::getArray(array, m_database);
    const QString limit = target ? number(target->maxObjects()) : QStringLiteral("so many");
    for (const ArrayNoun& noun : kArrayNouns) {
        if (noun.array == array)
            return QStringLiteral("the project holds at most %1 %2").arg(limit, QLatin1String(noun.noun));
    }
    QString name;
    Archive::getArrayName(name, array, m_database);
    return QStringLiteral("the project holds at most %1 objects in its array \"%2\"").arg(limit, name);
}

QString ConversionReport::refusalText(const std::exception& error) const
{
    Archive::ArrayId array = 0;
    if (isNoRoom(error, &array))
        return limitText(array);
    if (const auto* archiveError = dynamic_cast<const Archive::archive_exception*>(&error))
        return QStringLiteral("the project refused it (%1)")
            .arg(Archive::archive_exception::messageForCode(archiveError->code()));
    return QString::fromUtf8(error.what());
}

std::vector<ConversionReport::SummaryLine> ConversionReport::summary() const
{
    std::vector<SummaryLine> lines;
    for (const Cause& cause : m_causes) {
        lines.push_back(
            {cause.outcome, cause.kind, cause.cause ? QString::fromUtf8(cause.cause->text) : cause.limit, cause.count});
    }
    // Losses first; each by kind, as the tallies; a kind's causes in the order met.
    std::stable_sort(lines.begin(), lines.end(), [](const SummaryLine& a, const SummaryLine& b) {
        return std::make_pair(int(a.outcome), index(a.kind)) < std::make_pair(int(b.outcome), index(b.kind));
    });
    return lines;
}

QString ConversionReport::resultText(const QString& note) const
{
    const quint64 dropped = ignoredTotal();
    const quint64 changedItems = changedTotal();
    QString text = QCoreApplication::translate("ConversionReport", "Conversion complete");
    if (dropped != 0) {
        text += dropped == 1 ? QStringLiteral("; 1 item was not carried over")
                             : QStringLiteral("; %1 items were not carried over").arg(number(dropped));
        if (changedItems != 0)
            text += QStringLiteral(" and %1 arrived changed").arg(number(changedItems));
    } else if (changedItems != 0) {
        text += changedItems == 1 ? QStringLiteral("; 1 item arrived changed")
                                  : QStringLiteral("; %1 items arrived changed").arg(number(changedItems));
    }
    if (!note.isEmpty())
        text += QStringLiteral("; ") + note;
    if (dropped != 0 || changedItems != 0)
        text += QCoreApplication::translate("ConversionReport", " (see the error pane)");
    return text;
}

QString ConversionReport::tally(std::size_t kind) const
{
    const Kind& entry = m_kinds[kind];
    QString line = QLatin1String(kKindWords[kind].name) % QStringLiteral(": ") % number(entry.converted);
    if (ReportKind(kind) == ReportKind::Functions) {
        line += QStringLiteral(" of the show's mapped onto the project's %1 standard functions")
                    .arg(number(m_standardFunctions));
    } else {
        line += QLatin1Char(' ') + QLatin1String(kKindWords[kind].converted);
    }
    if (ReportKind(kind) == ReportKind::Groups && m_allGroups != AllGroups::NotMade)
        line += m_allGroups == AllGroups::Made ? QStringLiteral(", and All Groups")
                                               : QStringLiteral(", without All Groups");
    if (entry.changed != 0)
        line += QStringLiteral(", %1 of them changed").arg(number(entry.changed));
    if (entry.ignored != 0)
        line += QStringLiteral(", %1 not carried over").arg(number(entry.ignored));
    if (entry.withFixtures != 0)
        line += QStringLiteral(", %1 left out with %2")
                    .arg(number(entry.withFixtures), byCount(entry.withFixtures, "its fixture", "their fixtures"));
    if (ReportKind(kind) == ReportKind::PaletteValues && m_valuesWithPalettes != 0)
        line += QStringLiteral(", %1 left out with %2")
                    .arg(number(m_valuesWithPalettes), byCount(m_valuesWithPalettes, "its palette", "their palettes"));
    if (ReportKind(kind) == ReportKind::RemoteDevices && m_dsxDevices != 0)
        line += QStringLiteral(", %1 made for DSX DMX universes").arg(number(m_dsxDevices));
    return line;
}

void ConversionReport::logTallies() const
{
    for (std::size_t kind = 0; kind < m_kinds.size(); ++kind) {
        if (m_kinds[kind].touched)
            logLine(kLogInfo, tally(kind));
    }
}

void ConversionReport::logSummary() const
{
    for (const SummaryLine& line : summary()) {
        logLine(kLogInfo,
                QStringLiteral("%1 %2: %3 (%4)")
                    .arg(kindName(line.kind),
                         QLatin1String(line.outcome == Outcome::Changed ? "arrived changed" : "not carried over"),
                         number(line.count), line.cause));
    }
}

QString ConversionReport::kindName(ReportKind kind) { return QLatin1String(kKindWords[index(kind)].name); }

QString ConversionReport::itemName(const char* noun, quint32 id, const QString& name)
{
    const bool unnamed = name.isEmpty() || name.trimmed().isEmpty();
    return QLatin1String(noun) % QLatin1Char(' ') % QString::number(id) % QStringLiteral(" (")
        % (unnamed ? QStringLiteral("unnamed") : name) % QLatin1Char(')');
}

QString ConversionReport::number(quint64 value)
{
    // Most numbers a line names are small, and need no grouping.
    if (value < 1000)
        return QString::number(value);
    static const QLocale english(QLocale::English);
    return english.toString(value);
}

QString ConversionReport::capitalized(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

QString ConversionReport::counted(quint64 count, const char* one, const char* many)
{
    return number(count) % QLatin1Char(' ') % byCount(count, one, many);
}

ReportLine& ReportLine::operator<<(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return append(std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

ReportLine& ReportLine::appendNumber(quint64 value)
{
    char digits[20];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return append(std::string_view(digits, std::size_t(end - digits)));
}

ReportLine& ReportLine::counted(quint64 count, const char* one, const char* many)
{
    if (count >= 1000)
        *this << ConversionReport::number(count);
    else
        appendNumber(count);
    return *this << " " << ConversionReport::byCount(count, one, many).latin1();
}

ReportLine& ReportLine::item(const char* noun, quint32 id, std::string_view name)
{
    name = name.substr(0, name.find('\0'));
    // Other bytes are decoded as the show's reader decodes them.
    if (!std::all_of(name.begin(), name.end(), [](char c) { return uchar(c) < 0x80; }))
        return *this << ConversionReport::itemName(noun, id, Quil::toQString(std::string(name)));
    *this << noun << " " << id << " (";
    if (std::all_of(name.begin(), name.end(), [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }))
        return *this << "unnamed)";
    return append(name) << ")";
}

bool isNoRoom(const std::exception& error, Archive::ArrayId* array)
{
    const auto* archiveError = dynamic_cast<const Archive::archive_exception*>(&error);
    if (!archiveError || archiveError->code() != kNoFreeIdCode)
        return false;
    if (array)
        *array = archiveError->arrayId();
    return true;
}

QString exceptionText(const std::exception& error)
{
    const auto* archiveError = dynamic_cast<const Archive::archive_exception*>(&error);
    // A storage error says itself, in words, which file failed and why.
    if (!archiveError || dynamic_cast<const Archive::storage_error*>(&error))
        return QString::fromUtf8(error.what());
    QStringList ids;
    if (archiveError->objectId() != Archive::archive_exception::kNoId)
        ids << QStringLiteral("object %1").arg(archiveError->objectId());
    if (archiveError->arrayId() != Archive::archive_exception::kNoId)
        ids << QStringLiteral("array %1").arg(archiveError->arrayId());
    const QString message = Archive::archive_exception::messageForCode(archiveError->code());
    return ids.isEmpty() ? message : QStringLiteral("%1 (%2)").arg(message, ids.join(QStringLiteral(", ")));
}
