#pragma once
// What the bar asks of the program around it, and the pop-up menu's view of the bar.
#include "bar/BarRules.h"

namespace gb {

// The pop-up menu's view of the bar: which entries it shows, and what a choice does.
class IBarMenu {
  public:
    virtual ~IBarMenu() = default;
    virtual BarRules::MenuVisibility MenuEntries() const = 0;
    virtual void OnMenu(BarRules::MenuEntry entry) = 0;
};

// What the bar needs of the program around it.
class IBarShell {
  public:
    virtual ~IBarShell() = default;
    // Closes the other windows and saves the settings; the unload's last step.
    virtual void AppShutdown() = 0;
    // Shows the options dialog (or brings the open one to the front).
    virtual void ShowOptions() = 0;
    // Pops the menu up at the pointer.
    virtual void DoScrollPopUp() = 0;
};

} // namespace gb
