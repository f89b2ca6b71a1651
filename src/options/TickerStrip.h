#pragma once
// The dialog's ticker on its strip: set-up with the lead-in, the About passes and the tick.
#include "options/AboutLines.h"

namespace gb {

class colMsg;
class IDisplay;
struct StripHost;

// Appends one pass of the About lines, with emoticons when showEmo.
void AddAboutLines(colMsg& strip, bool showEmo, float scaleWidth, ProgramVersion version);

// Speed 15, the lead-in measured in its own font through the host, then the first pass (with
// emoticons as the host's settings say).
void SetUpTicker(colMsg& strip, const StripHost& host, float scaleWidth, ProgramVersion version);

// One tick: the next pass when the strip is down to one item, then one scroll step.
void TickTicker(colMsg& strip, const IDisplay& display, bool showEmo, float scaleWidth,
                ProgramVersion version);

} // namespace gb
