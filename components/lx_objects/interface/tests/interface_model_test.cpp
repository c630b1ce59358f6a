#include "components/archive/type_registry.h"
#include "components/lx_objects/interface/gradient.h"
#include "components/lx_objects/interface/interface_objects.h"
#include "components/lx_objects/interface/interface_theme.h"
#include "components/lx_objects/interface/skin_property.h"
#include "components/lx_objects/tests/stream_bytes.h"
#include "seltrane_components/os/logger.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <QImage>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string messageOf(const std::function<void()>& run)
{
    try {
        run();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no failure)";
}

// Both directions fail with the message, the stream untouched.
void expectNoLayout(quint32 code, const std::function<void(InStream&)>& read,
                    const std::function<void(OutStream&)>& write)
{
    const std::string message = QStringLiteral("No stream layout is specified for %1 (code %2)")
                                    .arg(ObjectRegistry::nameForCode(code))
                                    .arg(code)
                                    .toStdString();
    quint16 next = 0;
    readBinary(hex("0102"), kProjectStreamVersion, [&](InStream& in) {
        EXPECT_EQ(messageOf([&] { read(in); }), message);
        in >> next;
    });
    EXPECT_EQ(next, 0x0102) << code;
    EXPECT_TRUE(streamBytes([&](OutStream& out) { EXPECT_EQ(messageOf([&] { write(out); }), message); }).isEmpty());
}

template <class... T>
void expectLayoutlessValues()
{
    const auto check = [](auto made) {
        using Value = typename decltype(made)::element_type;
        ASSERT_TRUE(made);
        EXPECT_EQ(made->typeCode(), Value::kTypeCode);
        Value copy = *made;
        EXPECT_EQ(copy, *made);
        expectNoLayout(
            Value::kTypeCode, [&](InStream& in) { copy.read(in); }, [&](OutStream& out) { copy.write(out); });
    };
    (check(ObjectRegistry::createValue<T>(T::kTypeCode)), ...);
}

}  // namespace

TEST(InterfaceModel, EveryCodeIsMadeCopiedAndRefusesToStream)
{
    for (const quint32 code : {136, 138, 139, 140, 141, 142, 143, 145, 146, 160}) {
        std::unique_ptr<Archive::ObjectBase> object(ObjectRegistry::create(code));
        object->setId(4);
        EXPECT_EQ(object->typeCode(), code);
        const std::unique_ptr<Archive::ObjectBase> copy(object->clone());
        EXPECT_EQ(copy->typeCode(), code);
        EXPECT_EQ(copy->getId(), Archive::kNoObjectId);
        expectNoLayout(
            code, [&](InStream& in) { object->read(in); }, [&](OutStream& out) { copy->write(out); });
    }
    for (quint32 code = 152; code <= 157; ++code) {
        const std::unique_ptr<SkinProperty> property = ObjectRegistry::createValue<SkinProperty>(code);
        EXPECT_EQ(property->typeCode(), code);
        EXPECT_EQ(property->valueKind(), int(code - 151));
        const std::unique_ptr<SkinProperty> copy(property->clone());
        EXPECT_EQ(copy->typeCode(), code);
        expectNoLayout(
            code, [&](InStream& in) { property->read(in); }, [&](OutStream& out) { copy->write(out); });
    }
    expectLayoutlessValues<InterfaceConfigurationHeader, NavigationButtons, SkinTransition, InterfaceSkin,
                           InterfaceSkinSet, SkinPropertyKey, ImageData, SharedImageData>();
    EXPECT_EQ(messageOf([] { ObjectRegistry::create(137); }), "Trying to make an abstract object, id 137");
    EXPECT_EQ(messageOf([] { ObjectRegistry::createValue<SkinProperty>(151); }),
              "Trying to make an abstract object, id 151");

    // A project holding one fails to load with the message.
    EXPECT_EQ(messageOf([] { readBinary(hex("0092 0000"), kProjectStreamVersion, readOneObject); }),
              "No stream layout is specified for InterfacePageSwitcher (code 146)");
}

TEST(InterfaceModel, GradientHasNoStoredFormYet)
{
    Gradient gradient;
    gradient.stops[0.5] = QColor(Qt::red);
    EXPECT_NE(gradient, Gradient());
    EXPECT_EQ(messageOf([&] { streamBytes([&](OutStream& out) { out << gradient; }); }),
              "No stream layout is specified for Gradient");
    EXPECT_EQ(messageOf([&] { readBinary(hex("00"), kProjectStreamVersion, [&](InStream& in) { in >> gradient; }); }),
              "No stream layout is specified for Gradient");
}

TEST(InterfaceModel, ThemeValuesAndImages)
{
    InterfaceTheme theme;
    const QVariant& missing = theme.value(3, QStringLiteral("fontSize"));
    EXPECT_FALSE(missing.isValid());
    EXPECT_EQ(&missing, &InterfaceTheme().value(1, QString()));  // the one null value
    theme.setValue(3, QStringLiteral("fontSize"), 12);
    EXPECT_EQ(theme.value(3, QStringLiteral("fontSize")), QVariant(12));
    EXPECT_FALSE(theme.value(4, QStringLiteral("fontSize")).isValid());

    QImage image(2, 2, QImage::Format_ARGB32);
    image.setPixel(0, 0, 0x80FF0000), image.setPixel(1, 0, 0xFF00FF00);
    image.setPixel(0, 1, 0x000000FF), image.setPixel(1, 1, 0xFFFFFFFF);
    theme.setImage(2, image);
    const QByteArray png = theme.imageData(2);
    EXPECT_TRUE(png.startsWith(hex("89504e47")));
    EXPECT_EQ(QImage::fromData(png, "PNG").convertToFormat(QImage::Format_ARGB32), image);

    const std::unique_ptr<Archive::ObjectBase> copy(theme.clone());
    EXPECT_EQ(dynamic_cast<InterfaceTheme&>(*copy), theme);

    theme.setImageData(1, "old");
    {
        const LogCapture log;
        theme.setImage(1, QImage());
        EXPECT_EQ(log.lines(),
                  std::vector<LogCapture::Line>({{130,
                                                  "Interface theme image 1 could not be stored as PNG "
                                                  "(0x0 pixels); the controls using it show no image "
                                                  "until it is replaced\n"}}));
    }
    EXPECT_TRUE(theme.imageData(1).isEmpty());
    EXPECT_TRUE(theme.imageData(7).isEmpty());
}

TEST(InterfaceModel, TakeThemeProperty)
{
    const QString name = QStringLiteral("colour");
    InterfaceTheme newTheme, oldTheme;
    QVariant result = 5;
    EXPECT_FALSE(takeThemeProperty(newTheme, nullptr, 2, name, QVariant(1), result));
    EXPECT_FALSE(result.isValid());

    newTheme.setValue(2, name, 7);
    EXPECT_TRUE(takeThemeProperty(newTheme, nullptr, 2, name, QVariant(1), result));
    EXPECT_EQ(result, QVariant(7));
    // The old theme lacks it: the control's value was not the theme's.
    EXPECT_FALSE(takeThemeProperty(newTheme, &oldTheme, 2, name, QVariant(1), result));
    oldTheme.setValue(2, name, 3);
    result = QVariant();
    EXPECT_FALSE(takeThemeProperty(newTheme, &oldTheme, 2, name, QVariant(1), result));  // changed since
    EXPECT_EQ(result, QVariant(7));
    EXPECT_TRUE(takeThemeProperty(newTheme, &oldTheme, 2, name, QVariant(3), result));
    EXPECT_FALSE(takeThemeProperty(newTheme, &oldTheme, 4, name, QVariant(3), result));  // another control kind
}

TEST(InterfaceModel, SkinTablesAndProperties)
{
    for (const quint32 code : {1, 2, 3, 4, 6, 7}) {
        const SkinPropertyTable& table = skinPropertyTable(code);
        EXPECT_EQ(&table, &skinPropertyTable(code));
        ASSERT_EQ(table.size(), 1u) << code;
        const auto* font = dynamic_cast<const StringSkinProperty*>(table.at(QStringLiteral("fontFamily")).get());
        ASSERT_TRUE(font) << code;
        EXPECT_EQ(font->value(), QStringLiteral("DejaVu Sans"));
    }
    EXPECT_TRUE(skinPropertyTable(5).empty());
    EXPECT_EQ(InterfacePageSwitcher().fontFamily(), QStringLiteral("DejaVu Sans"));

    IntSkinProperty size(9);
    EXPECT_TRUE(size.assign(IntSkinProperty(12)));
    EXPECT_EQ(size.value(), 12);
    EXPECT_FALSE(size.assign(ImageSkinProperty(3)));  // an int too, but another kind
    EXPECT_FALSE(size.assign(DoubleSkinProperty(1.5)));
    EXPECT_EQ(size, IntSkinProperty(12));
    ColourSkinProperty colour(0xFF102030);
    EXPECT_EQ(std::unique_ptr<SkinProperty>(colour.clone())->valueKind(), SkinProperty::ColourKind);
}
