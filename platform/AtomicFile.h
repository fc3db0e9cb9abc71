#pragma once
// Replacing a file whole: the new contents go to a temporary file in the same folder, which is
// then renamed over the old one, so a crash leaves either the old file or the new one, never
// half of either. Where no temporary file can be made (a folder that takes no new files, no
// free inode, a name too long to take the temporary file's ending) the write fails and the old
// file stays as it was: writing it in place could leave it cut short.
#include <string>
#include <string_view>

namespace platform {

// Writes `bytes` as the whole file `path` (a native file name). An existing file keeps its
// permission bits; a symbolic link is followed and its target replaced. Returns false when the
// file cannot be written (missing folder, read-only file, a new file in a read-only folder,
// disk full, no temporary file possible); then no temporary file is left behind and the old
// file is unchanged.
[[nodiscard]] bool WriteFileAtomic(const std::string& path, std::string_view bytes);

// Reads the whole file into `bytes`, at most `most` bytes of it: 0 when it was read, else the
// error number: ENOENT for a file that is not there, EISDIR for a folder, EINVAL for anything
// else that is no regular file (a pipe, a device: it could never end or never answer), EFBIG
// for a file of more than `most` bytes, which is not read at all. `bytes` is then empty.
[[nodiscard]] int ReadWholeFile(const std::string& path, std::string& bytes, std::size_t most);
// Whether `path` (a native file name) names a regular file, through links.
[[nodiscard]] bool FileExists(const std::string& path);

} // namespace platform
