#include "components/lx_objects/controllers/remote_device.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <string>

using StreamCheck::kNewest;

namespace {

// Key, controller 7 and the name "a" under key 0.
QByteArray headOf(quint8 type)
{
    return hex("00a2") + char(type) + hex("03 00000007 0008 00000001 00000000 00000002 0061");
}

RemoteDevice named(quint8 type)
{
    RemoteDevice device(RDKey {type, 3});
    device.controllerId = 7, device.setName(QStringLiteral("a"), 0);
    return device;
}

}  // namespace

TEST(RemoteDevice, StreamFormOfEachType)
{
    const QByteArray contacts = hex("020032").repeated(4);
    const std::tuple<quint8, quint8, QByteArray> forms[] = {
        {101, 0, hex("01 00960000 08 01 00") + contacts + contacts + hex("0000 0000 00 00 00 00")},
        {102, 0, hex("01 00960000 08 01 00") + contacts + hex("010000").repeated(4) + hex("0000 0000 00 00 00 00")},
        {103, 0, hex("01 00960000 08 01 00") + hex("010000").repeated(8) + hex("00 00 00")},
        {104, 0, hex("00 01f4 00c8") + hex("00ff").repeated(8)},
        {107, 0, hex("00 01f4 00c8") + hex("00ff").repeated(16)},
        {105, 0, hex("00 00")},
        {105, 1, hex("01 00 05 ff 05 01 00")},
        {105, 2, hex("02 05 00 00")},
        {106, 0, hex("ffffffff")},
        {100, 0, {}},
        {108, 0, {}},
        {255, 0, {}},
    };
    for (const auto& [type, mode, settings] : forms) {
        SCOPED_TRACE(std::to_string(type) + " mode " + std::to_string(mode));
        RemoteDevice device = named(type);
        if (device.dsxAudio())
            device.dsxAudio()->mode = mode;
        EXPECT_EQ(writtenBytes(device).toHex(), (headOf(type) + settings).toHex());
        EXPECT_TRUE(StreamCheck::stableRoundTrip(device, kProjectStreamVersion));
        EXPECT_EQ(writtenBytes(*std::unique_ptr<RemoteDevice>(static_cast<RemoteDevice*>(device.clone()))),
                  writtenBytes(device));
        EXPECT_TRUE(everyStrictPrefixFails(device));
        // Read over itself, a device keeps what its layout leaves out.
        RemoteDevice back = device;
        ASSERT_EQ(readBytes(back, writtenBytes(device)), 0);
        EXPECT_EQ(back, device);
    }

    // A DSX 08 keeps the words and flag A it does not store; a read of a type
    // whose group is not held starts from that group zeroed, and gains text 0.
    RemoteDevice dsx08 = named(RemoteDevice::Dsx08Type), back;
    dsx08.dsxIo()->wordA = 1, dsx08.dsxIo()->wordB = 2, dsx08.dsxIo()->flagA = true, back = dsx08;
    ASSERT_EQ(readBytes(back, writtenBytes(dsx08)), 0);
    EXPECT_EQ(back, dsx08);
    for (const quint16 version : {quint16(138), kProjectStreamVersion}) {
        back = dsx08;
        ASSERT_EQ(readBytes(back, hex("00a2 69 00 ffffffff 0008 00000000 00 07"), version), 0);
        EXPECT_EQ(*back.dsxAudio(), (DsxAudioSettings {0, 0, 0, 0, 0, 7, 0})) << version;
        EXPECT_EQ(back.texts(), (std::map<quint32, QString> {{0, QString()}})) << version;
    }

    // The text count, the type and the audio mode each select what follows.
    const std::string shortRead = "Error reading from file";
    const QByteArray dsxD = objectPointerBytes(named(RemoteDevice::DsxDType));
    EXPECT_TRUE(StreamCheck::damagedReadFails(dsxD, 12, "7fffffff", kProjectStreamVersion,
                                              "Error reading from file, count 2147483647 exceeds the data remaining",
                                              readOneObject));
    EXPECT_TRUE(StreamCheck::damagedReadFails(dsxD, 4, "65", kProjectStreamVersion, shortRead, readOneObject));
    RemoteDevice audio = named(RemoteDevice::DsxAType);
    audio.dsxAudio()->mode = 0;
    EXPECT_TRUE(StreamCheck::damagedReadFails(objectPointerBytes(audio), 26, "01", kProjectStreamVersion, shortRead,
                                              readOneObject));
}

TEST(RemoteDevice, VersionGatesOnRead)
{
    for (const quint8 type : {RemoteDevice::Dsx80Type, RemoteDevice::Dsx08Type}) {
        SCOPED_TRACE(int(type));
        const bool words = type != RemoteDevice::Dsx08Type;
        const std::string head = "00a2" + QByteArray(1, char(type)).toHex().toStdString() + "03 00000007";
        const std::vector<StreamCheck::Chunk> layout = {
            {0, kNewest, head.c_str()},
            {138, kNewest, "0008 00000002 00000000 00000002 0061 00000004 00000002 0062"},
            {0, 138, "00000002 0061"},
            {0, kNewest, "02 00002580 07 02 03 000002 010103 020204 000305 010406 020507 000608 010709"},
            {104, kNewest, words ? "0011 0022" : ""},
            {93, kNewest, words ? "00" : ""},
            {0, kNewest, "01"},
            {126, kNewest, "00 00"},
        };
        StreamCheck::expectGateReads<RemoteDevice>(layout, kProjectStreamVersion, [&](quint16 v) {
            RemoteDevice device = named(type);
            if (v >= 138)
                device.setName(QStringLiteral("b"), 4);
            DsxIoSettings& g = *device.dsxIo();
            g.serialMode = 2, g.serialBaudRate = 9600, g.serialDataBits = 7, g.serialStopBits = 2, g.serialParity = 3;
            for (quint8 i = 0; i < 8; ++i)
                g.ports[i] = RemoteDevicePort {quint8(i % 3), i, quint8(i + 2)};
            g.wordA = words && v >= 104 ? 0x11 : 0, g.wordB = words && v >= 104 ? 0x22 : 0;
            g.flagA = words && v < 93, g.flagB = true;
            g.flagC = v < 126, g.flagD = v < 126;
            return device;
        });
    }
}
