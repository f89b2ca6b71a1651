#pragma once
// The click hand-over of text and emoticon items whose window is -1.
#include <cstddef>

namespace gb {

struct StripHost;

// Clicks the item after position index of the bar's strip. A run of items that hand on in
// turn is walked in a loop rather than by nested calls, so that a long run cannot exhaust the
// stack; past the last item nothing happens.
void HandClickOn(const StripHost& host, std::size_t index);

} // namespace gb
