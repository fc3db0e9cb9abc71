#include "platform/Boxes.h"

#include <utility>

namespace platform {

namespace {

TBoxes*& Installed() {
    static TBoxes* installed = nullptr;
    return installed;
}

} // namespace

std::string MsgDlgTitle(TMsgDlgType type) {
    switch (type) {
    case TMsgDlgType::Warning:
        return "Warning";
    case TMsgDlgType::Error:
        return "Error";
    case TMsgDlgType::Information:
        return "Information";
    case TMsgDlgType::Confirmation:
        return "Confirm";
    }
    return {};
}

TBoxes* SetBoxes(TBoxes* boxes) {
    return std::exchange(Installed(), boxes);
}

TModalResult MessageBox(const std::string& text, const std::string& caption, TBoxButtons buttons) {
    return Installed() ? Installed()->MessageBox(text, caption, buttons) : mrCancel;
}

TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    return Installed() ? Installed()->MessageDlg(text, type, buttons) : mrCancel;
}

} // namespace platform
