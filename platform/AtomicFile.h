#pragma once
// Replacing a file whole: the new contents go to a temporary file in the same folder, which is
// then renamed over the old one, so a crash leaves either the old file or the new one, never
// half of either. A writable file in a folder that takes no new files is written in place.
#include <string>
#include <string_view>

namespace platform {

// Writes `bytes` as the whole file `path` (a native file name). An existing file keeps its
// permission bits; a symbolic link is followed and its target replaced. Returns false when the
// file cannot be written (missing folder, read-only file, a new file in a read-only folder,
// disk full); then no temporary file is left behind and, unless the file was being written in
// place, the old file is unchanged.
[[nodiscard]] bool WriteFileAtomic(const std::string& path, std::string_view bytes);

// Reads the whole file into `bytes`: 0 when it was read, else the error number (ENOENT for a
// file that is not there).
[[nodiscard]] int ReadWholeFile(const std::string& path, std::string& bytes);
// Whether `path` (a native file name) names a regular file, through links.
[[nodiscard]] bool FileExists(const std::string& path);

} // namespace platform
