#pragma once
// One player's main window.
#include "platform/Form.h"

class TTrovGameClientForm : public platform::TForm {
    Q_OBJECT
public:
    explicit TTrovGameClientForm(QWidget* parent = nullptr);
};
