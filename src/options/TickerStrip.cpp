#include "options/TickerStrip.h"

#include "options/OptionsTicker.h"
#include "strip/StripHost.h"
#include "strip/colMsg.h"

namespace gb {

void AddAboutLines(colMsg& strip, bool showEmo, float scaleWidth, ProgramVersion version) {
    for (const auto& a : AboutLines(showEmo, scaleWidth, version)) {
        clsItem* item = nullptr;
        if (a.kind == ItemKind::Emo) {
            item = &strip.AddEmo(a.cell, 0);
        } else {
            auto& s = strip.AddString(a.text);
            auto& font = *s.TextFont();
            if (a.bold) font.SetBold(true);
            if (a.italic) font.SetItalic(true);
            if (a.color) s.SetTextColor(*a.color);
            item = &s;
        }
        if (a.whiteSpace) item->SetWhiteSpace(*a.whiteSpace);
    }
}

void SetUpTicker(colMsg& strip, const StripHost& host, float scaleWidth, ProgramVersion version) {
    strip.SetScrollSpeed(kTickerStartSpeed);
    auto& leadIn = strip.AddString(u"");
    // The dialog measures in the lead-in's font, which is the ticker items' font.
    const auto& font = *leadIn.TextFont();
    leadIn.SetText(TickerLeadIn(scaleWidth, host.measure.TextWidth(font, kProductName, host.dpi),
                                host.measure.TextWidth(font, u" ", host.dpi)));
    AddAboutLines(strip, host.settings.ShowEmo, scaleWidth, version);
}

void TickTicker(colMsg& strip, const IDisplay& display, bool showEmo, float scaleWidth,
                ProgramVersion version) {
    if (TickerNeedsPass(strip.Count())) AddAboutLines(strip, showEmo, scaleWidth, version);
    strip.MoveOn(display);
}

} // namespace gb
