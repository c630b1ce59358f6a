// Fixture definition files ("*.fixture"): keyword lines that describe
// fixture models, read by parseFixtureFile and written by writeFixtureFile.
// docs/fixture_library_formats.md gives the grammar; the keywords and name
// tables are FixtureVocabulary's.
//
// The parser checks each parameter, element and fixture block as it closes
// (their validate()), reports every problem to the message handler as
// "<fileName>: Line N: <text>" and leaves out a block with any problem; the
// next block still loads. A file whose version or fixture count is wrong,
// or that is larger than 16 MiB, gives no models at all.
//
// The writer writes what the parser reads back equal; a written value never
// holds a line break (each becomes a blank).
//
// No state; any thread.
#ifndef FIXTURE_LIBRARY_FIXTURE_FILE_H
#define FIXTURE_LIBRARY_FIXTURE_FILE_H

#include "components/fixture_library/fixture_library_types.h"

#include <QString>

#include <vector>

class MessageHandler;
class QIODevice;

// The valid models of the file, in file order. The device is opened for
// reading when it is not open.
std::vector<FixtureLibraryTypes::FixtureDefinition> parseFixtureFile(QIODevice& device, const QString& fileName,
                                                                     MessageHandler& messages);

// Writes the definitions as one file (CRLF line ends) into the open device;
// false when the device refused a write.
bool writeFixtureFile(QIODevice& device, const std::vector<FixtureLibraryTypes::FixtureDefinition>& definitions);

#endif  // FIXTURE_LIBRARY_FIXTURE_FILE_H
