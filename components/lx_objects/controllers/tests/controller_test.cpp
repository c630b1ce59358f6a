#include "components/lx_objects/controllers/controller.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

Controller controllerOfType(quint8 type)
{
    Controller controller;
    return controller.setType(type), controller;
}

// sampleMask() inside its block: name, position, size, angle, offset, values
// A and B, the three factors as doubles.
const std::string kSampleMaskBlock = "0102 'm' 3ff8000000000000c000000000000000 00000280000001e0 0000005a "
                                     "00000000000000003fd0000000000000 00000001ffffffff "
                                     "3fe00000000000003ff0000000000000 40000000000000000000000000000000";

// The fields in front of the settings block (capacity, reference, number,
// name, texts: one text was key 0, general option, serial port, auxiliary
// value, inputs) and the flags behind it; "| before" is what older data
// reads as.
const std::string kCommon = R"(
    -: 00000064;  135-: 0000004d | ffffffff;  -: 0003 'n'
    138-: 0008 00000001 00000000 't' | 0008 00000001 00000000 't';  -138: 't'
    81-: 00000009 | 00000002;  -: 00002580 08 01 03 00000004 000102030405060708090a0b0c0d0e0f1011121314151617
)";
const std::string kFlags = "-: 01;  78-: 0101 | 0000\n";

// Each type's settings block as the versions held it. A word that some
// versions carried in the middle of the address settings is dropped; type 2
// read before 63 takes the fallback of 62 and older.
const std::string kDroppedWord = "-112: deadbeef;  120-125: deadbeef\n";
const std::string kQmb = R"(
    -: 0203;  104-: 0b0b0c0c | 00000000;  -: 01;  126-: 00 | 01;  -: 00 00000001 00000002
)" + kDroppedWord
    + "153-: 0a0a | 0000;  -: 00000005 06 0007 08 0009 000a 0b 000c 03";
const std::string kQmbZ =
    "-: 02;  56-62: 01;  63-: 00 | 01;  -: 000012c0 07 02 01 00000001 00000002\n" + kDroppedWord + R"(
    -: 00 00000003 00000004 00000005 0006;  134-: 07 | 00;  -: 080009;  69-: 01 0280 01e0 | 00 0780 0438
)";
const std::string kKnv = "-: 02 01 00000001 00000002\n" + kDroppedWord + R"(
    153-: 0a0a | 0000;  -: 030004;  10-: 05 0006 0007 | 00 ffff 0000
    -: 01 02 00000003 00000004 00 00 01 0000000c;  104-: 0b0b0c0c | 00000000;  -: 01;  129-: 00 | 01;  -: 0000000d
)";
const std::string kGze = "66-: 02 0a000003 ff000000 | 01 00000000 00000000\n" + kDroppedWord + R"(
    66-: 00 | 01;  124-: 01 fffffffb 00000006 0007 08 | 00 00000000 00000000 0001 00;  66-: 09000a | 00ffff
    -: 0000000b;  62-: 0008 00000000 | 0008 00000000
)";

// The settings the newest form of each type's block holds.
using SetUp = void (*)(ControllerSettings&);
const SetUp kGzeSettings = [](ControllerSettings& s) {
    s.dmxRefresh = 2, s.ipAddress = 0x0A000003, s.subnetMask = 0xFF000000, s.dmxInSource = 9;
    s.dmxInSourceValue = 10, s.autoAddress = false, s.option32A = 11, s.option32B = -5, s.option32C = 6;
    s.option16 = 7, s.option8I = true, s.option8J = 8;
};
const std::tuple<const char*, std::string, SetUp> kForms[] = {
    {"00", "", [](ControllerSettings&) {}},
    {"01", kQmb,
     [](ControllerSettings& s) {
         s.dmxRefresh = 2, s.timeSource = 3, s.sharedWordA = 0x0A0A, s.sharedWordB = 0x0B0B, s.sharedWordC = 0x0C0C;
         s.option8A = true, s.ipAddress = 1, s.subnetMask = 2, s.proxyControllerId = 5, s.dmxInSource2 = 6;
         s.dmxInSource2Value = 7, s.dmxInSource3 = 8, s.dmxInSource3Value = 9, s.dmxInValue4 = 10;
         s.dmxInSource = 11, s.dmxInSourceValue = 12, s.serialMode = 3;
     }},
    {"02", kQmbZ,
     [](ControllerSettings& s) {
         s.dmxRefresh = 2, s.ipAddress = 1, s.subnetMask = 2, s.dmxInSource = 8, s.dmxInSourceValue = 9;
         s.serial2BaudRate = 4800, s.serial2DataBits = 7, s.serial2StopBits = 2, s.serial2Parity = 1;
         s.autoAddress = false, s.option32A = 3, s.option32B = 4, s.option32C = 5, s.option16 = 6, s.option8H = 7;
         s.videoOption = true, s.videoWidth = 640, s.videoHeight = 480;
     }},
    {"03", kKnv,
     [](ControllerSettings& s) {
         s.dmxRefresh = 2, s.sharedWordA = 0x0A0A, s.sharedWordB = 0x0B0B, s.sharedWordC = 0x0C0C;
         s.option8A = s.option8B = true, s.ipAddress = 1, s.subnetMask = 2, s.dmxInSource2 = 5;
         s.dmxInSource2Value = 6, s.dmxInValue4 = 7, s.dmxInSource = 3, s.dmxInSourceValue = 4;
         s.touch = {1, 2, 3, 4, false, false}, s.hasDaliInterface = true, s.daliInterfaceId = 12, s.option32E = 13;
     }},
    {"04", kGze, kGzeSettings},
    {"05", kGze, kGzeSettings},
    {"06", "-: 01 02 00000003 00000004 00 01 00000005",
     [](ControllerSettings& s) { s.touch = {1, 2, 3, 4, false, true}, s.option32E = 5; }},
    {"ff", "", [](ControllerSettings&) {}}};

}  // namespace

TEST(Controller, EveryTypeAtEveryVersion)
{
    for (const auto& [type, settings, setUp] : kForms) {
        SCOPED_TRACE(type);
        const auto layout = StreamCheck::chunks("-: " + std::string(type) + kCommon + settings + "\n" + kFlags);
        ControllerSettings newest;
        setUp(newest);
        Controller read;
        EXPECT_EQ(readBytes(read, StreamCheck::bytesAt(kProjectStreamVersion, layout)), 0);
        EXPECT_EQ(read.settings(), newest);
        StreamCheck::expectGateReadsAsNewest<Controller>(layout, kProjectStreamVersion);
    }

    // The fields every type has, set through the class's own members.
    Controller common = controllerOfType(0xFF);
    common.channelCapacity = 100, common.referenceId = 77, common.number = 3, common.setName(QStringLiteral("n"));
    common.setText(QStringLiteral("t"), 0), common.generalOption = 9, common.serialBaudRate = 9600;
    common.serialParity = 3, common.auxiliaryValue = 4, common.flagA = common.flagB = common.flagC = true;
    for (int i = 0; i < Controller::kInputCount; ++i)
        common.setInputType(i, quint8(3 * i)), common.setInputData1(i, quint8(3 * i + 1)),
            common.setInputData2(i, quint8(3 * i + 2));
    const auto layout = StreamCheck::chunks("-: ff" + kCommon + kFlags);
    expectForms<Controller>(
        {{common, "006f" + StreamCheck::hexOf(StreamCheck::bytesAt(kProjectStreamVersion, layout))}});

    // A damaged mask count is refused before anything is allocated.
    const QByteArray bytes = writtenBytes(controllerOfType(Controller::GzeType));
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, bytes.size() - 7, "7fffffff", kProjectStreamVersion,
                                              StreamCheck::kCountTooLarge,
                                              [](InStream& in) { Controller().read(in); }));
}

TEST(Controller, ContentMaskGates)
{
    // The name came in at 77; before 150 the angle was in turns, and a
    // hostile one wraps instead of overflowing.
    const auto layout = StreamCheck::chunks(R"(
        77-: 'm';  -: 3ff8000000000000c000000000000000 00000280000001e0 7fffffff;  -150:
        -: 00000000000000003fd0000000000000 00000001ffffffff 3fe00000000000003ff0000000000000
        -: 40000000000000000000000000000000
    )");
    StreamCheck::expectGateReads<ContentMask>(layout, kProjectStreamVersion, [](quint16 v) {
        ContentMask mask = sampleMask();
        mask.name = v >= 77 ? mask.name : QString();
        mask.angle = v >= 150 ? 0x7FFFFFFF : -360;
        return mask;
    });
    EXPECT_EQ(StreamCheck::hexOf(writtenBytes(sampleMask())), StreamCheck::hexOf(hex(kSampleMaskBlock).mid(2)));
}

TEST(Controller, StreamFormsOfTheSetters)
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
    EXPECT_EQ(
        StreamCheck::hexOf(writtenBytes(qmb)),
        StreamCheck::hexOf(hex("01 00000400 ffffffff 0007 'a b' 0008 00000001 00000000 's' 00000002 00004b00070202 "
                               "00000005 010304 020032*7 0302 00000000 01 00 01 0a000001 ffffff00 0000 0000000c 04 "
                               "1234 05 2345 0006 01 3456 03 010000")));
    EXPECT_TRUE(StreamCheck::stableRoundTrip(qmb, kProjectStreamVersion));
    EXPECT_EQ(*std::unique_ptr<Controller>(static_cast<Controller*>(qmb.clone())), qmb);
    EXPECT_TRUE(everyStrictPrefixFails(qmb));

    // The settings block of each other type; only types 4 and 5 carry masks.
    const std::string common = "ffffffff 0000 ffffffff 000800000000 00000002 00009600080100 ffffffff 020032*8 ";
    const std::tuple<quint8, const char*, void (*)(Controller&), std::string> forms[] = {
        {2, "00002800",
         [](Controller& c) {
             c.setSerial2BaudRate(9600), c.setSerial2DataBits(7), c.setSerial2StopBits(2), c.setSerial2Parity(0x103);
             c.setPanelOption96(0), c.setOption32A(7), c.setOption32B(-1), c.setOption16(9);
         },
         "0100 00002580070203 0000000000000000 00 00000007ffffffff00000000 0009 00 00ffff 0007800438"},
        {3, "00000200",
         [](Controller& c) {
             c.setHasDaliInterface(1), c.setDaliInterfaceId(9), c.setSecondIpAddress(0x0A000002), c.setOption32E(-2);
         },
         "0100 0000000000000000 0000 00ffff 00ffff0000 32190a000002000000030101 0100000009 00000000 0000 fffffffe"},
        {4, "00000200", [](Controller& c) { c.setOption32A(7); },  // type 2 only
         "01 0000000000000000 01 00 0000000000000000 0001 00 00ffff ffffffff 00080000000102" + kSampleMaskBlock},
        {6, "00000000", [](Controller& c) { c.setOption8D(1); }, "011900000001000000030101ffffffff"},
        {0, "00000200", setAll, ""},
        {255, "00000200", setAll, ""},
    };
    for (const auto& [type, capacity, edit, settings] : forms) {
        Controller controller = controllerOfType(type);
        controller.contentMasks[2] = sampleMask();
        edit(controller);
        const QByteArray expected = char(type) + hex(capacity) + hex(common + settings) + QByteArray(3, '\0');
        EXPECT_EQ(writtenBytes(controller).toHex(), expected.toHex()) << int(type);
        Controller read;
        EXPECT_EQ(readBytes(read, expected), 0);
        controller.setText(QString(), 0);  // every read gives text 0
        EXPECT_EQ(writtenBytes(read).toHex(), writtenBytes(controller).toHex()) << int(type);
    }
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
