#include "applications/common/fixture_library_ui/versioned_online_library_settings.h"

#include "applications/common/util/versioned_settings.h"

QVariant VersionedOnlineLibrarySettings::value(const QString& key) const
{
    return VersionedSettings::instance()->value(key);
}

void VersionedOnlineLibrarySettings::setValue(const QString& key, const QVariant& value)
{
    VersionedSettings::instance()->setValue(key, value);
}

void VersionedOnlineLibrarySettings::remove(const QString& key) { VersionedSettings::instance()->remove(key, true); }

void VersionedOnlineLibrarySettings::removeGroup(const QString& group)
{
    VersionedSettings::instance()->removeGroup(group, true);
}

void useVersionedOnlineLibrarySettings()
{
    setOnlineLibrarySettings(std::make_unique<VersionedOnlineLibrarySettings>());
}
