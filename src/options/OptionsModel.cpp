#include "options/OptionsModel.h"

namespace gb {

void OptionsModel::FillControls(const modSettings::SettingsRecord& s) {
    auto& c = controls_;
    for (const auto& row : kOptionsBindings) {
        if (row.flag) c.*row.check = s.*row.flag;
        if (row.setting) c.*row.text = s.*row.setting;
    }
    c.chkNoDomainName = false;
    c.optBuddyName = -1;
    c.chkNoDomainNameEnabled = false;
    switch (s.NameMode) {
    case 0:
        SelectBuddyName(0);
        break;
    case 1:
        SelectBuddyName(1);
        break;
    case 2:
        SelectBuddyName(1);
        c.chkNoDomainName = true;
        break;
    default:
        break;
    }
    UpdateNameSample();
}

void OptionsModel::ApplyControls(modSettings::SettingsRecord& s, IOptionsHost& host) const {
    const auto& c = controls_;
    const bool tooltip = s.ShowTooltip;
    for (const auto& row : kOptionsBindings) {
        if (row.flag) s.*row.flag = c.*row.check;
        if (row.setting) s.*row.setting = c.*row.text;
    }
    if (c.optBuddyName == 0)
        s.NameMode = 0;
    else if (c.optBuddyName == 1)
        s.NameMode = c.chkNoDomainName ? 2 : 1;
    // The bar's tooltip follows only a change of its setting.
    if (s.ShowTooltip == tooltip) return;
    if (s.ShowTooltip)
        host.ShowTooltip();
    else
        host.HideToolTip();
}

TextsCheck OptionsModel::CheckTexts() const {
    if (currentPage_ != kTextsPage) return {};
    const auto& ph = controls_.txtPlaceHolder;
    const auto& text = controls_.txtUnreadMail;
    if (ph.empty()) return {};
    const auto first = text.find(ph);
    if (first == std::u16string::npos || text.find(ph, first + 1) == std::u16string::npos)
        return {};
    return {false, ComposeTextsError(ph, text)};
}

void OptionsModel::SelectBuddyName(int index) {
    controls_.optBuddyName = index;
    controls_.chkNoDomainNameEnabled = index == 1;
    UpdateNameSample();
}

void OptionsModel::UpdateNameSample() {
    const auto& c = controls_;
    std::u16string name;
    if (c.optBuddyName == 0)
        name = u"Buddy";
    else if (c.optBuddyName == 1)
        name = c.chkNoDomainName ? std::u16string(u"email") : std::u16string(kSampleAddress);
    controls_.lblBuddyName = name + u" " + c.cmbSays;
}

std::u16string ComposeTextsError(std::u16string_view placeHolder, std::u16string_view unreadMail) {
    constexpr std::u16string_view pattern = u"There may only be one '|1' character in \r\n'|2'!";
    std::u16string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'|' && i + 1 < pattern.size()) {
            if (pattern[i + 1] == u'1') {
                out += placeHolder;
                ++i;
                continue;
            }
            if (pattern[i + 1] == u'2') {
                out += unreadMail;
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

std::vector<PageTurnStep> PageTurnSteps(bool forward, float currentLeft, float scaleWidth,
                                        float pageWidth) {
    std::vector<PageTurnStep> steps;
    float current = currentLeft;
    if (forward) {
        for (float arriving = scaleWidth; arriving > currentLeft;) {
            current -= kPageTurnStep;
            arriving -= kPageTurnStep;
            steps.push_back({current, arriving});
        }
    } else {
        for (float arriving = -pageWidth; arriving < currentLeft;) {
            current += kPageTurnStep;
            arriving += kPageTurnStep;
            steps.push_back({current, arriving});
        }
    }
    return steps;
}

} // namespace gb
