// Constants the project classes share: the names of the working folder's
// resource sub-folders, the default font family, and the display names of
// the model's enumerations (crossfade paths, video resolutions, effect
// shapes, parameter kinds, offset styles, skew types and directions, dimmer
// curves).
//
// The name tables hold their source texts, marked for translation in the
// "QObject" context with the table's context word as disambiguation; a
// display passes an entry through QObject::tr itself.
//
// Constant data: no start-up order, any thread.
#ifndef LX_OBJECTS_COMMON_STATIC_TABLES_H
#define LX_OBJECTS_COMMON_STATIC_TABLES_H

#include <QLatin1String>
#include <QString>

// Sub-folders of a project's working folder. The lengths are given: the
// constructor from a bare pointer is constexpr only where strlen is a
// compiler builtin.
constexpr QLatin1String kCustomCertificateFolder("custom_certificate", 18);
constexpr QLatin1String kCustomThemeFolder("custom_theme", 12);
constexpr QLatin1String kFrameArraysFolder("framearrays", 11);
constexpr QLatin1String kInterfaceFontsFolder("interfacefonts", 14);
constexpr QLatin1String kIoModulesFolder("io_modules", 10);
constexpr QLatin1String kResourcesFolder("resources", 9);
constexpr QLatin1String kWebInterfaceFolder("web_interface", 13);

constexpr QLatin1String kDefaultFontFamily("DejaVu Sans", 11);

enum class NameTable {
    XFadePath,       // 15 entries, ending in "Unknown"
    XFadePathShort,  // the first 14 of XFadePath
    DviResolution,
    EffectShape,       // 8 entries, ending in "Unknown"
    EffectShapeShort,  // 18 entries: six names, then twelve empty
    Kind,
    OffsetStyle,
    Skew2DType,
    SkewDirection,
    SkewType,
    DimmerCurveName,
};

int nameTableSize(NameTable table);
// The disambiguation under which the table's entries are translated.
const char* nameTableContext(NameTable table);
// The source text of the entry; an empty string outside the table.
QString nameTableEntry(NameTable table, int index);

#endif  // LX_OBJECTS_COMMON_STATIC_TABLES_H
