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

// The dialog's controls, as the window makes them and the rows below name them. "&Not okay"
// has the dialog manager's cancel id (IDCANCEL), so that Escape presses it; Enter presses
// nothing, so "&Okay" keeps clear of IDOK.
enum OptionsControlId : int {
    idcCancel = 2,
    idcOK = 99,
    idcPicMsg = 100,
    idcPicPrev,
    idcPicNext,
    idcPage0,
    idcPage1,
    idcPage2,
    idcPage3,
    idcPicInfo,
    idcShowEmo,
    idcShowSignInOut,
    idcActAsBar,
    idcShowTooltip,
    idcBuddyNameSample,
    idcNickname,
    idcAddress,
    idcNoDomainName,
    idcSays,
    idcShowSaysOnce,
    idcBuddyLogon,
    idcBuddyLogoff,
    idcUnreadMail,
    idcPlaceHolder,
    idcNote,
    idcLabel,
};

// What the user's command on a control means to the dialog's controller.
enum class OptionsCommand { None, Okay, Close, NextPage, PreviousPage, Banner, NameDisplay, Says };

// A control bound to its field of the controls' record - a check box's state, a text, or an
// option button's value - and, where it edits one, to its setting; the rows fill, read, write
// and apply the controls, and send their commands. NameMode, which two option buttons and the
// domain box edit together, is the model's own.
struct OptionsBinding {
    int id;
    OptionsCommand command = OptionsCommand::None;
    bool OptionsControls::*check = nullptr;
    std::u16string OptionsControls::*text = nullptr;
    int OptionsControls::*option = nullptr;
    int optionValue = 0;
    bool modSettings::SettingsRecord::*flag = nullptr;
    std::u16string modSettings::SettingsRecord::*setting = nullptr;
};

namespace bindings {
using C = OptionsControls;
using S = modSettings::SettingsRecord;
using Cmd = OptionsCommand;
// clang-format off
inline constexpr OptionsBinding kOptionsBindings[] = {
    {.id = idcOK, .command = Cmd::Okay},
    {.id = idcCancel, .command = Cmd::Close},
    {.id = idcPicNext, .command = Cmd::NextPage},
    {.id = idcPicPrev, .command = Cmd::PreviousPage},
    {.id = idcPicInfo, .command = Cmd::Banner},
    {.id = idcShowEmo, .check = &C::chkShowEmo, .flag = &S::ShowEmo},
    {.id = idcShowSignInOut, .check = &C::chkShowSignInOut, .flag = &S::ShowSignInOut},
    {.id = idcActAsBar, .check = &C::chkActAsBar, .flag = &S::ChangeWorkArea},
    {.id = idcShowTooltip, .check = &C::chkShowTooltip, .flag = &S::ShowTooltip},
    {.id = idcNickname, .command = Cmd::NameDisplay, .option = &C::optBuddyName, .optionValue = 0},
    {.id = idcAddress, .command = Cmd::NameDisplay, .option = &C::optBuddyName, .optionValue = 1},
    {.id = idcNoDomainName, .command = Cmd::NameDisplay, .check = &C::chkNoDomainName},
    {.id = idcSays, .command = Cmd::Says, .text = &C::cmbSays, .setting = &S::Says},
    {.id = idcShowSaysOnce, .check = &C::chkShowSaysOnce, .flag = &S::ShowSaysOnce},
    {.id = idcBuddyLogon, .text = &C::txtBuddyLogon, .setting = &S::BuddyLogon},
    {.id = idcBuddyLogoff, .text = &C::txtBuddyLogoff, .setting = &S::BuddyLogoff},
    {.id = idcUnreadMail, .text = &C::txtUnreadMail, .setting = &S::UnreadMail},
    {.id = idcPlaceHolder, .text = &C::txtPlaceHolder, .setting = &S::PlaceHolder},
};
// clang-format on
} // namespace bindings
using bindings::kOptionsBindings;

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
