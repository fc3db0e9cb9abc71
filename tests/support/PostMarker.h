#pragma once
// A call posted to the event loop that only marks that it has run. Posted calls run in the order
// they were posted: once it has run, so has every call posted before it.
#include <QCoreApplication>
#include <memory>

// The flag is set when the call has run; shared, so that a wait given up leaves nothing behind.
inline std::shared_ptr<bool> PostMarker() {
    auto ran = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [ran] { *ran = true; }, Qt::QueuedConnection);
    return ran;
}
