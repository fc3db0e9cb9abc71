#include "client/TC_Main.h"
#include "platform/Application.h"
#include "platform/Colors.h"
#include "platform/Shell.h"

#include "shared/PreviewS.h"
#include <QPalette>
#include <QPlainTextEdit>

int main(int argc, char** argv) {
    platform::TApplication app(argc, argv);
    app.SetTitle("Qon's Trov Game Client");
    TTrovGameClientForm form;
    if (form.Terminated()) return 0; // the settings could not be read and the player ended
    TTrovGameClientPreviewForm preview(kClientPreviewFormName, &form);
    // The viewer takes the settings font whole, its colour included.
    if (const QColor color = platform::ColorToQColor(form.FFontColor); color.isValid()) {
        QPalette palette = preview.Memo->palette();
        palette.setColor(QPalette::Text, color);
        preview.Memo->setPalette(palette);
    }
    form.PreviewForm = &preview;
    app.setWindowIcon(form.windowIcon());
    if (platform::StartsInTray(argc, argv))
        form.MinimizeToTray(true);
    else
        form.show();
    const int result = app.exec();
    form.PreviewForm = nullptr;
    return result;
}
