#include "show_writer.h"

#include <QFile>

#include <cstring>

ShowWriter& ShowWriter::when(bool present)
{
    if (present)
        return *this;
    static thread_local ShowWriter sink;
    sink.version = version;
    sink.data.clear();
    return sink;
}

ShowWriter& ShowWriter::text(const QString& value)
{
    if (version >= 10)
        return string(value.toUtf8());
    count(static_cast<quint32>(value.size()));
    for (QChar c : value)
        u16(c.unicode());
    return *this;
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

namespace {

const QByteArray kDaylight = QByteArray::fromHex("010300000a00");
const QByteArray kColourList = QByteArray::fromHex("02000708090a0b0c");

void writeSettingsCurrent(ShowWriter& w, const ShowContent& content)
{
    const quint16 v = w.version;
    w.text("Project").text("Client").text("Notes");
    w.u8(51).u8(30).u8(1).u8(0).u8(7).u8(0).u16(static_cast<quint16>(-20)).raw(kDaylight);
    w.u32(7).string("\x01\x02\x03").string(content.backgroundImagePath).u32(1024).u32(768).u8(10).u8(20).u8(30);
    w.when(v >= 168 && !(v >= 200 && v <= 211)).u32(55);
    w.when(v < 168 || (v >= 200 && v <= 211)).u8(255);
    w.boolean(true).u16(16).boolean(true).u8(1).u8(2).u8(3).u8(4).u8(5).u8(6);
    w.when(v < 357).u8(0xEE);
    w.raw(kColourList).string("web").count(1).count(1).u32(5).u32(6).u32(7);
    w.when((v >= 157 && v <= 199) || v >= 208).count(2).u32(9).u32(10);
}

void writeSettingsOld(ShowWriter& w, const ShowContent& content)
{
    const quint16 v = w.version;
    w.text("Project").text("Client");
    w.when(v >= 4).u8(51).u8(30).u8(99).u8(1).u8(0).u8(7).u8(99).u8(0);
    quint32 floatBits = 0;
    std::memcpy(&floatBits, &content.oldTimeZone, sizeof floatBits);
    w.when(v >= 24).u16(static_cast<quint16>(v >= 48 ? -20 : -5));
    w.when(v >= 15 && v < 24).u32(floatBits);
    w.string(content.backgroundImagePath).u32(1024).u32(768).u8(10).u8(20).u8(30);
    w.u8(255).boolean(true).u16(16).boolean(true);
    w.when(v >= 59).u8(1).u8(2).u8(3).u8(4).u8(5).u8(6);
    w.when(v < 21).string("gone").u32(0).u32(0);
    w.text("Notes");
    w.when(v < 21).u32(1).u32(2).u32(3).u32(4);
    w.u8(0xEE);
    w.when(v >= 7).u32(7);
    w.when(v >= 9).raw(kColourList);
    w.when(v >= 69).string("web").string("\x01\x02\x03");
    w.when(v >= 78).count(1).count(1).u32(5).u32(6).u32(7);
    w.when(v >= 85).raw(kDaylight);
}

void writeOutputNodes(ShowWriter& w)
{
    const quint16 v = w.version;
    w.u16(1).when(v >= 150).u16(0x0132);
    w.u16(3);
    w.when(v >= 427).boolean(true).count(2).u32(1).u32(2);
    w.when(v >= 288).count(2).u32(5).u32(6).u32(7).u32(8);
    w.when(v >= 305).count(1).u32(4).u32(9);
    w.when(v >= 154).u16(1).u16(0).u32(2).u32(0x0A000001);
    w.when(v >= 154 && ((v >= 171 && v <= 199) || v >= 218)).u32(12).text("PSU").text("x");
    w.when(v >= 394).u16(1).u16(1).u16(5).u8(2);
    w.when(v >= 150).u16(0x0133);
    w.when(v >= 384).u16(1).u32(3).u32(4);
    w.when(v >= 394).count(1).u16(5).u8(2).u32(77);
}

void writeGroups(ShowWriter& w, const ShowContent& content)
{
    const quint16 v = w.version;
    if (!(v < 164 || (v >= 200 && v <= 210)))
        return;
    w.count(static_cast<quint32>(content.groups.size()));
    for (const auto& group : content.groups) {
        w.u32(group.first).count(static_cast<quint32>(group.second.first.size()));
        for (quint16 member : group.second.first)
            w.u16(member);
        w.when((v >= 158 && v <= 199) || v >= 208).text(group.second.second);
    }
}

}  // namespace

void writeDali(ShowWriter& w, const std::vector<ShowContent::DaliFixtureRecord>& fixtures)
{
    const quint16 v = w.version;
    if (v < 47)
        return;
    w.u16(0).u16(static_cast<quint16>(fixtures.size()));
    for (const auto& fixture : fixtures)
        writeDaliFixture(w, fixture);
    w.when(v >= 116).u16(0);
    w.when(v >= 417).raw(QByteArray::fromHex("0100031122 02ff0f010304 003344 2c01"));
}

void writeDaliFixture(ShowWriter& w, const ShowContent::DaliFixtureRecord& fixture)
{
    const quint16 v = w.version;
    w.u16(0x012A).u16(fixture.id).u16(fixture.fixtureId).u8(1).u8(2).u8(10).u8(11).u8(12).u8(13);
    w.when(v >= 401).u8(14).u8(15);
    w.when(v >= 416).u8(16);
    w.when(v >= 428).boolean(true);
    w.when(v >= 430).text("Ballast");
    w.u16(0x012B);
}

void writePalette(ShowWriter& w, const ShowContent::PaletteRecord& palette)
{
    const quint16 v = w.version;
    const bool old = v < 17;
    w.u16(old ? 0xF0F0 : 0x011E).u16(palette.id).text("Palette").u16(3).u32(4);
    w.u16(old ? 0x0F0F : 0x0110).count(static_cast<quint32>(palette.functions.size()));
    quint16 position = 0;
    for (quint16 function : palette.functions) {
        w.u16(old ? 0x0D0D : 0x010E).when(v < 96).u16(0).u16(0);
        w.u16(position++).when(v < 96).u16(0);
        w.u16(function).u16(0x1234).u16(1).u16(0x001).u16(2);    // valueA, B0, kind, B6
        w.u16(0xAB).u16(5).u16(6).u16(300);                      // byte, B16, number2, number1
        w.u16(2).u16(3).u16(4).u16(0x2001).when(v < 26).u16(0);  // e, B29, B12, time A
        w.u16(200).when(v < 26).u16(0);
        w.u16(old ? 0x0E0E : 0x010F);
    }
    w.u16(0x20B5).when(v < 26).u16(0);
    w.u16(2).u16(1).count(1).count(1).u32(5).count(2).u32(1).u32(2);
    w.u16(old ? 0x1010 : 0x0111).when(v >= 36).u16(7).u16(8);
    w.u16(old ? 0x1111 : 0x011F);
}

void writeDynamicText(ShowWriter& w)
{
    const quint16 v = w.version;
    if (v < 219)
        return;
    w.u16(1).when(v >= 213).u16(0x013C);
    w.u16(2).text("Arial").text("Bold").u32(24).u8(1).u8(0);
    w.when(v >= 241).u8(0);
    w.when(v >= 214).u32(7);
    w.when(v >= 213).u16(0x013D);
    w.when(v >= 222).u16(1).u16(0x0144).u16(1).text("time").text("12:00").u16(0x0145);
    w.u16(1).u16(0x0142).u16(5).u32(2).u16(1).u32(100).u16(2).u32(200);
    w.count(1).text("Hello").count(2).u32(3).u32(4).u32(2).u16(0).u8(9).u16(2);
    w.when(v >= 231).u16(1);
    w.u8(0).u8(8);
    w.when(v >= 393).u32(1234);
    w.when(v < 240).u8(0xEE);
    w.when(v >= 223).u16(3);
    w.when(v >= 224).u16(6);
    w.when((v >= 245 && v <= 279) || v >= 282).u16(2).u16(77);
    w.u16(40).when(v >= 226).u16(50);
    w.u16(0x0143);
    w.when(v >= 221).count(1).u32(2).count(1).u32(5);
    w.when(v >= 222).count(1).u32(9).count(1).u32(5);
    w.when(v >= 362).string("ab%Xcd%Xef").string("%x");
}

void writeElement(ShowWriter& w, const ShowContent::ElementRecord& element)
{
    const quint16 v = w.version;
    const bool old = v < 17;
    w.u16(old ? 0xB0B0 : 0x011A).u16(element.id).string("El");
    w.u16(static_cast<quint16>(element.functions.size()));
    for (quint16 function : element.functions) {
        // A parameter without a function is of type 4.
        w.u16(old ? 0x0707 : 0x0108).u16(function == 0xFFFF ? 4 : 0).u16(function).u16(0).u16(1).u16(255).u16(1);
        w.boolean(function == 3).boolean(false).boolean(false);
        w.u16(1).u16(old ? 0x0909 : 0x010A).u16(0).u16(255).string("Full").u16(2).u16(0);
        w.u16(old ? 0x0A0A : 0x010B).when(v >= 78).u16(7);
        w.u16(old ? 0x0808 : 0x0109);
    }
    w.u16(1).u16(0).u8(1);
    w.u16(1).u16(old ? 0x3030 : 0x0112).u8(1).u16(6).u16(old ? 0x4040 : 0x0113);
    w.u16(360).u16(0).u16(220).u16(0).boolean(false);
    w.when(v >= 49 && v < 302).boolean(true);
    w.when(v < 302).boolean(false);
    w.u16(10).u16(10);
    w.when(v >= 302).u16(0x04);
    w.when(v >= 111 && v < 302).boolean(true);
    w.when(v >= 304 && v <= 352).u16(42);
    w.count(element.patchRecords);
    for (quint16 i = 0; i < element.patchRecords; ++i) {
        if (v < 150)
            w.u16(old ? 0x0505 : 0x0106).u8(1).u16(5).u16(3).u16(i + 1).u16(old ? 0x0606 : 0x0107);
        else if (i % 2 == 0)
            w.u16(0x001).u16(0x0134).u16(0x0106).u8(1).u16(5).u16(0x0107).u16(3).u16(i).u16(0x0135);
        else
            w.u16(0x010).u16(0x0136).u16(0x0106).u8(2).u16(5).u16(0x0107).u16(4).u16(1).u16(i).u16(0x0136);
    }
    w.u16(old ? 0xC0C0 : 0x011B);
}

void writeFixture(ShowWriter& w, const ShowContent::FixtureRecord& fixture)
{
    const quint16 v = w.version;
    const bool old = v < 17;
    w.u16(old ? 0x0B0B : 0x010C).u16(fixture.id).string("Model").u16(static_cast<quint16>(fixture.kind));
    w.when(v < 11).u8(88).u8(1);
    w.when(v >= 11).u16(8).u16(65);
    w.when(v >= 314).u16(1).u16(2).u8(3);
    w.when(v < 290).u16(fixture.columns).u16(fixture.rows).when(v >= 46).u16(10).u16(10);
    w.when(v >= 290).count(2).u16(0).u16(0).u16(10).u16(0).u16(10).u16(10);
    w.u32(0).when(v >= 33).u32(3);
    w.when(fixture.kind == 9 && v >= 417).boolean(true);
    w.when(fixture.kind == 11 && v >= 202).u32(11);
    w.when(v >= 50).u8(1);
    w.when(v >= 63).u32(0x20000);
    w.u16(fixture.id + 100).boolean(true).u16(static_cast<quint16>(fixture.elementIds.size()));
    for (quint16 id : fixture.elementIds)
        w.u16(id);
    w.when(v >= 20).u16(1).u32(1).u32(2);
    w.when(v >= 27).count(1).u32(7).when(v >= 154).u32(2);
    w.u16(old ? 0x7070 : 0x0116).text("Fixture").u32(100).u32(200).boolean(false).boolean(false).u16(5);
    w.when((v >= 169 && v <= 199) || v >= 212).boolean(true);
    w.when(v >= 60).text("Label").text("Three");
    w.when(v < 21).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
    w.when(v >= 18).u8(1).u8(2).u8(3);
    w.u16(old ? 0x8080 : 0x0117).u16(old ? 0x0C0C : 0x010D);
}

QByteArray buildShow(const ShowContent& content)
{
    ShowWriter w(content.version);
    const quint16 v = content.version;
    w.header(content.magic).when(v >= 107).u8(content.savedBy[0]).u8(content.savedBy[1]).u8(content.savedBy[2]);
    w.when(v >= 300).u16(0xABCD);
    w.when(v >= 306).raw(QByteArray(16, '\x5A'));
    w.when(v >= 124).string("header");
    w.when(v >= 62).u8(0x77);
    w.u16(static_cast<quint16>(content.functions.size()));
    for (const auto& function : content.functions) {
        w.u16(v < 17 ? 0x0101 : 0x0102).u16(function.id).text(function.name).u32(function.mask);
        w.u16(v < 17 ? 0x0202 : 0x0103);
    }
    writeOutputNodes(w);
    w.u16(v < 17 ? 0x5050 : 0x0114);
    (v >= 99 ? writeSettingsCurrent : writeSettingsOld)(w, content);
    w.u16(v < 17 ? 0x6060 : 0x0115);
    writeGroups(w, content);
    w.raw(QByteArray::fromHex("000102030405060708090a0b0c0d0e0f"));
    w.u16(static_cast<quint16>(content.elements.size()));
    for (const auto& element : content.elements)
        writeElement(w, element);
    w.u16(static_cast<quint16>(content.fixtures.size()));
    for (const auto& fixture : content.fixtures)
        writeFixture(w, fixture);
    w.u16(static_cast<quint16>(content.palettes.size()));
    for (const auto& palette : content.palettes)
        writePalette(w, palette);
    writeDali(w, content.daliFixtures);
    writeDynamicText(w);
    for (int section = 0; section < 14; ++section)
        w.u16(section == 2 ? content.triggerCount : 0);
    return w.data;
}

QByteArray buildBundle(const std::vector<std::pair<QByteArray, QByteArray>>& files, const QByteArray& countText)
{
    const QByteArray start = QByteArray::fromHex("102030405060708090a0b0c0d0e0f000");
    const QByteArray end = QByteArray::fromHex("112233445566778899aabbccddeeff00");
    ShowWriter w;
    w.u32(0x0190BC62).u32(1);
    w.raw(countText.isEmpty() ? QByteArray::number(static_cast<int>(files.size())) : countText);
    for (const auto& file : files) {
        w.raw(start).u16(static_cast<quint16>(file.first.size())).raw(file.first);
        w.u32(static_cast<quint32>(file.second.size())).raw(file.second).raw(end);
    }
    return w.data;
}
