#pragma once
// The application object: a QApplication that hands every exception escaping an event
// handler to the installed exception handler instead of ending the program.
#include <QApplication>
#include <exception>
#include <functional>

namespace platform {

// Chooses, before the application object exists, the event loop without GLib for a program
// that serves many connections: GLib's loop takes time in proportion to the number of
// connections each time one starts or stops waiting to write. It stays with GLib where the
// desktop's own dialogs need it (a GTK platform theme chosen or installed) or where the user
// has chosen (QT_NO_GLIB set).
void PreferPlainEventLoop();

class TApplication : public QApplication {
    Q_OBJECT
public:
    using ExceptionHandler = std::function<void(const std::exception&)>;

    TApplication(int& argc, char** argv);
    ~TApplication() override;

    void SetTitle(const QString& title) { title_ = title; }
    const QString& Title() const { return title_; }

    // With no handler installed an escaped exception is shown in an error box.
    void SetOnException(ExceptionHandler handler) { onException_ = std::move(handler); }
    void SetOnMinimize(std::function<void()> handler) { onMinimize_ = std::move(handler); }
    // Sees every key press of the program once, before the focused control; setting Handled
    // keeps the key from the control. Key is the widget key code (Qt::Key).
    using ShortCutHandler = std::function<void(int Key, bool& Handled)>;
    void SetOnShortCut(ShortCutHandler handler) { onShortCut_ = std::move(handler); }
    // Called by the main window when it is minimised.
    void Minimized() {
        if (onMinimize_) onMinimize_();
    }

    bool notify(QObject* receiver, QEvent* event) override;

    // The handlers installed now: a window that installs its own keeps these and puts them
    // back when it goes.
    struct Handlers {
        ExceptionHandler onException;
        std::function<void()> onMinimize;
        ShortCutHandler onShortCut;
    };
    Handlers CurrentHandlers() const { return {onException_, onMinimize_, onShortCut_}; }
    void RestoreHandlers(Handlers handlers) {
        onException_ = std::move(handlers.onException);
        onMinimize_ = std::move(handlers.onMinimize);
        onShortCut_ = std::move(handlers.onShortCut);
    }

    // Passes an exception to the installed handler (also used by code that catches an
    // exception and wants the application's reaction to it).
    void HandleException(const std::exception& e);

private:
    QString title_;
    ExceptionHandler onException_;
    std::function<void()> onMinimize_;
    ShortCutHandler onShortCut_;
    // The key press last shown to the short-cut handler: a key press travels from the
    // focused control up to its parents, each delivery passing through notify().
    const QEvent* lastKeyEvent_ = nullptr;
    unsigned long lastKeyTime_ = 0;
};

// The one application object, or null before it exists.
TApplication* Application();

} // namespace platform
