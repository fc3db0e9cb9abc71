#pragma once
// Conversion between Shift-JIS bytes and the widgets' QString, done only where text meets
// a widget or the clipboard.
#include <QString>
#include <string>
#include <string_view>

namespace platform {

// Bytes that are no valid Shift-JIS become U+FFFD; conversion never fails.
QString FromSjis(std::string_view bytes);
// Characters that Shift-JIS cannot hold become one '?' each.
std::string ToSjis(const QString& text);

} // namespace platform
