#pragma once
// The bar's start-up and shutdown decisions that need no window: the start-up banner, retrying
// the messenger, what the unload stores, and saving only once.
#include <cstdint>
#include <string_view>

#include "bar/BarRules.h"

namespace gb {
class colMsg;
}

namespace BarRules {

// The strip's line while no messenger can be reached.
inline constexpr char16_t kNoMessengerLine[] =
    u"No messenger was found; Glidebanner will connect as soon as one is running.";
inline constexpr unsigned kRetryIntervalMs = 10000;

// Seeds the strip with the start-up banner: blanks, the emoticon, the bold name, the byline
// and the second emoticon (the emoticons only with showEmo).
void AddStartupBanner(gb::colMsg& strip, int blanks, bool showEmo, int emoticon);

// Whether the bar retries the messenger, and whether the strip says that none was found:
// once at the first failed attempt, not again at every retry.
class MessengerRetry {
  public:
    struct Outcome {
        bool retryTimer;   // keep (or start) the retry timer
        bool showNotFound; // add the not-found line now
    };
    Outcome AfterAttempt(bool attached) noexcept;

  private:
    bool told_ = false;
};

// The geometry the unload stores. While the bar is still sliding in its left edge is on the
// way, not where the user put it: then the slide's target is stored instead.
Geometry GeometryToStore(const Geometry& current, bool slidingIn, float slideTargetLeft);

// The stored Speed as the strip takes it: within 1..100 like an Alt-drag, so that an edited or
// damaged value can neither stop the strip nor run it backwards; no number at all gives 10.
float StoredSpeed(float speed) noexcept;

// Runs an action once only: the settings are saved once however the program ends.
class Once {
  public:
    // True the first time only.
    bool operator()() noexcept {
        if (done_) return false;
        done_ = true;
        return true;
    }
    bool Done() const noexcept { return done_; }

  private:
    bool done_ = false;
};

} // namespace BarRules
