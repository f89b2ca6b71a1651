#pragma once
// What the options dialog needs of the bar: where it stands, to place the dialog right below
// it, and its help tooltip, which "&Okay" switches on or off. The bar implements it; the
// tests use a fake.
namespace gb {

class IOptionsHost {
  public:
    virtual ~IOptionsHost() = default;

    // The bar's top edge and height in twips.
    virtual float BarTop() const = 0;
    virtual float BarHeight() const = 0;

    // Builds the bar's help tooltip afresh.
    virtual void ShowTooltip() = 0;
    // Removes the bar's help tooltip.
    virtual void HideToolTip() = 0;
};

} // namespace gb
