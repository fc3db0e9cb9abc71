#pragma once
// Line and blank handling of the 8-bit texts, as both programs split and trim them.
#include <string>
#include <string_view>
#include <vector>

// Splits at CR, LF and CR LF. A last line without a break counts; a break at the very end
// adds no empty line; two breaks in a row give an empty line; a NUL byte ends the text.
std::vector<std::string> SplitLines(std::string_view text);

// The lines joined, each followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

// Removes leading and trailing bytes of code 32 or below (blanks and control characters).
std::string Trim(std::string_view text);
