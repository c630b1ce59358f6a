#include "components/archive/type_registry.h"
#include "components/lx_objects/dali/dali_monitoring.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

using Ballast = DaliMonitoring::BallastData;
using Emergency = DaliMonitoring::EmergencyBallastData;

namespace {

template <class T>
T ballastOf(quint8 status, bool commsFailed = false, quint8 testStatus = 0, quint8 mode = 0)
{
    T ballast;
    ballast.status = status, ballast.commsFailed = commsFailed;
    if constexpr (std::is_same<T, Emergency>::value)
        ballast.testStatus = testStatus, ballast.emergencyMode = mode;
    return ballast;
}

}  // namespace

TEST(DaliMonitoring, StatusTexts)
{
    const std::pair<QString, const char*> rows[] = {
        {ballastOf<Ballast>(0x21).statusText(), "Control Gear Fault"},
        {ballastOf<Ballast>(0x20).statusText(), "OK"},
        {ballastOf<Ballast>(0xFF, true).statusText(), "Communication Error"},
        {ballastOf<Ballast>(0xDF).statusText(),
         "Control Gear Fault, Lamp Failure, Arc Power On, Arc Power Outside "
         "Limits, Fade Running, Missing Short Address, Awaiting Arc Power Command"},
        {ballastOf<Emergency>(0x02, false, 3).statusText(), "Lamp Failure, Function Test Running"},
        {ballastOf<Emergency>(0, true, 0, 4).statusText(), "Communication Error, Emergency"},
        {ballastOf<Emergency>(0, false, 0x0E).statusText(),
         "Duration Test Running, Function Test Pending, Duration Test Pending"},
        {ballastOf<Emergency>(0, false, 0x08).statusText(), "Duration Test Pending"},
        {ballastOf<Emergency>(0, false, 0, 0xFB).statusText(), "OK"},
        {ballastOf<Emergency>(0x10).statusText(), "Fade Running"}};
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(text.toStdString(), expected);
}

TEST(DaliMonitoring, BallastStreamsAndRegistry)
{
    Emergency emergency = ballastOf<Emergency>(0, true, 3);
    emergency.time1 = DateTime({1, 2, 3, 4, 5, 6, 7}), emergency.emergencyByte1 = 0x11, emergency.emergencyFlag = true;
    emergency.emergencyByte2 = 0x22, emergency.emergencyWord1 = 0x3344, emergency.emergencyByte3 = 0x55;
    emergency.emergencyWord2 = 0x6677, emergency.emergencyByte4 = 0x88;
    expectForms<Ballast>({{Ballast(), "00d7 00"}, {ballastOf<Ballast>(0, true), "00d7 01"}});
    expectForms<Emergency>(
        {{Emergency(), "00d8 00 0023 ffffff07ffffff 0023 ffffff07ffffff 00 00 00 00 0000 00 0000 ff"},
         {emergency, "00d8 01 0023 01020304050607 0023 ffffff07ffffff 11 03 01 22 3344 55 6677 88"}});

    EXPECT_EQ(ObjectRegistry::createValue<DaliMonitoring::AbstractBallastData>(215)->kind(), Ballast::PlainKind);
    EXPECT_EQ(ObjectRegistry::createValue<DaliMonitoring::AbstractBallastData>(216)->kind(), Ballast::EmergencyKind);
    try {
        ObjectRegistry::createValue<DaliMonitoring::AbstractBallastData>(214);
        ADD_FAILURE() << "an abstract record was made";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Trying to make an abstract object, id 214");
    }
}

TEST(DaliMonitoring, CopiesOwnCopiesOfEveryRecord)
{
    DaliMonitoring monitoring = *ObjectRegistry::createValue<DaliMonitoring>(213);
    monitoring.ballasts[0].reset(new Ballast(ballastOf<Ballast>(0x01)));
    monitoring.ballasts[63].reset(new Emergency(ballastOf<Emergency>(0, false, 1)));
    DaliMonitoring copy = monitoring;
    monitoring.ballasts[0]->status = 0, monitoring.ballasts[63]->commsFailed = true;
    const auto* plain = dynamic_cast<const Ballast*>(copy.ballasts[0].get());
    const auto* emergency = dynamic_cast<const Emergency*>(copy.ballasts[63].get());
    EXPECT_TRUE(plain && *plain == ballastOf<Ballast>(0x01));
    EXPECT_TRUE(emergency && *emergency == ballastOf<Emergency>(0, false, 1));
    EXPECT_EQ(std::count_if(copy.ballasts.begin(), copy.ballasts.end(), [](const auto& b) { return bool(b); }), 2);
}
