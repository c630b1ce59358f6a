// Fixture templates: the 24 numbered properties from which the template
// builder makes a fixture model, and their XML file,
// <fixturetemplate version="1"><property id="N">text</property>...
// docs/fixture_library_formats.md gives the ids and the texts they take.
// Templates are "*.xml" files in "<AppDataLocation>/templates".
//
// FixtureTemplateParser reads and writes such a file and checks each value
// against the property table. No state; any thread.
#ifndef FIXTURE_LIBRARY_FIXTURE_TEMPLATE_PARSER_H
#define FIXTURE_LIBRARY_FIXTURE_TEMPLATE_PARSER_H

#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>

class QIODevice;

namespace FixtureTemplate {

enum Property : int {
    kName = 0,
    kModelId = 1,
    kManufacturer = 2,
    kMode = 3,
    kClass = 4,
    kShape = 5,
    kColumns = 6,
    kRows = 7,
    kElementWidth = 8,
    kElementHeight = 9,
    kDimmerCurve = 10,
    kFirstFunction = 11,  // one flag per offered function, to kLastFunction
    kLastFunction = 20,
    kSixteenBit = 21,
    kWhiteMode = 22,
    kUuid = 23,
    kPropertyCount = 24
};

// The standard function id that flag property id offers.
quint32 functionOf(int propertyId);

// By property id: the name for a QString (one line without control
// characters), an int for a number or a name of a table (class, shape,
// dimmer curve, white mode 0 balanced, 1 subtractive, 2 additive), a bool
// for a flag, a QUuid for the uuid.
using Values = std::array<QVariant, kPropertyCount>;

}  // namespace FixtureTemplate

class FixtureTemplateParser
{
public:
    static FixtureTemplate::Values defaults();
    // value as property id holds it, or an invalid QVariant when it does not
    // fit the property.
    static QVariant checked(int propertyId, const QVariant& value);

    // Reads a template (the device is opened for reading when it is not
    // open); properties it leaves out keep their defaults. False, with
    // "Line N: ..." in error, when the file is not a version-1 template or a
    // property is unknown, repeated or out of range.
    static bool read(QIODevice& device, FixtureTemplate::Values& values, QString& error);
    // Writes every property into the open device; false when it refused.
    static bool write(QIODevice& device, const FixtureTemplate::Values& values);

    // "<AppDataLocation>/templates"; empty without an application data folder.
    static QString templateFolder();
    // The templates there, by file name.
    static QStringList templateFiles();
};

#endif  // FIXTURE_LIBRARY_FIXTURE_TEMPLATE_PARSER_H
