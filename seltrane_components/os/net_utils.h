// Text forms of network addresses.
//
// Thread safety: pure functions, callable from any thread.
#ifndef SELTRANE_COMPONENTS_OS_NET_UTILS_H
#define SELTRANE_COMPONENTS_OS_NET_UTILS_H

#include <cstdint>
#include <string>

// Dotted form of an IPv4 address held most significant byte first
// (0xC0A80001 -> "192.168.0.1").
std::string ipv4ToString(std::uint32_t address);

#endif  // SELTRANE_COMPONENTS_OS_NET_UTILS_H
