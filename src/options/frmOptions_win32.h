#pragma once
// The options dialog's windows: the dialog itself, its four pages and its ticker, each a thin
// window on the kit's base. Their window procedures unpack each message and make one call of
// the dialog's controller, which decides everything; the dialog carries its decisions out.
#include <windows.h>

#include <array>
#include <vector>

#include "kit/Handles_win32.h"
#include "kit/Window_win32.h"
#include "options/OptionsController.h"
#include "surface/OffscreenDC_win32.h"

namespace gb {

struct StripHost;

// The bar as the dialog's window sees it.
class IOptionsHostWin32 : public IOptionsHost {
  public:
    // The bar's icon; the dialog takes a copy of its own.
    virtual HICON Icon() = 0;
    // Measures text and gives new items their font size; used by the ticker's strip.
    virtual StripHost& TickerStripHost() = 0;
};

// A page: it draws its own frame, so that each caption has its colour; its controls'
// notifications go on to the dialog.
class OptionsPageWindow final : public Window {
  public:
    bool Create(HWND dialog, int index, RECT at, HFONT captionFont, HINSTANCE module);
    void SetCaptionFont(HFONT font) noexcept { captionFont_ = font; }

  private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnPaint();

    HWND dialog_ = nullptr;
    int index_ = 0;
    HFONT captionFont_ = nullptr; // the dialog's, which outlives its pages
};

// The ticker across the top of the dialog (picMsg).
class OptionsTickerWindow final : public Window, public IDisplay {
  public:
    explicit OptionsTickerWindow(OptionsController& controller) : controller_(controller) {}
    bool Create(HWND dialog, RECT at, HINSTANCE module);

    float ScaleWidth() const override;
    float ScaleHeight() const override;
    void Present(ISurface& canvas) override;

  private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    OptionsController& controller_;
};

class frmOptions final : public Window, public IOptionsWindow {
  public:
    // module: where the dialog's pictures and the emoticon picture strip are found; settings:
    // what the dialog shows and "&Okay" writes, which must outlive it.
    frmOptions(IOptionsHostWin32& host, HINSTANCE module, modSettings::SettingsRecord& settings);
    ~frmOptions() override;

    // Shows the dialog (owner: the bar's window, or none from the welcome box) and slides it
    // in below the bar; returns when it stands centred or was closed meanwhile.
    void Show(HWND owner);
    // The program ends: the dialog closes as "&Not okay" closes it. Shutdown calls it before
    // the settings are saved.
    void Unload() { controller_.Shutdown(); }
    bool IsOpen() const noexcept { return controller_.IsOpen(); }
    OptionsController& Controller() noexcept { return controller_; }

    // IOptionsWindow
    bool Create(bool owned, int left, int top, int dpi) override;
    void Destroy() override;
    void Show() override;
    void BringToFront() override;
    int Left() const override;
    int Width() const override;
    void MoveLeft(int left) override;
    float ScaleWidth() const override;
    OptionsControls ReadControls() const override;
    void WriteControls(const OptionsControls& controls) override;
    void WriteNameSample(std::u16string_view sample, bool domainEnabled) override;
    PageSpan Page(int index) const override;
    void MovePage(int index, float left) override;
    void ShowPage(int index, bool visible) override;
    void ShowArrows(bool previous, bool next) override;
    void EnableArrows(bool enabled) override;
    bool FocusOnPage(int index) const override;
    void FocusPage(int index) override;
    void ShowError(std::u16string_view text) override;
    void FocusUnreadMail() override;
    IDisplay& Ticker() override { return ticker_; }
    void SetTickerTimer(bool running) override;
    void CaptureTickerMouse() override;
    bool RunPendingMessages() override;
    void OpenWebPage(std::u16string_view address) override;

    enum class Font { Regular, Bold, BoldItalic, Note, Small, Italic, Count };

  private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnCommand(int id, int code, HWND control);
    LRESULT OnCtlColor(HWND control, HDC dc) const;
    void CreateControls();
    HWND Item(int id) const;
    void AddTip(HWND control, const wchar_t* text);
    int Px(float twips) const;
    int Py(float twips) const;
    void MakeFonts();
    void OnDpiChanged(int dpi, const RECT& suggested);

    IOptionsHostWin32& host_;
    HINSTANCE module_;
    HWND owner_ = nullptr; // of the next dialog
    OffscreenDCFactory surfaces_;
    OptionsController controller_;
    OptionsTickerWindow ticker_{controller_};
    std::array<OptionsPageWindow, kPageCount> pages_;

    // What one dialog is made with; released when it goes.
    std::array<unique_hfont, static_cast<std::size_t>(Font::Count)> fonts_;
    unique_hbitmap bmpPrev_, bmpNext_, bmpBanner_;
    unique_hicon icon_;
    unique_hhook keys_;
    HWND tooltip_ = nullptr;     // owned by the dialog, destroyed with it
    HWND lastFocus_ = nullptr;   // where the focus goes back when the dialog is activated
    std::vector<HWND> controls_; // one a row of the table, in its order
    int dpi_ = 96;               // the monitor's the dialog stands on
};

} // namespace gb
