#include "seltrane_components/brantle_core/sortvector.h"

#include "seltrane_components/os/report_error.h"

sortvector_el::~sortvector_el() = default;

bool sortvector_el::lessThan(const sortvector_el& other) const { return m_id < other.m_id; }

sortvector_el* sortvector_el::clone() const { return new sortvector_el(*this); }

void sortvectorMissingElement(int line)
{
    reportFatalError("Assert: 'vector[id] != nullptr' is FALSE", line, "seltrane_components\\brantle_core/sortvector");
}
