#pragma once
// Machine information for the about boxes and the server's host label.
#include "platform/SystemInfo.h"

#include <cstdint>
#include <string>
#include <vector>

// Which program's texts: the server's are English, the client's Japanese.
enum class TTrovProgram { Server, Client };

// The first line of each program's about box: its window caption and the release date.
constexpr const char* kServerAboutHead = "[Selvane Computer Network]ver 1.00 beta 6E (2006-2/14)";
constexpr const char* kClientAboutHead =
    "[Selvane Computer Network Trov Game Client]ver 1.00 beta 6E (2006-2/14)";

// The kind of PC (Shift-JIS text) that a keyboard subtype stands for, in the program's language:
// one text for 0 to 4, one for 0x441, one for 0xD01 to 0xD06, one for anything else.
std::string MachineTypeName(std::uint32_t keyboardSubtype, TTrovProgram program);
// The kind of this PC, from the keyboard subtype that the system reports.
std::string GetMachineTypeName(TTrovProgram program);

// "<host name> [<address>]", or "<host name> [unknown]" when there is no address.
std::string HostText(const std::string& hostName, const std::string& address);
// The address that tells the players where the server is, for a host name that resolved to
// `resolved` (IPv4, in order) on a machine whose interfaces carry `interfaces`: the first
// resolved address that is no loopback address; where the name resolved only to loopback
// addresses, the first address of an interface that is up and running and no loopback one;
// where there is none, the first resolved address. Empty where the name resolved to none.
std::string HostAddress(const std::vector<std::string>& resolved,
                        const std::vector<platform::TInterfaceAddress>& interfaces);
// HostText of the name and its HostAddress among `interfaces`.
std::string LocalHostText(const std::string& hostName,
                          const std::vector<platform::TInterfaceAddress>& interfaces);
// The same for this machine's host name and interfaces.
std::string GetLocalHostText();

// Decimal digits in groups of three separated by ',': 0 -> "0", 1234567 -> "1,234,567".
std::string FormatThousands(std::uint64_t value);

// The about box's text, every line ended by CR LF: the head line, an empty line,
// "Your machine: " with the machine-type text, "Free memory: " with the available and the
// total physical memory ("#,##0" form) joined by " / " and followed by " bytes".
std::string AboutText(const std::string& headLine, const std::string& machineName,
                      const platform::TMemoryStatus& memory);
// The about box's text of the program, for this machine.
std::string GetAboutText(TTrovProgram program);
