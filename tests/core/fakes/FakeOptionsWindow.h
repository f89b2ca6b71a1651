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
    std::vector<float> steps;        // every left edge of a slide, in twips
    int pageSteps = 0;               // moves of a page during turns
    float left = 0, barTop = 0, barHeight = 495; // twips
    FakeDisplay ticker{359, 33};
    // Runs between the steps of a slide or page turn, and while the "Error" box is up; false
    // from it means the program is quitting.
    std::function<bool()> pending = [] { return true; };

    bool Create(bool owned, float l, float top) override {
        left = l, pageLeft.fill(8);
        return Note((owned ? "create owned " : "create ") + N(l) + " " + N(top)), true;
    }
    void Destroy() override { Note("destroy"); }
    void Show() override { Note("show"); }
    void BringToFront() override { Note("front"); }
    float Left() const override { return left; }
    float Width() const override { return 5490; } // 366 pixels with the frame
    float ScreenWidth() const override { return 15360; }
    void MoveLeft(float twips) override { steps.push_back(left = twips); }
    float ScaleWidth() const override { return 359; }
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
    void ShowError(std::u16string_view text) override { Note("error"), error = text, pending(); }
    void FocusUnreadMail() override { Note("focus"); }
    gb::IDisplay& Ticker() override { return ticker; }
    void SetTickerTimer(bool on) override { Note(on ? "timer on" : "timer off"); }
    void CaptureTickerMouse() override { Note("capture"); }
    bool RunPendingMessages() override { return pending(); }
    void OpenWebPage(std::u16string_view a) override {
        Note("open " + std::string(a.begin(), a.end()));
    }

    float BarTop() const override { return barTop; }
    float BarHeight() const override { return barHeight; }
    void ShowTooltip() override { Note("tooltip on"); }
    void HideToolTip() override { Note("tooltip off"); }

  private:
    static std::string N(float v) { return std::to_string(static_cast<int>(v)); }
    void Note(std::string what) { log_.push_back(std::move(what)); }
    Log& log_;
};

} // namespace fakes
