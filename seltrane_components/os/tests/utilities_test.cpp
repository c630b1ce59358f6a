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

TEST(BitVector, ConstructionAndBits)
{
    EXPECT_EQ(BitVector(33).words(), (std::vector<std::uint32_t>{0, 0}));
    EXPECT_EQ(BitVector(32, 31).words(), std::vector<std::uint32_t>{0x80000000u});
    EXPECT_TRUE(BitVector(0).words().empty());
    EXPECT_TRUE(BitVector(5, 5).words() == std::vector<std::uint32_t>{0}) << "a bit beyond the count is not set";
    EXPECT_EQ(BitVector::wordCountFor(0xFFFFFFFFu), 0x8000000u);
    EXPECT_EQ(BitVector::byteCountFor(0xFFFFFFFFu), 0x20000000u);

    BitVector bits(70);
    EXPECT_TRUE(bits.setBit(0));
    EXPECT_TRUE(bits.setBit(69));
    EXPECT_FALSE(bits.setBit(70));
    EXPECT_FALSE(bits.testBit(70));
    EXPECT_TRUE(bits.testBit(69));
    EXPECT_EQ(bits.countSetBits(), 2u);
    EXPECT_EQ(bits.findNextSet(-1), 0);
    EXPECT_EQ(bits.findNextSet(0), 69);
    EXPECT_EQ(bits.findNextSet(69), -1);
    EXPECT_EQ(bits.findNextSet(500), -1);

    // Shrinking clears the bits beyond the new count; growing adds zero bits.
    bits.resize(33);
    EXPECT_EQ(bits.words(), (std::vector<std::uint32_t>{1, 0}));
    bits.setBit(32);
    bits.resize(32);
    bits.resize(64);
    EXPECT_EQ(bits.words(), (std::vector<std::uint32_t>{1, 0}));
    EXPECT_FALSE(bits.setBit(0, false) && bits.testBit(0));
}

TEST(BitVector, RawBytes)
{
    BitVector bits(9);
    bits.setBit(0);
    bits.setBit(8);
    EXPECT_EQ(bits.rawBytes(), QByteArray("\x01\x01", 2));
    EXPECT_TRUE(BitVector(0).rawBytes().isEmpty());

    BitVector wide(40);
    wide.setBit(1);
    wide.setBit(39);
    EXPECT_EQ(wide.rawBytes(), QByteArray("\x02\x00\x00\x00\x80", 5));

    // Stray bits beyond the count and missing bytes come back as zero.
    BitVector read;
    read.setRawBytes(12, QByteArray("\xFF\xFF\xFF", 3));
    EXPECT_EQ(read.size(), 12u);
    EXPECT_EQ(read.words(), std::vector<std::uint32_t>{0xFFFu});
    read.setRawBytes(40, QByteArray("\x02", 1));
    EXPECT_EQ(read.words(), (std::vector<std::uint32_t>{2, 0}));
    read.setRawBytes(40, wide.rawBytes());
    EXPECT_EQ(read, wide);
    EXPECT_NE(read, BitVector(40));
}

TEST(DateTime, UnsetValue)
{
    DateTime value;
    EXPECT_TRUE(value.isUnset());
    EXPECT_EQ(value.bytes(), (DateTime::Bytes{0xFF, 0xFF, 0xFF, 0x07, 0xFF, 0xFF, 0xFF}));
    value.setByte(3, 1);
    value.setByte(7, 1);
    EXPECT_EQ(value.byte(3), 1);
    EXPECT_EQ(value.byte(-1), 0);
    EXPECT_FALSE(value.isUnset());
    EXPECT_NE(value, DateTime());
}

TEST(Clocks, MonotonicAndConsistent)
{
    const std::int64_t first = elapsedMs();
    const std::uint64_t ticks = tickCount64();
    const std::uint64_t micros = elapsedMicroseconds();
    EXPECT_GE(first, 0);
    EXPECT_LE(first, 1000) << "the base is taken at the first call";
    EXPECT_GE(tickCount64(), ticks);
    EXPECT_GE(elapsedMicroseconds(), micros);
    // Both clocks read the same source.
    EXPECT_NEAR(static_cast<double>(elapsedMicroseconds() / 1000), static_cast<double>(tickCount64()), 50.0);
}

TEST(NetUtils, Ipv4ToString)
{
    EXPECT_EQ(ipv4ToString(0xC0A80001u), "192.168.0.1");
    EXPECT_EQ(ipv4ToString(0), "0.0.0.0");
    EXPECT_EQ(ipv4ToString(0xFFFFFFFFu), "255.255.255.255");
}

TEST(ColourConversion, HsiToRgb)
{
    unsigned r, g, b;
    hsiToRgb(0, 65536, 65536, r, g, b);
    EXPECT_EQ(std::make_tuple(r, g, b), std::make_tuple(255u, 0u, 0u));
    // A quarter turn: sector 1 half way, up = 128.
    hsiToRgb(0x4000, 65536, 65536, r, g, b);
    EXPECT_EQ(std::make_tuple(r, g, b), std::make_tuple(127u, 255u, 0u));
    // Half a turn (cyan) at half intensity; two thirds (sector 4) at half saturation.
    hsiToRgb(0x8000, 65536, 32768, r, g, b);
    EXPECT_EQ(std::make_tuple(r, g, b), std::make_tuple(0u, 128u, 128u));
    hsiToRgb(0xC000, 32768, 65536, r, g, b);
    EXPECT_EQ(std::make_tuple(r, g, b), std::make_tuple(191u, 127u, 255u));
    for (unsigned hue : {0u, 0x1234u, 0xFFFFu}) {
        hsiToRgb(static_cast<std::uint16_t>(hue), 0, 65536, r, g, b);
        EXPECT_EQ(std::make_tuple(r, g, b), std::make_tuple(255u, 255u, 255u));
        hsiToRgb(static_cast<std::uint16_t>(hue), 65536, 0, r, g, b);
        EXPECT_EQ(std::make_tuple(r, g, b), std::make_tuple(0u, 0u, 0u));
    }
    // Out-of-range saturation and value act as the nearer end.
    hsiToRgb(0x4000, 1000000, 1000000, r, g, b);
    EXPECT_EQ(std::make_tuple(r, g, b), std::make_tuple(127u, 255u, 0u));
    hsiToRgb(0x4000, 65536, -5, r, g, b);
    EXPECT_EQ(std::make_tuple(r, g, b), std::make_tuple(0u, 0u, 0u));
}

TEST(ColourConversion, RgbToHsi)
{
    unsigned h, s, v;
    rgbToHsi(0, 0, 0, h, s, v);
    EXPECT_EQ(std::make_tuple(h, s, v), std::make_tuple(0u, 0u, 0u));
    rgbToHsi(255, 255, 255, h, s, v);
    EXPECT_EQ(std::make_tuple(h, s, v), std::make_tuple(0u, 0u, 65536u));
    rgbToHsi(1000, 300, 256, h, s, v);
    EXPECT_EQ(std::make_tuple(h, s, v), std::make_tuple(0u, 0u, 65536u));
    rgbToHsi(0, 255, 0, h, s, v);
    EXPECT_EQ(std::make_tuple(h, s, v), std::make_tuple(21845u, 65536u, 65536u));
    rgbToHsi(0, 0, 255, h, s, v);
    EXPECT_EQ(std::make_tuple(h, s, v), std::make_tuple(43691u, 65536u, 65536u));
    rgbToHsi(127, 255, 0, h, s, v);
    EXPECT_EQ(std::make_tuple(h, s, v), std::make_tuple(16406u, 65536u, 65536u));
    rgbToHsi(0, 64, 128, h, s, v);
    EXPECT_EQ(std::make_tuple(h, s, v), std::make_tuple(38251u, 65536u, 32897u));
    // A full turn of red comes out as 65536.
    rgbToHsi(255, 0, 0, h, s, v);
    EXPECT_EQ(std::make_tuple(h, s, v), std::make_tuple(65536u, 65536u, 65536u));

    // Round trips stay within one step of each channel.
    for (unsigned red : {0u, 37u, 200u, 255u})
        for (unsigned green : {0u, 90u, 255u})
            for (unsigned blue : {0u, 12u, 254u}) {
                rgbToHsi(red, green, blue, h, s, v);
                unsigned r, g, b;
                hsiToRgb(static_cast<std::uint16_t>(h), s, static_cast<int>(v), r, g, b);
                EXPECT_NEAR(r, red, 1.0);
                EXPECT_NEAR(g, green, 1.0);
                EXPECT_NEAR(b, blue, 1.0);
            }
}

TEST(Crc32, CheckValuesAndChaining)
{
    const auto* abc = reinterpret_cast<const unsigned char*>("abc");
    const auto* digits = reinterpret_cast<const unsigned char*>("123456789");
    EXPECT_EQ(crc32(abc, 3, 0), 0x2C17398Cu);
    // Published check values: start 0xFFFFFFFF is CRC-32/MPEG-2; start 0 is
    // CRC-32/POSIX before its final inversion.
    EXPECT_EQ(crc32(digits, 9, 0xFFFFFFFFu), 0x0376E6E7u);
    EXPECT_EQ(~crc32(digits, 9, 0), 0x765E7680u);
    EXPECT_EQ(crc32(digits + 4, 5, crc32(digits, 4, 0xFFFFFFFFu)), 0x0376E6E7u);
    EXPECT_EQ(crc32(digits, 0, 0x12345678u), 0x12345678u);
    EXPECT_EQ(crc32(nullptr, 0, 7u), 7u);
}

TEST(FileUtils, ErrorMessages)
{
    EXPECT_EQ(errorMessage(0), "No error occurred");
    EXPECT_EQ(errorMessage(5), "The file could not be opened");
    EXPECT_EQ(errorMessage(14), "The file could not be copied");
    EXPECT_EQ(errorMessage(15), "Unknown error");
    EXPECT_EQ(errorMessage(-1), "Unknown error");
}

TEST(FileUtils, SanitiseFileName)
{
    const auto clean = [](QString name, QChar replacement = QLatin1Char('_')) {
        return sanitiseFileName(name, replacement);
    };
    EXPECT_EQ(clean(".a<b>:c"), "a_b__c");
    EXPECT_EQ(clean("..x"), ".x");
    EXPECT_EQ(clean("plain name.txt"), "plain name.txt");
    EXPECT_EQ(clean("\\/?|*^<>:\""), "__________");
    EXPECT_EQ(clean(""), "_");
    EXPECT_EQ(clean("."), "_");
    EXPECT_EQ(clean(".."), "_");
    QString name = QStringLiteral("a/b");
    EXPECT_EQ(&sanitiseFileName(name, QLatin1Char('-')), &name);
    EXPECT_EQ(name, "a-b");
}

bool writeFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("data") == 4;
}

TEST(FileUtils, RemoveDirectoryRecursively)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString root = temp.path();
    EXPECT_FALSE(removeDirectoryRecursively(root + "/missing"));

    // A read-only file goes.
    const QString readOnly = root + "/readonly";
    ASSERT_TRUE(writeFile(readOnly));
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner);
    EXPECT_TRUE(removeDirectoryRecursively(readOnly));
    EXPECT_FALSE(QFileInfo::exists(readOnly));

    // A relative path is reported and nothing is deleted.
    const QString victim = root + "/victim";
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
    const QString tree = temp.path() + "/tree";
    ASSERT_TRUE(QDir().mkpath(outside + "/deep"));
    ASSERT_TRUE(writeFile(outside + "/deep/keep"));
    ASSERT_TRUE(QDir().mkpath(tree + "/sub/.hidden"));
    ASSERT_TRUE(writeFile(tree + "/sub/.hidden/file"));
    ASSERT_TRUE(writeFile(tree + "/file"));
    ASSERT_TRUE(QFile::link(outside, tree + "/sub/link"));
    ASSERT_TRUE(QFile::link(outside + "/deep/keep", tree + "/filelink"));
    ASSERT_TRUE(QFile::link(temp.path() + "/nowhere", tree + "/dangling"));
    QFile::setPermissions(outside + "/deep/keep", QFileDevice::ReadOwner);

    // keepFolder empties the folder and keeps it.
    EXPECT_TRUE(removeDirectoryRecursively(tree, true));
    EXPECT_TRUE(QDir(tree).exists());
    EXPECT_TRUE(QDir(tree).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(outside + "/deep/keep"));
    const auto ownerBits = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    EXPECT_EQ(QFile::permissions(outside + "/deep/keep") & ownerBits, QFileDevice::ReadOwner);
    EXPECT_TRUE(removeDirectoryRecursively(tree));
    EXPECT_FALSE(QFileInfo::exists(tree));

    // A link named as the path itself (even with a trailing slash) goes as a link.
    ASSERT_TRUE(QFile::link(outside, tree));
    EXPECT_FALSE(removeDirectoryRecursively(tree, true));
    EXPECT_TRUE(QFileInfo(tree).isSymLink());
    EXPECT_TRUE(removeDirectoryRecursively(tree + "/"));
    EXPECT_FALSE(QFileInfo(tree).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(outside + "/deep/keep"));
}

TEST(FileUtils, RemoveDirectoryStopsAtFailure)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString locked = temp.path() + "/locked";
    ASSERT_TRUE(QDir().mkpath(locked + "/inner"));
    ASSERT_TRUE(writeFile(locked + "/inner/file"));
    QFile::setPermissions(locked + "/inner", QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    EXPECT_FALSE(removeDirectoryRecursively(locked));
    EXPECT_TRUE(QFileInfo::exists(locked + "/inner/file"));
    QFile::setPermissions(locked + "/inner", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(Image, Allocation)
{
    Image gray(3, 2, 24);
    EXPECT_EQ(gray.stride(0), 4u);
    EXPECT_EQ(gray.byteCount(0), 8u);
    ASSERT_NE(gray.bits(0), nullptr);
    EXPECT_EQ(std::vector<unsigned char>(gray.bits(0), gray.bits(0) + 8), std::vector<unsigned char>(8, 0));
    EXPECT_EQ(gray.bits(1), nullptr);
    EXPECT_EQ(gray.byteCount(1), 0u);
    EXPECT_EQ(gray.bits(-1), nullptr);

    Image rgb(1, 1, 4);
    EXPECT_EQ(rgb.stride(0), 4u);
    EXPECT_EQ(rgb.format(), 4);

    for (const Image& empty : {Image(0, 5, 5), Image(5, 5, 6), Image(5, 5, 3), Image(5, -1, 5), Image(),
                               Image(0x7FFFFFFF, 1, 5), Image(1, 0x20000000, 24), Image(0x10000, 0x10000, 24)}) {
        EXPECT_TRUE(empty.isEmpty());
        EXPECT_EQ(empty.format(), 0);
        EXPECT_EQ(empty.width(), 0);
        EXPECT_EQ(empty.height(), 0);
        EXPECT_EQ(empty.bits(0), nullptr);
        EXPECT_EQ(empty.byteCount(0), 0u);
    }

    // Copies share one body.
    Image copy = gray;
    copy.bits(0)[5] = 9;
    EXPECT_EQ(gray.bits(0)[5], 9);
}

}  // namespace
