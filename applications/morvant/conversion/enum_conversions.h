// The enumerations a conversion carries from version-1 items to version-2
// objects. Each is one table: the version-1 values it keeps, with the value
// each becomes, and a default for the rest. A value outside the table is
// logged at kLogWarning as "Failed to convert <name> <value>" and replaced by
// the default.
//
// The tables are constant data; converting only logs. GUI thread only, like
// the logger's handlers.
#ifndef APPLICATIONS_MORVANT_CONVERSION_ENUM_CONVERSIONS_H
#define APPLICATIONS_MORVANT_CONVERSION_ENUM_CONVERSIONS_H

#include <QString>
#include <QtGlobal>

#include <vector>

struct EnumConversion
{
    // Version-1 values first..last become to, to + 1, ...
    struct Range
    {
        qint64 first;
        qint64 last;
        qint64 to;
    };

    const char* name;  // as the failure message names the enumeration
    std::vector<Range> kept;
    qint64 fallback;

    // The version-2 value, or the fallback (logged).
    qint64 operator()(qint64 value) const { return convert(value, fallback); }
    // The same with a default chosen by the caller.
    qint64 convert(qint64 value, qint64 fallbackValue) const;
    // Whether the value is kept, and what it becomes; logs nothing.
    bool keeps(qint64 value, qint64* to = nullptr) const;
    // "Failed to convert <name> <value>: <item>": the failure's own words
    // first, then the item the value belongs to and what became of it. The
    // conversion reports it as the item's change (convertValue).
    QString failureText(qint64 value, const QString& item) const;
};

namespace EnumConversions {

// Remote-device keys, universes and controllers.
extern const EnumConversion kRemoteDeviceType;
extern const EnumConversion kOutputDriverType;
extern const EnumConversion kSerialMode;
extern const EnumConversion kSerialParity;
extern const EnumConversion kInputType;
extern const EnumConversion kButtonLedEffect;
extern const EnumConversion kAudioUnitMode;
extern const EnumConversion kTimeSource;
// DALI test schedules.
extern const EnumConversion kMonthWeek;
// Fixtures and their patch.
extern const EnumConversion kFixtureShape;
// The fallback is no more than a placeholder: callers pass the model's curve.
extern const EnumConversion kDimmerCurve;
extern const EnumConversion kPatchPointType;
// Palettes and looks.
extern const EnumConversion kSkewType;
extern const EnumConversion kSkewDirection;
// Dynamic text.
extern const EnumConversion kTextDirection;
extern const EnumConversion kTextAlignment;
extern const EnumConversion kTextOrientation;
extern const EnumConversion kTextChangeBehaviour;
// Timelines, custom presets and triggers.
extern const EnumConversion kTimecodeFormat;
extern const EnumConversion kPropertyValueType;
extern const EnumConversion kTriggerWildcard;

}  // namespace EnumConversions

#endif  // APPLICATIONS_MORVANT_CONVERSION_ENUM_CONVERSIONS_H
