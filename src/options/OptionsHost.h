#pragma once
// What the options dialog needs of the bar: where it stands, to place the dialog right below
// it on its monitor, and its help tooltip, which "&Okay" switches on or off. The bar
// implements it; the tests use a fake.
namespace gb {

// The dialog's screen: the monitor the bar stands on, in pixels of the virtual screen (a
// monitor left of or above the primary has negative ones) with its dots per inch, and the
// bar's bottom edge.
struct DialogScreen {
    int left = 0, top = 0, width = 1024, height = 768;
    int dpi = 96;
    int barBottom = 0;
};

class IOptionsHost {
  public:
    virtual ~IOptionsHost() = default;

    virtual DialogScreen Screen() const = 0;

    // Builds the bar's help tooltip afresh.
    virtual void ShowTooltip() = 0;
    // Removes the bar's help tooltip.
    virtual void HideToolTip() = 0;
};

} // namespace gb
