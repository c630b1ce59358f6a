#include "components/quilshow/show/unsupported_section.h"

#include "components/quilshow/show/show_streamer.h"

#include <stdexcept>
#include <string>

namespace Quil {

void throwUnsupportedSection(const char* name)
{
    throw std::runtime_error(std::string("Unsupported version-1 section: ") + name);
}

void readEmptySection(ShowStreamer& in, const char* name)
{
    quint16 count = 0;
    in.readU16(count);
    if (count != 0)
        throwUnsupportedSection(name);
}

}  // namespace Quil
