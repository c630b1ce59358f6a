#include "seltrane_components/os/version.h"

#include <gtest/gtest.h>

namespace {

TEST(Version, ParseTable)
{
    const std::pair<const char*, Version> cases[] = {
        {"2.5", Version(2, 5, 0, 0)},
        {"2.5.3 BETA4", Version(2, 5, 3, 0x84)},
        {"2.5.3.BETA4", Version(2, 5, 3, 0x84)},
        {"2.5.DEBUG2", Version(2, 5, 0, 0xC2)},
        {"2.5.3 RC0", Version(2, 5, 3, 0x40)},
        // Numbers above 63 spill into the kind bits; parts above 255 wrap.
        {"1.0 RC63", Version(1, 0, 0, 0x7F)},
        {"1.0 RC64", Version(1, 0, 0, 0x40)},
        {"1.0 RC128", Version(1, 0, 0, 0xC0)},
        {"255.2.256", Version(255, 2, 0, 0)},
        {"2.5 rc1", Version()},
        {"v2.5", Version()},
        {"2", Version()},
        {"2.5 ", Version()},
        {"2.5.3 BETA", Version()},
        {"2.5  RC1", Version()},
        {"", Version()},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(Version::parse(QString::fromUtf8(text)), expected) << text;
}

TEST(Version, TextAndBytes)
{
    // Short and long forms; a number without a kind is not shown.
    const std::pair<Version, const char*> cases[] = {
        {Version(2, 5, 0, 0), "2.5|2.5.0"},
        {Version(2, 5, 3, 0x84), "2.5.3 BETA4|2.5.3.BETA4"},
        {Version(1, 0, 0, 0xFF), "1.0 DEBUG63|1.0.0.DEBUG63"},
        {Version(2, 5, 0, 0x41), "2.5 RC1|2.5.0.RC1"},
        {Version(2, 5, 0, 7), "2.5|2.5.0"},
        {Version(2, 5, 0, 0x3F), "2.5|2.5.0"},
        {Version(2, 5, 0, 0x40), "2.5 RC0|2.5.0.RC0"},
    };
    for (const auto& [version, forms] : cases)
        EXPECT_EQ(version.toStdString(false) + "|" + version.toString(true).toStdString(), forms);

    EXPECT_EQ(Version(200, 5, 3, 0x84).toByteArray(), QByteArray("\xC8\x05\x03\x84", 4));
    const std::pair<QByteArray, Version> reads[] = {
        {QByteArray("\x02\x05\x03\x3F", 4), Version(2, 5, 3, 0)},  // a number without a kind is dropped
        {QByteArray("\x02\x05\x03\x40", 4), Version(2, 5, 3, 0x40)},
        {QByteArray("\x02\x05", 2), Version(2, 5, 0, 0)},
        {QByteArray("\x01\x02\x03\xC1\x09", 5), Version(1, 2, 3, 0xC1)},
    };
    for (const auto& [bytes, expected] : reads)
        EXPECT_EQ(Version::fromByteArray(bytes), expected) << bytes.toHex().constData();
}

}  // namespace
