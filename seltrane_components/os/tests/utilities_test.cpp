#include "seltrane_components/os/bit_vector.h"
#include "seltrane_components/os/clocks.h"
#include "seltrane_components/os/colour_conversion.h"
#include "seltrane_components/os/crc32.h"
#include "seltrane_components/os/date_time.h"
#include "seltrane_components/os/expansion_guard.h"
#include "seltrane_components/os/file_utils.h"
#include "seltrane_components/os/image.h"
#include "seltrane_components/os/net_utils.h"
#include "seltrane_components/os/report_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include <unistd.h>

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;
using Triple = std::tuple<unsigned, unsigned, unsigned>;

TEST(ReportErrorDeathTest, LinesChecksAndStops)
{
    CaptureStderr();
    debugPrintf("%s", std::string(600, 'x').c_str());
    reportError("Logic error: 'a' is TRUE", 12, "components\\x");
    const int zero = 0;
    const int line = __LINE__ + 1;
    EXPECT_FALSE(SELTRANE_LOGIC_CHECK(zero == 1));
    EXPECT_FALSE(SELTRANE_LOGIC_TRAP(zero));
    const QString expected = QString(511, QLatin1Char('x'))
        + QStringLiteral("Error Logic error: 'a' is TRUE at line 12 in file components\\x\n"
                         "Error Logic error: 'zero == 1' is FALSE at line %1 in file "
                         "seltrane_components/os/tests/utilities_test\n")
              .arg(line);
    EXPECT_EQ(GetCapturedStderr(), expected.toStdString());
    EXPECT_EQ(sourcePathBelowRoot("/x/components/archive/a.b/c.cpp"), "components/archive/a.b/c");
    EXPECT_DEATH(SELTRANE_ASSERT(zero == 4),
                 "Error Assert: 'zero == 4' is FALSE at line [0-9]+ in file "
                 "seltrane_components/os/tests/utilities_test");
    EXPECT_DEATH(SELTRANE_TRAP(zero + 1), "Error Trap: 'zero \\+ 1' is TRUE at line");
}

TEST(SmallHelpers, BitsDatesClocksAddressesCrcAndFileNames)
{
    BitVector bits(70, 69);
    EXPECT_FALSE(bits.setBit(70) || bits.testBit(70) || BitVector(5, 5).testBit(5));
    EXPECT_TRUE(bits.findNextSet(0) == 69 && BitVector::byteCountFor(0xFFFFFFFFu) == 0x20000000u);
    bits.resize(64);  // shrinking clears the bits beyond the new count
    bits.resize(70);
    EXPECT_EQ(bits.findNextSet(-1), -1);
    bits.resize(40);
    bits.setBit(1);
    bits.setBit(39);
    EXPECT_EQ(bits.rawBytes(), QByteArray("\x02\x00\x00\x00\x80", 5));
    // Stray bits beyond the count and missing bytes come back as zero.
    bits.setRawBytes(12, QByteArray("\xFF\xFF\xFF", 3));
    EXPECT_EQ(bits.words(), std::vector<std::uint32_t> {0xFFFu});
    bits.setRawBytes(40, QByteArray("\x02", 1));
    EXPECT_EQ(bits, BitVector(40, 1));

    DateTime date;
    date.setByte(7, 1);  // out of range: ignored
    EXPECT_TRUE(date.isUnset());
    EXPECT_EQ(date.bytes(), (DateTime::Bytes {0xFF, 0xFF, 0xFF, 0x07, 0xFF, 0xFF, 0xFF}));
    EXPECT_LE(elapsedMs(), 1000) << "the base is taken at the first call";
    EXPECT_NEAR(static_cast<double>(elapsedMicroseconds() / 1000), static_cast<double>(tickCount64()), 50.0);
    EXPECT_EQ(ipv4ToString(0xC0A80001u), "192.168.0.1");

    // A bound is taken to its last byte, not one past; the default is 1 GiB or 1032 times the input, whichever is
    // more, within the space free where the expansion goes (measured where the folder to be made would lie).
    ExpansionGuard guard(100, -1);
    EXPECT_TRUE(guard.take(60) && guard.take(40) && !guard.exceeded());
    EXPECT_TRUE(!guard.take(1) && guard.exceeded() && guard.used() == 100);
    EXPECT_EQ(std::make_tuple(ExpansionGuard::defaultLimit(1000), ExpansionGuard::defaultLimit(-1),
                              ExpansionGuard::defaultLimit(qint64(10) << 20), ExpansionGuard(-1, 1).limit()),
              std::make_tuple(qint64(1) << 30, qint64(1) << 30, qint64(10320) << 20, qint64(1) << 30));
    QTemporaryDir expanded;
    const QString target = expanded.filePath(QStringLiteral("not/yet"));
    const ExpansionGuard small(-1, 1000, target), huge(-1, qint64(1) << 50, target);
    const qint64 free = QStorageInfo(expanded.path()).bytesAvailable();
    EXPECT_EQ(small.limitIsFreeSpace(), free < (qint64(1) << 30));
    EXPECT_TRUE(huge.limitIsFreeSpace());
    EXPECT_NEAR(double(huge.limit()), double(free), 1e9);  // others write meanwhile
    EXPECT_EQ(huge.disk(), QStorageInfo(expanded.path()).rootPath());

    // Published check values: start 0xFFFFFFFF is CRC-32/MPEG-2; start 0 is CRC-32/POSIX before its inversion.
    const auto* digits = reinterpret_cast<const unsigned char*>("123456789");
    EXPECT_EQ(~crc32(digits, 9, 0), 0x765E7680u);
    EXPECT_EQ(crc32(digits + 4, 5, crc32(digits, 4, 0xFFFFFFFFu)), 0x0376E6E7u);

    EXPECT_EQ(errorMessage(14) + errorMessage(15), "The file could not be copiedUnknown error");
    const std::pair<const char*, const char*> names[] = {
        {".a<b>:c", "a_b__c"}, {"..x", ".x"}, {"\\/?|*^<>:\"", "__________"}, {"..", "_"}};
    for (const auto& [text, sanitised] : names) {
        QString name = QString::fromUtf8(text);
        EXPECT_EQ(sanitiseFileName(name, QLatin1Char('_')), sanitised) << text;
    }
}

TEST(ColourConversion, TableRoundTripsAndRanges)
{
    // Each way, then back within one step of each channel; red comes out as a full turn.
    const std::pair<Triple, Triple> table[] = {{{0, 64, 128}, {38251, 65536, 32897}},
                                               {{127, 255, 0}, {16406, 65536, 65536}},
                                               {{255, 0, 0}, {65536, 65536, 65536}}};
    unsigned a, b, c, h, s, v;
    for (const auto& [rgb, hsi] : table) {
        const auto [red, green, blue] = rgb;
        rgbToHsi(red, green, blue, h, s, v);
        EXPECT_EQ(Triple(h, s, v), hsi);
        hsiToRgb(static_cast<std::uint16_t>(h), s, static_cast<int>(v), a, b, c);
        EXPECT_LE(std::abs(int(a - red)) + std::abs(int(b - green)) + std::abs(int(c - blue)), 3);
    }
    // Out-of-range input acts as the nearer end.
    rgbToHsi(1000, 300, 256, h, s, v);
    EXPECT_EQ(Triple(h, s, v), Triple(0, 0, 65536));
    hsiToRgb(0x4000, 1000000, -5, a, b, c);
    EXPECT_EQ(Triple(a, b, c), Triple(0, 0, 0));
}

TEST(FileUtils, RemoveDirectoryRefusesRelativeAndRootAndNeverFollowsLinks)
{
    const auto writeFile = [](const QString& path) { return QFile(path).open(QIODevice::WriteOnly); };
    QTemporaryDir temp;
    const QString victim = temp.path() + "/victim";
    ASSERT_TRUE(writeFile(victim));
    const QString relative = QDir::current().relativeFilePath(victim);
    CaptureStderr();
    EXPECT_FALSE(removeDirectoryRecursively(relative));
    EXPECT_EQ(GetCapturedStderr(),
              "Error Tried to delete non-absolute path " + relative.toStdString()
                  + " at line 58 in file seltrane_components\\os\\file_system\n");
    EXPECT_FALSE(removeDirectoryRecursively(QStringLiteral("/")));
    QFile::setPermissions(victim, QFileDevice::ReadOwner);
    EXPECT_TRUE(removeDirectoryRecursively(victim));  // a read-only file goes too

    const QString outside = temp.path() + "/outside", keep = outside + "/deep/keep", tree = temp.path() + "/tree";
    ASSERT_TRUE(QDir().mkpath(outside + "/deep") && QDir().mkpath(tree + "/sub/.hidden"));
    ASSERT_TRUE(writeFile(keep) && writeFile(tree + "/sub/.hidden/file"));
    ASSERT_TRUE(QFile::link(outside, tree + "/sub/link") && QFile::link(keep, tree + "/filelink")
                && QFile::link(temp.path() + "/nowhere", tree + "/dangling"));
    QFile::setPermissions(keep, QFileDevice::ReadOwner);
    // keepFolder empties the folder and keeps it; the link targets and their permissions stay.
    EXPECT_TRUE(removeDirectoryRecursively(tree, true));
    EXPECT_TRUE(QDir(tree).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_EQ(QFile::permissions(keep) & (QFileDevice::WriteOwner | QFileDevice::ExeOwner), 0);
    EXPECT_TRUE(removeDirectoryRecursively(tree));
    // A link named as the path itself (even with a trailing slash) goes as a link.
    ASSERT_TRUE(QFile::link(outside, tree));
    EXPECT_FALSE(removeDirectoryRecursively(tree, true));
    EXPECT_TRUE(removeDirectoryRecursively(tree + "/"));
    EXPECT_FALSE(QFileInfo(tree).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(keep));

    if (::geteuid() == 0)
        return;  // permissions do not bind the superuser
    const QString inner = temp.path() + "/locked/inner";
    ASSERT_TRUE(QDir().mkpath(inner) && writeFile(inner + "/file"));
    QFile::setPermissions(inner, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(removeDirectoryRecursively(temp.path() + "/locked"));  // stops at the failure
    EXPECT_TRUE(QFileInfo::exists(inner + "/file"));
    QFile::setPermissions(inner, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(Image, Allocation)
{
    Image gray(3, 2, 24);
    ASSERT_EQ(std::make_tuple(gray.stride(0), gray.byteCount(0), gray.bits(1)), std::make_tuple(4u, 8u, nullptr));
    EXPECT_EQ(std::vector<unsigned char>(gray.bits(0), gray.bits(0) + 8), std::vector<unsigned char>(8, 0));
    for (const Image& empty : {Image(0, 5, 5), Image(5, 5, 6), Image(5, -1, 5), Image(0x7FFFFFFF, 1, 5),
                               Image(1, 0x20000000, 24), Image(0x10000, 0x10000, 24)})
        EXPECT_EQ(std::make_tuple(empty.format(), empty.width(), empty.height(), empty.byteCount(0)),
                  std::make_tuple(0, 0, 0, 0u));
    Image copy = gray;  // copies share one body
    copy.bits(0)[5] = 9;
    EXPECT_EQ(gray.bits(0)[5], 9);
}

}  // namespace
