#include "client/TC_Main.h"

TTrovGameClientForm::TTrovGameClientForm(QWidget* parent) : platform::TForm(parent) {
    setObjectName("TrovGameClientForm");
    setWindowTitle("[Selvane Computer Network Trov Game Client]ver 1.00 beta 6E");
    setMinimumSize(640, 480);
    setMaximumSize(800, 600);
    resize(688, 554);
}
