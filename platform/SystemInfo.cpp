#include "platform/SystemInfo.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <sys/socket.h>
#include <sys/sysinfo.h>
#include <unistd.h>

namespace platform {

std::uint32_t GetKeyboardType(int typeFlag) {
    switch (typeFlag) {
    case 0:
        return 4;
#if defined(__i386__) || defined(__x86_64__)
    case 1:
        return 0;
#else
    case 1:
        return kKeyboardSubtypeUnknown;
#endif
    default:
        return 0;
    }
}

TMemoryStatus GetMemoryStatus() {
    TMemoryStatus status;
    if (std::FILE* f = std::fopen("/proc/meminfo", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f)) {
            unsigned long long kib = 0;
            if (std::sscanf(line, "MemTotal: %llu kB", &kib) == 1) status.TotalPhys = kib * 1024;
            if (std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1)
                status.AvailPhys = kib * 1024;
        }
        std::fclose(f);
    }
    if (status.TotalPhys == 0 || status.AvailPhys == 0) {
        // Without /proc (or on kernels without the estimate) the free memory is the best guess.
        struct sysinfo info {};
        if (sysinfo(&info) == 0) {
            if (status.TotalPhys == 0)
                status.TotalPhys = std::uint64_t(info.totalram) * info.mem_unit;
            if (status.AvailPhys == 0)
                status.AvailPhys = (std::uint64_t(info.freeram) + info.bufferram) * info.mem_unit;
        }
    }
    return status;
}

std::string GetLocalHostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return std::string(name, strnlen(name, sizeof name));
}

namespace {

std::string DottedDecimal(const sockaddr* address) {
    char buffer[INET_ADDRSTRLEN] = {};
    const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(address);
    if (!inet_ntop(AF_INET, &ipv4->sin_addr, buffer, sizeof buffer)) return {};
    return buffer;
}

} // namespace

std::vector<std::string> GetIPv4Addresses(const std::string& hostName) {
    std::vector<std::string> addresses;
    if (hostName.empty()) return addresses;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (getaddrinfo(hostName.c_str(), nullptr, &hints, &result) != 0) return addresses;
    for (addrinfo* entry = result; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET || entry->ai_addr == nullptr) continue;
        std::string text = DottedDecimal(entry->ai_addr);
        if (!text.empty()) addresses.push_back(std::move(text));
    }
    freeaddrinfo(result);
    return addresses;
}

std::vector<TInterfaceAddress> GetInterfaceIPv4Addresses() {
    std::vector<TInterfaceAddress> addresses;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return addresses;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        std::string text = DottedDecimal(entry->ifa_addr);
        if (text.empty()) continue;
        const bool up = (entry->ifa_flags & IFF_UP) && (entry->ifa_flags & IFF_RUNNING);
        addresses.push_back({std::move(text), up});
    }
    freeifaddrs(list);
    return addresses;
}

} // namespace platform
