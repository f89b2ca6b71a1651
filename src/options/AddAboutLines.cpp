#include "options/AboutLines.h"

#include "app/modSettings.h"
#include "strip/colMsg.h"

namespace gb {

void AddAboutLines(colMsg& strip, float scaleWidth, ProgramVersion version) {
    for (const auto& a : AboutLines(modSettings::Settings().ShowEmo, scaleWidth, version)) {
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

} // namespace gb
