#include "applications/morvant/conversion/enum_conversions.h"

#include "seltrane_components/os/logger.h"

bool EnumConversion::keeps(qint64 value, qint64* to) const
{
    for (const Range& range : kept) {
        if (value >= range.first && value <= range.last) {
            if (to)
                *to = range.to + (value - range.first);
            return true;
        }
    }
    return false;
}

qint64 EnumConversion::convert(qint64 value, qint64 fallbackValue) const
{
    qint64 to = 0;
    if (keeps(value, &to))
        return to;
    logMessage(kLogWarning, "Failed to convert %s %lld", name, static_cast<long long>(value));
    return fallbackValue;
}

QString EnumConversion::failureText(qint64 value, const QString& item) const
{
    return QStringLiteral("Failed to convert %1 %2: %3").arg(QLatin1String(name)).arg(value).arg(item);
}

namespace EnumConversions {

const EnumConversion kRemoteDeviceType {
    "remote device type", {{0, 4, 101}, {5, 5, 106}, {6, 6, 106}, {7, 7, 108}, {8, 8, 107}, {255, 255, 255}}, 255};
const EnumConversion kOutputDriverType {
    "output driver type",
    {{1, 1, 1}, {2, 2, 2}, {4, 4, 4}, {16, 16, 8}, {32, 32, 16}, {64, 64, 32}, {1024, 1024, 64}},
    65535};
const EnumConversion kSerialMode {"serial mode", {{0, 3, 0}}, 0};
const EnumConversion kSerialParity {"serial parity", {{0, 3, 0}}, 0};
const EnumConversion kInputType {"input type", {{0, 2, 0}}, 0};
const EnumConversion kButtonLedEffect {"JWU button LED effect", {{0, 9, 0}}, 0};
const EnumConversion kAudioUnitMode {"DSXA mode", {{0, 2, 0}}, 0};
const EnumConversion kTimeSource {
    "time source", {{0, 0, 0}, {4, 4, 4}, {6, 6, 12}, {100, 105, 100}, {106, 106, 112}, {200, 204, 200}}, 0};
const EnumConversion kMonthWeek {"month week", {{0, 6, 0}}, 0};
const EnumConversion kFixtureShape {"fixture shape", {{0, 2, 0}}, 0};
const EnumConversion kDimmerCurve {"dimmer curve", {{0, 8, 0}}, 0};
const EnumConversion kPatchPointType {"patch point type", {{0, 1, 0}, {2, 2, 256}, {255, 255, -1}}, 256};
const EnumConversion kSkewType {"skew type", {{0, 7, 0}}, 0};
const EnumConversion kSkewDirection {"skew direction", {{0, 5, 0}}, 0};
const EnumConversion kTextDirection {"TextDirection", {{0, 5, 0}}, 5};
const EnumConversion kTextAlignment {"TextAlignment", {{0, 3, 0}}, 3};
const EnumConversion kTextOrientation {"TextOrientation", {{0, 2, 0}}, 2};
const EnumConversion kTextChangeBehaviour {"TextChangeBehaviour", {{0, 3, 0}}, 3};
const EnumConversion kTimecodeFormat {"TimecodeFormat", {{0, 5, 0}}, 5};
const EnumConversion kPropertyValueType {"PropertyValueType", {{0, 5, 0}}, 5};
const EnumConversion kTriggerWildcard {"trigger wildcard type", {{0, 2, 0}, {4, 5, 3}}, 0};

}  // namespace EnumConversions
