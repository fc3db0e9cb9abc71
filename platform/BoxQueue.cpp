#include "platform/BoxQueue.h"
#include "platform/Sjis.h"

namespace platform {

std::string BoxText(const std::string& text, std::size_t maxBytes, std::size_t maxLines) {
    std::size_t lines = 1;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        std::size_t width = 1;
        if (c == '\r' || c == '\n') {
            // A line break (CR LF, CR or LF): the text is cut before the one that would begin
            // a line too many.
            if (lines == maxLines) break;
            ++lines;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') width = 2;
        } else if (IsSjisLeadByte(static_cast<unsigned char>(c))) {
            width = 2;
        }
        if (i + width > maxBytes) break;
        i += width;
    }
    if (i >= text.size()) return text;
    return text.substr(0, i) + "\r\n(The message was too long and has been cut.)";
}

} // namespace platform
