#include "shared/SaveFile.h"

#include "platform/AtomicFile.h"
#include "platform/Beep.h"
#include "platform/Boxes.h"

#include <exception>

bool WriteFileOrSay(const std::string& fileName, std::string_view bytes) {
    bool written = false;
    try {
        written = platform::WriteFileAtomic(fileName, bytes);
    } catch (const std::exception&) {
        written = false; // no memory for the file's name
    }
    if (!written) SayFileWritingError();
    return written;
}

void SayFileWritingError() {
    platform::Beep();
    platform::MessageDlg("File writing error.", platform::TMsgDlgType::Error, platform::mbOK);
}
