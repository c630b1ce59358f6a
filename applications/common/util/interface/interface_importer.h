// InterfaceImporter brings version-1 touch-panel interface data into a
// version-2 project. So far it writes the interface's fonts: each becomes a
// ".ttf" file in the project's "interfacefonts" folder, registered with the
// resource registry and counted once as an interface font, so that the save
// packs it.
//
// Font names come from the show: a file is named after its font only
// through sanitiseFileName, so no name can place a file outside the folder.
// A font that cannot be written is logged ("Ignoring interface font %1: %2")
// and left out: nothing is registered for it.
//
// GUI thread only, like the resource registry it fills.
#ifndef COMMON_UTIL_INTERFACE_INTERFACE_IMPORTER_H
#define COMMON_UTIL_INTERFACE_INTERFACE_IMPORTER_H

#include <QByteArray>
#include <QString>
#include <QUuid>

#include <vector>

class InterfaceImporter
{
public:
    // A font as the version-1 interface data holds it.
    struct FontData
    {
        QString name;
        quint8 variant = 0;
        QByteArray bytes;
    };

    // A font written into the project, for its InterfaceFont object.
    struct WrittenFont
    {
        QString name;
        quint8 variant = 0;
        QUuid resource;
        QString fileName;  // within the fonts folder

        bool operator==(const WrittenFont&) const = default;
    };

    // Writes the fonts into <workingFolder>/interfacefonts, each under a name
    // of its own ("name.ttf", "name-2.ttf" when that is taken), and answers
    // those written, in order.
    static std::vector<WrittenFont> readFonts(const QString& workingFolder, const std::vector<FontData>& fonts);
};

#endif  // COMMON_UTIL_INTERFACE_INTERFACE_IMPORTER_H
