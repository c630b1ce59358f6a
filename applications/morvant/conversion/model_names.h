// The model names of version-2 hardware by type and edition: controllers by
// their Controller type (0-6), remote devices by their RDKey type (100-108).
// An edition is the name under which a maker's partner sold the same unit;
// edition 0 is the maker's own name.
//
// Constant data, any thread.
#ifndef APPLICATIONS_MORVANT_CONVERSION_MODEL_NAMES_H
#define APPLICATIONS_MORVANT_CONVERSION_MODEL_NAMES_H

#include <QtGlobal>

constexpr int kModelEditions = 3;

// Null for a type without a row or an edition outside 0-2.
const char* controllerModelName(quint32 type, int edition);
const char* remoteDeviceModelName(quint32 type, int edition);

#endif  // APPLICATIONS_MORVANT_CONVERSION_MODEL_NAMES_H
