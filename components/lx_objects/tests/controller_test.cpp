#include "components/lx_objects/controller.h"
#include "components/lx_objects/object_types.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace {

using Versions = std::initializer_list<quint16>;

// The common fields of a default controller after setType: type, capacity,
// no reference, number 0, null name, no texts, general option 2, the first
// serial port 38400 8 1 0, auxiliary value -1, eight inputs {2, 0, 50}.
QByteArray defaultCommon(const char* typeAndCapacity)
{
    return hex(typeAndCapacity) + hex("ffffffff0000ffffffff"  // reference, number, name
                                      "000800000000"          // texts
                                      "00000002"              // general option
                                      "00009600080100"        // serial port
                                      "ffffffff")
        + hex("020032").repeated(8);
}

const QByteArray kNoFlags = QByteArray(3, '\0');

Controller controllerOfType(quint8 type)
{
    Controller controller;
    controller.setType(type);
    return controller;
}

// sampleMask() inside its block of code 258.
const char kSampleMaskBlock[] = "0102"
                                "00000002006d"                      // name
                                "3ff8000000000000c000000000000000"  // position
                                "00000280000001e0"                  // size
                                "0000005a"                          // angle
                                "00000000000000003fd0000000000000"  // offset
                                "00000001ffffffff"                  // valueA, valueB
                                "3fe00000000000003ff0000000000000"  // factors (doubles)
                                "40000000000000000000000000000000";

// Read back, written again and cloned, a controller gives its own bytes.
void expectRoundTrip(const Controller& controller)
{
    const QByteArray bytes = writtenBytes(controller);
    Controller read;
    EXPECT_EQ(readBytes(read, bytes), 0);
    Controller expected = controller;
    if (!expected.texts().count(0))
        expected.setText(QString(), 0);  // every read gives key 0
    EXPECT_EQ(writtenBytes(read), writtenBytes(expected));
    std::unique_ptr<Controller> copy(controller.clone());
    EXPECT_EQ(writtenBytes(*copy), bytes);
}

}  // namespace

TEST(Controller, QmbStreamForm)
{
    Controller controller = controllerOfType(Controller::QmbType);
    controller.number = 7;
    controller.setName(QStringLiteral("a\nb"));
    controller.setText(QStringLiteral("s"), 0);
    controller.serialBaudRate = 19200;
    controller.serialDataBits = 7;
    controller.serialStopBits = 2;
    controller.serialParity = 2;
    controller.auxiliaryValue = 5;
    controller.setInputType(0, 1);
    controller.setInputData1(0, 3);
    controller.setInputData2(0, 4);
    controller.setDmxRefresh(3);
    controller.setTimeSource(2);
    controller.setOption8A(1);
    controller.setOption8B(1);
    controller.setIpAddress(0x0A000001);
    controller.setSubnetMask(qint32(0xFFFFFF00));
    controller.setOption32D(12);
    controller.setDmxInSource2(4);
    controller.setDmxInSource2Value(0x1234);
    controller.setDmxInSource3(5);
    controller.setDmxInSource3Value(0x2345);
    controller.setDmxInValue4(6);
    controller.setDmxInSource(1);
    controller.setDmxInSourceValue(0x3456);
    controller.setSerial2Mode(0x103);  // one byte in the stream
    controller.flagA = true;

    EXPECT_EQ(writtenBytes(controller).toHex(),
              (hex("0100000400ffffffff0007"             // type, capacity, reference, number
                   "00000006006100200062"               // name "a b"
                   "00080000000100000000000000020073"   // texts {0: "s"}
                   "00000002"                           // general option
                   "00004b0007020200000005"             // serial port, auxiliary value
                   "010304")                            // input 0
               + hex("020032").repeated(7)
               + hex("0302"                             // refresh, time source
                     "00000000010001"                   // shared words B, C; 8A, flag E, 8B
                     "0a000001ffffff000000"             // address, mask, shared word A
                     "0000000c041234052345000601345603" // proxy, DMX inputs, serial mode
                     "010000"))                         // flags
                  .toHex());
    expectRoundTrip(controller);
}

TEST(Controller, SettingsBlockOfEachType)
{
    Controller qmbZ = controllerOfType(Controller::QmbZType);
    qmbZ.setSerial2BaudRate(9600);
    qmbZ.setSerial2DataBits(7);
    qmbZ.setSerial2StopBits(2);
    qmbZ.setSerial2Parity(0x103);
    qmbZ.setPanelOption96(0);
    qmbZ.setOption32A(7);
    qmbZ.setOption32B(-1);
    qmbZ.setOption16(9);
    EXPECT_EQ(writtenBytes(qmbZ).toHex(), (defaultCommon("0200002800")
                                           + hex("0100"            // refresh, 8G
                                                 "00002580070203"  // second serial port
                                                 "0000000000000000"
                                                 "00"              // automatic address
                                                 "00000007ffffffff00000000"
                                                 "0009"
                                                 "00"              // 8H
                                                 "00ffff"          // DMX in
                                                 "0007800438")     // video
                                           + kNoFlags)
                                              .toHex());
    expectRoundTrip(qmbZ);

    Controller knv = controllerOfType(Controller::KnvType);
    knv.setHasDaliInterface(1);
    knv.setDaliInterfaceId(9);
    knv.setSecondIpAddress(0x0A000002);
    knv.setOption32E(-2);
    EXPECT_EQ(writtenBytes(knv).toHex(), (defaultCommon("0300000200")
                                          + hex("0100"            // refresh, 8B
                                                "0000000000000000"
                                                "0000"            // shared word A
                                                "00ffff"          // DMX in
                                                "00ffff0000"      // second DMX in, value 4
                                                "32190a000002000000030101"
                                                "0100000009"      // DALI interface
                                                "00000000"        // shared words B, C
                                                "0000"            // 8A, flag E
                                                "fffffffe")
                                          + kNoFlags)
                                             .toHex());
    expectRoundTrip(knv);

    Controller gze = controllerOfType(Controller::GzeType);
    gze.contentMasks[2] = sampleMask();
    gze.setOption32A(7);  // type 2 only
    EXPECT_EQ(writtenBytes(gze).toHex(), (defaultCommon("0400000200")
                                          + hex("01"
                                                "0000000000000000"
                                                "01"              // automatic address
                                                "00"              // 8I
                                                "0000000000000000"
                                                "0001"
                                                "00"              // 8J
                                                "00ffff"
                                                "ffffffff"        // 32A
                                                "00080000000102")
                                          + hex(kSampleMaskBlock) + kNoFlags)
                                             .toHex());
    expectRoundTrip(gze);

    Controller nqa = controllerOfType(Controller::NqaType);
    nqa.setOption8D(1);
    EXPECT_EQ(writtenBytes(nqa).toHex(),
              (defaultCommon("0600000000") + hex("011900000001000000030101ffffffff") + kNoFlags).toHex());
    expectRoundTrip(nqa);

    for (const quint8 type : {quint8(0), quint8(255)}) {
        Controller other = controllerOfType(type);
        other.contentMasks[1] = sampleMask();  // only types 4 and 5 carry masks
        const char* typeHex = type == 0 ? "0000000200" : "ff00000200";
        EXPECT_EQ(writtenBytes(other).toHex(), (defaultCommon(typeHex) + kNoFlags).toHex()) << int(type);
        Controller read;
        EXPECT_EQ(readBytes(read, writtenBytes(other)), 0);
        EXPECT_EQ(read.type(), type);
        EXPECT_TRUE(read.contentMasks.empty());
    }
}

TEST(Controller, ContentMaskBlock)
{
    ContentMask mask = sampleMask();
    EXPECT_EQ(writtenBytes(mask).toHex(), hex(kSampleMaskBlock).mid(2).toHex());
    ContentMask read;
    EXPECT_EQ(readBytes(read, writtenBytes(mask)), 0);
    EXPECT_EQ(read, mask);

    // Before 150 the angle is in turns; before 77 there is no name.
    EXPECT_EQ(readBytes(read, writtenBytes(mask), 149), 0);
    EXPECT_EQ(read.angle, 32400);
    ContentMask old;
    EXPECT_EQ(readBytes(old, writtenBytes(mask).mid(6), 76), 0);
    EXPECT_TRUE(old.name.isEmpty());
    EXPECT_EQ(old.size, QSize(640, 480));
    EXPECT_EQ(old.angle, 32400);

    // A hostile angle wraps instead of overflowing.
    mask.angle = 0x7FFFFFFF;
    EXPECT_EQ(readBytes(read, writtenBytes(mask), 100), 0);
    EXPECT_EQ(read.angle, qint32(quint32(0x7FFFFFFF) * 360u));
}

namespace {

// The common fields as a stream of `version` held them, with the text "t".
void writeOlderCommon(OutStream& out, quint8 type, quint16 version)
{
    out << type << quint32(100);
    if (version >= 135)
        out << quint32(77);
    out << quint16(3) << QStringLiteral("n");
    if (version >= 138) {
        out.beginSection(StreamCode::Map, true);
        out.writeCount(1);
        out << quint32(0) << QStringLiteral("t");
        out.endSection(StreamCode::Map);
    } else {
        out << QStringLiteral("t");
    }
    if (version >= 81)
        out << quint32(9);
    out << quint32(9600) << quint8(8) << quint8(1) << quint8(3) << quint32(4);
    for (quint8 i = 0; i < 24; ++i)
        out << i;
}

bool droppedWordIn(quint16 version) { return version < 112 || (version >= 120 && version < 125); }

// Reads a controller of `type` written as `version` held it, its block written
// by writeBlock; expects every byte to be used.
Controller readOlder(quint8 type, quint16 version, const std::function<void(OutStream&)>& writeBlock)
{
    const QByteArray bytes = streamBytes([&](OutStream& out) {
        writeOlderCommon(out, type, version);
        writeBlock(out);
        out << true;
        if (version >= 78)
            out << true << true;
    });
    Controller controller;
    EXPECT_EQ(readBytes(controller, bytes, version), 0) << version;
    return controller;
}

}  // namespace

TEST(Controller, VersionGatesOnRead)
{
    // Common fields: reference from 135, text map from 138, general option from 81.
    for (const quint16 version : Versions{80, 134, 137, 157}) {
        const Controller c = readOlder(0, version, [](OutStream&) {});
        EXPECT_EQ(c.referenceId, version >= 135 ? 77u : 0xFFFFFFFFu) << version;
        EXPECT_EQ(c.generalOption, version >= 81 ? 9u : 2u) << version;
        EXPECT_EQ(c.texts(), (std::map<qint32, QString>{{0, QStringLiteral("t")}})) << version;
        EXPECT_EQ(c.serialParity, 3u);
        EXPECT_EQ(c.input(7).data2, 23);
        EXPECT_TRUE(c.flagA && c.flagB && c.flagC);
    }
    // Key 0 is always there, also for an empty single text.
    {
        QByteArray bytes = streamBytes([](OutStream& out) { writeOlderCommon(out, 0, 137); });
        bytes.replace(hex("000000020074"), hex("00000000"));
        bytes += QByteArray::fromHex("010101");
        Controller c;
        EXPECT_EQ(readBytes(c, bytes, 137), 0);
        ASSERT_EQ(c.texts().size(), 1u);
        EXPECT_TRUE(c.texts().at(0).isEmpty());
    }
    // Flags B and C from 78; older data leaves them as they were.
    {
        Controller c;
        c.flagB = true;
        const QByteArray bytes = streamBytes([](OutStream& out) {
            writeOlderCommon(out, 0, 77);
            out << false;
        });
        EXPECT_EQ(readBytes(c, bytes, 77), 0);
        EXPECT_FALSE(c.flagA);
        EXPECT_TRUE(c.flagB);
        EXPECT_FALSE(c.flagC);
    }

    // The dropped word: in 111 and 120 to 124, not in 112 to 119 and from 125.
    for (const quint16 version : Versions{111, 112, 119, 120, 123, 124, 125}) {
        const Controller c = readOlder(Controller::GzeType, version, [version](OutStream& out) {
            out << quint8(2) << quint32(0x0A000003) << quint32(0xFF000000);
            if (droppedWordIn(version))
                out << quint32(0xDEADBEEF);
            out << false;
            if (version >= 124)
                out << true << qint32(-5) << qint32(6) << quint16(7) << quint8(8);
            out << quint8(9) << quint16(10) << quint32(11);
            out << std::map<quint8, ContentMask>{{4, sampleMask()}};
        });
        EXPECT_EQ(c.ipAddress(), 0x0A000003u) << version;
        EXPECT_FALSE(c.settings().autoAddress) << version;
        EXPECT_EQ(c.settings().option8I, version >= 124) << version;
        EXPECT_EQ(c.settings().option16, version >= 124 ? 7 : 1) << version;
        EXPECT_EQ(c.settings().dmxInSourceValue, 10) << version;
        EXPECT_EQ(c.settings().option32A, 11u) << version;
        EXPECT_EQ(c.contentMasks.at(4).angle, 90 * 360) << version;
    }
    // GZE before 66: only the dropped word, then the DMX source is missing too;
    // before 62 no masks.
    for (const quint16 version : Versions{61, 65}) {
        const Controller c = readOlder(Controller::GzePlusType, version, [version](OutStream& out) {
            out << quint32(0xDEADBEEF) << quint32(11);
            if (version >= 62) {
                // A mask of those versions has no name.
                const QByteArray nameless = writtenBytes(ContentMask()).mid(4);
                out.beginSection(StreamCode::Map, true);
                out.writeCount(1);
                out << quint8(4);
                out.beginSection(ContentMask::kTypeCode, true);
                out.writeRaw(nameless.constData(), nameless.size());
                out.endSection(ContentMask::kTypeCode);
                out.endSection(StreamCode::Map);
            }
        });
        EXPECT_EQ(c.settings().dmxRefresh, 1);
        EXPECT_TRUE(c.settings().autoAddress);
        EXPECT_EQ(c.settings().dmxInSourceValue, 65535);
        EXPECT_EQ(c.settings().option32A, 11u);
        EXPECT_EQ(c.contentMasks.size(), version >= 62 ? 1u : 0u);
    }

    // QMB Z: option 8G read from 56 except in 62; 8H from 134; video from 69.
    for (const quint16 version : Versions{55, 61, 62, 63, 133, 157}) {
        const Controller c = readOlder(Controller::QmbZType, version, [version](OutStream& out) {
            out << quint8(2);
            if (version >= 56 && version != 62)
                out << false;
            out << quint32(4800) << quint8(7) << quint8(2) << quint8(1) << quint32(1) << quint32(2);
            if (droppedWordIn(version))
                out << quint32(0);
            out << false << quint32(3) << qint32(4) << qint32(5) << quint16(6);
            if (version >= 134)
                out << quint8(7);
            out << quint8(8) << quint16(9);
            if (version >= 69)
                out << true << quint16(640) << quint16(480);
        });
        const ControllerSettings& s = c.settings();
        EXPECT_EQ(s.option8G, version < 56 || version == 62) << version;
        EXPECT_EQ(s.serial2Parity, 1u);
        EXPECT_EQ(s.option8H, version >= 134 ? 7 : 0) << version;
        EXPECT_EQ(s.videoWidth, version >= 69 ? 640 : 1920) << version;
        EXPECT_EQ(s.dmxInSourceValue, 9);
    }

    // KNV: second DMX input from 10, shared words from 104, flag E from 129,
    // shared word A from 153.
    for (const quint16 version : Versions{9, 103, 128, 152, 157}) {
        const Controller c = readOlder(Controller::KnvType, version, [version](OutStream& out) {
            out << quint8(2) << true << quint32(1) << quint32(2);
            if (droppedWordIn(version))
                out << quint32(0);
            if (version >= 153)
                out << quint16(0x0A0A);
            out << quint8(3) << quint16(4);
            if (version >= 10)
                out << quint8(5) << quint16(6) << quint16(7);
            out << quint8(1) << quint8(2) << quint32(3) << quint32(4) << false << false;
            out << true << quint32(12);
            if (version >= 104)
                out << quint16(0x0B0B) << quint16(0x0C0C);
            out << true;
            if (version >= 129)
                out << false;
            out << quint32(13);
        });
        const ControllerSettings& s = c.settings();
        EXPECT_EQ(s.dmxInSource2Value, version >= 10 ? 6 : 65535) << version;
        EXPECT_EQ(s.sharedWordB, version >= 104 ? 0x0B0B : 0) << version;
        EXPECT_EQ(s.sharedFlagE, version < 129) << version;
        EXPECT_EQ(s.sharedWordA, version >= 153 ? 0x0A0A : 0) << version;
        EXPECT_EQ(c.daliInterfaceId(), 12u);
        EXPECT_EQ(s.touch.secondSubnetMask, 4u);
        EXPECT_EQ(s.option32E, 13u);
    }

    // QMB: shared words from 104, flag E from 126, shared word A from 153.
    for (const quint16 version : Versions{103, 125, 152, 157}) {
        const Controller c = readOlder(Controller::QmbType, version, [version](OutStream& out) {
            out << quint8(2) << quint8(3);
            if (version >= 104)
                out << quint16(0x0B0B) << quint16(0x0C0C);
            out << true;
            if (version >= 126)
                out << false;
            out << false << quint32(1) << quint32(2);
            if (droppedWordIn(version))
                out << quint32(0);
            if (version >= 153)
                out << quint16(0x0A0A);
            out << quint32(5) << quint8(6) << quint16(7) << quint8(8) << quint16(9) << quint16(10) << quint8(11)
                << quint16(12) << quint8(3);
        });
        const ControllerSettings& s = c.settings();
        EXPECT_EQ(s.sharedWordC, version >= 104 ? 0x0C0C : 0) << version;
        EXPECT_EQ(s.sharedFlagE, version < 126) << version;
        EXPECT_EQ(s.sharedWordA, version >= 153 ? 0x0A0A : 0) << version;
        EXPECT_EQ(s.proxyControllerId, 5u);
        EXPECT_EQ(s.dmxInSourceValue, 12);
        EXPECT_EQ(s.serialMode, 3u);
    }

    // NQA: the touch block and option 32E.
    const Controller nqa = readOlder(Controller::NqaType, 100, [](OutStream& out) {
        out << quint8(1) << quint8(2) << quint32(3) << quint32(4) << false << true << quint32(5);
    });
    EXPECT_EQ(nqa.settings().touch.option8E, 2);
    EXPECT_FALSE(nqa.settings().touch.option8C);
    EXPECT_EQ(nqa.settings().option32E, 5u);
    EXPECT_EQ(nqa.ipAddress(), 0u);

    // A hostile mask count is refused before anything is allocated.
    QByteArray hostile = writtenBytes(controllerOfType(Controller::GzeType));
    hostile.replace(hostile.lastIndexOf(hex("0008")) + 2, 4, hex("ffffffff"));
    Controller refused;
    EXPECT_THROW(readBytes(refused, hostile), std::runtime_error);
}

TEST(Controller, SettersChangeOnlyTheTypesThatHaveTheSetting)
{
    struct Setter
    {
        const char* name;
        quint32 types;  // bit n: type n has the setting
        void (*set)(Controller&);
        quint64 (*get)(const ControllerSettings&);
    };
#define SETTER(Name, types, value, field) \
    {#Name, types, [](Controller& c) { c.set##Name(value); }, [](const ControllerSettings& s) { return quint64(s.field); }}
    const quint32 t1 = 2, t2 = 4, t3 = 8, t45 = 0x30, t6 = 0x40, t1to5 = t1 | t2 | t3 | t45;
    const Setter setters[] = {
        SETTER(DmxRefresh, t1to5, 9, dmxRefresh),          SETTER(TimeSource, t1, 9, timeSource),
        SETTER(Option8A, t1 | t3, 1, option8A),            SETTER(Option8B, t1 | t3, 1, option8B),
        SETTER(IpAddress, t1to5, 9, ipAddress),            SETTER(SubnetMask, t1to5, 9, subnetMask),
        SETTER(PanelOption96, t2 | t45, 0, autoAddress),   SETTER(DmxInSource, t1to5, 9, dmxInSource),
        SETTER(DmxInSourceValue, t1to5, 9, dmxInSourceValue),
        SETTER(DmxInSource2, t1 | t3, 9, dmxInSource2),    SETTER(DmxInSource2Value, t1 | t3, 9, dmxInSource2Value),
        SETTER(DmxInSource3, t1, 9, dmxInSource3),         SETTER(DmxInSource3Value, t1, 9, dmxInSource3Value),
        SETTER(DmxInValue4, t1 | t3, 9, dmxInValue4),      SETTER(Option16, t2 | t45, 9, option16),
        SETTER(Option32A, t2, 9, option32A),               SETTER(Option32B, t2 | t45, 9, option32B),
        SETTER(Option32C, t2 | t45, 9, option32C),         SETTER(Option32D, t1, 9, proxyControllerId),
        SETTER(Serial2BaudRate, t2, 9, serial2BaudRate),   SETTER(Serial2DataBits, t2, 9, serial2DataBits),
        SETTER(Serial2StopBits, t2, 9, serial2StopBits),   SETTER(Serial2Parity, t2, 9, serial2Parity),
        SETTER(Serial2Mode, t1, 9, serialMode),            SETTER(HasDaliInterface, t3, 1, hasDaliInterface),
        SETTER(DaliInterfaceId, t3, 9, daliInterfaceId),   SETTER(Option8C, t3 | t6, 0, touch.option8C),
        SETTER(Option8D, t3 | t6, 9, touch.option8D),      SETTER(Option8E, t3 | t6, 9, touch.option8E),
        SETTER(Option8F, t3 | t6, 0, touch.option8F),      SETTER(SecondIpAddress, t3 | t6, 9, touch.secondIpAddress),
        SETTER(SecondSubnetMask, t3 | t6, 9, touch.secondSubnetMask),
        SETTER(Option32E, t3 | t6, 9, option32E),
    };
#undef SETTER
    for (const quint8 type : {0, 1, 2, 3, 4, 5, 6, 7, 255}) {
        for (const Setter& setter : setters) {
            SCOPED_TRACE(std::string(setter.name) + " type " + std::to_string(type));
            Controller controller = controllerOfType(type);
            const quint64 before = setter.get(controller.settings());
            const QByteArray bytesBefore = writtenBytes(controller);
            setter.set(controller);
            const bool has = type < 32 && ((setter.types >> type) & 1u);
            EXPECT_EQ(setter.get(controller.settings()) != before, has);
            if (!has) {
                EXPECT_EQ(writtenBytes(controller), bytesBefore);
            }
        }
    }

    // Inputs outside 0 to 7 are ignored.
    Controller controller = controllerOfType(Controller::QmbType);
    const QByteArray before = writtenBytes(controller);
    controller.setInputType(8, 9);
    controller.setInputData1(-1, 9);
    controller.setInputData2(100, 9);
    EXPECT_EQ(writtenBytes(controller), before);
    controller.setInputData2(7, 9);
    EXPECT_EQ(controller.input(7).data2, 9);
}

TEST(Controller, SetTypeCarriesSharedSettings)
{
    // QMB to KNV: a DMX input of source 1 does not carry over; the address,
    // the flags and the inputs do.
    Controller qmb = controllerOfType(Controller::QmbType);
    qmb.setDmxInSource(1);
    qmb.setDmxInSourceValue(77);
    qmb.setOption8A(1);
    qmb.setIpAddress(0x0A000001);
    qmb.setInputType(3, 9);
    qmb.setType(Controller::KnvType);
    EXPECT_EQ(qmb.settings().dmxInSource, 0);
    EXPECT_EQ(qmb.settings().dmxInSourceValue, 65535);
    EXPECT_TRUE(qmb.settings().option8A);
    EXPECT_EQ(qmb.ipAddress(), 0x0A000001u);
    EXPECT_EQ(qmb.input(3).inputType, 9);
    EXPECT_EQ(qmb.channelCapacity, 512u);
    EXPECT_EQ(qmb.settings().touch.option8D, 50);
    EXPECT_EQ(qmb.settings().option32E, 0xFFFFFFFFu);

    // Other sources do, and the touch settings go on to an NQA.
    Controller knv = controllerOfType(Controller::QmbType);
    knv.setDmxInSource(2);
    knv.setDmxInSourceValue(77);
    knv.setType(Controller::KnvType);
    EXPECT_EQ(knv.settings().dmxInSource, 2);
    EXPECT_EQ(knv.settings().dmxInSourceValue, 77);
    knv.setOption8E(3);
    knv.setOption32E(4);
    knv.setType(Controller::NqaType);
    EXPECT_EQ(knv.settings().touch.option8E, 3);
    EXPECT_EQ(knv.settings().option32E, 4u);
    EXPECT_EQ(knv.channelCapacity, 0u);

    // QMB with an automatic address to QMB Z: no address.
    Controller automatic = controllerOfType(Controller::QmbType);
    automatic.setIpAddress(0x0A000001);
    automatic.setType(Controller::QmbZType);
    EXPECT_EQ(automatic.ipAddress(), 0u);
    EXPECT_EQ(automatic.subnetMask(), 0u);
    EXPECT_TRUE(automatic.settings().autoAddress);
    EXPECT_EQ(automatic.channelCapacity, 10240u);
    // A fixed address of a QMB Z goes on to a QMB; the inputs start afresh.
    automatic.setPanelOption96(0);
    automatic.setIpAddress(0x0A000002);
    automatic.setInputType(0, 9);
    automatic.setType(Controller::QmbType);
    EXPECT_TRUE(automatic.settings().option8B);
    EXPECT_EQ(automatic.ipAddress(), 0x0A000002u);
    EXPECT_EQ(automatic.input(0).inputType, 2);

    // GZE and GZE+ share their settings; the same type changes nothing.
    Controller gze = controllerOfType(Controller::GzeType);
    gze.setOption16(5);
    gze.channelCapacity = 3000;
    gze.contentMasks[1] = sampleMask();
    QByteArray bytes = writtenBytes(gze);
    gze.setType(Controller::GzePlusType);
    bytes[0] = char(5);
    EXPECT_EQ(writtenBytes(gze), bytes);
    gze.setType(Controller::GzePlusType);
    EXPECT_EQ(writtenBytes(gze), bytes);
    // GZE gives nothing to a QMB.
    gze.setIpAddress(0x0A000001);
    gze.setPanelOption96(0);
    gze.setType(Controller::QmbType);
    EXPECT_EQ(gze.ipAddress(), 0u);
    EXPECT_FALSE(gze.settings().option8B);
    EXPECT_EQ(gze.settings().dmxInSourceValue, 65535);
}

TEST(Controller, TextForm)
{
    registerObjectTypes();
    Controller controller = controllerOfType(Controller::GzePlusType);
    controller.setName(QStringLiteral("<one>\ntwo"));
    controller.setText(QStringLiteral("zero"), 0);
    controller.setText(QStringLiteral("x"), 3);
    controller.contentMasks[7] = sampleMask();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("controller.tarvt"));
    writeTextFile(path, [&](OutStream& out) { controller.write(out); });
    TextInStream in;
    in.open(path, kProjectStreamVersion);
    Controller read;
    read.read(in);
    EXPECT_EQ(writtenBytes(read), writtenBytes(controller));
    EXPECT_EQ(read.name(), QStringLiteral("<one> two"));
}
