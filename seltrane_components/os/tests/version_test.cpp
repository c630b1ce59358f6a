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
        {"2.5", Version(2, 5, 0, 0)},
        {"2.5.3 BETA4", Version(2, 5, 3, 0x84)},
        {"2.5.3.BETA4", Version(2, 5, 3, 0x84)},
        {"2.5.DEBUG2", Version(2, 5, 0, 0xC2)},
        {"2.5.3 RC0", Version(2, 5, 3, 0x40)},
        // Numbers above 63 spill into the kind bits; parts above 255 wrap.
        {"1.0 RC128", Version(1, 0, 0, 0xC0)},
        {"300.2.257", Version(44, 2, 1, 0)},
        {"2.5 rc1", Version()},
        {"v2.5", Version()},
        {"2", Version()},
        {"2.5 ", Version()},
        {"2.5.3 BETA", Version()},
        {"2.5  RC1", Version()},
        {"", Version()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Version::parse(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(Version, TextAndBytes)
{
    const struct
    {
        Version version;
        const char* shortForm;
        const char* longForm;
    } cases[] = {
        {Version(2, 5, 0, 0), "2.5", "2.5.0"},
        {Version(2, 5, 3, 0x84), "2.5.3 BETA4", "2.5.3.BETA4"},
        {Version(1, 0, 0, 0xFF), "1.0 DEBUG63", "1.0.0.DEBUG63"},
        {Version(2, 5, 0, 0x41), "2.5 RC1", "2.5.0.RC1"},
        {Version(2, 5, 0, 7), "2.5", "2.5.0"},  // a number without a kind is not shown
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.version.toStdString(false) + "|" + c.version.toString(true).toStdString(),
                  std::string(c.shortForm) + "|" + c.longForm);

    EXPECT_EQ(Version(200, 5, 3, 0x84).toByteArray(), QByteArray("\xC8\x05\x03\x84", 4));
    const struct
    {
        QByteArray bytes;
        Version expected;
    } reads[] = {
        {QByteArray("\x02\x05\x03\x07", 4), Version(2, 5, 3, 0)},  // a number without a kind is dropped
        {QByteArray("\x02\x05", 2), Version(2, 5, 0, 0)},
        {QByteArray("\x01\x02\x03\xC1\x09", 5), Version(1, 2, 3, 0xC1)},
    };
    for (const auto& r : reads)
        EXPECT_EQ(Version::fromByteArray(r.bytes), r.expected) << r.bytes.toHex().constData();
}

}  // namespace
