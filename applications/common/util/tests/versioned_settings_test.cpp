#include "applications/common/util/versioned_settings.h"
#include "applications/common/util/tests/qt_print.h"

#include <QCoreApplication>
#include <QFile>
#include <QRect>
#include <QSettings>
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace {

using Entries = std::initializer_list<std::pair<const char*, QVariant>>;

// Each test starts from empty settings of an application name of its own, so
// tests run in parallel processes cannot disturb each other.
class VersionedSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        QCoreApplication::setApplicationName(QStringLiteral("GuiUtilVersionedSettingsTest_") + QLatin1String(test));
        QSettings settings;
        settings.clear();
        settings.sync();
    }

    void TearDown() override
    {
        QString fileName;
        {
            QSettings settings;
            fileName = settings.fileName();
        }
        QFile::remove(fileName);
    }

    static void store(Entries entries)
    {
        QSettings settings;
        for (const auto& entry : entries)
            settings.setValue(QString::fromLatin1(entry.first), entry.second);
        settings.sync();
    }

    static QVariant stored(const char* key)
    {
        QSettings settings;
        return settings.value(QString::fromLatin1(key));
    }
};

} // namespace

TEST_F(VersionedSettingsTest, InheritsKeyByKeyFromTheNewestOlderVersion)
{
    store({{"2.5.0/Other", 1}, {"2.4.1/Path", "/from/2.4.1"}, {"2.4.1/Other", 2}, {"2.4.0/Path", "/old"}});
    VersionedSettings settings(Version(2, 5, 3));
    EXPECT_EQ(settings.versionedKey("Path"), "2.5.3/Path");
    EXPECT_EQ(settings.versionedKey("Path", "2.4.1"), "2.4.1/Path");

    EXPECT_EQ(settings.value("Path", "default").toString(), "/from/2.4.1");
    EXPECT_EQ(settings.value("Other").toInt(), 1);
    EXPECT_EQ(settings.value("Missing", "default").toString(), "default");
    EXPECT_FALSE(settings.value("Path", QVariant(), false).toString().isEmpty());
    settings.sync();
    EXPECT_EQ(stored("2.5.3/Path").toString(), "/from/2.4.1");
    EXPECT_FALSE(stored("2.5.3/Missing").isValid());

    // Once copied, the older group is no longer consulted.
    store({{"2.4.1/Path", "/changed"}});
    EXPECT_EQ(settings.value("Path").toString(), "/from/2.4.1");

    // Without inheritance only the own group counts.
    EXPECT_FALSE(settings.value("Only", QVariant(), false).isValid());
    store({{"2.4.1/Only", 5}});
    EXPECT_FALSE(settings.value("Only", QVariant(), false).isValid());
}

TEST_F(VersionedSettingsTest, AnOlderGroupCanStopInheritance)
{
    store({{"2.5.0/InheritsOlderVersions", false}, {"2.4.1/Path", "/from/2.4.1"}});
    VersionedSettings settings(Version(2, 5, 3));
    EXPECT_EQ(settings.value("Path", "default").toString(), "default");
    settings.sync();
    EXPECT_FALSE(stored("2.5.3/Path").isValid());
}

TEST_F(VersionedSettingsTest, NewerVersionsAndOtherGroupsAreNeverRead)
{
    store({{"2.6.0/A", "newer"}, {"3.0.0/B", "newest"}, {"Geometry/C", "geometry"}, {"2.5.3.RC1/D", "rc"}});
    VersionedSettings settings(Version(2, 5, 3));
    EXPECT_FALSE(settings.value("A").isValid());
    EXPECT_FALSE(settings.value("B").isValid());
    EXPECT_FALSE(settings.value("Geometry/C").isValid());
    EXPECT_FALSE(settings.value("C").isValid());
    // A release candidate comes before its release.
    EXPECT_EQ(settings.value("D").toString(), "rc");
}

TEST_F(VersionedSettingsTest, PreReleaseKindsAreOrdered)
{
    store({{"2.5.3.DEBUG9/A", "debug"}, {"2.5.3.RC1/B", "rc"}, {"2.5.3.BETA0/C", "beta0"}, {"2.5.3.BETA2/D", "beta2"}});
    VersionedSettings settings(Version(2, 5, 3, Version::Beta | 1));
    EXPECT_EQ(settings.versionedKey("X"), "2.5.3.BETA1/X");
    EXPECT_EQ(settings.value("A").toString(), "debug");
    EXPECT_EQ(settings.value("C").toString(), "beta0");
    EXPECT_FALSE(settings.value("B").isValid());
    EXPECT_FALSE(settings.value("D").isValid());
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

    // A later version reading through the cleared one stops there.
    VersionedSettings later(Version(2, 6, 0));
    EXPECT_FALSE(later.value("Path").isValid());
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
    EXPECT_FALSE(stored("2.5.0/Key").isValid());
    EXPECT_FALSE(stored("2.4.1/Key").isValid());
    EXPECT_FALSE(stored("2.5.3/Grid/Size").isValid());
    EXPECT_FALSE(stored("2.4.1/Grid/Snap").isValid());
    EXPECT_EQ(stored("2.6.0/Key").toInt(), 7);
    EXPECT_FALSE(stored("2.5.0/InheritsOlderVersions").toBool());
}

TEST_F(VersionedSettingsTest, InstanceIsTheProgramsVersion)
{
    VersionedSettings* settings = VersionedSettings::instance();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings, VersionedSettings::instance());
    EXPECT_EQ(settings->versionedKey("LastInputFilePath"), "2.5.3/LastInputFilePath");
}
