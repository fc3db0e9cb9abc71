#include "client/TC_Main.h"
#include "platform/Application.h"

int main(int argc, char** argv) {
    platform::TApplication app(argc, argv);
    app.SetTitle("Qon's Trov Game Client");
    TTrovGameClientForm form;
    form.show();
    return app.exec();
}
