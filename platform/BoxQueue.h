#pragma once
// One modal box of a kind at a time. A box opened while a network event is handled runs a
// nested event loop, in which the next event could open the next box, without end; so a box
// of a kind opens only when none of that kind is open, and what would have opened another
// either waits for it (TBoxQueue) or is left to the box that is open (TOneBox).
#include <cstddef>
#include <deque>
#include <functional>
#include <utility>

namespace platform {

class TOneBox {
public:
    // Runs `box` (which shows the box) unless a box of this kind is open; true when it ran.
    // A caller may leave its case to the box that is open, without looking.
    bool Run(const std::function<void()>& box) {
        if (open_) return false;
        open_ = true;
        struct Reset {
            bool& open;
            ~Reset() { open = false; }
        } reset{open_};
        box();
        return true;
    }
    bool IsOpen() const { return open_; }

private:
    bool open_ = false;
};

// Boxes of one kind shown one after another: a box that is to open while one of its kind is
// open waits (the oldest first, at most `limit` of them; those beyond are counted), and opens
// when the box before it closes.
class TBoxQueue {
public:
    // `droppedBox` shows, last, how many boxes were dropped.
    TBoxQueue(std::size_t limit, std::function<void(std::size_t)> droppedBox)
        : limit_(limit), droppedBox_(std::move(droppedBox)) {}

    // `box` shows the box (and returns when it is closed).
    void Show(std::function<void()> box) {
        if (box_.IsOpen()) {
            if (waiting_.size() < limit_)
                waiting_.push_back(std::move(box));
            else
                ++dropped_;
            return;
        }
        box_.Run([&] {
            box();
            while (!waiting_.empty() || dropped_ > 0) {
                if (waiting_.empty()) {
                    droppedBox_(std::exchange(dropped_, 0));
                    continue;
                }
                const std::function<void()> next = std::move(waiting_.front());
                waiting_.pop_front();
                next();
            }
        });
    }
    std::size_t Waiting() const { return waiting_.size(); }

private:
    std::size_t limit_;
    std::function<void(std::size_t)> droppedBox_;
    TOneBox box_;
    std::deque<std::function<void()>> waiting_;
    std::size_t dropped_ = 0;
};

} // namespace platform
