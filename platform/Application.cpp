#include "platform/Application.h"
#include "platform/Beep.h"
#include "platform/Dialogs.h"
#include "platform/Widgets.h"

#include <QDir>
#include <QFont>
#include <QLibraryInfo>

#include <QKeyEvent>
#include <QMessageBox>
#include <stdexcept>

namespace platform {

void PreferPlainEventLoop() {
    if (qEnvironmentVariableIsSet("QT_NO_GLIB") ||
        qEnvironmentVariableIsSet("QT_QPA_PLATFORMTHEME"))
        return;
    const QString themes = QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platformthemes";
    if (!QDir(themes).entryList({QStringLiteral("*gtk*")}, QDir::Files).isEmpty()) return;
    qputenv("QT_NO_GLIB", "1");
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The faces that the windows' design fonts stand for here, whatever else the desktop has:
    // the settings' "Terminal" a fixed-pitch face, the windows' "System" a proportional one, both
    // of the family that the set-up installs. A face of these names, where installed, is used.
    QFont::insertSubstitution(QStringLiteral("Terminal"), QStringLiteral("DejaVu Sans Mono"));
    QFont::insertSubstitution(QStringLiteral("System"), QStringLiteral("DejaVu Sans"));
    ShowWholeTitles(*this);
    // The code without widgets beeps and opens boxes through these.
    SetPlatformBeep([] { QApplication::beep(); });
    SetBoxes(&Dialogs());
}

TApplication::~TApplication() {
    SetPlatformBeep({});
    SetBoxes(nullptr);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        if (onShortCut_ && event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key != lastKeyEvent_ || key->timestamp() != lastKeyTime_) {
                lastKeyEvent_ = key;
                lastKeyTime_ = key->timestamp();
                bool handled = false;
                onShortCut_(key->key(), handled);
                if (handled) return true;
            }
        }
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        HandleException(e);
    } catch (...) {
        HandleException(std::runtime_error("Unknown exception"));
    }
    return false;
}

void TApplication::HandleException(const std::exception& e) {
    if (onException_) {
        // A handler that throws again must not take the program down.
        try {
            onException_(e);
        } catch (...) {
            // Its own failure is dropped: there is no one left to report it to.
        }
        return;
    }
    QMessageBox::critical(activeWindow(), title_, QString::fromLocal8Bit(e.what()));
}

TApplication* Application() {
    return qobject_cast<TApplication*>(QCoreApplication::instance());
}

} // namespace platform
