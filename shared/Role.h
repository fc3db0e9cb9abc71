#pragma once
// The four roles of the supply chain, always in this order: the code on the wire and in the
// controls' names, the word that texts use, the index of the per-role messages (0 to 3) and
// the game's role number (1 to 4; 0 is no role).
#include <array>
#include <string_view>

struct TRoleName {
    const char* Code;
    const char* Word;
};

inline constexpr int kRoleCount = 4;
inline constexpr std::array<TRoleName, kRoleCount> kRoles = {
    {{"Ft", "Factory"}, {"W1", "Distributor"}, {"W2", "Wholesaler"}, {"Rt", "Retailer"}}};
// The server as a chat target, and the wish of a client that has chosen no role.
inline constexpr const char* kServerCode = "Sv";
inline constexpr const char* kNoRoleCode = "UK";

// The role numbers in order, for loops over the roles.
inline constexpr std::array<int, kRoleCount> kRoleNumbers = {1, 2, 3, 4};

constexpr bool IsRoleNumber(int number) {
    return number >= 1 && number <= kRoleCount;
}
constexpr bool IsRoleIndex(int index) {
    return index >= 0 && index < kRoleCount;
}
constexpr int RoleIndex(int number) {
    return number - 1;
}
constexpr int RoleNumber(int index) {
    return index + 1;
}
// Code and word of a role index (0 to 3).
constexpr const char* RoleCode(int index) {
    return kRoles[static_cast<std::size_t>(index)].Code;
}
constexpr const char* RoleWord(int index) {
    return kRoles[static_cast<std::size_t>(index)].Word;
}
// The index of a role code (exact, letter case included); -1 for anything else.
constexpr int RoleIndexOfCode(std::string_view code) {
    for (int i = 0; i < kRoleCount; ++i)
        if (code == RoleCode(i)) return i;
    return -1;
}
