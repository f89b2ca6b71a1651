#pragma once
// The bar as the options dialog sees it: a record of the tooltip calls.
#include <string>
#include <vector>

#include "options/OptionsHost.h"

class FakeOptionsHost final : public gb::IOptionsHost {
  public:
    std::vector<std::string> calls;
    float BarTop() const override { return 0; }
    float BarHeight() const override { return 0; }
    void ShowTooltip() override { calls.push_back("ShowTooltip"); }
    void HideToolTip() override { calls.push_back("HideToolTip"); }
};
