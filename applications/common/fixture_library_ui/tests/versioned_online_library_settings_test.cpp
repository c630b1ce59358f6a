#include "applications/common/fixture_library_ui/versioned_online_library_settings.h"
#include "applications/common/util/versioned_settings.h"

#include <gtest/gtest.h>

// The program's store keeps the online library's keys in the versioned
// settings, and a group's removal stays inside the group.
TEST(VersionedOnlineLibrarySettings, KeepsTheLibrarysKeysWithTheProgramsSettings)
{
    VersionedSettings& versioned = *VersionedSettings::instance();
    versioned.removeGroup(QStringLiteral("OnlineFixtureLibrary"), true);
    useVersionedOnlineLibrarySettings();
    OnlineLibrarySettings& settings = onlineLibrarySettings();
    ASSERT_NE(dynamic_cast<VersionedOnlineLibrarySettings*>(&settings), nullptr);

    settings.setValue(QStringLiteral("OnlineFixtureLibrary/ETags/a"), QStringLiteral("\"1\""));
    settings.setValue(QStringLiteral("OnlineFixtureLibrary/ETags/b"), QStringLiteral("\"2\""));
    settings.setValue(QStringLiteral("OnlineFixtureLibrary/Url"), QStringLiteral("http://x/"));
    EXPECT_EQ(versioned.value(QStringLiteral("OnlineFixtureLibrary/ETags/a")), QVariant(QStringLiteral("\"1\"")));
    EXPECT_EQ(settings.value(QStringLiteral("OnlineFixtureLibrary/ETags/b")), QVariant(QStringLiteral("\"2\"")));
    EXPECT_FALSE(settings.value(QStringLiteral("OnlineFixtureLibrary/ETags/c")).isValid());

    settings.remove(QStringLiteral("OnlineFixtureLibrary/ETags/a"));
    EXPECT_FALSE(versioned.value(QStringLiteral("OnlineFixtureLibrary/ETags/a")).isValid());
    settings.removeGroup(QStringLiteral("OnlineFixtureLibrary/ETags"));
    EXPECT_FALSE(versioned.value(QStringLiteral("OnlineFixtureLibrary/ETags/b")).isValid());
    EXPECT_EQ(versioned.value(QStringLiteral("OnlineFixtureLibrary/Url")), QVariant(QStringLiteral("http://x/")));

    versioned.removeGroup(QStringLiteral("OnlineFixtureLibrary"), true);
    setOnlineLibrarySettings(nullptr);
    EXPECT_EQ(dynamic_cast<VersionedOnlineLibrarySettings*>(&onlineLibrarySettings()), nullptr);
}
