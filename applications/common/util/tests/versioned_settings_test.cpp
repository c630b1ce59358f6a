#include "applications/common/util/versioned_settings.h"
#include "applications/common/util/tests/qt_print.h"
#include "applications/common/util/tests/settings_fixture.h"

#include <QRect>

#include <initializer_list>
#include <utility>

namespace {

class VersionedSettingsTest : public OwnSettingsTest
{
protected:
    static void store(std::initializer_list<std::pair<const char*, QVariant>> entries)
    {
        QSettings settings;
        for (const auto& entry : entries)
            settings.setValue(QString::fromLatin1(entry.first), entry.second);
        settings.sync();
    }

    static QVariant stored(const char* key) { return QSettings().value(QString::fromLatin1(key)); }
};

} // namespace

TEST_F(VersionedSettingsTest, InheritsKeyByKeyFromTheNewestOlderVersion)
{
    store({{"2.5.0/Other", 1}, {"2.4.1/Path", "/from/2.4.1"}, {"2.4.1/Other", 2}, {"2.4.0/Path", "/old"}});
    VersionedSettings settings(Version(2, 5, 3));
    EXPECT_EQ(settings.versionedKey("Path"), "2.5.3/Path");
    EXPECT_EQ(settings.versionedKey("Path", "2.4.1"), "2.4.1/Path");
    EXPECT_EQ(VersionedSettings::instance()->versionedKey("LastInputFilePath"), "2.5.3/LastInputFilePath");

    EXPECT_EQ(settings.value("Path", "default").toString(), "/from/2.4.1");
    EXPECT_EQ(settings.value("Other").toInt(), 1);
    EXPECT_EQ(settings.value("Missing", "default").toString(), "default");
    settings.sync();
    EXPECT_EQ(stored("2.5.3/Path").toString(), "/from/2.4.1");
    EXPECT_FALSE(stored("2.5.3/Missing").isValid());

    // Once copied, the older group is no longer consulted.
    store({{"2.4.1/Path", "/changed"}});
    EXPECT_EQ(settings.value("Path").toString(), "/from/2.4.1");

    // Without inheritance only the own group counts.
    store({{"2.4.1/Only", 5}});
    EXPECT_FALSE(settings.value("Only", QVariant(), false).isValid());
}

TEST_F(VersionedSettingsTest, OnlyOlderVersionGroupsAreRead)
{
    // Pre-release kinds rank DEBUG < BETA < RC < the release itself.
    store({{"2.6.0/A", "newer"}, {"3.0.0/B", "newest"}, {"Geometry/C", "geometry"}, {"2.5.3.RC1/D", "rc"},
           {"2.5.3.DEBUG9/E", "debug"}, {"2.5.3.BETA0/F", "beta0"}, {"2.5.3.BETA2/G", "beta2"}});
    VersionedSettings release(Version(2, 5, 3));
    VersionedSettings beta(Version(2, 5, 3, Version::Beta | 1));
    EXPECT_EQ(beta.versionedKey("X"), "2.5.3.BETA1/X");
    const struct
    {
        const char* key;
        const char* release;
        const char* beta;
    } cases[] = {
        {"A", nullptr, nullptr}, {"B", nullptr, nullptr},      {"C", nullptr, nullptr},
        {"Geometry/C", nullptr, nullptr}, {"D", "rc", nullptr}, {"E", "debug", "debug"},
        {"F", "beta0", "beta0"},          {"G", "beta2", nullptr},
    };
    for (const auto& c : cases) {
        for (auto reader : {std::make_pair(&release, c.release), std::make_pair(&beta, c.beta)}) {
            const QVariant value = reader.first->value(c.key);
            if (reader.second)
                EXPECT_EQ(value.toString(), reader.second) << c.key;
            else
                EXPECT_FALSE(value.isValid()) << c.key << " read as " << value.toString().toStdString();
        }
    }
}

TEST_F(VersionedSettingsTest, ClearOnStartupWipesOnlyTheOwnGroupAndStopsInheritance)
{
    store({{"2.5.3/ClearSettingsOnStartup", true},
           {"2.5.3/Path", "/mine"},
           {"2.5.3/Geometry/MainWindow", QRect(1, 2, 3, 4)},
           {"2.4.1/Path", "/older"}});
    {
        VersionedSettings settings(Version(2, 5, 3));
        EXPECT_EQ(settings.value("Path", "default").toString(), "default");
    }
    QSettings raw;
    raw.beginGroup("2.5.3");
    EXPECT_EQ(raw.allKeys().size(), 2);
    EXPECT_EQ(raw.value("ClearSettingsOnStartup").toBool(), false);
    EXPECT_EQ(raw.value("InheritsOlderVersions", true).toBool(), false);
    raw.endGroup();
    EXPECT_EQ(raw.value("2.4.1/Path").toString(), "/older");

    // A later version reading through the cleared one stops there, and copies nothing.
    VersionedSettings later(Version(2, 6, 0));
    EXPECT_EQ(later.value("Path", "default").toString(), "default");
    later.sync();
    EXPECT_FALSE(stored("2.6.0/Path").isValid());
}

TEST_F(VersionedSettingsTest, ZeroVersionUsesTheTopLevel)
{
    store({{"2.4.1/Path", "/older"}, {"ClearSettingsOnStartup", true}, {"Loose", 1}, {"Geometry/Main", 2}});
    VersionedSettings settings{Version()};
    EXPECT_EQ(settings.versionedKey("Path"), "Path");
    EXPECT_FALSE(settings.value("Path").isValid());
    EXPECT_FALSE(settings.value("Loose").isValid());
    EXPECT_FALSE(settings.value("Geometry/Main").isValid());
    settings.setValue("Path", "/top");
    settings.sync();
    EXPECT_EQ(stored("Path").toString(), "/top");
    // Wiping the top level spares the groups of real versions.
    EXPECT_EQ(stored("2.4.1/Path").toString(), "/older");
}

TEST_F(VersionedSettingsTest, RemoveReachesOlderGroupsOnlyWhenAsked)
{
    store({{"2.5.3/Key", 1}, {"2.5.0/InheritsOlderVersions", false}, {"2.5.0/Key", 2}, {"2.4.1/Key", 3},
           {"2.5.3/Grid/Size", 4}, {"2.4.1/Grid/Size", 5}, {"2.4.1/Grid/Snap", 6}, {"2.6.0/Key", 7}});
    VersionedSettings settings(Version(2, 5, 3));
    settings.remove("Key");
    settings.sync();
    EXPECT_FALSE(stored("2.5.3/Key").isValid());
    EXPECT_TRUE(stored("2.5.0/Key").isValid());

    settings.remove("Key", true);
    settings.removeGroup("Grid", true);
    settings.removeGroup(QString(), true); // ignored
    settings.sync();
    for (const char* gone : {"2.5.0/Key", "2.4.1/Key", "2.5.3/Grid/Size", "2.4.1/Grid/Snap"})
        EXPECT_FALSE(stored(gone).isValid()) << gone;
    EXPECT_EQ(stored("2.6.0/Key").toInt(), 7);
    EXPECT_FALSE(stored("2.5.0/InheritsOlderVersions").toBool());
}
