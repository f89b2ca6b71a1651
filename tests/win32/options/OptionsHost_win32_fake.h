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

class FakeOptionsHostWin32 final : public gb::IOptionsHostWin32 {
  public:
    float top = 0, height = 495;
    std::vector<std::string> calls;
    gb::GdiTextMeasure measure;
    gb::DesktopWindowActions windows;
    gb::StripHost ticker{9.75, measure, windows};

    float BarTop() const override { return top; }
    float BarHeight() const override { return height; }
    void ShowTooltip() override { calls.push_back("ShowTooltip"); }
    void HideToolTip() override { calls.push_back("HideToolTip"); }
    HICON Icon() override { return ::LoadIconW(nullptr, MAKEINTRESOURCEW(32516)); }
    const gb::StripHost& TickerStripHost() override { return ticker; }
};

// A store that holds nothing, so that loading from it gives the settings of a first run, and
// prints what is saved to it as "name=value" lines.
class PrintingStore final : public ISettingsStore {
  public:
    std::u16string ReadSettingText(const std::u16string&, const std::u16string& def) override {
        return def;
    }
    void WriteSettingText(const std::u16string& name, const std::u16string& value) override {
        std::printf("%ls=%ls\n", reinterpret_cast<const wchar_t*>(name.c_str()),
                    reinterpret_cast<const wchar_t*>(value.c_str()));
    }
};

inline modSettings::SettingsRecord FirstRun() {
    PrintingStore store;
    modSettings::LoadSettings(store, {});
    return modSettings::Settings();
}
