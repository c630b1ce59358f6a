#include "components/lx_objects/common/static_tables.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <tuple>

TEST(StaticTables, FolderNamesFontAndNameTables)
{
    const QStringList folders = {kCustomCertificateFolder, kCustomThemeFolder, kFrameArraysFolder,
                                 kInterfaceFontsFolder,    kIoModulesFolder,   kResourcesFolder,
                                 kWebInterfaceFolder};
    EXPECT_EQ(folders.join(QLatin1Char(' ')),
              QStringLiteral("custom_certificate custom_theme framearrays interfacefonts io_modules resources "
                             "web_interface"));
    EXPECT_EQ(QString(kDefaultFontFamily), QStringLiteral("DejaVu Sans"));

    const std::tuple<NameTable, int, const char*, const char*, const char*> tables[] = {
        {NameTable::XFadePath, 15, "XFade Path", "Default", "Unknown"},
        {NameTable::XFadePathShort, 14, "XFade Path", "Default", "Intensity First"},
        {NameTable::DviResolution, 7, "DVI Resolution String", "Auto", "Unknown"},
        {NameTable::EffectShape, 8, "Effect shape name", "None", "Unknown"},
        {NameTable::EffectShapeShort, 18, "Effect shape name", "None", ""},
        {NameTable::Kind, 10, "Kind", "Intensity", "Unknown"},
        {NameTable::OffsetStyle, 6, "Offset Style", "None", "Unknown"},
        {NameTable::Skew2DType, 9, "2D Skew Type", "None", "Unknown"},
        {NameTable::SkewDirection, 6, "Skew Direction", "Forwards", "Unknown"},
        {NameTable::SkewType, 8, "Skew Type", "None", "Unknown"},
        {NameTable::DimmerCurveName, 8, "Dimmer curve name", "Linear", "Square Law"},
    };
    for (const auto& [table, size, context, first, last] : tables) {
        SCOPED_TRACE(context);
        EXPECT_EQ(nameTableSize(table), size);
        EXPECT_STREQ(nameTableContext(table), context);
        EXPECT_EQ(nameTableEntry(table, 0), QLatin1String(first));
        EXPECT_EQ(nameTableEntry(table, size - 1), QLatin1String(last));
        EXPECT_EQ(nameTableEntry(table, size), QString());
        EXPECT_EQ(nameTableEntry(table, -1), QString());
    }
    EXPECT_EQ(nameTableEntry(NameTable::EffectShapeShort, 5), QStringLiteral("Cosine"));
    for (int i = 6; i < 18; ++i)
        EXPECT_TRUE(nameTableEntry(NameTable::EffectShapeShort, i).isEmpty()) << i;
    EXPECT_EQ(nameTableEntry(NameTable::DimmerCurveName, 2), QStringLiteral("5% Preheat"));
}
