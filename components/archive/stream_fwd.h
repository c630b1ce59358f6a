// What the header of a streamable class needs to declare its read, write and
// private field list without pulling in the streams.
#ifndef ARCHIVE_STREAM_FWD_H
#define ARCHIVE_STREAM_FWD_H

class InStream;
class OutStream;

namespace Archive {
class FieldAccess;
}

#endif  // ARCHIVE_STREAM_FWD_H
