#pragma once
// A window's life as its own nested loops see it. The slides, the page turns and the modal
// boxes let pending messages run while one of the window's handlers is still on the stack, so
// a close can arrive under that handler. Such a close is only noted: the loop sees it
// (Stopping) and ends, and the close runs once the outermost loop of the window has unwound.
// A close runs once; the window's object itself lives as long as the program. So no handler
// ever runs on a window that was torn down under it, whatever message comes when.
#include <functional>
#include <utility>

namespace gb {

class Lifetime {
  public:
    // Open, before the first close and again after Reopen.
    bool IsOpen() const noexcept { return state_ == State::Open; }
    // A nested loop of this window stops when this says so: a close waits for it, runs, or ran.
    bool Stopping() const noexcept { return state_ != State::Open; }
    bool Closed() const noexcept { return state_ == State::Closed; }
    // The close is running (its own slide-out, say).
    bool Closing() const noexcept { return state_ == State::Closing; }

    // Runs body, a loop that lets pending messages run, as one of this window's nested loops.
    template <class Body> void Nested(Body&& body) {
        ++depth_;
        try {
            body();
        } catch (...) {
            Unwound();
            throw;
        }
        Unwound();
    }

    // Asks for the close: now when no nested loop of the window runs, otherwise when they
    // have unwound. A request while one waits, runs or has run is ignored.
    void RequestClose(std::function<void()> close) {
        if (state_ != State::Open) return;
        close_ = std::move(close);
        state_ = State::Pending;
        if (depth_ == 0) RunClose();
    }

    // After the close: the window may be shown again.
    void Reopen() noexcept {
        if (state_ == State::Closed) state_ = State::Open;
    }

  private:
    enum class State { Open, Pending, Closing, Closed };

    void Unwound() {
        if (--depth_ == 0 && state_ == State::Pending) RunClose();
    }

    void RunClose() {
        state_ = State::Closing;
        const auto close = std::move(close_);
        close_ = nullptr;
        struct Done {
            State& state;
            ~Done() { state = State::Closed; }
        } done{state_};
        if (close) close();
    }

    State state_ = State::Open;
    int depth_ = 0;
    std::function<void()> close_;
};

} // namespace gb
