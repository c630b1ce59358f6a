#include "components/quilshow/show/show_settings.h"

#include "components/quilshow/show/show_streamer.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace Quil {

namespace {

void readColour(ShowStreamer& in, ShowColour& colour) { in.readU8(colour.r).readU8(colour.g).readU8(colour.b); }

void readColourList(ShowStreamer& in, std::vector<ShowColour>& list)
{
    quint16 count = 0;
    in.readU16(count);
    in.checkAvailable(count, 3);
    list.clear();
    list.reserve(count);
    for (quint16 i = 0; i < count; ++i) {
        ShowColour colour {0, 0, 0};
        readColour(in, colour);
        list.push_back(colour);
    }
}

// A byte that stores -1 as 255.
qint32 readByteValue(ShowStreamer& in)
{
    quint8 byte = 0;
    in.readU8(byte);
    return byte == 255 ? -1 : byte;
}

void skipBytes(ShowStreamer& in, int count)
{
    quint8 byte = 0;
    for (int i = 0; i < count; ++i)
        in.readU8(byte);
}

// Old shows stored the offset as a float; a NaN or a value beyond the field
// must not reach the integer conversion.
qint16 timeZoneFromFloat(quint32 bits)
{
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    if (std::isnan(value))
        return 0;
    const float low = std::numeric_limits<qint16>::min();
    const float high = std::numeric_limits<qint16>::max();
    return static_cast<qint16>(std::trunc(std::min(std::max(value, low), high)));
}

}  // namespace

ShowSettings::ShowSettings() : daylightSaving {{0, 1, 0, 0, 1, 0}} { reset(); }

void ShowSettings::reset()
{
    text1.clear();
    text2.clear();
    text3.clear();
    latitude = {{0, 0, 0, 0}};
    longitude = {{0, 0, 0, 0}};
    timeZoneOffset = 0;
    controllerId = 0xFFFFFFFF;
    backgroundImagePath.clear();
    storedBackgroundImagePath.clear();
    planWidth = 800;
    planHeight = 600;
    settingsValue = 20;
    gridVisible = false;
    gridSpacing = 24;
    settingsFlag = false;
    backgroundColour = {0xFF, 0xFF, 0xFF};
    colour2 = {0xFF, 0x00, 0x00};
    colour3 = {0x00, 0x00, 0xFF};
}

void ShowSettings::stream(ShowStreamer& in, const std::string& showFolder)
{
    in.expectMarker(in.marker(0x0114, 0x5050));
    if (in.version >= 99)
        streamCurrent(in);
    else
        streamOld(in);
    storedBackgroundImagePath = backgroundImagePath;
    if (!backgroundImagePath.empty() && backgroundImagePath[0] == '.')
        backgroundImagePath =
            showFolder + "/" + (backgroundImagePath.size() > 2 ? backgroundImagePath.substr(2) : std::string());
    in.expectMarker(in.marker(0x0115, 0x6060));
}

void ShowSettings::streamCurrent(ShowStreamer& in)
{
    const quint16 v = in.version;
    in.readText(text1).readText(text2).readText(text3);
    in.readU8(latitude[0]).readU8(latitude[1]).readU8(latitude[3]);
    in.readU8(longitude[0]).readU8(longitude[1]).readU8(longitude[3]);
    quint16 offset = 0;
    in.readU16(offset);
    timeZoneOffset = static_cast<qint16>(offset);
    for (quint8& byte : daylightSaving)
        in.readU8(byte);
    in.readU32(controllerId).readBytes(dataBytes).readString(backgroundImagePath);
    in.readU32(planWidth).readU32(planHeight);
    readColour(in, backgroundColour);
    if (v >= 168 && !(v >= 200 && v <= 211)) {
        quint32 value = 0;
        in.readU32(value);
        settingsValue = static_cast<qint32>(value);
    } else {
        settingsValue = readByteValue(in);
    }
    in.readBool(gridVisible).readU16(gridSpacing).readBool(settingsFlag);
    readColour(in, colour2);
    readColour(in, colour3);
    if (v < 357)
        skipBytes(in, 1);
    readColourList(in, colourList);
    in.readString(webInterfaceText).readU32PairMapVector(idMaps);
    if ((v >= 157 && v <= 199) || v >= 208)
        in.readU32Vector(idList);
}

void ShowSettings::streamOld(ShowStreamer& in)
{
    const quint16 v = in.version;
    in.readText(text1).readText(text2);
    if (v >= 4) {
        for (Angle* angle : {&latitude, &longitude}) {
            quint8 discarded = 0;
            in.readU8((*angle)[0]).readU8((*angle)[1]).readU8(discarded).readU8((*angle)[3]);
            (*angle)[2] = 0;
        }
    }
    if (v >= 15) {
        quint32 raw = 0;
        if (v >= 24) {
            quint16 offset = 0;
            in.readU16(offset);
            raw = offset;
        } else {
            in.readU32(raw);
        }
        if (v >= 48)
            timeZoneOffset = static_cast<qint16>(raw);
        else if (v >= 24)
            timeZoneOffset = static_cast<qint16>(raw * 4);
        else
            timeZoneOffset = timeZoneFromFloat(raw);
    }
    in.readString(backgroundImagePath).readU32(planWidth).readU32(planHeight);
    readColour(in, backgroundColour);
    settingsValue = readByteValue(in);
    in.readBool(gridVisible).readU16(gridSpacing).readBool(settingsFlag);
    if (v < 46)
        settingsValue = 20;
    if (v >= 59) {
        readColour(in, colour2);
        readColour(in, colour3);
    }
    if (v < 21) {
        std::string discarded;
        in.readString(discarded);
        skipBytes(in, 8);
    }
    in.readText(text3);
    if (v < 21) {
        quint32 discarded = 0;
        for (int i = 0; i < 4; ++i)
            in.readU32(discarded);
    }
    skipBytes(in, 1);
    if (v >= 7)
        in.readU32(controllerId);
    if (v >= 9)
        readColourList(in, colourList);
    if (v >= 69)
        in.readString(webInterfaceText).readBytes(dataBytes);
    if (v >= 78)
        in.readU32PairMapVector(idMaps);
    if (v >= 85) {
        for (quint8& byte : daylightSaving)
            in.readU8(byte);
    }
}

}  // namespace Quil
