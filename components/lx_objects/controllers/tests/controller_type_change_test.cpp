#include "components/lx_objects/controllers/controller.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

namespace {

Controller ofType(quint8 type)
{
    Controller controller;
    return controller.setType(type), controller;
}

}  // namespace

TEST(ControllerTypeChange, CapacityInputsAddressAndTouchSettings)
{
    // Capacity by new type (4 and 5 keep it); only types 1 to 5 have an address.
    const std::tuple<quint8, quint32, quint32> capacities[] = {{1, 1024, 9}, {2, 10240, 9}, {3, 512, 9},
                                                               {4, 77, 9},   {5, 77, 9},    {6, 0, 0}};
    for (const auto& [type, capacity, address] : capacities) {
        Controller c;
        c.channelCapacity = 77, c.setType(type), c.setIpAddress(9);
        EXPECT_EQ(c.channelCapacity, capacity) << int(type);
        EXPECT_EQ(c.ipAddress(), address) << int(type);
    }

    // From types other than 1 and 3 the inputs start over; between 1 and 3 they stay.
    for (const quint8 from : {0, 1, 2, 3, 4, 6, 255}) {
        Controller c = ofType(from);
        c.setInputType(0, 0), c.setInputData1(0, 9), c.setInputData2(0, 8);
        c.setType(from == 1 ? 3 : 1);
        const ControllerInput kept {0, 9, 8};
        EXPECT_EQ(c.input(0), from == 1 || from == 3 ? kept : ControllerInput()) << int(from);
    }

    // A QMB whose address is not fixed gives a QMB Z none.
    Controller qmb = ofType(Controller::QmbType);
    qmb.setIpAddress(0x0A000001), qmb.setSubnetMask(-256), qmb.setType(Controller::QmbZType);
    EXPECT_EQ(qmb.ipAddress(), 0u);
    EXPECT_EQ(qmb.subnetMask(), 0u);
    EXPECT_TRUE(qmb.settings().autoAddress);

    // GZE and GZE+ are one layout; the same type again changes nothing; an
    // input index past the eight changes nothing either.
    Controller gze = ofType(Controller::GzeType);
    gze.setOption16(7), gze.setIpAddress(5), gze.setInputType(2, 0);
    const Controller before = gze;
    gze.setType(Controller::GzePlusType);
    EXPECT_EQ(gze.type(), Controller::GzePlusType);
    gze.setType(Controller::GzeType), gze.setType(Controller::GzeType);
    gze.setInputType(8, 1), gze.setInputData1(8, 1), gze.setInputData2(-1, 1);
    EXPECT_EQ(gze, before);

    // The touch block and option32E carry between 3 and 6, else start afresh.
    Controller knv = ofType(Controller::KnvType);
    knv.setOption8D(1), knv.setOption8E(2), knv.setSecondIpAddress(3), knv.setSecondSubnetMask(4);
    knv.setOption8C(0), knv.setOption8F(0), knv.setOption32E(5);
    const ControllerTouchSettings touch {1, 2, 3, 4, false, false};
    for (const quint8 type : {6, 3}) {
        knv.setType(type);
        EXPECT_EQ(knv.settings().touch, touch);
        EXPECT_EQ(knv.settings().option32E, 5u);
    }
    const Controller nqa = ofType(Controller::NqaType);
    EXPECT_EQ(nqa.settings().touch, (ControllerTouchSettings {50, 25, 1, 3, true, true}));
    EXPECT_EQ(nqa.settings().option32E, 0xFFFFFFFFu);
}

TEST(ControllerTypeChange, TextZeroAndRepeatedMaskKeys)
{
    // A single empty text (before 138) and a map without key 0 both give an
    // empty text 0.
    Controller named = ofType(Controller::UnknownType);
    named.setText(QStringLiteral("x"), 5);
    Controller read;
    ASSERT_EQ(readBytes(read, writtenBytes(named), 138), 0);
    EXPECT_EQ(read.texts(), (std::map<qint32, QString> {{0, QString()}, {5, QStringLiteral("x")}}));
    QByteArray single = writtenBytes(ofType(Controller::UnknownType));
    single.replace(hex("0008 00000000"), hex("00000000"));
    ASSERT_EQ(readBytes(read, single, 137), 0);
    EXPECT_EQ(read.texts(), (std::map<qint32, QString> {{0, QString()}}));

    // A mask key met twice reads the later mask.
    Controller gze = ofType(Controller::GzeType);
    ContentMask later = sampleMask();
    later.name = QStringLiteral("later"), later.valueA = 9;
    gze.contentMasks = {{2, sampleMask()}, {3, later}};
    QByteArray twice = writtenBytes(gze);
    twice[twice.indexOf(hex("03 0102"))] = 2;
    ASSERT_EQ(readBytes(read, twice), 0);
    EXPECT_EQ(read.contentMasks, (std::map<quint8, ContentMask> {{2, later}}));
}
