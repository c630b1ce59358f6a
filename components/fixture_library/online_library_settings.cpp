#include "components/fixture_library/online_library_settings.h"

namespace {

std::unique_ptr<OnlineLibrarySettings>& current()
{
    static std::unique_ptr<OnlineLibrarySettings> settings = std::make_unique<OnlineLibrarySettings>();
    return settings;
}

}  // namespace

QVariant OnlineLibrarySettings::value(const QString& key) const
{
    const auto found = m_values.find(key);
    return found == m_values.end() ? QVariant() : found->second;
}

void OnlineLibrarySettings::setValue(const QString& key, const QVariant& value) { m_values[key] = value; }

void OnlineLibrarySettings::remove(const QString& key) { m_values.erase(key); }

void OnlineLibrarySettings::removeGroup(const QString& group)
{
    if (group.isEmpty())
        return;
    const QString prefix = group + QLatin1Char('/');
    for (auto it = m_values.lower_bound(prefix); it != m_values.end() && it->first.startsWith(prefix);)
        it = m_values.erase(it);
}

OnlineLibrarySettings& onlineLibrarySettings() { return *current(); }

void setOnlineLibrarySettings(std::unique_ptr<OnlineLibrarySettings> settings)
{
    current() = settings ? std::move(settings) : std::make_unique<OnlineLibrarySettings>();
}
