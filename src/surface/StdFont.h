#pragma once
// A font description shared by reference between items and surfaces. A surface reads it when
// the font is assigned; later changes reach the surface only at the next assignment.
#include <cstdint>
#include <string>

namespace gb {

class StdFont {
  public:
    // A fresh font: Arial, 12 points, regular, no decoration, the ANSI character set.
    StdFont() = default;
    StdFont(std::u16string name, double size) : name_(std::move(name)) { SetSize(size); }

    const std::u16string& Name() const noexcept { return name_; }
    void SetName(std::u16string name) { name_ = std::move(name); }

    // Points, kept to four decimals (rounded half to even when written).
    double Size() const noexcept { return static_cast<double>(sizeTenThousandths_) / 10000.0; }
    void SetSize(double points) noexcept;

    // Bold and Weight are one value: writing Bold sets Weight to 700 or 400, and Bold reads
    // true for any Weight above 550, so a surface that reads only Weight draws what Bold says.
    bool Bold() const noexcept { return weight_ > 550; }
    void SetBold(bool bold) noexcept { weight_ = bold ? 700 : 400; }
    std::int16_t Weight() const noexcept { return weight_; }
    void SetWeight(std::int16_t weight) noexcept { weight_ = weight; }

    bool Italic() const noexcept { return italic_; }
    void SetItalic(bool on) noexcept { italic_ = on; }
    bool Underline() const noexcept { return underline_; }
    void SetUnderline(bool on) noexcept { underline_ = on; }
    bool Strikethrough() const noexcept { return strikethrough_; }
    void SetStrikethrough(bool on) noexcept { strikethrough_ = on; }
    std::int16_t Charset() const noexcept { return charset_; }
    void SetCharset(std::int16_t charset) noexcept { charset_ = charset; }

    friend bool operator==(const StdFont&, const StdFont&) = default;

  private:
    std::u16string name_ = u"Arial";
    std::int64_t sizeTenThousandths_ = 120000;
    std::int16_t weight_ = 400;
    bool italic_ = false;
    bool underline_ = false;
    bool strikethrough_ = false;
    std::int16_t charset_ = 0;
};

} // namespace gb
