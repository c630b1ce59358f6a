#include "applications/common/util/tests/settings_fixture.h"
#include "applications/common/util/versioned_settings.h"

#include <tuple>

namespace {

class VersionedSettingsTest : public OwnSettingsTest
{
protected:
    static void store(std::initializer_list<std::pair<const char*, QVariant>> entries)
    {
        QSettings settings;
        for (const auto& entry : entries)
            settings.setValue(entry.first, entry.second);
    }
    static QVariant stored(const char* key) { return QSettings().value(key); }
};

}  // namespace

TEST_F(VersionedSettingsTest, InheritsKeyByKeyFromOlderVersionsOnly)
{
    // Pre-release kinds rank DEBUG < BETA < RC < the release itself.
    store({{"2.5.0/Other", 1},
           {"2.4.1/Path", "/from/2.4.1"},
           {"2.4.1/Other", 2},
           {"2.4.0/Path", "/old"},
           {"2.6.0/A", "newer"},
           {"Geometry/C", "geometry"},
           {"2.5.3.RC1/D", "rc"},
           {"2.5.3.DEBUG9/E", "debug"},
           {"2.5.3.BETA2/G", "beta2"}});
    VersionedSettings settings(Version(2, 5, 3));
    VersionedSettings beta(Version(2, 5, 3, Version::Beta | 1));
    EXPECT_EQ(settings.value("Path", "default").toString(), "/from/2.4.1");
    EXPECT_EQ(settings.value("Missing", "default").toString(), "default");
    const std::tuple<const char*, const char*, const char*> cases[] = {{"Other", "1", "1"},     {"A", "", ""},
                                                                       {"C", "", ""},           {"D", "rc", ""},
                                                                       {"E", "debug", "debug"}, {"G", "beta2", ""}};
    for (const auto& [key, release, inBeta] : cases) {
        EXPECT_EQ(settings.value(key).toString(), release) << key;
        EXPECT_EQ(beta.value(key).toString(), inBeta) << key;
    }
    // Once copied, the older group is no longer consulted; without inheritance only the own group counts.
    settings.sync();
    EXPECT_EQ(stored("2.5.3/Path").toString(), "/from/2.4.1");
    EXPECT_FALSE(stored("2.5.3/Missing").isValid());
    store({{"2.4.1/Path", "/changed"}, {"2.4.1/Only", 5}});
    EXPECT_EQ(settings.value("Path").toString(), "/from/2.4.1");
    EXPECT_FALSE(settings.value("Only", QVariant(), false).isValid());
}

TEST_F(VersionedSettingsTest, ClearOnStartupAndTheTopLevel)
{
    store({{"2.5.3/ClearSettingsOnStartup", true},
           {"2.5.3/Path", "/mine"},
           {"2.5.3/Geometry/Main", QRect(1, 2, 3, 4)},
           {"2.4.1/Path", "/older"},
           {"ClearSettingsOnStartup", true},
           {"Loose", 1}});
    EXPECT_EQ(VersionedSettings(Version(2, 5, 3)).value("Path", "default").toString(), "default");
    QSettings raw;
    EXPECT_EQ(raw.allKeys().filter("2.5.3/").size(), 2);
    EXPECT_EQ(raw.value("2.5.3/ClearSettingsOnStartup").toBool(), false);
    EXPECT_EQ(raw.value("2.5.3/InheritsOlderVersions", true).toBool(), false);

    // A later version reading through the cleared one stops there.
    EXPECT_FALSE(VersionedSettings(Version(2, 6, 0)).value("Path").isValid());
    // Version zero uses the top level; wiping it spares the groups of real versions.
    VersionedSettings top {Version()};
    EXPECT_FALSE(top.value("Loose").isValid());
    top.setValue("Path", "/top");
    top.sync();
    EXPECT_EQ(stored("Path").toString(), "/top");
    EXPECT_EQ(stored("2.4.1/Path").toString(), "/older");
    EXPECT_FALSE(stored("2.6.0/Path").isValid());
}

TEST_F(VersionedSettingsTest, RemoveReachesOlderGroupsOnlyWhenAsked)
{
    store({{"2.5.3/Key", 1},
           {"2.5.0/InheritsOlderVersions", false},
           {"2.5.0/Key", 2},
           {"2.4.1/Key", 3},
           {"2.5.3/Grid/Size", 4},
           {"2.4.1/Grid/Snap", 6},
           {"2.6.0/Key", 7}});
    VersionedSettings settings(Version(2, 5, 3));
    settings.remove("Key");
    EXPECT_TRUE(stored("2.5.0/Key").isValid());
    settings.remove("Key", true);
    settings.removeGroup("Grid", true);
    settings.removeGroup(QString(), true);  // ignored
    settings.sync();
    for (const char* gone : {"2.5.3/Key", "2.5.0/Key", "2.4.1/Key", "2.5.3/Grid/Size", "2.4.1/Grid/Snap"})
        EXPECT_FALSE(stored(gone).isValid()) << gone;
    EXPECT_EQ(stored("2.6.0/Key").toInt(), 7);
    EXPECT_FALSE(stored("2.5.0/InheritsOlderVersions").toBool());
}

TEST_F(VersionedSettingsTest, FixtureFavouritesLastAcrossInstancesAndStayCleared)
{
    store({{"2.4.1/FixtureFavourites/7-8-0", true}, {"2.4.1/FixtureFavourites/7-9-0", true}});
    {
        VersionedSettings settings(Version(2, 5, 3));
        settings.setFavourite(1, 1023, 2, true);
        settings.setFavourite(7, 9, 0, false);
        settings.sync();
    }
    EXPECT_TRUE(stored("2.5.3/FixtureFavourites/1-1023-2").toBool());
    VersionedSettings settings(Version(2, 5, 3));
    EXPECT_TRUE(settings.isFavourite(1, 1023, 2));
    EXPECT_FALSE(settings.isFavourite(1, 1023, 1));
    EXPECT_TRUE(settings.isFavourite(7, 8, 0));   // from the older version
    EXPECT_FALSE(settings.isFavourite(7, 9, 0));  // taken back, not inherited again
    settings.clearFavourites();
    settings.sync();
    EXPECT_FALSE(VersionedSettings(Version(2, 5, 3)).isFavourite(7, 8, 0));
    EXPECT_TRUE(QSettings().allKeys().filter("FixtureFavourites").isEmpty());
}
