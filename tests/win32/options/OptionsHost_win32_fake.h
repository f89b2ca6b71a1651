#pragma once
// The bar as the options dialog's window sees it, for tests and the screenshot tool: a fixed
// place, its icon, a record of the tooltip calls and a strip host that measures on GDI.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/modSettings.h"
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
    float top = 0, height = 495;
    std::vector<std::string> calls;
    FakeTickerHost ticker;

    float BarTop() const override { return top; }
    float BarHeight() const override { return height; }
    void ShowTooltip() override { calls.push_back("ShowTooltip"); }
    void HideToolTip() override { calls.push_back("HideToolTip"); }
    HICON Icon() override { return ::LoadIconW(nullptr, MAKEINTRESOURCEW(32516)); }
    gb::IStripHost& TickerStripHost() override { return ticker; }
};

// A store that holds nothing, so that loading from it gives the settings of a first run, and
// prints what is saved to it as "name=value" lines in UTF-8.
class PrintingStore final : public ISettingsStore {
  public:
    std::u16string ReadSettingText(const std::u16string&, const std::u16string& def) override {
        return def;
    }
    void WriteSettingText(const std::u16string& name, const std::u16string& value) override {
        const std::u16string line = name + u"=" + value + u"\n";
        std::string out(line.size() * 3, '\0');
        out.resize(static_cast<std::size_t>(
            ::WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t*>(line.data()),
                                  static_cast<int>(line.size()), out.data(),
                                  static_cast<int>(out.size()), nullptr, nullptr)));
        std::fputs(out.c_str(), stdout);
    }
};

inline modSettings::SettingsRecord FirstRun() {
    PrintingStore store;
    modSettings::LoadSettings(store, {});
    return modSettings::Settings();
}
