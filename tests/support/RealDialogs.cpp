#include "support/RealDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <memory>

void WhenModal(std::function<void(QWidget*)> act, QWidget* outer) {
    auto* poll = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, [poll, act, outer, started] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != outer) {
            poll->stop();
            poll->deleteLater();
            act(modal);
        } else if (started->hasExpired(5000)) {
            poll->stop();
            poll->deleteLater();
            ADD_FAILURE() << "no dialog opened";
        }
    });
    poll->start(10);
}

Watchdog::Watchdog() : previous(platform::SetDialogs(nullptr)) {
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [] {
        while (QWidget* modal = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "dialog still open: " << modal->windowTitle().toStdString();
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->done(QDialog::Rejected);
            else
                modal->close();
            QApplication::processEvents();
        }
    });
    timer.start(10000);
}

Watchdog::~Watchdog() {
    platform::SetDialogs(previous);
}
