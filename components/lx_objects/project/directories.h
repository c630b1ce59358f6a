// The two numbered directories of a project: trigger numbers for the triggers
// of array 16 and DALI scene numbers for the DALI scenes of array 13. A
// converted project keeps them as objects 7 and 8 of array 0.
//
// Ownership and threads: as for every archive object (archive_directory.h).
#ifndef LX_OBJECTS_PROJECT_DIRECTORIES_H
#define LX_OBJECTS_PROJECT_DIRECTORIES_H

#include "components/archive/archive_directory.h"

class Trigger;
class DaliScene;

template <>
struct DirectoryTypeCode<Trigger>
{
    static constexpr quint32 value = 170;
};

template <>
struct DirectoryTypeCode<DaliScene>
{
    static constexpr quint32 value = 201;
};

typedef ArchiveDirectory<Trigger, 16> TriggerDirectory;
typedef ArchiveDirectory<DaliScene, 13> DaliSceneDirectory;

#endif  // LX_OBJECTS_PROJECT_DIRECTORIES_H
