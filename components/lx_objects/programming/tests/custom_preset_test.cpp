#include "components/lx_objects/programming/contour_parameters.h"
#include "components/lx_objects/programming/custom_preset.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <utility>

namespace {

ColourGradient twoStops()
{
    ColourGradient g;
    g.addPoint(0, RGBData(1, 2, 3, 4));
    g.addPoint(0xFFFF, RGBData(5, 6, 7, 8));
    return g;
}

CustomPresetProperty propertyOfType(CustomPresetProperty::Type type)
{
    CustomPresetProperty p;
    p.index = 0x0102;
    p.setType(type);
    if (type == CustomPresetProperty::ColourType)
        p.colour = {0x10, 0x20, 0x30};
    if (p.gradient())
        *p.gradient() = twoStops();
    return p;
}

}  // namespace

TEST(CustomPresetProperty, OwnsItsGradient)
{
    // Copies are deep and outlive their source, self-assignment included.
    auto source = std::make_unique<CustomPresetProperty>(propertyOfType(CustomPresetProperty::GradientType));
    CustomPresetProperty copy(*source);
    ASSERT_NE(copy.gradient(), source->gradient());
    source.reset();
    copy = std::as_const(copy);
    EXPECT_EQ(*copy.gradient(), twoStops());

    // Type 4 makes an empty gradient, another type drops it.
    CustomPresetProperty p;
    p.setType(CustomPresetProperty::GradientType);
    EXPECT_TRUE(p.gradient() && p.gradient()->stops().empty());
    p.setType(CustomPresetProperty::ColourType), p.setGradient(std::make_unique<ColourGradient>());
    EXPECT_FALSE(p.gradient());

    // None held: written as count 0, copied as none, read back empty.
    p.setType(CustomPresetProperty::GradientType), p.setGradient(nullptr);
    EXPECT_EQ(writtenBytes(p).toHex(), hex("0000 0004 00b9 0000").toHex());
    EXPECT_FALSE(CustomPresetProperty(p).gradient());
    CustomPresetProperty read;
    EXPECT_EQ(readBytes(read, writtenBytes(p)), 0);
    EXPECT_TRUE(read.gradient() && read.gradient()->stops().empty());

    // Reading frees the old gradient, whatever the new type (the sanitizer
    // build sees a leak or a double free), and sets the marker; the type is
    // 16 bits, read back zero-extended.
    read = copy, read.marker = 0;
    EXPECT_EQ(readBytes(read, hex("0000 ffff")), 0);
    EXPECT_TRUE(!read.gradient() && read.type() == 0xFFFFu && read.marker == 1);
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
    expectForms<CustomPreset>({{preset,
                                "00b6 'p' 's' 00b7 0008 00000002 'a' 00b8 0102 0004 00b9 0002 0000 0000 "
                                "01020304801f 8000 ffff 0001 05060708801f 8000 'b' 00b8 0102 0003 102030"}});
    const std::unique_ptr<CustomPreset> copy(static_cast<CustomPreset*>(preset.clone()));

    // Older data stores compiled bytes, which are dropped; a read keeps the
    // compiled form in memory. The clone keeps what the preset drops.
    preset.properties().erase(QStringLiteral("a")), preset.setBytecode(QByteArray("kept"));
    StreamCheck::expectGateReads<CustomPreset>(
        StreamCheck::chunks("-: 'p' 's';  -70: 00000003 616263;  -: 00b7 0008 00000001 'b' 00b8 0102 0003 102030"),
        kProjectStreamVersion, [&](quint16) { return preset; },
        [](CustomPreset& read, InStream& in) { read.setBytecode(QByteArray("kept")), read.read(in); });
    EXPECT_EQ(copy->bytecode(), QByteArray("compiled"));
    EXPECT_EQ(*copy->properties().at(QStringLiteral("a")).gradient(), twoStops());

    // A name met twice reads into one property.
    CustomPresetPropertyMap properties;
    EXPECT_EQ(readBytes(properties, hex("0008 00000002 'a' 00b8 0001 0004 00b9 0000 'a' 00b8 0002 0000 01")), 0);
    ASSERT_EQ(properties.properties.size(), 1u);
    const CustomPresetProperty& a = properties.properties.at(QStringLiteral("a"));
    EXPECT_TRUE(a.index == 2 && a.type() == CustomPresetProperty::BooleanType && a.boolValue && !a.gradient());
}

TEST(ContourParameters, NarrowValuesOfOldData)
{
    // Below 84 a narrow c above 8 reads as 8; the owner's flag survives a read.
    const std::tuple<quint16, const char*, quint32, quint32> rows[] = {
        {5, "0005 0001 0002 000c 0004", 12, 8},
        {4, "0004 0001 0002 0009 0004", 9, 8},
        {5, "0005 0001 0002 0003 0004", 3, 3},
        {0, "0000 0001 0002 0000000c 0004", 12, 12}  // the wide form keeps it
    };
    for (const auto& [kind, bytes, stored, old] : rows)
        StreamCheck::expectGateReads<ContourParameters>(
            StreamCheck::chunks("-: " + std::string(bytes) + ";  -84:"), kProjectStreamVersion,
            [kind = kind, old = old, stored = stored](quint16 v) {
                return ContourParameters {kind, 1, 2, v < 84 ? old : stored, 4, 1};
            },
            [](ContourParameters& read, InStream& in) { read.flag = 1, read.read(in); });
}
