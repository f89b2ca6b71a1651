#pragma once
// The bar as the options dialog sees it: a fixed place and a record of the tooltip calls.
#include <string>
#include <vector>

#include "options/OptionsHost.h"

class FakeOptionsHost final : public gb::IOptionsHost {
  public:
    float top = 0;
    float height = 0;
    std::vector<std::string> calls;

    float BarTop() const override { return top; }
    float BarHeight() const override { return height; }
    void ShowTooltip() override { calls.push_back("ShowTooltip"); }
    void HideToolTip() override { calls.push_back("HideToolTip"); }
};
