#pragma once
// The options dialog's behaviour: it owns the model, the ticker's strip and its gestures, and
// decides what every event of the dialog means - the show with its placement and slide-in,
// the page turns and their gate, "&Okay" and every close, the name sample, the ticker's tick,
// paint and mouse. It acts only through IOptionsWindow, so each rule is a host test; the
// window procedures unpack messages and call one member each.
#include <memory>
#include <optional>

#include "app/Lifetime.h"
#include "app/modSettings.h"
#include "options/AboutLines.h"
#include "options/OptionsHost.h"
#include "options/OptionsModel.h"
#include "options/OptionsTicker.h"
#include "options/OptionsWindow.h"
#include "strip/StripHost.h"

namespace gb {

class colMsg;

// What the dialog and its ticker are built with.
struct OptionsServices {
    const StripHost& ticker; // measures the ticker's text and gives its items their font size
    ISurfaceFactory& surfaces;
    ProgramVersion version;
    // What each show fills the controls from and "&Okay" writes; the bar reads the same record.
    modSettings::SettingsRecord& settings;
};

// Everything that lives while one dialog is shown; each show builds it afresh.
struct OptionsDialogState {
    OptionsModel model;
    TickerGestures gestures;
    std::unique_ptr<colMsg> msgOptions;
    bool arrowsEnabled = true;
};

class OptionsController {
  public:
    OptionsController(IOptionsWindow& window, IOptionsHost& host, OptionsServices services);
    ~OptionsController();
    OptionsController(const OptionsController&) = delete;
    OptionsController& operator=(const OptionsController&) = delete;

    // Builds the dialog afresh from the settings below the bar and slides it in; returns when
    // it stands centred or was closed meanwhile. An open dialog only comes to the front; one
    // that is closing is shown again once it has gone.
    void Show(bool owned);
    // Shown and not closing.
    bool IsOpen() const noexcept { return dialog_.has_value() && life_.IsOpen(); }

    // The close box, Escape and "&Not okay": the edits are discarded, the dialog slides out.
    // Under a slide-in or a page turn the close waits for it to stop.
    void Close();
    // The program ends: a close, and a show asked for meanwhile is dropped.
    void Shutdown();
    // Checks the Texts page, applies every control to the settings and closes.
    void Okay();
    void TurnPage(bool forward);
    // The name display's controls changed: the says text typed, an option or the domain box
    // clicked. SaysChosen: an entry of the says list, whose text the box shows only later.
    void NameDisplayChanged();
    void SaysChosen(int index);
    void BannerClick();

    // The ticker.
    void DisplayTick();
    void PaintTicker(IDisplay& target);
    void TickerMouseDown(int button, float x);
    void TickerMouseMove(int buttons, float x);
    void TickerMouseUp(int button);
    // Another window took the mouse.
    void TickerCaptureLost();

  private:
    template <class Body> void Handle(Body&& body);
    template <class Change> void Gesture(Change&& change);
    void Load(bool owned);
    void Unload();
    bool CheckTexts();
    void ShowNameSample(OptionsControls read);
    void EnableArrows(bool enabled);

    IOptionsWindow& window_;
    IOptionsHost& host_;
    OptionsServices services_;
    Lifetime life_;
    std::optional<OptionsDialogState> dialog_;
    // A show that came while the dialog was closing: whether it was owned.
    std::optional<bool> reshow_;
    int handlers_ = 0; // handlers under way that may close the dialog
};

} // namespace gb
