#pragma once
// The options dialog's decisions, on the controls' state held as plain values: the window
// only mirrors these values into its controls and reads the user's edits back.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/modSettings.h"
#include "options/OptionsHost.h"

namespace gb {

inline constexpr int kPageCount = 4;
inline constexpr int kTextsPage = 3;

// The entries of cmbSays' list, in their order.
inline constexpr std::array<std::u16string_view, 6> kSaysChoices = {
    u"says:", u"is saying:", u"said:", u"tells:", u"is telling:", u"told:"};

// The example address of the name sample with the e-mail option and the domain kept.
inline constexpr std::u16string_view kSampleAddress = u"email@example.com";

struct OptionsControls {
    std::u16string cmbSays;
    int optBuddyName = -1; // the selected option button: 0, 1, or -1 for none
    bool chkNoDomainName = false;
    bool chkNoDomainNameEnabled = false;
    bool chkShowSaysOnce = false;
    bool chkShowEmo = false;
    bool chkShowSignInOut = false;
    bool chkActAsBar = false;
    bool chkShowTooltip = false;
    std::u16string txtBuddyLogon;
    std::u16string txtBuddyLogoff;
    std::u16string txtUnreadMail;
    std::u16string txtPlaceHolder;
    std::u16string lblBuddyName; // the name sample
};

// What CheckTexts decided: whether the dialog may go on, and otherwise the "Error" box text.
struct TextsCheck {
    bool ok = true;
    std::u16string message;
};

class OptionsModel {
  public:
    OptionsControls& Controls() noexcept { return controls_; }
    const OptionsControls& Controls() const noexcept { return controls_; }

    std::int16_t CurrentPage() const noexcept { return currentPage_; }
    void SetCurrentPage(std::int16_t page) noexcept { currentPage_ = page; }
    bool PrevVisible() const noexcept { return currentPage_ > 0; }
    bool NextVisible() const noexcept { return currentPage_ < kPageCount - 1; }

    // Settings to controls; the name sample and the enabling follow the selected option.
    void FillControls(const modSettings::SettingsRecord& settings);
    // Controls to settings; the bar's tooltip is switched only when its setting changes.
    void ApplyControls(modSettings::SettingsRecord& settings, IOptionsHost& host) const;
    // Only the Texts page is checked: the placeholder may occur at most once in the unread-
    // mail text (overlapping occurrences count).
    TextsCheck CheckTexts() const;

    // optBuddyName_Click: select an option; the domain check box is usable only with the
    // e-mail option and keeps its state while disabled.
    void SelectBuddyName(int index);
    // Refreshes lblBuddyName from the option, the domain check box and the says text.
    void UpdateNameSample();

  private:
    OptionsControls controls_;
    std::int16_t currentPage_ = 0;
};

// "There may only be one '|1' character in \r\n'|2'!" with |1 and |2 replaced in one pass,
// so that neither text is read again for markers.
std::u16string ComposeTextsError(std::u16string_view placeHolder, std::u16string_view unreadMail);

// The Left of both moving pages after each 5-pixel step of a page turn; the caller snaps the
// arriving page to the current page's Left afterwards.
struct PageTurnStep {
    float currentLeft;
    float arrivingLeft;
};
inline constexpr float kPageTurnStep = 5.0f;
// forward: the next page enters from scaleWidth; back: the previous one from -pageWidth.
std::vector<PageTurnStep> PageTurnSteps(bool forward, float currentLeft, float scaleWidth,
                                        float pageWidth);

} // namespace gb
