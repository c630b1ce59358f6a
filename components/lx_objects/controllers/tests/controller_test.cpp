#include "components/lx_objects/controllers/controller.h"
#include "components/lx_objects/project/object_types.h"
#include "components/lx_objects/tests/stream_bytes.h"
#include "tests/support/stream_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <tuple>
#include <vector>

namespace {

Controller controllerOfType(quint8 type)
{
    Controller controller;
    return controller.setType(type), controller;
}

// sampleMask() inside its block of code 258: name, position, size, angle,
// offset, values A and B, the three factors as doubles.
const char kSampleMaskBlock[] = "0102 00000002006d 3ff8000000000000c000000000000000 00000280000001e0 0000005a "
                                "00000000000000003fd0000000000000 00000001ffffffff 3fe00000000000003ff0000000000000 "
                                "40000000000000000000000000000000";

}  // namespace

TEST(Controller, StreamForms)
{
    Controller qmb = controllerOfType(Controller::QmbType);
    qmb.number = 7, qmb.setName(QStringLiteral("a\nb")), qmb.setText(QStringLiteral("s"), 0);
    qmb.serialBaudRate = 19200, qmb.serialDataBits = 7, qmb.serialStopBits = 2, qmb.serialParity = 2;
    qmb.auxiliaryValue = 5, qmb.flagA = true;
    qmb.setInputType(0, 1), qmb.setInputData1(0, 3), qmb.setInputData2(0, 4);
    const auto setAll = [](Controller& c) {
        c.setDmxRefresh(3), c.setTimeSource(2), c.setOption8A(1), c.setOption8B(1);
        c.setIpAddress(0x0A000001), c.setSubnetMask(qint32(0xFFFFFF00)), c.setOption32D(12);
        c.setDmxInSource2(4), c.setDmxInSource2Value(0x1234), c.setDmxInSource3(5), c.setDmxInSource3Value(0x2345);
        c.setDmxInValue4(6), c.setDmxInSource(1), c.setDmxInSourceValue(0x3456);
        c.setSerial2Mode(0x103);  // one byte in the stream
    };
    setAll(qmb);
    // Type, capacity, reference, number, name "a b", texts {0: "s"}, general
    // option, serial port, auxiliary value, the inputs; refresh, time source,
    // shared words B and C, 8A, flag E, 8B, address, mask, shared word A,
    // proxy, DMX inputs, serial mode; flags.
    EXPECT_EQ(writtenBytes(qmb).toHex(),
              (hex("01 00000400 ffffffff 0007 00000006006100200062 00080000000100000000000000020073 00000002 "
                   "00004b00070202 00000005 010304")
               + hex("020032").repeated(7)
               + hex("0302 00000000 01 00 01 0a000001 ffffff00 0000 0000000c 04 1234 05 2345 0006 01 3456 03 010000"))
                  .toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(qmb, kProjectStreamVersion));
    EXPECT_EQ(writtenBytes(*std::unique_ptr<Controller>(qmb.clone())), writtenBytes(qmb));
    EXPECT_TRUE(everyStrictPrefixFails(qmb));

    // The settings block of each other type; only types 4 and 5 carry masks.
    const QByteArray common =
        hex("ffffffff 0000 ffffffff 000800000000 00000002 00009600080100 ffffffff") + hex("020032").repeated(8);
    const std::tuple<quint8, const char*, void (*)(Controller&), QByteArray> forms[] = {
        {2, "00002800",
         [](Controller& c) {
             c.setSerial2BaudRate(9600), c.setSerial2DataBits(7), c.setSerial2StopBits(2), c.setSerial2Parity(0x103);
             c.setPanelOption96(0), c.setOption32A(7), c.setOption32B(-1), c.setOption16(9);
         },
         hex("0100 00002580070203 0000000000000000 00 00000007ffffffff00000000 0009 00 00ffff 0007800438")},
        {3, "00000200",
         [](Controller& c) {
             c.setHasDaliInterface(1), c.setDaliInterfaceId(9), c.setSecondIpAddress(0x0A000002), c.setOption32E(-2);
         },
         hex("0100 0000000000000000 0000 00ffff 00ffff0000 32190a000002000000030101 0100000009 00000000 0000 "
             "fffffffe")},
        {4, "00000200", [](Controller& c) { c.setOption32A(7); },  // type 2 only
         hex("01 0000000000000000 01 00 0000000000000000 0001 00 00ffff ffffffff 00080000000102")
             + hex(kSampleMaskBlock)},
        {6, "00000000", [](Controller& c) { c.setOption8D(1); }, hex("011900000001000000030101ffffffff")},
        {0, "00000200", setAll, QByteArray()},
        {255, "00000200", setAll, QByteArray()},
    };
    for (const auto& [type, capacity, edit, settings] : forms) {
        Controller controller = controllerOfType(type);
        controller.contentMasks[2] = sampleMask();
        edit(controller);
        const QByteArray expected = char(type) + hex(capacity) + common + settings + QByteArray(3, '\0');
        EXPECT_EQ(writtenBytes(controller).toHex(), expected.toHex()) << int(type);
        Controller read;
        EXPECT_EQ(readBytes(read, expected), 0);
        controller.setText(QString(), 0);  // every read gives text 0
        EXPECT_EQ(writtenBytes(read).toHex(), writtenBytes(controller).toHex()) << int(type);
    }

    // The mask alone; before 150 its angle is in turns, and a hostile angle
    // wraps instead of overflowing.
    ContentMask mask = sampleMask();
    EXPECT_EQ(writtenBytes(mask).toHex(), hex(kSampleMaskBlock).mid(2).toHex());
    mask.angle = 0x7FFFFFFF;
    EXPECT_EQ(readBytes(mask, writtenBytes(mask), 149), 0);
    EXPECT_EQ(mask.angle, qint32(quint32(0x7FFFFFFF) * 360u));
}

namespace {

using StreamCheck::bytesAt;
using StreamCheck::Chunk;

constexpr quint16 N = 0xFFFF;
#define DROPPED_WORD                                                                                                   \
    {0, 112, "deadbeef"}, { 120, 125, "deadbeef" }

// The settings block of each type as the versions held it.
const std::map<int, std::vector<Chunk>> kSettings = {
    {1,
     {{0, N, "0203"},
      {104, N, "0b0b0c0c"},
      {0, N, "01"},
      {126, N, "00"},
      {0, N, "00 00000001 00000002"},
      DROPPED_WORD,
      {153, N, "0a0a"},
      {0, N, "00000005 06 0007 08 0009 000a 0b 000c 03"}}},
    {2,
     {{0, N, "02"},
      {56, 62, "00"},
      {63, N, "00"},
      {0, N, "000012c0 07 02 01 00000001 00000002"},
      DROPPED_WORD,
      {0, N, "00 00000003 00000004 00000005 0006"},
      {134, N, "07"},
      {0, N, "080009"},
      {69, N, "01 0280 01e0"}}},
    {3,
     {{0, N, "02 01 00000001 00000002"},
      DROPPED_WORD,
      {153, N, "0a0a"},
      {0, N, "030004"},
      {10, N, "05 0006 0007"},
      {0, N, "01 02 00000003 00000004 00 00 01 0000000c"},
      {104, N, "0b0b0c0c"},
      {0, N, "01"},
      {129, N, "00"},
      {0, N, "0000000d"}}},
    {4,
     {{66, N, "02 0a000003 ff000000"},
      DROPPED_WORD,
      {66, N, "00"},
      {124, N, "01 fffffffb 00000006 0007 08"},
      {66, N, "09000a"},
      {0, N, "0000000b"},
      {62, N, "000800000001040102"},
      {77, N, "00000002006d"},
      {62, N, kSampleMaskBlock + 18}}},  // the mask's name came in at 77
    {6, {{0, N, "01 02 00000003 00000004 00 01 00000005"}}},
    {0, {}},
};
#undef DROPPED_WORD

}  // namespace

TEST(Controller, VersionGatesOnRead)
{
    const std::vector<Chunk> common = {// the fields in front of the settings block
                                       {0, N, "00000064"},
                                       {135, N, "0000004d"},
                                       {0, N, "000300000002006e"},  // capacity, reference, number, name
                                       {138, N, "0008 00000001 00000000 00000002 0074"},
                                       {0, 138, "000000020074"},  // texts
                                       {81, N, "00000009"},
                                       {0, N, "00002580 08 01 03 00000004"},  // general option, serial port
                                       {0, N, "000102030405060708090a0b0c0d0e0f1011121314151617"}};
    const std::vector<Chunk> flags = {{0, N, "01"}, {78, N, "0101"}};
    std::vector<Chunk> everyChunk = common;
    everyChunk.insert(everyChunk.end(), flags.begin(), flags.end());
    for (const auto& layout : kSettings)
        everyChunk.insert(everyChunk.end(), layout.second.begin(), layout.second.end());
    for (const quint16 version : StreamCheck::gateVersions(everyChunk, kProjectStreamVersion)) {
        for (const auto& layout : kSettings) {
            SCOPED_TRACE(std::to_string(version) + " type " + std::to_string(layout.first));
            const QByteArray bytes = QByteArray(1, char(layout.first)) + bytesAt(version, common)
                + bytesAt(version, layout.second) + bytesAt(version, flags);
            Controller c;
            ASSERT_EQ(readBytes(c, bytes, version), 0);
            EXPECT_EQ(c.referenceId, version >= 135 ? 77u : 0xFFFFFFFFu);
            EXPECT_EQ(c.generalOption, version >= 81 ? 9u : 2u);
            EXPECT_EQ(c.texts(), (std::map<qint32, QString> {{0, QStringLiteral("t")}}));
            EXPECT_EQ(c.flagC, version >= 78);
            const bool shared = layout.first == 1 || layout.first == 3;
            EXPECT_EQ(c.settings().sharedWordA, shared && version >= 153 ? 0x0A0A : 0);
            EXPECT_EQ(c.settings().sharedWordB, shared && version >= 104 ? 0x0B0B : 0);
            EXPECT_EQ(c.contentMasks.size(), layout.first == 4 && version >= 62 ? 1u : 0u);
        }
    }

    // A hostile mask count is refused before anything is allocated.
    QByteArray hostile = writtenBytes(controllerOfType(Controller::GzeType));
    hostile.replace(hostile.lastIndexOf(hex("0008")) + 2, 4, hex("ffffffff"));
    Controller refused;
    EXPECT_THROW(readBytes(refused, hostile), std::runtime_error);
}

TEST(Controller, SetTypeCarriesSharedSettings)
{
    // QMB to KNV: the address and the inputs carry over, a DMX input of
    // source 1 does not; GZE gives nothing to a QMB.
    Controller c = controllerOfType(Controller::QmbType);
    c.setDmxInSource(1), c.setIpAddress(0x0A000001), c.setInputType(3, 9);
    c.setType(Controller::KnvType);
    EXPECT_EQ(c.settings().dmxInSource, 0);
    EXPECT_EQ(c.ipAddress(), 0x0A000001u);
    EXPECT_EQ(c.input(3).inputType, 9);
    Controller gze = controllerOfType(Controller::GzeType);
    gze.setIpAddress(0x0A000001), gze.setType(Controller::QmbType);
    EXPECT_EQ(gze.ipAddress(), 0u);
}
