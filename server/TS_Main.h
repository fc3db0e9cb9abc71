#pragma once
// The game master's main window.
#include "platform/Form.h"

class TTrovGameServerForm : public platform::TForm {
    Q_OBJECT
public:
    explicit TTrovGameServerForm(QWidget* parent = nullptr);
};
