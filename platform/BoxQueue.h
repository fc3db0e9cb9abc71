#pragma once
// One modal box of a kind at a time. A box opened while a network event is handled runs a
// nested event loop, in which the next event could open the next box, without end; so a box
// of a kind opens only when none of that kind is open, and what would have opened another
// either waits for it (TBoxQueue) or is left to the box that is open (TOneBox).
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>

namespace platform {

class TOneBox {
public:
    // Runs `box` (which shows the box) unless a box of this kind is open; true when it ran.
    // A caller may leave its case to the box that is open, without looking.
    [[nodiscard]] bool Run(const std::function<void()>& box) {
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

    // `box` shows the box (and returns when it is closed); `after` runs when it has closed, or
    // at once when the box is dropped, so that what follows a box is never lost.
    void Show(std::function<void()> box, std::function<void()> after = {}) {
        const bool shown = box_.Run([&] {
            box();
            if (after) after();
            while (!waiting_.empty() || dropped_ > 0) {
                if (waiting_.empty()) {
                    droppedBox_(std::exchange(dropped_, 0));
                    continue;
                }
                const Entry next = std::move(waiting_.front());
                waiting_.pop_front();
                next.box();
                if (next.after) next.after();
            }
        });
        if (shown) return;
        // A box of this kind is open: this one waits for it.
        if (waiting_.size() < limit_) {
            waiting_.push_back({std::move(box), std::move(after)});
        } else {
            ++dropped_;
            if (after) after();
        }
    }
    std::size_t Waiting() const { return waiting_.size(); }

private:
    struct Entry {
        std::function<void()> box;
        std::function<void()> after;
    };
    std::size_t limit_;
    std::function<void(std::size_t)> droppedBox_;
    TOneBox box_;
    std::deque<Entry> waiting_;
    std::size_t dropped_ = 0;
};

// The order in which events are handled: each call gives a later turn.
inline std::uint64_t NextTurn() {
    static std::uint64_t turn = 0;
    return ++turn;
}

// A value that knows the turn that set it. A step that runs behind a box, late, sets it as of
// the turn of the event it belongs to, and so never overwrites what a later event has set.
template <typename T> class TLatest {
public:
    TLatest(T value = T{}) : value_(value) {}
    TLatest(const TLatest&) = delete;
    TLatest& operator=(const TLatest&) = delete;
    // Set now.
    TLatest& operator=(T value) {
        value_ = value;
        turn_ = NextTurn();
        return *this;
    }
    operator T() const { return value_; }
    // Set as of `turn`: nothing when a later turn has set it.
    void SetAsOf(T value, std::uint64_t turn) {
        if (turn_ > turn) return;
        value_ = value;
        turn_ = turn;
    }

private:
    T value_;
    std::uint64_t turn_ = 0;
};

// A text as a box shows it: at most `maxBytes` bytes and `maxLines` lines, a double-byte
// character never split; a longer text is cut and ends with a note that says so.
std::string BoxText(const std::string& text, std::size_t maxBytes = 2048,
                    std::size_t maxLines = 40);

} // namespace platform
