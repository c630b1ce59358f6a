// The program's identity: the names under which its settings are kept, the
// key of its single-instance lock and the version it writes into the
// projects it creates.
//
// Constants only; any thread.
#ifndef APPLICATIONS_MORVANT_APP_IDENTITY_H
#define APPLICATIONS_MORVANT_APP_IDENTITY_H

#include "seltrane_components/os/version.h"

#include <QtGlobal>

namespace AppIdentity {

// QSettings live under these names (through the versioned settings).
constexpr char kOrganisationName[] = "Morvant";
constexpr char kApplicationName[] = "Show Converter";

// The single-instance lock is named by the key followed by the GUID, so no
// other program can collide with it by accident.
constexpr char kProgramKey[] = "MorvantShowConverter";
constexpr char kInstanceGuid[] = "{5d0c7f3a-8e41-4b6f-9a52-1c3e7b9d2f60}";

// The version stored in every converted project; the versioned settings use
// the same one.
inline Version programVersion() { return Version(2, 5, 3); }

}  // namespace AppIdentity

#endif  // APPLICATIONS_MORVANT_APP_IDENTITY_H
