#pragma once
// A text's width in a font at a DPI, kept until the font or the DPI differ or the text is
// forgotten: the strip asks every item in view for its width at every tick, and measuring is a
// call into the system's text layout.
#include <optional>

#include "strip/StripHost.h"
#include "surface/StdFont.h"

namespace gb {

class MeasuredWidth {
  public:
    // text() gives the text, asked for only when it is measured.
    template <class GetText>
    float Of(ITextMeasure& measure, const StdFont& font, int dpi, GetText&& text) const {
        if (!font_ || !(*font_ == font) || dpi_ != dpi) {
            width_ = measure.TextWidth(font, text(), dpi);
            font_ = font;
            dpi_ = dpi;
        }
        return width_;
    }
    // The text has changed: the next width is measured.
    void Forget() const noexcept { font_.reset(); }

  private:
    mutable std::optional<StdFont> font_;
    mutable int dpi_ = 0;
    mutable float width_ = 0;
};

} // namespace gb
