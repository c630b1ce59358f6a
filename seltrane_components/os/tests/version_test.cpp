#include "seltrane_components/os/version.h"

#include <gtest/gtest.h>

namespace {

TEST(Version, ParseTable)
{
    const struct
    {
        const char* text;
        Version expected;
    } cases[] = {
        {"2.5", Version(2, 5, 0, 0)},          {"2.5.3", Version(2, 5, 3, 0)},
        {"2.5.3 BETA4", Version(2, 5, 3, 0x84)}, {"2.5.3.BETA4", Version(2, 5, 3, 0x84)},
        {"2.5.DEBUG2", Version(2, 5, 0, 0xC2)}, {"2.5.3 RC0", Version(2, 5, 3, 0x40)},
        // Numbers above 63 spill into the kind bits; parts above 255 wrap.
        {"1.0 RC64", Version(1, 0, 0, 0x40)},   {"1.0 RC128", Version(1, 0, 0, 0xC0)},
        {"256.1", Version(0, 1, 0, 0)},         {"300.2.257", Version(44, 2, 1, 0)},
        {"2.5 rc1", Version()},                 {"v2.5", Version()},
        {"2", Version()},                       {"2.5 ", Version()},
        {"2.5.3 BETA", Version()},              {"2.5  RC1", Version()},
        {"", Version()},
    };
    for (const auto& c : cases) {
        const Version v = Version::parse(QString::fromUtf8(c.text));
        EXPECT_EQ(v, c.expected) << c.text << " gave " << v.toStdString(true);
    }
    EXPECT_TRUE(Version::parse(QString()).isNull());
}

TEST(Version, PrintTableAndRoundTrip)
{
    const struct
    {
        Version version;
        const char* shortForm;
        const char* longForm;
    } cases[] = {
        {Version(2, 5, 0, 0), "2.5", "2.5.0"},
        {Version(2, 5, 3, 0), "2.5.3", "2.5.3"},
        {Version(2, 5, 3, 0x84), "2.5.3 BETA4", "2.5.3.BETA4"},
        {Version(2, 5, 0, 0x41), "2.5 RC1", "2.5.0.RC1"},
        {Version(2, 5, 3, 0x40), "2.5.3 RC0", "2.5.3.RC0"},
        {Version(1, 0, 0, 0xFF), "1.0 DEBUG63", "1.0.0.DEBUG63"},
        {Version(255, 255, 255, 0), "255.255.255", "255.255.255"},
        {Version(2, 5, 0, 7), "2.5", "2.5.0"},  // a number without a kind is not shown
        {Version(), "0.0", "0.0.0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.version.toStdString(false), c.shortForm);
        EXPECT_EQ(c.version.toStdString(true), c.longForm);
        EXPECT_EQ(c.version.toString(false), QString::fromUtf8(c.shortForm));
        EXPECT_EQ(c.version.toString(true), QString::fromUtf8(c.longForm));
        if (c.version.tag() == 0 || c.version.tag() > 63) {
            EXPECT_EQ(Version::parse(c.version.toString(true)), c.version) << c.longForm;
            EXPECT_EQ(Version::parse(c.version.toString(false)), c.version) << c.shortForm;
        }
    }
}

TEST(Version, ByteArray)
{
    EXPECT_EQ(Version(2, 5, 3, 0x84).toByteArray(), QByteArray("\x02\x05\x03\x84", 4));
    EXPECT_EQ(Version(200, 0, 0, 0).toByteArray(), QByteArray("\xC8\x00\x00\x00", 4));
    const struct
    {
        QByteArray bytes;
        Version expected;
    } reads[] = {
        {QByteArray("\x02\x05\x03\x07", 4), Version(2, 5, 3, 0)},  // a number without a kind is dropped
        {QByteArray("\x02\x05\x03\x47", 4), Version(2, 5, 3, 0x47)},
        {QByteArray("\x02\x05", 2), Version(2, 5, 0, 0)},
        {QByteArray(), Version()},
        {QByteArray("\x01\x02\x03\xC1\x09", 5), Version(1, 2, 3, 0xC1)},
    };
    for (const auto& r : reads)
        EXPECT_EQ(Version::fromByteArray(r.bytes), r.expected) << r.bytes.toHex().constData();
}

}  // namespace
