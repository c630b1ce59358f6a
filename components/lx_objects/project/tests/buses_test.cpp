#include "components/archive/type_registry.h"
#include "components/lx_objects/project/audio_buses.h"
#include "components/lx_objects/project/ethernet_sources.h"
#include "components/lx_objects/project/timecode_buses.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

QByteArray repeated(const char* hexText, int times)
{
    QByteArray bytes;
    for (int i = 0; i < times; ++i)
        bytes += hex(hexText);
    return bytes;
}

std::string logicError(const std::string& sense, int line, const std::string& file)
{
    return "Error Logic error: 'settings[index].isUsed' is " + sense + " at line " + std::to_string(line) + " in file "
        + file + "\n";
}

}  // namespace

TEST(Buses, NewTablesAndTheirStoredForms)
{
    EXPECT_EQ(writtenBytes(EthernetSources()).toHex(), (hex("05") + repeated("00 e0000001 0000", 5)).toHex());
    EXPECT_EQ(writtenBytes(AudioBuses()).toHex(), (hex("04") + repeated("00 00", 4)).toHex());
    EXPECT_EQ(writtenBytes(TimecodeBuses()).toHex(),
              (hex("0006 0000000c") + repeated("0075 00 0000 0000", 12)).toHex());
    EXPECT_EQ(*ObjectRegistry::createValue<TimecodeBusSetting>(117), TimecodeBusSetting());

    EthernetSources sources;
    sources.setSetting(1, 2), sources.setAddress(1, 0xC0A80001), sources.setPort(1, 6454);
    AudioBuses audio;
    audio.setUsed(3), audio.setValue(3, 9);
    TimecodeBuses timecode;
    timecode.use(11), timecode.setValue1(11, 0x1234), timecode.setValue2(11, 0x5678);
    EXPECT_EQ(writtenBytes(timecode).right(5).toHex(), hex("01 1234 5678").toHex());
    const auto sound = [](const auto& o) {
        return StreamCheck::stableRoundTrip(o, kProjectStreamVersion) && everyStrictPrefixFails(o);
    };
    EXPECT_TRUE(sound(sources) && sound(audio) && sound(timecode));
}

TEST(Buses, TimecodeTablesOfOtherLengths)
{
    TimecodeBuses shortTable;
    ASSERT_EQ(readBytes(shortTable, hex("0006 00000003 0075 01 0001 0002 0075 00 0000 0000 0075 01 0000 0003")), 0);
    TimecodeBuses expected;
    expected.use(0), expected.setValue1(0, 1), expected.setValue2(0, 2), expected.use(2), expected.setValue2(2, 3);
    EXPECT_EQ(shortTable, expected);

    TimecodeBuses longTable;
    const QByteArray longBytes = hex("0006 0000000e") + repeated("0075 01 0000 0000", 14);
    ASSERT_EQ(readBytes(longTable, longBytes), 0);
    EXPECT_EQ(longTable.settings().size(), 14u);
    EXPECT_EQ(writtenBytes(longTable), longBytes);
    EXPECT_TRUE(StreamCheck::damagedReadFails(longBytes, 2, "7fffffff", kProjectStreamVersion,
                                              "Error reading from file, count 2147483647 exceeds the data remaining",
                                              [](InStream& in) { TimecodeBuses().read(in); }));
}

TEST(Buses, MisuseIsReportedAndIndexesBeyondTheTablesIgnored)
{
    TimecodeBuses timecode;
    AudioBuses audio;
    EthernetSources sources;
    CaptureStderr();
    timecode.use(1), timecode.use(1), timecode.release(2);
    audio.setUsed(0), audio.setUsed(0);
    EXPECT_EQ(GetCapturedStderr(),
              logicError("TRUE", 51, "components/lx_objects/timecode_buses")
                  + logicError("FALSE", 62, "components/lx_objects/timecode_buses")
                  + logicError("TRUE", 43, "components/lx_objects/audio_buses"));
    EXPECT_TRUE(timecode.isUsed(1) && audio.settings()[0].isUsed);
    EXPECT_FALSE(timecode.isUsed(2) || timecode.isUsed(0));
    EXPECT_TRUE(timecode.isUsed(12) && timecode.isUsed(-1));

    const TimecodeBuses timecodeBefore = timecode;
    const AudioBuses audioBefore = audio;
    CaptureStderr();
    timecode.use(12), timecode.release(12), timecode.setValue1(12, 1), timecode.setValue2(-1, 1);
    audio.setUsed(4), audio.setValue(4, 1), audio.setValue(-1, 1);
    sources.setSetting(5, 1), sources.setAddress(5, 1), sources.setPort(5, 1), sources.setPort(-1, 1);
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_EQ(timecode, timecodeBefore);
    EXPECT_EQ(audio, audioBefore);
    EXPECT_EQ(sources, EthernetSources());
}
