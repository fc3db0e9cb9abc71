#include "shared/ProgramFiles.h"

TProgramFiles ProgramFilesOf(const std::string& programFile) {
    const std::size_t slash = programFile.rfind('/');
    const std::size_t dot = programFile.rfind('.');
    const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string stem = hasExt ? programFile.substr(0, dot) : programFile;
    return {slash == std::string::npos ? std::string() : programFile.substr(0, slash + 1),
            stem + ".ini", stem + ".txt", stem + ".his"};
}
