#pragma once
// The real, modal dialogs in a test, driven by timers so that no test waits on a person.
#include "platform/Dialogs.h"

#include <QTimer>
#include <functional>

class QWidget;

// Runs `act` on the next modal dialog that opens other than `outer`. A dialog still open
// after five seconds is a failure and is closed, so no test can hang on it.
void WhenModal(std::function<void(QWidget*)> act, QWidget* outer = nullptr);

// The real dialogs for the test's duration (the test main installs failing ones), and a
// timer that closes, as a failure, any dialog still open after the test's own steps had ten
// seconds.
struct Watchdog {
    Watchdog();
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    platform::TDialogs* previous;
    QTimer timer;
};
