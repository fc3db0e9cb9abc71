#include "server/TS_Main.h"

TTrovGameServerForm::TTrovGameServerForm(QWidget* parent) : platform::TForm(parent) {
    setObjectName("TrovGameServerForm");
    setWindowTitle("[Selvane Computer Network]ver 1.00 beta 6E");
    setMinimumSize(640, 480);
    resize(848, 554);
}
