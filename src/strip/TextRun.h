#pragma once
// A run of text in one font and colour, the part the strip's text items share: a buddy's words
// and names (clsString) and the notifications (clsAction). Measured once per font and DPI.
#include <memory>
#include <string>

#include "strip/MeasuredWidth.h"
#include "strip/StripHost.h"
#include "surface/StdFont.h"
#include "surface/Surface.h"

namespace gb {

class TextRun {
  public:
    // Empty, in the colour given, in a new Arial font of the host's font size.
    TextRun(const StripHost& host, Color color)
        : font_(std::make_shared<StdFont>(u"Arial", host.fontSize)), color_(color) {}

    const std::u16string& Text() const noexcept { return text_; }
    void SetText(std::u16string text) {
        text_ = std::move(text);
        measured_.Forget();
    }
    // May be null: then the run is measured and drawn in the default font.
    const std::shared_ptr<StdFont>& TextFont() const noexcept { return font_; }
    void SetTextFont(std::shared_ptr<StdFont> font) { font_ = std::move(font); }
    Color TextColor() const noexcept { return color_; }
    void SetTextColor(Color color) noexcept { color_ = color; }

    // The text's width at the host's DPI; 0 when empty.
    float TextWidth(const StripHost& host) const {
        if (text_.empty()) return 0;
        const auto text = [this]() -> const std::u16string& { return text_; };
        return measured_.Of(host.measure, font_ ? *font_ : StdFont(), host.dpi, text);
    }

  private:
    std::u16string text_;
    std::shared_ptr<StdFont> font_;
    Color color_;
    MeasuredWidth measured_;
};

} // namespace gb
