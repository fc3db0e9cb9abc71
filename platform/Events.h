#pragma once
// Events of the controls, in the style the windows are written in: a handler is a member
// function bound to a control's event slot, and code that changes a control without wanting
// its handler to run detaches the event for the change.
#include <QObject>
#include <functional>
#include <utility>

namespace platform {

// A plain event: the control that raised it is passed as Sender.
using TNotifyEvent = std::function<void(QObject* Sender)>;

// Runs `change` with `event` detached and attaches it again afterwards, also when `change`
// throws. Usage: platform::Quietly(RadioGroup_FtOwner->OnClick, [&] { ... });
template <class Event, class Change> void Quietly(Event& event, Change&& change) {
    struct Reattach {
        Event& slot;
        Event saved;
        ~Reattach() { slot = std::move(saved); }
    } guard{event, std::exchange(event, Event{})};
    std::forward<Change>(change)();
}

} // namespace platform
