#ifndef APPLICATIONS_COMMON_UTIL_VERSIONED_SETTINGS_H
#define APPLICATIONS_COMMON_UTIL_VERSIONED_SETTINGS_H

#include "seltrane_components/os/version.h"

#include <QObject>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <map>

// VersionedSettings keeps the user settings of each program version in a
// settings group of its own, named by the version's long text ("2.5.3").  A
// key that this version has never stored is taken over from the newest older
// version that has it, and copied into this version's group on first read.
// An older group holding "InheritsOlderVersions" = false stops the search at
// itself (and for its own version); "ClearSettingsOnStartup" = true wipes this
// version's group at the next start, after which it inherits nothing.  The all-zero version keeps its keys at the top
// level and inherits nothing.
//
// The settings are the application's default QSettings (organisation and
// application names as set on QCoreApplication when this object is made).
// Older groups are found once, at construction.  instance() is made on first
// use and lives until the process ends.
//
// GUI thread only.
class VersionedSettings : public QObject
{
    Q_OBJECT

public:
    explicit VersionedSettings(const Version& version, QObject* parent = nullptr);
    ~VersionedSettings() override;

    // The process-wide settings of this program's version.
    static VersionedSettings* instance();

    // group + "/" + key; with no group given, this version's group (just the
    // key for the all-zero version).
    QString versionedKey(const QString& key, const QString& group = QString()) const;

    QVariant value(const QString& key, const QVariant& defaultValue = QVariant(), bool inherit = true);
    void setValue(const QString& key, const QVariant& value);
    void remove(const QString& key, bool alsoOlder = false);
    // Removes everything below the sub-group name; an empty name is ignored.
    void removeGroup(const QString& name, bool alsoOlder = false);

    // Fixture favourites, by a fixture type's manufacturer, model and mode,
    // under "FixtureFavourites/<manufacturer>-<model>-<mode>". Taking a
    // favourite back stores false, and clearing reaches older versions too,
    // so neither is undone by inheritance.
    bool isFavourite(quint16 manufacturerId, quint16 modelId, quint8 modeId);
    void setFavourite(quint16 manufacturerId, quint16 modelId, quint8 modeId, bool favourite);
    void clearFavourites();

    // The file (or, where settings are not files, the place) they live in.
    QString fileName() const { return m_settings.fileName(); }

    // Writes pending changes to permanent storage.
    void sync();

private:
    // Orders versions oldest first: by major, minor, patch, then DEBUG < BETA
    // < RC < release, then the tag number.
    struct VersionOrder
    {
        bool operator()(const Version& a, const Version& b) const;
    };

    struct OlderGroup
    {
        QString group;
        bool inherits = true;
    };

    void findOlderGroups();
    void clearOwnGroup();

    QSettings m_settings;
    Version m_version;
    QString m_group;
    bool m_inherits = true;
    std::map<Version, OlderGroup, VersionOrder> m_olderGroups;
};

#endif  // APPLICATIONS_COMMON_UTIL_VERSIONED_SETTINGS_H
