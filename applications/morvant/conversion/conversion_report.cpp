#include "applications/morvant/conversion/conversion_report.h"

#include "components/archive/database.h"
#include "components/archive/database_array.h"
#include "seltrane_components/os/logger.h"

#include <QLocale>
#include <QStringBuilder>

#include <algorithm>
#include <cstring>

namespace {

const char* const kKindNames[] = {
    "Controllers",
    "KiNET power supplies",
    "Remote devices",
    "DSX DMX universes",
    "Universes",
    "Functions",
    "Fixture types",
    "Fixtures",
    "Fixture elements",
    "Plan places",
    "Patch records",
    "Fixture comments",
    "DALI fixtures",
    "DALI interfaces",
    "Groups",
    "Group members",
    "Pixel matrices",
    "Custom presets",
    "Media clips",
    "Media slots",
    "Fonts",
    "Text slots",
    "Text presets",
    "Timelines",
    "DALI scenes",
    "Timecode buses",
    "Audio buses",
    "Ethernet sources",
    "Scenes",
    "Palette values",
    "Touch-panel interfaces",
    "Triggers",
    "Show texts",
    "Plan images",
};
static_assert(std::size(kKindNames) == static_cast<std::size_t>(ReportKind::Count));

// What the arrays a conversion fills hold, as a limit names them.
struct ArrayNoun
{
    Archive::ArrayId array;
    const char* noun;
};
const ArrayNoun kArrayNouns[] = {
    {1, "functions"},        {2, "fixtures"},
    {3, "fixture elements"}, {4, "plan places"},
    {5, "groups"},           {6, "scenes"},
    {11, "fonts"},           {19, "controllers"},
    {20, "remote devices"},  {21, "KiNET power supplies"},
    {30, "universes"},       {34, "fixture types"},
};

void logLine(int level, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    logText(level, bytes.constData(), std::size_t(bytes.size()));
}

}  // namespace

ConversionReport::ConversionReport() = default;

void ConversionReport::clear()
{
    m_kinds = {};
    m_causes.clear();
    m_limits.clear();
    m_ignoredTotal = 0;
}

void ConversionReport::removed(ReportKind kind, unsigned count)
{
    Kind& entry = m_kinds[index(kind)];
    entry.converted = count > entry.converted ? 0 : entry.converted - count;
}

void ConversionReport::ignore(ReportKind kind, const QString& item, const QString& reason, const char* cause,
                              unsigned count)
{
    // Built by joining: a large show may leave out thousands of items.
    logLine(kLogWarning, QStringLiteral("Ignoring ") % item % QStringLiteral(": ") % reason);
    this->count(kind, cause, count);
}

void ConversionReport::count(ReportKind kind, const char* cause, unsigned count)
{
    addCause(kind, cause, Archive::kNoObjectId, count);
}

void ConversionReport::addCause(ReportKind kind, const char* cause, Archive::ArrayId array, unsigned count)
{
    Kind& entry = m_kinds[index(kind)];
    entry.ignored += count;
    entry.touched = true;
    m_ignoredTotal += count;
    // A handful of causes per conversion: a walk beats a map.
    for (Cause& known : m_causes) {
        if (known.kind == kind && known.array == array
            && (known.cause == cause || (known.cause && cause && std::strcmp(known.cause, cause) == 0))) {
            known.count += count;
            return;
        }
    }
    m_causes.push_back({kind, cause, array, cause ? QString() : limitText(array), count});
}

void ConversionReport::ignoreForLimit(ReportKind kind, const QString& item, Archive::ArrayId array, unsigned count)
{
    addCause(kind, nullptr, array, count);
    for (LimitRun& run : m_limits) {
        if (run.kind == kind && run.array == array) {
            run.after += count;
            return;
        }
    }
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
        QString text = run.limit;
        text[0] = text[0].toUpper();
        if (run.after == 0)
            text += QStringLiteral(": %1 was not converted").arg(run.first);
        else
            text += QStringLiteral(": %1 and %2 more were not converted").arg(run.first, number(run.after));
        logLine(kLogWarning, text);
    }
    m_limits.clear();
}

QString ConversionReport::limitText(Archive::ArrayId array)
{
    const Archive::Array* target = Archive::getArray(array);
    const QString limit = target ? number(target->maxObjects()) : QStringLiteral("so many");
    for (const ArrayNoun& noun : kArrayNouns) {
        if (noun.array == array)
            return QStringLiteral("the project holds at most %1 %2").arg(limit, QLatin1String(noun.noun));
    }
    QString name;
    Archive::getArrayName(name, array);
    return QStringLiteral("the project holds at most %1 objects in its array \"%2\"").arg(limit, name);
}

std::vector<ConversionReport::SummaryLine> ConversionReport::summary() const
{
    std::vector<SummaryLine> lines;
    for (const Cause& cause : m_causes) {
        lines.push_back({cause.kind, cause.cause ? QString::fromUtf8(cause.cause) : cause.limit, cause.count});
    }
    // By kind, as the tallies; a kind's causes in the order met.
    std::stable_sort(lines.begin(), lines.end(),
                     [](const SummaryLine& a, const SummaryLine& b) { return index(a.kind) < index(b.kind); });
    return lines;
}

void ConversionReport::logTallies() const
{
    for (std::size_t kind = 0; kind < m_kinds.size(); ++kind) {
        const Kind& entry = m_kinds[kind];
        if (!entry.touched)
            continue;
        QString line = QStringLiteral("%1: %2 converted").arg(QLatin1String(kKindNames[kind]), number(entry.converted));
        if (entry.ignored != 0)
            line += QStringLiteral(", %1 not carried over").arg(number(entry.ignored));
        logLine(kLogInfo, line);
    }
}

void ConversionReport::logSummary() const
{
    for (const SummaryLine& line : summary()) {
        logLine(
            kLogInfo,
            QStringLiteral("%1 not carried over: %2 (%3)").arg(kindName(line.kind), number(line.count), line.cause));
    }
}

QString ConversionReport::kindName(ReportKind kind) { return QLatin1String(kKindNames[index(kind)]); }

QString ConversionReport::itemName(const char* noun, quint32 id, const QString& name)
{
    const bool unnamed = name.isEmpty() || name.trimmed().isEmpty();
    return QLatin1String(noun) % QLatin1Char(' ') % QString::number(id) % QStringLiteral(" (")
        % (unnamed ? QStringLiteral("unnamed") : name) % QLatin1Char(')');
}

QString ConversionReport::number(unsigned value)
{
    static const QLocale english(QLocale::English);
    return english.toString(value);
}
