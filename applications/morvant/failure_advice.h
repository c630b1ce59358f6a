// Plain words for the user after a failed load or save, or a conversion
// that lacked fixture types: what happened and what to do. Each text is one
// line that the caller logs right after the system's own message, which it
// keeps.
//
// The load advice looks at the file itself (whether it exists, is a folder,
// is empty or readable, and what its first bytes are) when the reader could
// only say that it did not open it. Nothing here owns state.
//
// Thread safety: any thread.
#ifndef APPLICATIONS_MORVANT_FAILURE_ADVICE_H
#define APPLICATIONS_MORVANT_FAILURE_ADVICE_H

#include "components/quilshow/show/show_base.h"

#include <QString>

class OnlineFixtureLibrary;

// After the show at showPath failed to load with result; inputPath is the
// file the user chose (the bundle or archive when the show came out of one).
QString loadFailureAdvice(const QString& inputPath, const QString& showPath, const Quil::ShowLoadResult& result);

// After an archive (tar or zip) failed to expand.
QString archiveFailureAdvice(const QString& inputPath);

// After an archive or bundle that expanded held no show file.
QString noShowFileAdvice(const QString& inputPath);

// After the project could not be saved as path, for the system's reason in
// words and its errno (0 when the failure was not the file's own): a full
// disk, a folder that may not be written, one that is gone.
QString saveFailureAdvice(const QString& path, const QString& reason, int error);

// After the converter could not write into its working folders below
// dataFolder, for want of room or permission: during a conversion (then the
// failure's message is already logged), or during a save, when the working
// folder could not take the project for reason, or is gone (a null reason),
// and the file chosen is untouched. Never asks for the failure to be
// reported.
QString workingFolderAdvice(const QString& dataFolder);
QString workingFolderSaveAdvice(const QString& dataFolder, const QString& folder, const QString& reason);

// After a conversion that met fixture types in no library, once online has
// been asked for them: put their definitions into the fixture library's
// folders, or, by what online did, turn it on by setting its address (under
// setting), check the network and its server (with the server's answer or
// the network's error), or know that it does not hold them either.
QString missingTypesAdvice(const OnlineFixtureLibrary& online, const QString& setting);

#endif  // APPLICATIONS_MORVANT_FAILURE_ADVICE_H
