// The settings every version-2 project database is created with, and the one
// stream version of everything this program writes into a project. Readers
// test older versions field by field; writers always write this one.
//
// Plain values and a pure function; any thread.
#ifndef LX_OBJECTS_PROJECT_PROJECT_DATABASE_H
#define LX_OBJECTS_PROJECT_PROJECT_DATABASE_H

#include "components/archive/database_settings.h"

#include <QtGlobal>

const quint16 kProjectStreamVersion = 157;

// A folder of binary "tarv" files ("tarvt" for text) with the header file
// ".tarvel_project", written at kProjectStreamVersion. The delays are in ms;
// 0x7FFFFFFF for both turns autosave off.
Archive::DatabaseSettings makeDatabaseSettings(qint32 idleDelay, qint32 maxDelay);

#endif  // LX_OBJECTS_PROJECT_PROJECT_DATABASE_H
