#pragma once
// The files each program keeps beside its program file, named after it.
#include <string>

struct TProgramFiles {
    std::string Folder;  // the program file's folder with the trailing '/'; empty when it has none
    std::string Ini;     // settings
    std::string Text;    // help text
    std::string History; // change history
};

// The program file's folder, and the settings, help and change-history files: the program file
// with its extension (the part after the last '.' of its file name, if any) replaced by ".ini",
// ".txt" and ".his".
TProgramFiles ProgramFilesOf(const std::string& programFile);
