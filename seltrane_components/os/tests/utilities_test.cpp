#include "seltrane_components/os/bit_vector.h"
#include "seltrane_components/os/clocks.h"
#include "seltrane_components/os/colour_conversion.h"
#include "seltrane_components/os/crc32.h"
#include "seltrane_components/os/date_time.h"
#include "seltrane_components/os/file_utils.h"
#include "seltrane_components/os/image.h"
#include "seltrane_components/os/net_utils.h"
#include "seltrane_components/os/report_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include <unistd.h>

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;
using Words = std::vector<std::uint32_t>;
using Triple = std::tuple<unsigned, unsigned, unsigned>;

TEST(ReportError, LinesAndChecks)
{
    CaptureStderr();
    debugPrintf("%s", std::string(600, 'x').c_str());
    EXPECT_EQ(GetCapturedStderr(), std::string(511, 'x'));

    CaptureStderr();
    reportError("Logic error: 'a' is TRUE", 12, "components\\x");
    EXPECT_EQ(GetCapturedStderr(), "Error Logic error: 'a' is TRUE at line 12 in file components\\x\n");

    const int zero = 0;
    CaptureStderr();
    EXPECT_FALSE(SELTRANE_LOGIC_CHECK(zero == 1));
    EXPECT_TRUE(SELTRANE_LOGIC_CHECK(zero == 0));
    EXPECT_TRUE(SELTRANE_LOGIC_TRAP(zero + 1));
    EXPECT_FALSE(SELTRANE_LOGIC_TRAP(zero));
    const std::string out = GetCapturedStderr();
    EXPECT_NE(out.find("Error Logic error: 'zero == 1' is FALSE at line "), std::string::npos) << out;
    EXPECT_NE(out.find("Error Logic error: 'zero + 1' is TRUE at line "), std::string::npos) << out;
    EXPECT_NE(out.find(" in file seltrane_components/os/tests/utilities_test\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("'zero == 0'"), std::string::npos);

    EXPECT_EQ(sourcePathBelowRoot("/x/seltrane_components/brantle_core/sortvector.h"),
              "seltrane_components/brantle_core/sortvector");
    EXPECT_EQ(sourcePathBelowRoot("/x/components/archive/a.b/c.cpp"), "components/archive/a.b/c");
}

TEST(ReportErrorDeathTest, AssertAndTrapStop)
{
    const int value = 3;
    EXPECT_DEATH(SELTRANE_ASSERT(value == 4), "Error Assert: 'value == 4' is FALSE at line [0-9]+ in file "
                                              "seltrane_components/os/tests/utilities_test");
    EXPECT_DEATH(SELTRANE_TRAP(value % 2), "Error Trap: 'value % 2' is TRUE at line");
    SELTRANE_ASSERT(value == 3);
    SELTRANE_TRAP(value == 4);
}

TEST(BitVector, BitsSizesAndRawBytes)
{
    EXPECT_EQ(BitVector(33).words(), (Words{0, 0}));
    EXPECT_EQ(BitVector(32, 31).words(), Words{0x80000000u});
    EXPECT_TRUE(BitVector(0).words().empty());
    EXPECT_EQ(BitVector(5, 5).words(), Words{0}) << "a bit beyond the count is not set";
    EXPECT_EQ(BitVector::wordCountFor(0xFFFFFFFFu), 0x8000000u);
    EXPECT_EQ(BitVector::byteCountFor(0xFFFFFFFFu), 0x20000000u);

    BitVector bits(70);
    EXPECT_TRUE(bits.setBit(0) && bits.setBit(69));
    EXPECT_FALSE(bits.setBit(70));
    EXPECT_FALSE(bits.testBit(70));
    EXPECT_EQ(bits.countSetBits(), 2u);
    EXPECT_EQ(bits.findNextSet(-1), 0);
    EXPECT_EQ(bits.findNextSet(0), 69);
    EXPECT_EQ(bits.findNextSet(69), -1);
    EXPECT_EQ(bits.findNextSet(500), -1);
    // Shrinking clears the bits beyond the new count; growing adds zero bits.
    bits.resize(33);
    EXPECT_EQ(bits.words(), (Words{1, 0}));
    bits.setBit(32);
    bits.resize(32);
    bits.resize(64);
    EXPECT_EQ(bits.words(), (Words{1, 0}));
    EXPECT_FALSE(bits.setBit(0, false) && bits.testBit(0));

    BitVector nine(9, 0);
    nine.setBit(8);
    EXPECT_EQ(nine.rawBytes(), QByteArray("\x01\x01", 2));
    EXPECT_TRUE(BitVector(0).rawBytes().isEmpty());
    BitVector wide(40, 1);
    wide.setBit(39);
    EXPECT_EQ(wide.rawBytes(), QByteArray("\x02\x00\x00\x00\x80", 5));
    // Stray bits beyond the count and missing bytes come back as zero.
    BitVector read;
    read.setRawBytes(12, QByteArray("\xFF\xFF\xFF", 3));
    EXPECT_EQ(read.size(), 12u);
    EXPECT_EQ(read.words(), Words{0xFFFu});
    read.setRawBytes(40, QByteArray("\x02", 1));
    EXPECT_EQ(read.words(), (Words{2, 0}));
    read.setRawBytes(40, wide.rawBytes());
    EXPECT_EQ(read, wide);
    EXPECT_NE(read, BitVector(40));
}

TEST(SmallHelpers, DateTimeClocksAddressesAndCrc)
{
    DateTime date;
    EXPECT_TRUE(date.isUnset());
    EXPECT_EQ(date.bytes(), (DateTime::Bytes{0xFF, 0xFF, 0xFF, 0x07, 0xFF, 0xFF, 0xFF}));
    date.setByte(3, 1);
    date.setByte(7, 1);
    EXPECT_EQ(date.byte(3), 1);
    EXPECT_EQ(date.byte(-1), 0);
    EXPECT_NE(date, DateTime());

    const std::int64_t first = elapsedMs();
    const std::uint64_t ticks = tickCount64();
    const std::uint64_t micros = elapsedMicroseconds();
    EXPECT_LE(first, 1000) << "the base is taken at the first call";
    EXPECT_GE(tickCount64(), ticks);
    EXPECT_GE(elapsedMicroseconds(), micros);
    EXPECT_NEAR(static_cast<double>(elapsedMicroseconds() / 1000), static_cast<double>(tickCount64()), 50.0);

    EXPECT_EQ(ipv4ToString(0xC0A80001u), "192.168.0.1");
    EXPECT_EQ(ipv4ToString(0xFFFFFFFFu), "255.255.255.255");

    const auto* digits = reinterpret_cast<const unsigned char*>("123456789");
    EXPECT_EQ(crc32(reinterpret_cast<const unsigned char*>("abc"), 3, 0), 0x2C17398Cu);
    // Published check values: start 0xFFFFFFFF is CRC-32/MPEG-2; start 0 is CRC-32/POSIX before its inversion.
    EXPECT_EQ(crc32(digits, 9, 0xFFFFFFFFu), 0x0376E6E7u);
    EXPECT_EQ(~crc32(digits, 9, 0), 0x765E7680u);
    EXPECT_EQ(crc32(digits + 4, 5, crc32(digits, 4, 0xFFFFFFFFu)), 0x0376E6E7u);
    EXPECT_EQ(crc32(nullptr, 0, 7u), 7u);
}

TEST(ColourConversion, TablesAndRoundTrips)
{
    const struct
    {
        unsigned hue, saturation;
        int value;
        Triple rgb;
    } toRgb[] = {
        {0, 65536, 65536, Triple{255, 0, 0}},       {0x4000, 65536, 65536, Triple{127, 255, 0}},
        {0x8000, 65536, 32768, Triple{0, 128, 128}}, {0xC000, 32768, 65536, Triple{191, 127, 255}},
        {0x1234, 0, 65536, Triple{255, 255, 255}},  {0xFFFF, 65536, 0, Triple{0, 0, 0}},
        // Out-of-range saturation and value act as the nearer end.
        {0x4000, 1000000, 1000000, Triple{127, 255, 0}}, {0x4000, 65536, -5, Triple{0, 0, 0}},
    };
    unsigned a, b, c;
    for (const auto& t : toRgb) {
        hsiToRgb(static_cast<std::uint16_t>(t.hue), t.saturation, t.value, a, b, c);
        EXPECT_EQ(Triple(a, b, c), t.rgb) << "hue " << t.hue;
    }
    const struct { Triple rgb, hsi; } toHsi[] = {  // red comes out as a full turn
        {Triple{0, 0, 0}, Triple{0, 0, 0}},                {Triple{255, 255, 255}, Triple{0, 0, 65536}},
        {Triple{1000, 300, 256}, Triple{0, 0, 65536}},     {Triple{0, 255, 0}, Triple{21845, 65536, 65536}},
        {Triple{0, 0, 255}, Triple{43691, 65536, 65536}},  {Triple{127, 255, 0}, Triple{16406, 65536, 65536}},
        {Triple{0, 64, 128}, Triple{38251, 65536, 32897}}, {Triple{255, 0, 0}, Triple{65536, 65536, 65536}},
    };
    for (const auto& t : toHsi) {
        rgbToHsi(std::get<0>(t.rgb), std::get<1>(t.rgb), std::get<2>(t.rgb), a, b, c);
        EXPECT_EQ(Triple(a, b, c), t.hsi) << std::get<0>(t.rgb) << "," << std::get<1>(t.rgb);
    }
    // Round trips stay within one step of each channel.
    for (unsigned red : {0u, 37u, 255u})
        for (unsigned green : {0u, 90u, 255u})
            for (unsigned blue : {0u, 12u, 254u}) {
                unsigned h, s, v;
                rgbToHsi(red, green, blue, h, s, v);
                hsiToRgb(static_cast<std::uint16_t>(h), s, static_cast<int>(v), a, b, c);
                EXPECT_NEAR(a, red, 1.0);
                EXPECT_NEAR(b, green, 1.0);
                EXPECT_NEAR(c, blue, 1.0);
            }
}

TEST(FileUtils, MessagesAndNames)
{
    for (const auto& m : {std::make_pair(0, "No error occurred"), std::make_pair(5, "The file could not be opened"),
                          std::make_pair(14, "The file could not be copied"), std::make_pair(15, "Unknown error"),
                          std::make_pair(-1, "Unknown error")})
        EXPECT_EQ(errorMessage(m.first), m.second);

    for (const auto& n : {std::make_pair(".a<b>:c", "a_b__c"), std::make_pair("..x", ".x"),
                          std::make_pair("plain name.txt", "plain name.txt"),
                          std::make_pair("\\/?|*^<>:\"", "__________"), std::make_pair("", "_"),
                          std::make_pair(".", "_"), std::make_pair("..", "_")}) {
        QString name = QString::fromUtf8(n.first);
        EXPECT_EQ(sanitiseFileName(name, QLatin1Char('_')), n.second) << n.first;
    }
    QString name = QStringLiteral("a/b");
    EXPECT_EQ(&sanitiseFileName(name, QLatin1Char('-')), &name);
    EXPECT_EQ(name, "a-b");
}

bool writeFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("data") == 4;
}

TEST(FileUtils, RemoveDirectoryRefusesRelativeAndRoot)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    EXPECT_FALSE(removeDirectoryRecursively(temp.path() + "/missing"));
    const QString readOnly = temp.path() + "/readonly";
    ASSERT_TRUE(writeFile(readOnly));
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner);
    EXPECT_TRUE(removeDirectoryRecursively(readOnly));
    EXPECT_FALSE(QFileInfo::exists(readOnly));

    const QString victim = temp.path() + "/victim";
    ASSERT_TRUE(writeFile(victim));
    const QString relative = QDir::current().relativeFilePath(victim);
    ASSERT_TRUE(QDir::isRelativePath(relative));
    CaptureStderr();
    EXPECT_FALSE(removeDirectoryRecursively(relative));
    EXPECT_EQ(GetCapturedStderr(), "Error Tried to delete non-absolute path " + relative.toStdString() +
                                       " at line 58 in file seltrane_components\\os\\file_system\n");
    EXPECT_TRUE(QFileInfo::exists(victim));
    EXPECT_FALSE(removeDirectoryRecursively(QStringLiteral("/")));
}

TEST(FileUtils, RemoveDirectoryNeverFollowsLinks)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString outside = temp.path() + "/outside";
    const QString keep = outside + "/deep/keep";
    const QString tree = temp.path() + "/tree";
    ASSERT_TRUE(QDir().mkpath(outside + "/deep") && QDir().mkpath(tree + "/sub/.hidden"));
    ASSERT_TRUE(writeFile(keep) && writeFile(tree + "/sub/.hidden/file") && writeFile(tree + "/file"));
    ASSERT_TRUE(QFile::link(outside, tree + "/sub/link") && QFile::link(keep, tree + "/filelink") &&
                QFile::link(temp.path() + "/nowhere", tree + "/dangling"));
    QFile::setPermissions(keep, QFileDevice::ReadOwner);

    // keepFolder empties the folder and keeps it; the link targets and their permissions stay.
    EXPECT_TRUE(removeDirectoryRecursively(tree, true));
    EXPECT_TRUE(QDir(tree).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_TRUE(QDir(tree).exists());
    const auto ownerBits = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    EXPECT_EQ(QFile::permissions(keep) & ownerBits, QFileDevice::ReadOwner);
    EXPECT_TRUE(removeDirectoryRecursively(tree));
    EXPECT_FALSE(QFileInfo::exists(tree));

    // A link named as the path itself (even with a trailing slash) goes as a link.
    ASSERT_TRUE(QFile::link(outside, tree));
    EXPECT_FALSE(removeDirectoryRecursively(tree, true));
    EXPECT_TRUE(QFileInfo(tree).isSymLink());
    EXPECT_TRUE(removeDirectoryRecursively(tree + "/"));
    EXPECT_FALSE(QFileInfo(tree).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(keep));
}

TEST(FileUtils, RemoveDirectoryStopsAtFailure)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    QTemporaryDir temp;
    const QString inner = temp.path() + "/locked/inner";
    ASSERT_TRUE(QDir().mkpath(inner) && writeFile(inner + "/file"));
    QFile::setPermissions(inner, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(removeDirectoryRecursively(temp.path() + "/locked"));
    EXPECT_TRUE(QFileInfo::exists(inner + "/file"));
    QFile::setPermissions(inner, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(Image, Allocation)
{
    Image gray(3, 2, 24);
    EXPECT_EQ(gray.stride(0), 4u);
    ASSERT_EQ(gray.byteCount(0), 8u);
    ASSERT_NE(gray.bits(0), nullptr);
    EXPECT_EQ(std::vector<unsigned char>(gray.bits(0), gray.bits(0) + 8), std::vector<unsigned char>(8, 0));
    EXPECT_EQ(gray.bits(1), nullptr);
    EXPECT_EQ(gray.byteCount(1), 0u);
    EXPECT_EQ(gray.bits(-1), nullptr);
    EXPECT_EQ(Image(1, 1, 4).stride(0), 4u);

    for (const Image& empty : {Image(0, 5, 5), Image(5, 5, 6), Image(5, 5, 3), Image(5, -1, 5), Image(),
                               Image(0x7FFFFFFF, 1, 5), Image(1, 0x20000000, 24), Image(0x10000, 0x10000, 24)}) {
        EXPECT_TRUE(empty.isEmpty());
        EXPECT_EQ(std::make_tuple(empty.format(), empty.width(), empty.height(), empty.byteCount(0)),
                  std::make_tuple(0, 0, 0, 0u));
        EXPECT_EQ(empty.bits(0), nullptr);
    }
    // Copies share one body.
    Image copy = gray;
    copy.bits(0)[5] = 9;
    EXPECT_EQ(gray.bits(0)[5], 9);
}

}  // namespace
