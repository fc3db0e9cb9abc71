#pragma once
// Machine information for the about boxes and the server's host label.
#include "platform/SystemInfo.h"

#include <cstdint>
#include <string>

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
// HostText of the name and its first IPv4 address.
std::string LocalHostText(const std::string& hostName);
// The same for this machine's host name.
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
