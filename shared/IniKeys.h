#pragma once
// The settings keys that each hold one value of a window, as rows of one table per program:
// section, key, default and the control or field the value belongs to. A table is read and
// written in its order, a section at a time, so that a key is added or renamed in one line.
// Keys that are no plain value (the window's place, the font, the column widths, the role
// entries) are read and written by the functions of shared/IniFont.h.
#include "platform/IniFile.h"
#include "shared/IniFont.h"

#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

class QLineEdit;
namespace platform {
class TRadioGroup;
class TSpinEdit;
} // namespace platform

// Where a key's value goes: a spin edit's value (clamped to its range when set) or a radio
// group's selection, both integers; an edit box's text, kept in the file's 8-bit character
// set; or a text field, kept as read.
using TIniTarget =
    std::variant<platform::TSpinEdit*, platform::TRadioGroup*, QLineEdit*, std::string*>;

// A key that is only read is set by editing the file; it is never written.
enum class TIniUse { ReadWrite, ReadOnly };

// A key of one value: its place, its default (`Number` for an integer, `Text` for a text) and
// whether it is written.
struct TIniValueKey {
    const char* Section;
    const char* Key;
    int Number;
    const char* Text;
    TIniUse Use;
};

// A missing key, or a value that is no integer where an integer is read, gives the default.
void ReadIniKey(const platform::TIniFile& ini, const TIniValueKey& key, const TIniTarget& target);
// Raises platform::IniWriteError when the write is refused.
void WriteIniKey(platform::TIniFile& ini, const TIniValueKey& key, const TIniTarget& target);

// A row of a window's table: a key and the member of `TForm` that holds its value.
template <class TForm> class TIniKey : public TIniValueKey {
public:
    TIniKey(const char* section, const char* key, platform::TSpinEdit* TForm::*edit, int def)
        : TIniValueKey{section, key, def, "", TIniUse::ReadWrite}, field_(edit) {}
    TIniKey(const char* section, const char* key, platform::TRadioGroup* TForm::*group, int def)
        : TIniValueKey{section, key, def, "", TIniUse::ReadWrite}, field_(group) {}
    TIniKey(const char* section, const char* key, QLineEdit* TForm::*edit, const char* def)
        : TIniValueKey{section, key, 0, def, TIniUse::ReadWrite}, field_(edit) {}
    TIniKey(const char* section, const char* key, std::string TForm::*text, const char* def,
            TIniUse use = TIniUse::ReadWrite)
        : TIniValueKey{section, key, 0, def, use}, field_(text) {}

    TIniTarget Target(TForm& form) const {
        return std::visit(
            [&form](auto member) -> TIniTarget {
                if constexpr (std::is_same_v<decltype(member), std::string TForm::*>)
                    return &(form.*member);
                else
                    return form.*member;
            },
            field_);
    }

private:
    std::variant<platform::TSpinEdit * TForm::*, platform::TRadioGroup * TForm::*,
                 QLineEdit * TForm::*, std::string TForm::*>
        field_;
};

// Reads the keys of `section` in the table's order, each into its control or field (the table's
// form is the type of `form`).
template <class TForm>
void ReadIniKeys(const platform::TIniFile& ini, TForm& form,
                 std::span<const TIniKey<std::type_identity_t<TForm>>> keys,
                 std::string_view section) {
    for (const auto& key : keys)
        if (key.Section == section) ReadIniKey(ini, key, key.Target(form));
}

// Writes the keys of `section` in the table's order, but those only read.
template <class TForm>
void WriteIniKeys(platform::TIniFile& ini, TForm& form,
                  std::span<const TIniKey<std::type_identity_t<TForm>>> keys,
                  std::string_view section) {
    for (const auto& key : keys)
        if (key.Section == section && key.Use == TIniUse::ReadWrite)
            WriteIniKey(ini, key, key.Target(form));
}

// The System section's "Well Known Port": when on, the port edit takes ports from 0 (else from
// 1024). Read after the port itself, which a stored port below 1024 has raised to 1024 already.
void ReadWellKnownPort(const platform::TIniFile& ini, platform::TSpinEdit& port);

// The first steps of reading a main window's settings, the same in both programs: the font, read
// whole and returned to be applied (a bad colour leaves the window as it is), the window's own
// keys (`lastPath` is its dialogs' last path), the table's System keys and "Well Known Port".
template <class TForm>
TIniFont ReadMainWindowKeys(const platform::TIniFile& ini, TForm& form, int defaultFontSize,
                            std::span<const TIniKey<std::type_identity_t<TForm>>> keys,
                            std::string& lastPath) {
    const TIniFont font = ReadIniFont(ini, defaultFontSize);
    ReadWindowKeys(ini, WindowKeysOf(form, lastPath));
    ReadIniKeys(ini, form, keys, "System");
    ReadWellKnownPort(ini, *form.SpinEdit_Port);
    return font;
}
