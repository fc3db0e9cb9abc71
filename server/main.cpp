#include "platform/Application.h"
#include "platform/Shell.h"
#include "server/TS_Main.h"

#include <QString>

int main(int argc, char** argv) {
    platform::TApplication app(argc, argv);
    app.SetTitle("Qon's Trov Game Server");
    TTrovGameServerForm form;
    // "/TaskTray" as the first argument starts the program as a tray icon only (where the
    // desktop has a tray: without one the window could never be shown again).
    app.setWindowIcon(form.windowIcon());
    if (argc > 1 &&
        QString::fromLocal8Bit(argv[1]).compare("/TaskTray", Qt::CaseInsensitive) == 0 &&
        platform::TTrayIcon::Available())
        form.MinimizeToTray(true);
    else
        form.show();
    return app.exec();
}
