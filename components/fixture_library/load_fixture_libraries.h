// The program's start-up load of the fixture library and the KiNET
// power-supply list: the system library "<application dir>/fixtures", the
// user library "<AppDataLocation>/fixtures" and the downloads
// "<AppDataLocation>/downloads". Each problem found is logged at kLogWarning,
// one line each, followed by one kLogInfo line saying what to do; the
// program shows the first in its error pane, the last in its report pane.
//
// GUI thread only.
#ifndef FIXTURE_LIBRARY_LOAD_FIXTURE_LIBRARIES_H
#define FIXTURE_LIBRARY_LOAD_FIXTURE_LIBRARIES_H

void loadFixtureLibraries();

#endif  // FIXTURE_LIBRARY_LOAD_FIXTURE_LIBRARIES_H
