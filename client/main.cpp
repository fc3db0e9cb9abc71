#include "client/TC_Main.h"
#include "platform/Application.h"
#include "platform/Shell.h"

int main(int argc, char** argv) {
    platform::TApplication app(argc, argv);
    app.SetTitle("Qon's Trov Game Client");
    TTrovGameClientForm form;
    if (form.Terminated()) return 0; // the settings could not be read and the player ended
    return platform::ShowAndRun(app, form, argc, argv);
}
