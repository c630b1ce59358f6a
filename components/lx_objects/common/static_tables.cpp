#include "components/lx_objects/common/static_tables.h"

#include <QtGlobal>

namespace {

// Each entry is {source, disambiguation} for the translation tools.
struct Entry
{
    const char* source;
    const char* comment;
};

#define XFADE(text) QT_TRANSLATE_NOOP3("QObject", text, "XFade Path")
const Entry kXFadePath[] = {
    XFADE("Default"),      XFADE("Linear"),          XFADE("Start"),        XFADE("End"),
    XFADE("Braked"),       XFADE("Accelerated"),     XFADE("Damped"),       XFADE("Overshoot"),
    XFADE("Col At Start"), XFADE("Col At End"),      XFADE("Int At Start"), XFADE("Int At End"),
    XFADE("Colour First"), XFADE("Intensity First"), XFADE("Unknown"),
};
#undef XFADE

#define DVI(text) QT_TRANSLATE_NOOP3("QObject", text, "DVI Resolution String")
const Entry kDviResolution[] = {
    DVI("Auto"), DVI("1920x1080"), DVI("1600x1200"), DVI("1280x1024"), DVI("1440x900"), DVI("1024x768"), DVI("Unknown"),
};
#undef DVI

#define SHAPE(text) QT_TRANSLATE_NOOP3("QObject", text, "Effect shape name")
const Entry kEffectShape[] = {
    SHAPE("None"),     SHAPE("Sine"),    SHAPE("Cosine"),    SHAPE("Square"),
    SHAPE("Triangle"), SHAPE("Ramp Up"), SHAPE("Ramp Down"), SHAPE("Unknown"),
};
const Entry kEffectShapeShort[] = {
    SHAPE("None"), SHAPE("Square"), SHAPE("Triangle"), SHAPE("Sawtooth"), SHAPE("Sine"), SHAPE("Cosine"),
    SHAPE(""),     SHAPE(""),       SHAPE(""),         SHAPE(""),         SHAPE(""),     SHAPE(""),
    SHAPE(""),     SHAPE(""),       SHAPE(""),         SHAPE(""),         SHAPE(""),     SHAPE(""),
};
#undef SHAPE

#define KIND(text) QT_TRANSLATE_NOOP3("QObject", text, "Kind")
const Entry kKind[] = {
    KIND("Intensity"), KIND("Position"), KIND("Colour"),     KIND("Beam Image"), KIND("Beam Shape"),
    KIND("Media"),     KIND("Control"),  KIND("Calculated"), KIND("DALI"),       KIND("Unknown"),
};
#undef KIND

#define OFFSET(text) QT_TRANSLATE_NOOP3("QObject", text, "Offset Style")
const Entry kOffsetStyle[] = {
    OFFSET("None"), OFFSET("Spread"), OFFSET("Chaser"), OFFSET("Once"), OFFSET("Chaser-Once"), OFFSET("Unknown"),
};
#undef OFFSET

#define SKEW2D(text) QT_TRANSLATE_NOOP3("QObject", text, "2D Skew Type")
const Entry kSkew2DType[] = {
    SKEW2D("None"),
    SKEW2D("Wipe"),
    SKEW2D("Iris Open"),
    SKEW2D("Iris Close"),
    SKEW2D("Radial Wipe (CW)"),
    SKEW2D("Curtain Open"),
    SKEW2D("Curtain Close"),
    SKEW2D("Radial Wipe (CCW)"),
    SKEW2D("Unknown"),
};
#undef SKEW2D

#define DIRECTION(text) QT_TRANSLATE_NOOP3("QObject", text, "Skew Direction")
const Entry kSkewDirection[] = {
    DIRECTION("Forwards"), DIRECTION("Backwards"), DIRECTION("In"),
    DIRECTION("Out"),      DIRECTION("Shuffled"),  DIRECTION("Unknown"),
};
#undef DIRECTION

#define SKEW(text) QT_TRANSLATE_NOOP3("QObject", text, "Skew Type")
const Entry kSkewType[] = {
    SKEW("None"),   SKEW("Snaps"),     SKEW("Individually"), SKEW("Wave"),
    SKEW("Spread"), SKEW("Staggered"), SKEW("Multispeed"),   SKEW("Unknown"),
};
#undef SKEW

#define CURVE(text) QT_TRANSLATE_NOOP3("QObject", text, "Dimmer curve name")
const Entry kDimmerCurveName[] = {
    CURVE("Linear"),     CURVE("NonDim"), CURVE("5% Preheat"), CURVE("10% Preheat"),
    CURVE("Accelerate"), CURVE("Brake"),  CURVE("Damped"),     CURVE("Square Law"),
};
#undef CURVE

struct EnumNameTable
{
    const Entry* entries;
    int count;
    const char* context;
};

template <std::size_t N>
EnumNameTable table(const Entry (&entries)[N])
{
    return EnumNameTable {entries, int(N), entries[0].comment};
}

EnumNameTable tableOf(NameTable which)
{
    switch (which) {
    case NameTable::XFadePath:
        return table(kXFadePath);
    case NameTable::XFadePathShort: {
        EnumNameTable shorter = table(kXFadePath);
        --shorter.count;  // without "Unknown"
        return shorter;
    }
    case NameTable::DviResolution:
        return table(kDviResolution);
    case NameTable::EffectShape:
        return table(kEffectShape);
    case NameTable::EffectShapeShort:
        return table(kEffectShapeShort);
    case NameTable::Kind:
        return table(kKind);
    case NameTable::OffsetStyle:
        return table(kOffsetStyle);
    case NameTable::Skew2DType:
        return table(kSkew2DType);
    case NameTable::SkewDirection:
        return table(kSkewDirection);
    case NameTable::SkewType:
        return table(kSkewType);
    case NameTable::DimmerCurveName:
        return table(kDimmerCurveName);
    }
    return EnumNameTable {nullptr, 0, ""};
}

}  // namespace

int nameTableSize(NameTable which) { return tableOf(which).count; }

const char* nameTableContext(NameTable which) { return tableOf(which).context; }

QString nameTableEntry(NameTable which, int index)
{
    const EnumNameTable found = tableOf(which);
    if (index < 0 || index >= found.count)
        return QString();
    return QString::fromUtf8(found.entries[index].source);
}
