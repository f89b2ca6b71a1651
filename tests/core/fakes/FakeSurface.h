#pragma once
// A drawing surface that records what it draws as text, with text extents from a fixed rule so
// that tests can state exact pixels: each character is half the font's whole points wide (6 at
// 12 points), one more when bold, two more in any face but Arial; the height is the points
// at 96 dots per inch (16 at 12 points).
#include <cmath>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "surface/Surface.h"

namespace fakes {

inline std::int32_t TextWidthIn(const gb::StdFont& font, std::u16string_view text,
                                int dpi = gb::kDefaultDpi) {
    const auto points = static_cast<std::int32_t>(std::nearbyint(font.Size() * dpi / 96.0));
    const std::int32_t perChar =
        points / 2 + (font.Weight() > 550 ? 1 : 0) + (font.Name() == u"Arial" ? 0 : 2);
    return perChar * static_cast<std::int32_t>(text.size());
}

inline std::int32_t TextHeightIn(const gb::StdFont& font, int dpi = gb::kDefaultDpi) {
    return static_cast<std::int32_t>(std::nearbyint(font.Size() * dpi / 72.0));
}

class FakeSurface final : public gb::ISurface {
  public:
    // "resize 20 300" (height, width), "clear", "rect 0 0 299 19", "line 0 0 9 0",
    // "blt 92 1 171 0 19 19" (to x, y from x, y, height, width), "text hi 64 2 Tahoma aa00 b"
    // (x, y, the face and the ForeColor; "b" bold, "u" underlined).
    std::vector<std::string> calls;
    int dpi = gb::kDefaultDpi;

    std::int32_t Width() const override { return width_; }
    std::int32_t Height() const override { return height_; }
    void Resize(std::int32_t height, std::int32_t width) override {
        Note("resize", {height_ = height, width_ = width});
    }
    void Clear() override { Note("clear", {}); }
    void ScrollLeft(std::int32_t) override {}
    void ClipColumns(std::int32_t, std::int32_t) override {}
    void ResetClip() override {}
    gb::Color BackColor() const override { return back_; }
    void SetBackColor(gb::Color color) override { back_ = color; }
    gb::Color ForeColor() const override { return fore_; }
    void SetForeColor(gb::Color color) override { fore_ = color; }
    std::shared_ptr<gb::StdFont> Font() override { return std::make_shared<gb::StdFont>(font_); }
    void SetFont(std::shared_ptr<gb::StdFont> font) override {
        font_ = font ? *font : gb::StdFont();
    }
    void SetDpi(int value) override { dpi = value; }
    void DrawTxt(std::u16string_view text, std::int32_t x, std::int32_t y) override {
        std::ostringstream out;
        out << " " << Narrow(font_.Name()) << " " << std::hex << fore_ << (font_.Bold() ? " b" : "")
            << (font_.Underline() ? " u" : "");
        Note("text " + Narrow(text), {x, y});
        calls.back() += out.str();
    }
    std::int32_t StringWidth(std::u16string_view text) override {
        return TextWidthIn(font_, text, dpi);
    }
    std::int32_t StringHeight(std::u16string_view) override { return TextHeightIn(font_, dpi); }
    void DrawRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override {
        Note("rect", {x1, y1, x2, y2});
    }
    void DrawLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override {
        Note("line", {x1, y1, x2, y2});
    }
    gb::Color LineColor() const override { return line_; }
    void SetLineColor(gb::Color color) override { line_ = color; }
    std::int16_t LineWidth() const override { return lineWidth_; }
    void SetLineWidth(std::int16_t width) override { lineWidth_ = width; }
    gb::Color FillColor() const override { return fill_; }
    void SetFillColor(gb::Color color) override { fill_ = color; }
    void BltTo(gb::ISurface&, std::int32_t x, std::int32_t y, std::int32_t srcX, std::int32_t srcY,
               std::int32_t srcHeight, std::int32_t srcWidth) override {
        Note("blt", {x, y, srcX, srcY, srcHeight, srcWidth});
    }

  private:
    static std::string Narrow(std::u16string_view text) { return {text.begin(), text.end()}; }
    void Note(std::string what, std::initializer_list<std::int32_t> numbers) {
        for (const std::int32_t n : numbers)
            what += " " + std::to_string(n);
        calls.push_back(std::move(what));
    }

    std::int32_t width_ = 1, height_ = 1;
    gb::Color back_ = 0xFFFFFF, fore_ = 0, line_ = 0, fill_ = 0xFFFFFF;
    std::int16_t lineWidth_ = 1;
    gb::StdFont font_; // as realised
};

// Hands out recording surfaces and keeps a view of the last two it made (the strip owns them).
class FakeSurfaceFactory final : public gb::ISurfaceFactory {
  public:
    FakeSurface* canvas = nullptr;
    FakeSurface* emoticons = nullptr;
    std::unique_ptr<gb::ISurface> CreateCanvas() override { return Make(canvas); }
    std::unique_ptr<gb::ISurface> CreateEmoticonStrip(int) override { return Make(emoticons); }

  private:
    static std::unique_ptr<gb::ISurface> Make(FakeSurface*& view) {
        auto s = std::make_unique<FakeSurface>();
        view = s.get();
        return s;
    }
};

class FakeDisplay final : public gb::IDisplay {
  public:
    float width, height;
    std::vector<const gb::ISurface*> presented;
    std::vector<std::size_t> callsAtPresent; // how many calls the canvas had recorded by then
    FakeDisplay(float w, float h) : width(w), height(h) {}
    float ScaleWidth() const override { return width; }
    float ScaleHeight() const override { return height; }
    void Present(gb::ISurface& canvas) override {
        presented.push_back(&canvas);
        if (auto* f = dynamic_cast<FakeSurface*>(&canvas))
            callsAtPresent.push_back(f->calls.size());
    }
};

} // namespace fakes
