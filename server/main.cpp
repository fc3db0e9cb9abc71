#include "platform/Application.h"
#include "platform/Shell.h"
#include "server/TS_Main.h"

int main(int argc, char** argv) {
    platform::PreferPlainEventLoop();
    platform::TApplication app(argc, argv);
    app.SetTitle("Qon's Trov Game Server");
    TTrovGameServerForm form;
    return platform::ShowAndRun(app, form, argc, argv);
}
