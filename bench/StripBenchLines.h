#pragma once
// The lines a busy bar shows: a says item, then a message with emoticons, as the messenger
// handlers compose them.
#include <string>

#include "strip/colMsg.h"

namespace stripbench {

inline void AddMessage(gb::colMsg& strip, int n) {
    strip.AddSays(n % 2 ? u"Ann" : u"Bob the Builder", 100 + n % 7);
    strip.AddMsg(u"hello there :) did you see the match (y) last night? :-D", u"Tahoma", 0x202020,
                 100 + n % 7);
}

// Fills the display and then queues waiting messages beyond its right edge.
inline void Seed(gb::colMsg& strip, int waiting, float displayWidth) {
    float total = 0;
    int n = 0;
    while (total < displayWidth * 2) {
        AddMessage(strip, n++);
        total = 0;
        for (const gb::clsItem& item : strip)
            total += item.Width();
    }
    for (int i = 0; i < waiting; ++i)
        AddMessage(strip, n++);
}

} // namespace stripbench
