// Sections of the version-1 show stream whose records this reader cannot read
// yet: such a section is accepted only when it holds no items, and a show that
// has some fails its load with "Unsupported version-1 section: <name>".
//
// Thread safety: stateless; used on the loading thread.
#ifndef QUILSHOW_SHOW_UNSUPPORTED_SECTION_H
#define QUILSHOW_SHOW_UNSUPPORTED_SECTION_H

namespace Quil {

class ShowStreamer;

// Throws std::runtime_error "Unsupported version-1 section: <name>".
[[noreturn]] void throwUnsupportedSection(const char* name);

// Reads a u16 item count that must be 0.
void readEmptySection(ShowStreamer& in, const char* name);

}  // namespace Quil

#endif  // QUILSHOW_SHOW_UNSUPPORTED_SECTION_H
