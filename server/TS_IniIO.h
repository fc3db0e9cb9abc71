#pragma once
// The server's settings file: read into the window's controls once at creation, written
// back once as the last step of closing.
#include <string>

class TTrovGameServerForm;

// Raises platform::ConvertError on a colour that is neither an identifier nor a number;
// what was read before it is applied, nothing after.
void LoadServerIni(TTrovGameServerForm& Form, const std::string& FileName);
// Raises platform::IniWriteError when a write is refused; keys written before stay.
void SaveServerIni(TTrovGameServerForm& Form, const std::string& FileName);
