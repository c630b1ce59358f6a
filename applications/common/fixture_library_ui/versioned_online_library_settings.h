// VersionedOnlineLibrarySettings keeps the online fixture library's settings
// with the program's own, in VersionedSettings::instance(): a value set by an
// older version is read until this one sets its own, and removing reaches
// older versions too, so a dropped ETag does not come back by inheritance.
// useVersionedOnlineLibrarySettings() hands it to the library; the program
// calls it once at start, before the library is first used.
//
// GUI thread only.
#ifndef APPLICATIONS_COMMON_FIXTURE_LIBRARY_UI_VERSIONED_ONLINE_LIBRARY_SETTINGS_H
#define APPLICATIONS_COMMON_FIXTURE_LIBRARY_UI_VERSIONED_ONLINE_LIBRARY_SETTINGS_H

#include "components/fixture_library/online_library_settings.h"

class VersionedOnlineLibrarySettings : public OnlineLibrarySettings
{
public:
    QVariant value(const QString& key) const override;
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    void removeGroup(const QString& group) override;
};

void useVersionedOnlineLibrarySettings();

#endif  // APPLICATIONS_COMMON_FIXTURE_LIBRARY_UI_VERSIONED_ONLINE_LIBRARY_SETTINGS_H
