#include "shared/Sub.h"

namespace {

// Per machine kind: the server's text, the client's text (Shift-JIS).
struct TMachineTexts {
    const char* server;
    const char* client;
};

// "PC/AT互換機"
constexpr TMachineTexts kPcAt{"PC/AT Compatible", "PC/AT\x8c\xdd\x8a\xb7\x8b\x40"};
constexpr TMachineTexts kEpsonNote{"EPSON Note", "EPSON Note"};
// "PC-9800 Series♪最高"
constexpr TMachineTexts kPc98{"PC-9800 Series, Wonderful!",
                              "PC-9800 Series\x81\xf4\x8d\xc5\x8d\x82"};
// "判別不可PC"
constexpr TMachineTexts kUnknown{"Unresolvable PC", "\x94\xbb\x95\xca\x95\x73\x89\xc2PC"};

} // namespace

std::string MachineTypeName(std::uint32_t keyboardSubtype, TTrovProgram program) {
    const TMachineTexts* texts = &kUnknown;
    if (keyboardSubtype <= 4)
        texts = &kPcAt;
    else if (keyboardSubtype == 0x441)
        texts = &kEpsonNote;
    else if (keyboardSubtype >= 0xD01 && keyboardSubtype <= 0xD06)
        texts = &kPc98;
    return program == TTrovProgram::Server ? texts->server : texts->client;
}

std::string GetMachineTypeName(TTrovProgram program) {
    return MachineTypeName(platform::GetKeyboardType(1), program);
}

std::string HostText(const std::string& hostName, const std::string& address) {
    return hostName + " [" + (address.empty() ? std::string("unknown") : address) + "]";
}

std::string HostAddress(const std::vector<std::string>& resolved,
                        const std::vector<platform::TInterfaceAddress>& interfaces) {
    // 127.0.0.0/8 reaches no other machine (a host name often resolves to 127.0.1.1).
    auto loopback = [](const std::string& address) { return address.rfind("127.", 0) == 0; };
    if (resolved.empty()) return {};
    for (const std::string& address : resolved)
        if (!loopback(address)) return address;
    for (const platform::TInterfaceAddress& own : interfaces)
        if (own.Up && !loopback(own.Address)) return own.Address;
    return resolved.front();
}

std::string LocalHostText(const std::string& hostName,
                          const std::vector<platform::TInterfaceAddress>& interfaces) {
    return HostText(hostName, HostAddress(platform::GetIPv4Addresses(hostName), interfaces));
}

std::string GetLocalHostText() {
    return LocalHostText(platform::GetLocalHostName(), platform::GetInterfaceIPv4Addresses());
}

std::string FormatThousands(std::uint64_t value) {
    std::string digits = std::to_string(value);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

std::string AboutText(const std::string& headLine, const std::string& machineName,
                      const platform::TMemoryStatus& memory) {
    return headLine + "\r\n" + "\r\n" + "Your machine: " + machineName + "\r\n" +
           "Free memory: " + FormatThousands(memory.AvailPhys) + " / " +
           FormatThousands(memory.TotalPhys) + " bytes\r\n";
}

std::string GetAboutText(TTrovProgram program) {
    const char* head = program == TTrovProgram::Server ? kServerAboutHead : kClientAboutHead;
    return AboutText(head, GetMachineTypeName(program), platform::GetMemoryStatus());
}
