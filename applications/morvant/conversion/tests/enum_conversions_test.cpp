#include "applications/morvant/conversion/enum_conversions.h"
#include "applications/morvant/conversion/model_names.h"
#include "tests/support/log_capture.h"

#include <QString>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace EnumConversions;

// Every conversion: the values kept (edges included) with what each becomes,
// the values outside next to those edges, and the message and default.
struct EnumCase
{
    const EnumConversion& conversion;
    std::vector<std::pair<qint64, qint64>> kept;
    std::vector<qint64> outside;
    const char* message;  // %1 is the value
    qint64 fallback;
};

const EnumCase kCases[] = {
    {kRemoteDeviceType,
     {{0, 101}, {1, 102}, {2, 103}, {3, 104}, {4, 105}, {5, 106}, {6, 106}, {7, 108}, {8, 107}, {255, 255}},
     {9, 254, 256},
     "Failed to convert remote device type %1",
     255},
    {kOutputDriverType,
     {{1, 1}, {2, 2}, {4, 4}, {16, 8}, {32, 16}, {64, 32}, {1024, 64}},
     {0, 3, 8, 0x100, 0x200, 0x400 + 1},
     "Failed to convert output driver type %1",
     65535},
    {kSerialMode, {{0, 0}, {3, 3}}, {4}, "Failed to convert serial mode %1", 0},
    {kSerialParity, {{0, 0}, {3, 3}}, {4}, "Failed to convert serial parity %1", 0},
    {kInputType, {{0, 0}, {2, 2}}, {3}, "Failed to convert input type %1", 0},
    {kButtonLedEffect, {{0, 0}, {9, 9}}, {10}, "Failed to convert JWU button LED effect %1", 0},
    {kAudioUnitMode, {{0, 0}, {2, 2}}, {3}, "Failed to convert DSXA mode %1", 0},
    {kTimeSource,
     {{0, 0}, {4, 4}, {6, 12}, {100, 100}, {105, 105}, {106, 112}, {200, 200}, {204, 204}},
     {1, 5, 7, 12, 99, 107, 199, 205},
     "Failed to convert time source %1",
     0},
    {kMonthWeek, {{0, 0}, {6, 6}}, {7}, "Failed to convert month week %1", 0},
    {kFixtureShape, {{0, 0}, {2, 2}}, {3}, "Failed to convert fixture shape %1", 0},
    {kDimmerCurve, {{0, 0}, {8, 8}}, {9}, "Failed to convert dimmer curve %1", 0},
    {kPatchPointType, {{0, 0}, {1, 1}, {2, 256}, {255, -1}}, {3, 254}, "Failed to convert patch point type %1", 256},
    {kSkewType, {{0, 0}, {7, 7}}, {8}, "Failed to convert skew type %1", 0},
    {kSkewDirection, {{0, 0}, {5, 5}}, {6}, "Failed to convert skew direction %1", 0},
    {kTextDirection, {{0, 0}, {5, 5}}, {6}, "Failed to convert TextDirection %1", 5},
    {kTextAlignment, {{0, 0}, {3, 3}}, {4}, "Failed to convert TextAlignment %1", 3},
    {kTextOrientation, {{0, 0}, {2, 2}}, {3}, "Failed to convert TextOrientation %1", 2},
    {kTextChangeBehaviour, {{0, 0}, {3, 3}}, {4}, "Failed to convert TextChangeBehaviour %1", 3},
    {kTimecodeFormat, {{0, 0}, {5, 5}}, {6}, "Failed to convert TimecodeFormat %1", 5},
    {kPropertyValueType, {{0, 0}, {5, 5}}, {6}, "Failed to convert PropertyValueType %1", 5},
    {kTriggerWildcard,
     {{0, 0}, {1, 1}, {2, 2}, {4, 3}, {5, 4}},
     {3, 6},
     "Failed to convert trigger wildcard type %1",
     0},
};

TEST(EnumConversions, KeptValuesEdgesAndTheFailureOfEach)
{
    for (const EnumCase& c : kCases) {
        SCOPED_TRACE(c.message);
        LogCapture log;
        for (const auto& [from, to] : c.kept)
            EXPECT_EQ(c.conversion(from), to) << from;
        EXPECT_TRUE(log.lines().empty());
        std::vector<LogCapture::Line> expected;
        for (qint64 from : c.outside) {
            EXPECT_EQ(c.conversion(from), c.fallback) << from;
            expected.emplace_back(kLogWarning, QString::fromLatin1(c.message).arg(from).toStdString() + "\n");
        }
        EXPECT_EQ(log.lines(), expected);
    }
    // A wide value is named whole, not as a negative number.
    LogCapture log;
    EXPECT_EQ(kOutputDriverType(0xFFFFFFFF), 65535);
    // The curve a model defaults to stands in for one without counterpart.
    EXPECT_EQ(kDimmerCurve.convert(12, 3), 3);
    EXPECT_EQ(kDimmerCurve.convert(8, 3), 8);
    EXPECT_EQ(log.lines(),
              (std::vector<LogCapture::Line> {{kLogWarning, "Failed to convert output driver type 4294967295\n"},
                                              {kLogWarning, "Failed to convert dimmer curve 12\n"}}));
    // The item a failure belongs to follows the failure's own words.
    EXPECT_EQ(kDimmerCurve.failureText(9, QStringLiteral("fixture 7 (Front)")),
              "Failed to convert dimmer curve 9: fixture 7 (Front)");
}

TEST(ModelNames, ControllersAndRemoteDevicesByEdition)
{
    const std::vector<std::vector<const char*>> controllers = {{"Unknown", "Unknown", "Unknown"},
                                                               {"QMB", "WTR", "QMB"},
                                                               {"QMB Z", "WTR Z", "QMB Z"},
                                                               {"KNV", "HDJ", "YFB"},
                                                               {"GZE", "Merrow", "GZE"},
                                                               {"GZE+", "Merrow Pro", "GZE+"},
                                                               {"NQA", "B-KF", "NQA"}};
    for (quint32 type = 0; type < controllers.size(); ++type) {
        for (int edition = 0; edition < kModelEditions; ++edition)
            EXPECT_STREQ(controllerModelName(type, edition), controllers[type][std::size_t(edition)]);
    }
    EXPECT_EQ(controllerModelName(7, 0), nullptr);
    EXPECT_EQ(controllerModelName(255, 0), nullptr);
    EXPECT_EQ(controllerModelName(1, 3), nullptr);
    EXPECT_EQ(controllerModelName(1, -1), nullptr);

    const char* const devices[] = {"Local", "DSX 80", "DSX 44", "DSX 08", "JWU", "DSX A", "DSX D", "CVO", "ZOQ"};
    for (quint32 type = 100; type <= 108; ++type)
        EXPECT_STREQ(remoteDeviceModelName(type, 0), devices[type - 100]);
    EXPECT_STREQ(remoteDeviceModelName(106, 1), "DSX D");
    EXPECT_STREQ(remoteDeviceModelName(106, 2), "FTM");
    EXPECT_STREQ(remoteDeviceModelName(108, 1), "KNV-DSX");
    EXPECT_STREQ(remoteDeviceModelName(108, 2), "ZOQ");
    EXPECT_EQ(remoteDeviceModelName(99, 0), nullptr);
    EXPECT_EQ(remoteDeviceModelName(109, 0), nullptr);
    EXPECT_EQ(remoteDeviceModelName(255, 0), nullptr);
}

}  // namespace
