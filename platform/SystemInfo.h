#pragma once
// Facts about this machine for the about boxes and the server's host label.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The keyboard as the about box classifies it: GetKeyboardType(0) is the keyboard type,
// GetKeyboardType(1) its subtype; any other argument gives 0.
//
// An x86 machine is a PC/AT compatible with an enhanced 101/102-key keyboard: type 4,
// subtype 0. Other architectures (ARM, RISC-V and the rest) are no PC/AT compatibles even
// when the keyboard is the same: they report type 4 and kKeyboardSubtypeUnknown, which no
// known machine family uses, so the machine shows as not identified.
constexpr std::uint32_t kKeyboardSubtypeUnknown = 0xFFFFFFFFu;
std::uint32_t GetKeyboardType(int typeFlag);

// Physical memory in bytes: what can be had without swapping (the kernel's estimate, which
// counts reclaimable caches) and the total. Zero for what cannot be determined.
struct TMemoryStatus {
    std::uint64_t AvailPhys = 0;
    std::uint64_t TotalPhys = 0;
};
TMemoryStatus GetMemoryStatus();

// The local host name, empty when the system gives none.
std::string GetLocalHostName();
// The IPv4 addresses of the host in dotted-decimal form, in the resolver's order; none when the
// name does not resolve to one (or is empty).
std::vector<std::string> GetIPv4Addresses(const std::string& hostName);

// An IPv4 address (dotted decimal) of one of this machine's network interfaces; Up: the
// interface is up and running (a cable or link is there).
struct TInterfaceAddress {
    std::string Address;
    bool Up = false;
};
// The IPv4 addresses of this machine's interfaces, in the system's order; none when the system
// does not tell them.
std::vector<TInterfaceAddress> GetInterfaceIPv4Addresses();

} // namespace platform
