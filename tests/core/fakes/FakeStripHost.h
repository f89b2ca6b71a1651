#pragma once
// The bar as a strip's host: measures with the fake surface's rule, knows a few faces, reads
// its own settings (a first run's until a test changes them), and records the window
// operations and PrevBuddy clearings a strip asks for.
#include <set>
#include <string>
#include <vector>

#include "FakeSurface.h"
#include "MemorySettingsStore.h"
#include "strip/StripHost.h"
#include "surface/FontFaces.h"

namespace fakes {

class FakeStripHost final : public gb::ITextMeasure,
                            public gb::IWindowActions,
                            public gb::IBarLink,
                            public gb::StripHost {
  public:
    FakeStripHost() : gb::StripHost{12, *this, *this, record, this, nullptr} {}
    FakeStripHost(const FakeStripHost&) = delete;
    FakeStripHost& operator=(const FakeStripHost&) = delete;

    modSettings::SettingsRecord record = FirstRunSettings();
    std::set<std::u16string> faces{u"Tahoma", u"Comic Sans MS", u"Courier New"};
    gb::colMsg* barStrip = nullptr;
    int prevBuddyCleared = 0;
    std::set<messenger::WindowHandle> iconic;
    std::vector<std::string> windowCalls; // "iconic 5", "restore 5", "front 5"
    std::vector<gb::StdFont> measuredIn;

    float TextWidth(const gb::StdFont& font, std::u16string_view text, int atDpi) override {
        measuredIn.push_back(font);
        return static_cast<float>(TextWidthIn(font, text, atDpi));
    }
    float TextHeight(const gb::StdFont& font, std::u16string_view, int atDpi) override {
        return static_cast<float>(TextHeightIn(font, atDpi));
    }
    bool FaceExists(std::u16string_view face) override { return gb::FaceAvailable(face, faces); }
    gb::colMsg* BarStrip() override { return barStrip; }
    void ClearPrevBuddy() override { ++prevBuddyCleared; }
    bool IsIconic(messenger::WindowHandle h) override {
        windowCalls.push_back("iconic " + std::to_string(h));
        return iconic.count(h) != 0;
    }
    void RestoreWindow(messenger::WindowHandle h) override {
        windowCalls.push_back("restore " + std::to_string(h));
    }
    void SetForegroundWindow(messenger::WindowHandle h) override {
        windowCalls.push_back("front " + std::to_string(h));
    }
};

} // namespace fakes
