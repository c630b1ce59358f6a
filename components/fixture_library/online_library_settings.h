// OnlineLibrarySettings is what the online fixture library keeps between
// runs: its address ("OnlineFixtureLibrary/Url"), the endpoint its ETags came
// from and the ETags, under keys of that form. This base keeps them in memory
// only, for a run that sets no other; the program sets its own store (kept
// with its other settings) before the library is first used.
//
// GUI thread only, as the online library.
#ifndef FIXTURE_LIBRARY_ONLINE_LIBRARY_SETTINGS_H
#define FIXTURE_LIBRARY_ONLINE_LIBRARY_SETTINGS_H

#include <QString>
#include <QVariant>

#include <map>
#include <memory>

class OnlineLibrarySettings
{
public:
    virtual ~OnlineLibrarySettings() = default;

    // An invalid QVariant for a key that holds nothing.
    virtual QVariant value(const QString& key) const;
    virtual void setValue(const QString& key, const QVariant& value);
    virtual void remove(const QString& key);
    // Removes every key below the group ("<group>/...").
    virtual void removeGroup(const QString& group);

private:
    std::map<QString, QVariant> m_values;
};

// The store every online library reads and writes: a memory-only one until
// setOnlineLibrarySettings() replaces it (a null one restores that).
OnlineLibrarySettings& onlineLibrarySettings();
void setOnlineLibrarySettings(std::unique_ptr<OnlineLibrarySettings> settings);

#endif  // FIXTURE_LIBRARY_ONLINE_LIBRARY_SETTINGS_H
