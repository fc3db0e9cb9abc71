#pragma once
// Boxes that no test expects: each one fails the test and is answered at once.
#include "platform/Boxes.h"

#include <gtest/gtest.h>
#include <string>

class UnexpectedBoxes : public platform::TBoxes {
public:
    platform::TModalResult MessageBox(const std::string& text, const std::string& caption,
                                      platform::TBoxButtons) override {
        ADD_FAILURE() << "unexpected box \"" << caption << "\": " << text;
        return platform::mrOk;
    }
    platform::TModalResult MessageDlg(const std::string& text, platform::TMsgDlgType,
                                      platform::TMsgDlgButtons) override {
        ADD_FAILURE() << "unexpected message dialog: " << text;
        return platform::mrCancel;
    }
};
