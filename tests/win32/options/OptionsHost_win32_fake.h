#pragma once
// The bar as the options dialog's window sees it, for tests and the screenshot tool: a fixed
// place, its icon, a record of the tooltip calls and a strip host that measures on GDI.
#include <windows.h>

#include <string>
#include <vector>

#include "options/frmOptions_win32.h"
#include "strip/StripHost_win32.h"

class FakeTickerHost final : public gb::StripHostBase {
  public:
    double FontSize() const override { return 9.75; }
    gb::colMsg* BarStrip() override { return nullptr; }
    void ClearPrevBuddy() override {}
    messenger::IMessengerFactory* MessengerFactory() override { return nullptr; }
};

class FakeOptionsHostWin32 final : public gb::IOptionsHostWin32 {
  public:
    float top = 0;
    float height = 495;
    HICON icon = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32516)); // the system's information icon
    std::vector<std::string> calls;
    FakeTickerHost ticker;

    float BarTop() const override { return top; }
    float BarHeight() const override { return height; }
    void ShowTooltip() override { calls.push_back("ShowTooltip"); }
    void HideToolTip() override { calls.push_back("HideToolTip"); }
    HICON Icon() override { return icon; }
    gb::IStripHost& TickerStripHost() override { return ticker; }
};
