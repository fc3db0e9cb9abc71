#pragma once
// Saving a file the user chose, as every save of both programs reports a failure.
#include <string>
#include <string_view>

// Writes `bytes` as the whole file (platform/AtomicFile.h). When it cannot be written the old
// file stays as it was, and a beep and the error box "File writing error." say so. Whether
// the file was written.
[[nodiscard]] bool WriteFileOrSay(const std::string& fileName, std::string_view bytes);

// The beep and the box alone, for a save that failed before its file was written.
void SayFileWritingError();
