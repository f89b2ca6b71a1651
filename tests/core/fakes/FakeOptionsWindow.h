#pragma once
// The options dialog's window and the bar around it, for the dialog's controller: it holds
// the controls' values as the user left them, and writes what it is asked into a shared log
// (the single steps of slides and page turns apart), so that a test reads the order of
// everything the controller did.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "FakeSurface.h"
#include "options/OptionsHost.h"
#include "options/OptionsWindow.h"

namespace fakes {

class FakeOptionsWindow final : public gb::IOptionsWindow, public gb::IOptionsHost {
  public:
    using Log = std::vector<std::string>;
    explicit FakeOptionsWindow(Log& log) : log_(log) {}

    gb::OptionsControls controls;    // the user edits these; Write puts the model's here
    std::u16string error;            // the text of the last "Error" box
    std::array<float, 4> pageLeft{}; // pixels
    std::vector<int> steps;          // every left edge of a slide
    int pageSteps = 0;               // moves of a page during turns
    int left = 0, dpi = 96;          // the dialog's, pixels
    int focusPage = -1;              // the page with the keyboard focus, or none
    float scaleWidth = 359;
    gb::DialogScreen screen{0, 0, 1024, 768, 96, 33}; // the bar's monitor
    FakeDisplay ticker{359, 33};
    // Runs between the steps of a slide or page turn, and while the "Error" box is up; false
    // from it means the program is quitting.
    std::function<bool()> pending = [] { return true; };

    bool Create(bool owned, int l, int top, int atDpi) override {
        left = l, dpi = atDpi, pageLeft.fill(8);
        return Note((owned ? "create owned " : "create ") + N(l) + " " + N(top)), true;
    }
    void Destroy() override { Note("destroy"); }
    void Show() override { Note("show"); }
    void BringToFront() override { Note("front"); }
    int Left() const override { return left; }
    int Width() const override { return 366 * dpi / 96; } // with the frame
    void MoveLeft(int l) override { steps.push_back(left = l); }
    float ScaleWidth() const override { return scaleWidth; }
    gb::OptionsControls ReadControls() const override { return controls; }
    void WriteControls(const gb::OptionsControls& c) override { Note("controls"), controls = c; }
    void WriteNameSample(std::u16string_view sample, bool domainEnabled) override {
        Note("sample " + std::string(sample.begin(), sample.end()) + (domainEnabled ? "" : " -"));
    }
    gb::PageSpan Page(int i) const override { return {pageLeft[static_cast<unsigned>(i)], 345}; }
    void MovePage(int i, float l) override { ++pageSteps, pageLeft[static_cast<unsigned>(i)] = l; }
    void ShowPage(int i, bool on) override {
        Note("page " + std::to_string(i) + (on ? " at " + N(Page(i).left) : " hidden"));
    }
    void ShowArrows(bool prev, bool next) override {
        Note(std::string("arrows") + (prev ? " <" : "") + (next ? " >" : ""));
    }
    void EnableArrows(bool on) override { Note(on ? "arrows on" : "arrows off"); }
    bool FocusOnPage(int i) const override { return focusPage == i; }
    void FocusPage(int i) override { Note("focus page " + N(focusPage = i)); }
    void ShowError(std::u16string_view text) override { Note("error"), error = text, pending(); }
    void FocusUnreadMail() override { Note("focus"); }
    gb::IDisplay& Ticker() override { return ticker; }
    void SetTickerTimer(bool on) override { Note(on ? "timer on" : "timer off"); }
    void CaptureTickerMouse() override { Note("capture"); }
    bool RunPendingMessages() override { return pending(); }
    void OpenWebPage(std::u16string_view a) override {
        Note("open " + std::string(a.begin(), a.end()));
    }

    gb::DialogScreen Screen() const override { return screen; }
    void ShowTooltip() override { Note("tooltip on"); }
    void HideToolTip() override { Note("tooltip off"); }

  private:
    static std::string N(float v) { return std::to_string(static_cast<int>(v)); }
    static std::string N(int v) { return std::to_string(v); }
    void Note(std::string what) { log_.push_back(std::move(what)); }
    Log& log_;
};

} // namespace fakes
