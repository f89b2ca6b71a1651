#pragma once
// A drawing surface that records every call, with text extents from a fixed rule so that
// tests can state exact pixels: each character is half the font's whole points wide (6 at
// 12 points), one more when bold, two more in any face but Arial; the height is the points
// at 96 dots per inch (16 at 12 points).
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "surface/Surface.h"

namespace fakes {

inline std::int32_t TextWidthIn(const gb::StdFont& font, std::u16string_view text) {
    const auto points = static_cast<std::int32_t>(std::nearbyint(font.Size()));
    const std::int32_t perChar =
        points / 2 + (font.Weight() > 550 ? 1 : 0) + (font.Name() == u"Arial" ? 0 : 2);
    return perChar * static_cast<std::int32_t>(text.size());
}

inline std::int32_t TextHeightIn(const gb::StdFont& font) {
    return static_cast<std::int32_t>(std::nearbyint(font.Size() * 96.0 / 72.0));
}

class FakeSurface final : public gb::ISurface {
  public:
    enum class Op { Resize, Clear, DrawTxt, DrawRect, BltTo };
    struct Call {
        Op op;
        std::u16string text;       // DrawTxt
        gb::StdFont font;          // DrawTxt: the font as realised
        gb::Color color = 0;       // DrawTxt: ForeColor
        std::int32_t a = 0, b = 0; // x, y (DrawTxt, BltTo destination); height, width (Resize)
        std::int32_t c = 0, d = 0; // DrawRect x2, y2; BltTo source x, y
        std::int32_t e = 0, f = 0; // BltTo source height, width
        const gb::ISurface* destination = nullptr;
    };

    std::string name;
    std::vector<Call> calls;

    explicit FakeSurface(std::string surfaceName) : name(std::move(surfaceName)) {}

    std::int32_t Width() const override { return width_; }
    std::int32_t Height() const override { return height_; }
    void Resize(std::int32_t height, std::int32_t width) override {
        height_ = height;
        width_ = width;
        Call& c = Record(Op::Resize);
        c.a = height;
        c.b = width;
    }
    void Clear() override { calls.push_back(Make(Op::Clear)); }
    gb::Color BackColor() const override { return back_; }
    void SetBackColor(gb::Color color) override {
        back_ = color;
        Clear();
    }
    gb::Color ForeColor() const override { return fore_; }
    void SetForeColor(gb::Color color) override { fore_ = color; }
    std::shared_ptr<gb::StdFont> Font() override {
        if (!font_) font_ = std::make_shared<gb::StdFont>();
        return font_;
    }
    void SetFont(std::shared_ptr<gb::StdFont> font) override {
        font_ = std::move(font);
        realised_ = font_ ? *font_ : gb::StdFont();
    }
    void DrawTxt(std::u16string_view text, std::int32_t x, std::int32_t y) override {
        Call& c = Record(Op::DrawTxt);
        c.text = std::u16string(text);
        c.font = realised_;
        c.color = fore_;
        c.a = x;
        c.b = y;
    }
    std::int32_t StringWidth(std::u16string_view text) override {
        return TextWidthIn(realised_, text);
    }
    std::int32_t StringHeight(std::u16string_view) override { return TextHeightIn(realised_); }
    void DrawRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override {
        Call& c = Record(Op::DrawRect);
        c.a = x1;
        c.b = y1;
        c.c = x2;
        c.d = y2;
    }
    void BltTo(gb::ISurface& destination, std::int32_t destX, std::int32_t destY, std::int32_t srcX,
               std::int32_t srcY, std::int32_t srcHeight, std::int32_t srcWidth) override {
        calls.push_back(
            {Op::BltTo, {}, {}, 0, destX, destY, srcX, srcY, srcHeight, srcWidth, &destination});
    }

    std::vector<Call> Only(Op op) const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.op == op) out.push_back(c);
        return out;
    }

  private:
    static Call Make(Op op) {
        Call c;
        c.op = op;
        return c;
    }
    Call& Record(Op op) { return calls.emplace_back(Make(op)); }

    std::int32_t width_ = 1;
    std::int32_t height_ = 1;
    gb::Color back_ = 0xFFFFFF;
    gb::Color fore_ = 0;
    std::shared_ptr<gb::StdFont> font_ = std::make_shared<gb::StdFont>();
    gb::StdFont realised_;
};

// Hands out recording surfaces and keeps a view of the last two it made (the strip owns them).
class FakeSurfaceFactory final : public gb::ISurfaceFactory {
  public:
    FakeSurface* canvas = nullptr;
    FakeSurface* emoticons = nullptr;

    std::unique_ptr<gb::ISurface> CreateCanvas() override {
        auto s = std::make_unique<FakeSurface>("canvas");
        canvas = s.get();
        return s;
    }
    std::unique_ptr<gb::ISurface> CreateEmoticonStrip() override {
        auto s = std::make_unique<FakeSurface>("emoticons");
        emoticons = s.get();
        return s;
    }
};

class FakeDisplay final : public gb::IDisplay {
  public:
    float width;
    float height;
    std::vector<const gb::ISurface*> presented;
    // How many calls the canvas had recorded at each presentation.
    std::vector<std::size_t> callsAtPresent;

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
