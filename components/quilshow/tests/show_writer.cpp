#include "show_writer.h"

#include <QFile>

#include <cstring>

ShowWriter& ShowWriter::text(const QString& value)
{
    if (version >= 10)
        return string(value.toUtf8());
    count(static_cast<quint32>(value.size()));
    for (QChar c : value)
        u16(c.unicode());
    return *this;
}

bool ShowWriter::save(const QString& path) const
{
    return writeFile(path, data);
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

namespace {

void colour(ShowWriter& w, quint8 r, quint8 g, quint8 b)
{
    w.u8(r).u8(g).u8(b);
}

void colourList(ShowWriter& w, bool filled)
{
    if (!filled) {
        w.u16(0);
        return;
    }
    w.u16(2);
    colour(w, 7, 8, 9);
    colour(w, 10, 11, 12);
}

void idMaps(ShowWriter& w, bool filled)
{
    if (!filled) {
        w.count(0);
        return;
    }
    w.count(1).count(1).u32(5).u32(6).u32(7);
}

void daylight(ShowWriter& w, bool filled)
{
    const quint8 values[2][6] = {{0, 1, 0, 0, 1, 0}, {1, 3, 0, 0, 10, 0}};
    for (quint8 byte : values[filled ? 1 : 0])
        w.u8(byte);
}

void writeSettingsCurrent(ShowWriter& w, bool f, const QByteArray& image)
{
    const quint16 v = w.version;
    w.text(f ? "Project" : "").text(f ? "Client" : "").text(f ? "Notes" : "");
    w.u8(f ? 51 : 0).u8(f ? 30 : 0).u8(f ? 1 : 0).u8(0).u8(f ? 7 : 0).u8(0);
    w.u16(f ? static_cast<quint16>(-20) : 0);
    daylight(w, f);
    w.u32(f ? 7 : 0xFFFFFFFF);
    w.string(f ? QByteArray("\x01\x02\x03") : QByteArray());
    w.string(f ? image : "");
    w.u32(f ? 1024 : 800).u32(f ? 768 : 600);
    colour(w, f ? 10 : 255, f ? 20 : 255, f ? 30 : 255);
    if (v >= 168 && !(v >= 200 && v <= 211))
        w.u32(f ? 55 : 20);
    else
        w.u8(f ? 255 : 20);
    w.boolean(f).u16(f ? 16 : 24).boolean(f);
    colour(w, f ? 1 : 255, f ? 2 : 0, f ? 3 : 0);
    colour(w, f ? 4 : 0, f ? 5 : 0, f ? 6 : 255);
    if (v < 357)
        w.u8(0xEE);
    colourList(w, f);
    w.string(f ? "web" : "");
    idMaps(w, f);
    if ((v >= 157 && v <= 199) || v >= 208) {
        if (f)
            w.count(2).u32(9).u32(10);
        else
            w.count(0);
    }
}

void writeSettingsOld(ShowWriter& w, bool f, const QByteArray& image)
{
    const quint16 v = w.version;
    w.text(f ? "Project" : "").text(f ? "Client" : "");
    if (v >= 4)
        w.u8(f ? 51 : 0).u8(f ? 30 : 0).u8(99).u8(f ? 1 : 0).u8(0).u8(f ? 7 : 0).u8(99).u8(0);
    if (v >= 48) {
        w.u16(f ? static_cast<quint16>(-20) : 0);
    } else if (v >= 24) {
        w.u16(f ? static_cast<quint16>(-5) : 0);
    } else if (v >= 15) {
        const float value = f ? -20.5f : 0.0f;
        quint32 bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        w.u32(bits);
    }
    w.string(f ? image : "").u32(f ? 1024 : 800).u32(f ? 768 : 600);
    colour(w, f ? 10 : 255, f ? 20 : 255, f ? 30 : 255);
    w.u8(f ? 255 : 20).boolean(f).u16(f ? 16 : 24).boolean(f);
    if (v >= 59) {
        colour(w, f ? 1 : 255, f ? 2 : 0, f ? 3 : 0);
        colour(w, f ? 4 : 0, f ? 5 : 0, f ? 6 : 255);
    }
    if (v < 21)
        w.string("gone").u32(0).u32(0);
    w.text(f ? "Notes" : "");
    if (v < 21)
        w.u32(1).u32(2).u32(3).u32(4);
    w.u8(0xEE);
    if (v >= 7)
        w.u32(f ? 7 : 0xFFFFFFFF);
    if (v >= 9)
        colourList(w, f);
    if (v >= 69)
        w.string(f ? "web" : "").string(f ? QByteArray("\x01\x02\x03") : QByteArray());
    if (v >= 78)
        idMaps(w, f);
    if (v >= 85)
        daylight(w, f);
}

void writeOutputNodes(ShowWriter& w, bool filled)
{
    const quint16 v = w.version;
    w.u16(filled ? 1 : 0);
    if (filled) {
        if (v >= 150)
            w.u16(0x0132);
        w.u16(3);
        if (v >= 427)
            w.boolean(true).count(2).u32(1).u32(2);
        if (v >= 288)
            w.count(2).u32(5).u32(6).u32(7).u32(8);
        if (v >= 305)
            w.count(1).u32(4).u32(9);
        if (v >= 154) {
            w.u16(1).u16(0).u32(2).u32(0x0A000001);
            if ((v >= 171 && v <= 199) || v >= 218)
                w.u32(12).text("PSU").text("x");
        }
        if (v >= 394)
            w.u16(1).u16(1).u16(5).u8(2);
        if (v >= 150)
            w.u16(0x0133);
    }
    if (v >= 384) {
        if (filled)
            w.u16(1).u32(3).u32(4);
        else
            w.u16(0);
    }
    if (v >= 394) {
        if (filled)
            w.count(1).u16(5).u8(2).u32(77);
        else
            w.count(0);
    }
}

void writeGroups(ShowWriter& w, const ShowContent& content)
{
    const quint16 v = w.version;
    if (!(v < 164 || (v >= 200 && v <= 210)))
        return;
    const bool full = (v >= 158 && v <= 199) || v >= 208;
    w.count(static_cast<quint32>(content.groups.size()));
    for (const auto& group : content.groups) {
        w.u32(group.first).count(static_cast<quint32>(group.second.first.size()));
        for (quint16 member : group.second.first)
            w.u16(member);
        if (full)
            w.text(group.second.second);
    }
}

void writeDali(ShowWriter& w, bool filled)
{
    const quint16 v = w.version;
    if (v < 47)
        return;
    w.u16(0).u16(0);
    if (v >= 116)
        w.u16(0);
    if (v >= 417) {
        if (filled) {
            w.boolean(true).boolean(false);
            w.u8(3).u8(0x11).u8(0x22).u8(2).u16(0x0FFF).u8(1).u8(3).u8(4);
            w.u8(0).u8(0x33).u8(0x44).u16(300);
        } else {
            w.boolean(false).boolean(false);
            for (int i = 0; i < 2; ++i)
                w.u8(2).u8(0).u8(0).u8(1).u8(0).u8(1).u8(0);
        }
    }
}

}  // namespace

void writeSettings(ShowWriter& w, bool filled, const QByteArray& backgroundImagePath)
{
    w.u16(w.version < 17 ? 0x5050 : 0x0114);
    if (w.version >= 99)
        writeSettingsCurrent(w, filled, backgroundImagePath);
    else
        writeSettingsOld(w, filled, backgroundImagePath);
    w.u16(w.version < 17 ? 0x6060 : 0x0115);
}

void writeDynamicText(ShowWriter& w, bool filled)
{
    const quint16 v = w.version;
    if (v < 219)
        return;
    w.u16(filled ? 1 : 0);
    if (filled) {
        if (v >= 213)
            w.u16(0x013C);
        w.u16(2).text("Arial").text("Bold").u32(24).u8(1).u8(0);
        if (v >= 241)
            w.u8(0);
        if (v >= 214)
            w.u32(7);
        if (v >= 213)
            w.u16(0x013D);
    }
    if (v >= 222) {
        w.u16(filled ? 1 : 0);
        if (filled)
            w.u16(0x0144).u16(1).text("time").text("12:00").u16(0x0145);
    }
    w.u16(filled ? 1 : 0);
    if (filled) {
        w.u16(0x0142).u16(5);
        w.u32(2).u16(1).u32(100).u16(2).u32(200);
        w.count(1).text("Hello");
        w.count(2).u32(3).u32(4);
        w.u32(2).u16(0).u8(9).u16(2);
        if (v >= 231)
            w.u16(1);
        w.u8(0).u8(8);
        if (v >= 393)
            w.u32(1234);
        if (v < 240)
            w.u8(0xEE);
        if (v >= 223)
            w.u16(3);
        if (v >= 224)
            w.u16(6);
        if ((v >= 245 && v <= 279) || v >= 282)
            w.u16(2).u16(77);
        w.u16(40);
        if (v >= 226)
            w.u16(50);
        w.u16(0x0143);
    }
    if (v >= 221) {
        if (filled)
            w.count(1).u32(2).count(1).u32(5);
        else
            w.count(0);
    }
    if (v >= 222) {
        if (filled)
            w.count(1).u32(9).count(1).u32(5);
        else
            w.count(0);
    }
    if (v >= 362)
        w.string(filled ? "ab%Xcd%X" : "%X").string("%x");
}

QByteArray buildShow(const ShowContent& content)
{
    ShowWriter w(content.version);
    const quint16 v = content.version;
    w.header(content.magic);
    if (v >= 107)
        w.u8(content.savedBy[0]).u8(content.savedBy[1]).u8(content.savedBy[2]);
    if (v >= 300)
        w.u16(0xABCD);
    if (v >= 306)
        w.raw(QByteArray(16, '\x5A'));
    if (v >= 124)
        w.string(content.headerText);
    if (v >= 62)
        w.u8(0x77);

    w.u16(static_cast<quint16>(content.functions.size()));
    for (const auto& function : content.functions) {
        w.u16(v < 17 ? 0x0101 : 0x0102).u16(function.id).text(function.name).u32(function.mask);
        w.u16(v < 17 ? 0x0202 : 0x0103);
    }
    writeOutputNodes(w, content.outputNode);
    writeSettings(w, content.settingsFilled, content.backgroundImagePath);
    writeGroups(w, content);
    for (int i = 0; i < 16; ++i)
        w.u8(static_cast<quint8>(i));
    w.u16(0).u16(0).u16(0);  // fixture elements, fixtures, palettes
    writeDali(w, content.daliSchedules);
    writeDynamicText(w, content.dynamicText);
    for (int section = 0; section < 14; ++section)
        w.u16(section == 2 ? content.triggerCount : 0);
    return w.data;
}

QByteArray buildBundle(const std::vector<std::pair<QByteArray, QByteArray>>& files,
                       const QByteArray& countText)
{
    static const char start[] = "\x10\x20\x30\x40\x50\x60\x70\x80\x90\xA0\xB0\xC0\xD0\xE0\xF0";
    static const char end[] = "\x11\x22\x33\x44\x55\x66\x77\x88\x99\xAA\xBB\xCC\xDD\xEE\xFF";
    ShowWriter w;
    w.u32(0x0190BC62).u32(1);
    w.raw(countText.isEmpty() ? QByteArray::number(static_cast<int>(files.size())) : countText);
    for (const auto& file : files) {
        w.raw(QByteArray(start, 16));
        w.u16(static_cast<quint16>(file.first.size())).raw(file.first);
        w.u32(static_cast<quint32>(file.second.size())).raw(file.second);
        w.raw(QByteArray(end, 16));
    }
    return w.data;
}
