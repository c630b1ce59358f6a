#include "components/lx_objects/programming/dynamic_text.h"
#include "components/lx_objects/programming/text_slot_values.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <tuple>
#include <vector>

namespace {

using Parts = std::vector<DynamicTextPart>;

Parts partsOf(const QString& text)
{
    DynamicText dynamic;
    dynamic.setText(text);
    EXPECT_EQ(dynamic.text(), text);
    return Parts(dynamic.parts().begin(), dynamic.parts().end());
}

DynamicTextPart part(quint8 kind, const char* text) { return DynamicTextPart {kind, QString::fromUtf8(text)}; }

}  // namespace

TEST(DynamicText, SetTextParses)
{
    const std::tuple<const char*, Parts> cases[] = {
        {"Hello <name>!", {part(1, "Hello "), part(2, "name"), part(1, "!")}},
        {"a\\<b", {part(1, "a<b")}},
        {"a\\\\b", {part(1, "a\\b")}},
        {"a>b", {part(1, "ab")}},
        {"<x<y>", {part(2, "xy")}},
        {"a\\>b", {part(1, "ab")}},
        {"<a\\><b>", {part(2, "a"), part(1, "<b")}},  // the escape outlives the ">" and takes the "<"
        {"abc<def", {part(1, "abc")}},
        {"<>", {}},
        {"", {}},
        {"a<>b", {part(1, "a"), part(1, "b")}},
        {"< slot name >", {part(2, " slot name ")}}};
    for (const auto& [text, parts] : cases)
        EXPECT_EQ(partsOf(QString::fromUtf8(text)), parts) << text;

    DynamicText dynamic;
    dynamic.setText(QStringLiteral("<a>"));
    dynamic.setText(QStringLiteral("b"));
    EXPECT_EQ(Parts(dynamic.parts().begin(), dynamic.parts().end()), Parts {part(1, "b")});
}

TEST(DynamicText, ReadsAsStored)
{
    // Enumerations are stored as their low byte.
    EXPECT_EQ(writtenBytes(TextProperties {.changeBehaviour = TextChangeBehaviour(0x103)}).toHex(),
              hex("ffffffff 00 00 00 00 00 00 00000000 03 0004").toHex());

    // The parts are read as stored, not parsed again.
    DynamicText read;
    EXPECT_EQ(readBytes(read, hex("00000002 0078  0007 00000001 00c6 07 00000002 0079")), 0);
    EXPECT_EQ(Parts(read.parts().begin(), read.parts().end()), Parts {part(7, "y")});
}

TEST(TextSlotValues, SlotsStoreAndSave)
{
    TextSlotValues values;
    values.setSlotText(QStringLiteral("x"), QString());  // nothing to remove
    EXPECT_TRUE(values.slotTexts().empty());
    values.setSlotText(QStringLiteral("b"), QStringLiteral("2"));
    values.setSlotText(QStringLiteral("a"), QStringLiteral("old"));
    values.setSlotText(QStringLiteral("a"), QStringLiteral("1"));
    values.setSlotText(QStringLiteral("c"), QStringLiteral("3"));
    values.setSlotText(QStringLiteral("c"), QStringLiteral(""));
    const QByteArray bytes = writtenBytes(values);
    EXPECT_EQ(values.slotTexts(),
              (std::map<QString, QString> {{QStringLiteral("a"), QStringLiteral("1")},
                                           {QStringLiteral("b"), QStringLiteral("2")}}));
    // A name met twice is one slot with the text read last.
    TextSlotValues read;
    EXPECT_EQ(readBytes(read, hex("0008 00000002 00000002 0061 00000002 0031 00000002 0061 00000002 0039")), 0);
    EXPECT_EQ(read.slotTexts(), (std::map<QString, QString> {{QStringLiteral("a"), QStringLiteral("9")}}));

    // Saved in its place it sits in misc.tarv behind its code, and reads back.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("archive.tarv"));
    {
        ScratchDatabase database(path);
        database.add(TextSlotValues::kArrayId, new TextSlotValues(values), TextSlotValues::kObjectId);
        Archive::saveDatabase(database.id(), 0);
    }
    QFile misc(path + QStringLiteral("/misc.tarv"));
    ASSERT_TRUE(misc.open(QIODevice::ReadOnly));
    EXPECT_TRUE(misc.readAll().contains(hex("00cf") + bytes));
    ScratchDatabase database(path, true);
    const auto reopened = database.committed<TextSlotValues>(TextSlotValues::kArrayId, TextSlotValues::kObjectId);
    EXPECT_TRUE(reopened && *reopened == values);
}
