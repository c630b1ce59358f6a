#include "components/lx_objects/interface/gradient.h"

#include <stdexcept>

void throwGradientHasNoLayout() { throw std::runtime_error("No stream layout is specified for Gradient"); }

InStream& operator>>(InStream&, Gradient&) { throwGradientHasNoLayout(); }

OutStream& operator<<(OutStream&, const Gradient&) { throwGradientHasNoLayout(); }
