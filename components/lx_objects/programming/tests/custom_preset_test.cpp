#include "components/lx_objects/programming/contour_parameters.h"
#include "components/lx_objects/programming/custom_preset.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

using StreamCheck::Chunk;
using StreamCheck::kNewest;

namespace {

ColourGradient twoStops()
{
    ColourGradient g;
    g.addPoint(0, RGBData(1, 2, 3, 4));
    g.addPoint(0xFFFF, RGBData(5, 6, 7, 8));
    return g;
}

const char kTwoStops[] = "0002 0000 0000 01020304801f 8000 ffff 0001 05060708801f 8000";

CustomPresetProperty propertyOfType(CustomPresetProperty::Type type)
{
    CustomPresetProperty p;
    p.index = 0x0102;
    p.setType(type);
    p.boolValue = true;
    p.integer = {-1, -2147483647 - 1, 2147483647, 1};
    p.real = {0.5, -1.0, 2.0, 2};
    p.colour = {0x10, 0x20, 0x30};
    if (type == CustomPresetProperty::GradientType)
        p.setGradient(std::make_unique<ColourGradient>(twoStops()));
    return p;
}

}  // namespace

TEST(CustomPresetProperty, StreamFormsByType)
{
    const std::tuple<quint32, QByteArray> forms[] = {
        {0, hex("01")},
        {1, hex("ffffffff 80000000 7fffffff 00000001")},
        {2, hex("3fe0000000000000 bff0000000000000 4000000000000000 02")},
        {3, hex("102030")},
        {4, hex("00b9") + hex(kTwoStops)},
        {5, QByteArray()},
        {7, QByteArray()},  // kept as its number, no value
    };
    for (const auto& [type, value] : forms) {
        const CustomPresetProperty p = propertyOfType(CustomPresetProperty::Type(type));
        const QByteArray bytes = hex("0102 00") + QByteArray(1, char(type)) + value;
        EXPECT_EQ(writtenBytes(p).toHex(), bytes.toHex()) << type;
        EXPECT_TRUE(StreamCheck::stableRoundTrip(p, kProjectStreamVersion)) << type;
    }
    // A read sets the marker; the type is 16 bits, read back zero-extended.
    CustomPresetProperty wide;
    wide.marker = 0;
    EXPECT_EQ(readBytes(wide, hex("0000 ffff")), 0);
    EXPECT_EQ(wide.type(), 0xFFFFu);
    EXPECT_EQ(wide.marker, 1);
}

TEST(CustomPresetProperty, OwnsItsGradient)
{
    auto source = std::make_unique<CustomPresetProperty>(propertyOfType(CustomPresetProperty::GradientType));
    CustomPresetProperty copy(*source);
    CustomPresetProperty assigned;
    assigned.setType(CustomPresetProperty::GradientType);
    assigned = *source;
    ASSERT_NE(copy.gradient(), source->gradient());
    source.reset();
    const CustomPresetProperty& same = assigned;
    assigned = same;
    ASSERT_TRUE(copy.gradient() && assigned.gradient());
    EXPECT_TRUE(*copy.gradient() == twoStops() && *assigned.gradient() == twoStops());

    // Type 4 makes an empty gradient, another type drops it.
    CustomPresetProperty p;
    p.setType(CustomPresetProperty::GradientType);
    EXPECT_TRUE(p.gradient() && p.gradient()->stops().empty());
    p.setType(CustomPresetProperty::ColourType);
    p.setGradient(std::make_unique<ColourGradient>());
    EXPECT_FALSE(p.gradient());

    // None held: written as count 0, copied as none, read back empty.
    p.setType(CustomPresetProperty::GradientType);
    p.setGradient(nullptr);
    EXPECT_EQ(writtenBytes(p).toHex(), hex("0000 0004 00b9 0000").toHex());
    EXPECT_FALSE(CustomPresetProperty(p).gradient());
    CustomPresetProperty read;
    EXPECT_EQ(readBytes(read, writtenBytes(p)), 0);
    EXPECT_TRUE(read.gradient() && read.gradient()->stops().empty());

    // Reading frees the old gradient, whatever the new type (the sanitizer
    // build sees a leak or a double free).
    EXPECT_EQ(readBytes(read = copy, hex("0000 0003 010203")), 0);
    EXPECT_FALSE(read.gradient());
    EXPECT_EQ(readBytes(read = copy, writtenBytes(copy)), 0);
    EXPECT_EQ(*read.gradient(), twoStops());
}

TEST(CustomPreset, StreamFormAndOlderLayout)
{
    CustomPreset preset;
    preset.setName(QStringLiteral("p"));
    preset.setScript(QStringLiteral("s"));
    preset.setBytecode(QByteArray("compiled"));
    preset.properties()[QStringLiteral("b")] = propertyOfType(CustomPresetProperty::ColourType);
    preset.properties()[QStringLiteral("a")] = propertyOfType(CustomPresetProperty::GradientType);
    const QByteArray map = hex("0008 00000002 00000002 0061 00b8 0102 0004 00b9") + hex(kTwoStops)
        + hex("00000002 0062 00b8 0102 0003 102030");
    const std::vector<Chunk> layout = {
        {0, kNewest, "00000002 0070 00000002 0073"},
        {0, 70, "00000003 616263"},  // compiled bytes of older data
        {0, kNewest, "00b7"},
    };
    EXPECT_EQ(writtenBytes(preset).toHex(), (StreamCheck::bytesAt(kProjectStreamVersion, layout) + map).toHex());
    EXPECT_TRUE(StreamCheck::stableRoundTrip(preset, kProjectStreamVersion));
    EXPECT_TRUE(everyStrictPrefixFails(preset));
    const QByteArray colourOnly = hex("0008 00000001 00000002 0062 00b8 0102 0003 102030");
    for (const quint16 version : StreamCheck::gateVersions(layout, kProjectStreamVersion)) {
        CustomPreset read;
        read.setBytecode(QByteArray("kept"));
        EXPECT_EQ(readBytes(read, StreamCheck::bytesAt(version, layout) + colourOnly, version), 0);
        EXPECT_EQ(writtenBytes(read), StreamCheck::bytesAt(kProjectStreamVersion, layout) + colourOnly) << version;
        EXPECT_EQ(read.bytecode(), QByteArray("kept"));
    }

    std::unique_ptr<CustomPreset> copy(preset.clone());
    preset.properties().clear();
    EXPECT_EQ(copy->bytecode(), QByteArray("compiled"));
    EXPECT_EQ(*copy->properties().at(QStringLiteral("a")).gradient(), twoStops());

    // A name met twice reads into one property; the map is replaced.
    CustomPresetPropertyMap properties;
    properties.properties[QStringLiteral("old")] = CustomPresetProperty();
    EXPECT_EQ(readBytes(properties,
                        hex("0008 00000002 00000002 0061 00b8 0001 0004 00b9 0000"
                            "00000002 0061 00b8 0002 0000 01")),
              0);
    ASSERT_EQ(properties.properties.size(), 1u);
    const CustomPresetProperty& a = properties.properties.at(QStringLiteral("a"));
    EXPECT_TRUE(a.index == 2 && a.type() == CustomPresetProperty::BooleanType && a.boolValue && !a.gradient());
    EXPECT_THROW(readBytes(properties, hex("0008 7fffffff 00000002 0061")), std::runtime_error);
}

TEST(ContourParameters, StreamFormsByKind)
{
    ContourParameters fresh;
    EXPECT_EQ(writtenBytes(fresh).toHex(), hex("0000 0000 0000 00010000 0001").toHex());
    EXPECT_EQ(fresh.flag, 0);

    const std::pair<quint16, const char*> forms[] = {
        {0, "0102 fffe 00012345 0004"},
        {6, "0102 fffe 00012345 0004"},
        {4, "0102 fffe 2345 0004"},
        {5, "0102 fffe 2345 0004"},
        {7, ""},
    };
    for (const auto& form : forms) {
        ContourParameters contour;
        contour.kind = form.first, contour.a = 0x0102, contour.b = -2, contour.c = 0x12345, contour.d = 4;
        EXPECT_EQ(writtenBytes(contour).toHex(), (hex("00") + char(form.first) + hex(form.second)).toHex());
        EXPECT_TRUE(StreamCheck::stableRoundTrip(contour, kProjectStreamVersion)) << form.first;
    }
    ContourParameters owned;
    owned.flag = 1, owned.b = 5;
    EXPECT_EQ(readBytes(owned, hex("0007")), 0);
    EXPECT_EQ(owned.flag, 1);  // the owner's, not the stream's
    EXPECT_EQ(owned.b, 0);

    // Below 84 a narrow c above 8 reads as 8.
    const std::tuple<quint16, quint16, quint16, quint32> fixes[] = {
        {5, 83, 12, 8}, {5, 84, 12, 12}, {4, 83, 9, 8}, {5, 83, 3, 3}};
    for (const auto& [kind, version, stored, c] : fixes) {
        ContourParameters read;
        const QByteArray bytes =
            hex("00") + QByteArray(1, char(kind)) + hex("0001 0002 00") + QByteArray(1, char(stored)) + hex("0004");
        EXPECT_EQ(readBytes(read, bytes, version), 0);
        EXPECT_EQ(read.c, c) << kind << " " << version << " " << stored;
    }
    ContourParameters wide;
    EXPECT_EQ(readBytes(wide, hex("0000 0001 0002 0000000c 0004"), 83), 0);  // the wide form keeps it
    EXPECT_EQ(wide.c, 12u);
}
