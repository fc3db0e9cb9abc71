#include "platform/Application.h"
#include "server/TS_Main.h"

int main(int argc, char** argv) {
    platform::TApplication app(argc, argv);
    app.SetTitle("Qon's Trov Game Server");
    TTrovGameServerForm form;
    form.show();
    return app.exec();
}
