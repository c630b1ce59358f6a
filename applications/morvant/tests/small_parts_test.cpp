#include "applications/morvant/id_maps.h"
#include "applications/morvant/single_instance.h"

#include <QFile>
#include <QSysInfo>
#include <QUuid>
#include <gtest/gtest.h>

namespace {

QString uniqueName()
{
    return QStringLiteral("MorvantTest") + QUuid::createUuid().toString();
}

TEST(SingleInstanceLockTest, OneHolderAtATime)
{
    const QString name = uniqueName();
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
    SingleInstanceLock later(name);
    EXPECT_TRUE(later.acquire());
}

TEST(SingleInstanceLockTest, ALockLeftByADeadProcessIsTakenOver)
{
    const QString name = uniqueName();
    SingleInstanceLock lock(name);
    QFile stale(lock.filePath());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    // The lock file's own form: pid, program, host, machine and boot ids.
    stale.write(QByteArray("2147483000\nmorvant\n") + QSysInfo::machineHostName().toUtf8() + '\n'
                + QSysInfo::machineUniqueId() + '\n' + QSysInfo::bootUniqueId() + '\n');
    stale.close();
    EXPECT_TRUE(lock.acquire());
}

TEST(IdMapsTest, MapsPerKindAndFontNumbers)
{
    IdMaps maps;
    EXPECT_TRUE(maps.isEmpty());
    maps.insert(IdKind::Fixture, 5, 12);
    maps.insert(IdKind::Group, 5, 3);
    maps.insert(IdKind::Fixture, 5, 13);
    EXPECT_EQ(maps.find(IdKind::Fixture, 5), 13u);
    EXPECT_EQ(maps.find(IdKind::Group, 5), 3u);
    EXPECT_EQ(maps.find(IdKind::Trigger, 5), Archive::kNoObjectId);
    EXPECT_TRUE(maps.contains(IdKind::Group, 5));
    EXPECT_EQ(maps.size(IdKind::Fixture), 1u);
    maps.clear();
    EXPECT_TRUE(maps.isEmpty());

    FreeFontNumbers fonts;
    EXPECT_FALSE(fonts.isFree(0));
    EXPECT_EQ(fonts.take(), 1u);
    EXPECT_EQ(fonts.take(), 2u);
    EXPECT_EQ(fonts.take(), 3u);
    EXPECT_FALSE(fonts.isFree(2));
    EXPECT_TRUE(fonts.isFree(4));
    fonts.clear();
    EXPECT_EQ(fonts.take(), 1u);
}

}  // namespace
