#pragma once
// The client's settings file: the window's place and font, the page shown, the options, the
// column separator, the player's name, the server's address, the role and message target, the
// order and shipment entries and the history list's column widths.
#include <string>

class TTrovGameClientForm;

// Reads the file into the window's controls. A missing file, section or key gives the key's
// default. A "Color" that is no colour raises platform::ConvertError, and nothing after it is
// applied.
void LoadClientIni(TTrovGameClientForm& Form, const std::string& FileName);
// Writes the controls to the file, keeping its other lines. A refused write raises
// platform::IniWriteError; the keys written before it stay written.
void SaveClientIni(TTrovGameClientForm& Form, const std::string& FileName);
