#include "components/lx_objects/interface/gradient.h"

#include <stdexcept>

namespace {

[[noreturn]] void noLayout() { throw std::runtime_error("No stream layout is specified for Gradient"); }

}  // namespace

InStream& operator>>(InStream&, Gradient&) { noLayout(); }

OutStream& operator<<(OutStream&, const Gradient&) { noLayout(); }
