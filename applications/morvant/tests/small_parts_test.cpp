#include "applications/morvant/id_maps.h"
#include "applications/morvant/single_instance.h"

#include <QFile>
#include <QSysInfo>
#include <QUuid>
#include <gtest/gtest.h>

namespace {

TEST(SingleInstanceLockTest, OneHolderAtATimeAndStaleLocksAreTakenOver)
{
    const QString name = QStringLiteral("MorvantTest") + QUuid::createUuid().toString();
    QString path;
    {
        SingleInstanceLock first(name);
        path = first.filePath();
        EXPECT_TRUE(path.endsWith(name + QStringLiteral(".lock")));
        EXPECT_TRUE(first.acquire());
        EXPECT_TRUE(first.acquire());
        SingleInstanceLock second(name);
        EXPECT_FALSE(second.acquire());
        EXPECT_FALSE(second.isHeld());
        EXPECT_TRUE(QFile::exists(path));
    }
    EXPECT_FALSE(QFile::exists(path));

    // A lock left by a dead process, in the lock file's own form: pid,
    // program, host, machine and boot ids.
    QFile stale(path);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write(QByteArray("2147483000\nmorvant\n") + QSysInfo::machineHostName().toUtf8() + '\n'
                + QSysInfo::machineUniqueId() + '\n' + QSysInfo::bootUniqueId() + '\n');
    stale.close();
    SingleInstanceLock later(name);
    EXPECT_TRUE(later.acquire());
}

TEST(IdMapsTest, MapsPerKindAndFontNumbers)
{
    IdMaps maps;
    maps.insert(IdKind::Fixture, 5, 12);
    maps.insert(IdKind::Group, 5, 3);
    maps.insert(IdKind::Fixture, 5, 13);
    EXPECT_EQ(maps.find(IdKind::Fixture, 5), 13u);
    EXPECT_EQ(maps.find(IdKind::Group, 5), 3u);
    EXPECT_EQ(maps.find(IdKind::Trigger, 5), Archive::kNoObjectId);
    EXPECT_EQ(maps.size(IdKind::Fixture), 1u);
    maps.clear();
    EXPECT_TRUE(maps.isEmpty());

    // Font 0 is never free; numbers are handed out from 1 again after a clear.
    FreeFontNumbers fonts;
    EXPECT_FALSE(fonts.isFree(0));
    for (quint32 expected : {1u, 2u, 3u})
        EXPECT_EQ(fonts.take(), expected);
    EXPECT_FALSE(fonts.isFree(2));
    EXPECT_TRUE(fonts.isFree(4));
    fonts.clear();
    EXPECT_EQ(fonts.take(), 1u);
}

}  // namespace
