#include "applications/common/util/versioned_settings.h"

#include <QCoreApplication>
#include <QStringList>

#include <tuple>

namespace {

const QString kInheritsKey = QStringLiteral("InheritsOlderVersions");
const QString kClearKey = QStringLiteral("ClearSettingsOnStartup");

bool hasNumbers(const Version& version)
{
    return version.majorVersion() || version.minorVersion() || version.patchVersion();
}

// A plain release sorts after its pre-releases: DEBUG, BETA, RC, release.
int kindRank(quint8 tag)
{
    switch (tag & 0xC0) {
    case Version::Debug:
        return 0;
    case Version::Beta:
        return 1;
    case Version::ReleaseCandidate:
        return 2;
    default:
        return 3;
    }
}

const QString kFavouritesGroup = QStringLiteral("FixtureFavourites");

QString favouriteKey(quint16 manufacturerId, quint16 modelId, quint8 modeId)
{
    return QStringLiteral("%1/%2-%3-%4").arg(kFavouritesGroup).arg(manufacturerId).arg(modelId).arg(modeId);
}

void syncInstance() { VersionedSettings::instance()->sync(); }

}  // namespace

bool VersionedSettings::VersionOrder::operator()(const Version& a, const Version& b) const
{
    const auto key = [](const Version& v) {
        return std::make_tuple(v.majorVersion(), v.minorVersion(), v.patchVersion(), kindRank(v.tag()), v.tag() & 0x3F);
    };
    return key(a) < key(b);
}

VersionedSettings::VersionedSettings(const Version& version, QObject* parent) : QObject(parent), m_version(version)
{
    if (hasNumbers(m_version))
        m_group = m_version.toString(true);
    findOlderGroups();

    if (m_settings.value(versionedKey(kClearKey), false).toBool()) {
        clearOwnGroup();
        m_settings.setValue(versionedKey(kClearKey), false);
        m_settings.setValue(versionedKey(kInheritsKey), false);
    }
    // A group that stops inheritance stops it for its own version too, or a
    // wiped version would take the old settings straight back.
    m_inherits = m_settings.value(versionedKey(kInheritsKey), true).toBool();
}

VersionedSettings::~VersionedSettings() = default;

VersionedSettings* VersionedSettings::instance()
{
    static VersionedSettings* const settings = [] {
        auto* created = new VersionedSettings(Version(2, 5, 3));
        // The instance is never destroyed, so QSettings' own flush on
        // destruction never runs; flush when the application goes away.
        qAddPostRoutine(syncInstance);
        return created;
    }();
    return settings;
}

QString VersionedSettings::versionedKey(const QString& key, const QString& group) const
{
    const QString& prefix = group.isEmpty() ? m_group : group;
    return prefix.isEmpty() ? key : prefix + QLatin1Char('/') + key;
}

QVariant VersionedSettings::value(const QString& key, const QVariant& defaultValue, bool inherit)
{
    const QVariant own = m_settings.value(versionedKey(key));
    if (own.isValid())
        return own;
    if (inherit && m_inherits) {
        for (auto it = m_olderGroups.rbegin(); it != m_olderGroups.rend(); ++it) {
            const QVariant older = m_settings.value(versionedKey(key, it->second.group));
            if (older.isValid()) {
                setValue(key, older);
                return older;
            }
            if (!it->second.inherits)
                break;
        }
    }
    return defaultValue;
}

void VersionedSettings::setValue(const QString& key, const QVariant& value)
{
    m_settings.setValue(versionedKey(key), value);
}

void VersionedSettings::remove(const QString& key, bool alsoOlder)
{
    m_settings.remove(versionedKey(key));
    if (alsoOlder) {
        for (const auto& older : m_olderGroups)
            m_settings.remove(versionedKey(key, older.second.group));
    }
}

void VersionedSettings::removeGroup(const QString& name, bool alsoOlder)
{
    // QSettings::remove("") inside a group wipes the group, so an empty name
    // would wipe this version's settings (or all of them at the top level).
    if (name.isEmpty())
        return;
    const auto removeIn = [this, &name](const QString& group) {
        m_settings.beginGroup(versionedKey(name, group));
        m_settings.remove(QString());
        m_settings.endGroup();
    };
    removeIn(QString());
    if (alsoOlder) {
        for (const auto& older : m_olderGroups)
            removeIn(older.second.group);
    }
}

bool VersionedSettings::isFavourite(quint16 manufacturerId, quint16 modelId, quint8 modeId)
{
    return value(favouriteKey(manufacturerId, modelId, modeId), false).toBool();
}

void VersionedSettings::setFavourite(quint16 manufacturerId, quint16 modelId, quint8 modeId, bool favourite)
{
    setValue(favouriteKey(manufacturerId, modelId, modeId), favourite);
}

void VersionedSettings::clearFavourites() { removeGroup(kFavouritesGroup, true); }

void VersionedSettings::sync() { m_settings.sync(); }

void VersionedSettings::findOlderGroups()
{
    m_olderGroups.clear();
    if (!hasNumbers(m_version))
        return;
    const QStringList groups = m_settings.childGroups();
    for (const QString& name : groups) {
        const Version older = Version::parse(name);
        if (!hasNumbers(older) || !VersionOrder()(older, m_version))
            continue;
        OlderGroup entry;
        entry.group = older.toString(true);
        entry.inherits = m_settings.value(versionedKey(kInheritsKey, entry.group), true).toBool();
        m_olderGroups[older] = entry;
    }
}

void VersionedSettings::clearOwnGroup()
{
    if (!m_group.isEmpty()) {
        m_settings.beginGroup(m_group);
        m_settings.remove(QString());
        m_settings.endGroup();
        return;
    }
    // The all-zero version lives at the top level beside the groups of real
    // versions, which are not its to wipe.
    const QStringList keys = m_settings.childKeys();
    for (const QString& key : keys)
        m_settings.remove(key);
    const QStringList groups = m_settings.childGroups();
    for (const QString& group : groups) {
        if (!hasNumbers(Version::parse(group)))
            m_settings.remove(group);
    }
}
