// ShowSettings: the show-wide settings record of a version-1 show (project
// texts, location, time zone, plan size and background, colours, the web
// interface text and a few opaque values kept for the converter).
//
// Held by value by Quil::ShowBase; read once per load as one section of the
// show stream. Thread safety: a plain value; GUI thread like the show.
#ifndef QUILSHOW_SHOW_SHOW_SETTINGS_H
#define QUILSHOW_SHOW_SHOW_SETTINGS_H

#include <QtGlobal>

#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Quil {

class ShowStreamer;

struct ShowColour
{
    quint8 r;
    quint8 g;
    quint8 b;
    bool operator==(const ShowColour&) const = default;
};

class ShowSettings
{
public:
    // Degrees, minutes, seconds, direction.
    typedef std::array<quint8, 4> Angle;

    ShowSettings();

    // The defaults of the scalar fields; daylightSaving, dataBytes,
    // colourList, webInterfaceText, idMaps and idList are left as they are.
    void reset();

    // Reads the settings section (both stream forms). A background image path
    // that starts with "." is resolved against `showFolder`.
    void stream(ShowStreamer& in, const std::string& showFolder);
    bool operator==(const ShowSettings&) const = default;

    std::string text1;
    std::string text2;
    std::string text3;
    Angle latitude;
    Angle longitude;
    // Quarter hours.
    qint16 timeZoneOffset;
    std::array<quint8, 6> daylightSaving;
    quint32 controllerId;
    std::vector<quint8> dataBytes;
    // Resolved as stream() says; storedBackgroundImagePath keeps it as the
    // show stores it, for whoever must look for it by other rules or name it.
    std::string backgroundImagePath;
    std::string storedBackgroundImagePath;
    quint32 planWidth;
    quint32 planHeight;
    qint32 settingsValue;
    bool gridVisible;
    quint16 gridSpacing;
    bool settingsFlag;
    ShowColour backgroundColour;
    ShowColour colour2;
    ShowColour colour3;
    std::vector<ShowColour> colourList;
    std::string webInterfaceText;
    std::vector<std::map<quint32, std::pair<quint32, quint32>>> idMaps;
    std::vector<quint32> idList;

private:
    void streamCurrent(ShowStreamer& in);
    void streamOld(ShowStreamer& in);
};

}  // namespace Quil

#endif  // QUILSHOW_SHOW_SHOW_SETTINGS_H
