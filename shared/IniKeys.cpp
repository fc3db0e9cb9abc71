#include "shared/IniKeys.h"

#include "platform/RadioGroup.h"
#include "platform/SjisText.h"
#include "platform/SpinEdit.h"

#include <QLineEdit>

using namespace platform;

namespace {

// One function per kind of target, for std::visit.
template <class... TCase> struct TCases : TCase... { using TCase::operator()...; };

} // namespace

void ReadIniKey(const TIniFile& ini, const TIniValueKey& key, const TIniTarget& target) {
    const auto integer = [&] { return ini.ReadInteger(key.Section, key.Key, key.Number); };
    const auto text = [&] { return ini.ReadString(key.Section, key.Key, key.Text); };
    std::visit(TCases{[&](TSpinEdit* edit) { edit->SetValue(integer()); },
                      [&](TRadioGroup* group) { group->SetItemIndex(integer()); },
                      [&](QLineEdit* edit) { edit->setText(FromSjis(text())); },
                      [&](std::string* field) { *field = text(); }},
               target);
}

void WriteIniKey(TIniFile& ini, const TIniValueKey& key, const TIniTarget& target) {
    std::visit(
        TCases{
            [&](TSpinEdit* edit) { ini.WriteInteger(key.Section, key.Key, edit->Value()); },
            [&](TRadioGroup* group) { ini.WriteInteger(key.Section, key.Key, group->ItemIndex()); },
            [&](QLineEdit* edit) { ini.WriteString(key.Section, key.Key, ToSjis(edit->text())); },
            [&](std::string* field) { ini.WriteString(key.Section, key.Key, *field); }},
        target);
}

void ReadWellKnownPort(const TIniFile& ini, TSpinEdit& port) {
    if (ini.ReadBool("System", "Well Known Port", false)) port.SetMinValue(0);
}
