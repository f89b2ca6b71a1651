#pragma once
// A drawing surface that records what it draws, with text extents from a fixed rule so that
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
    enum class Op { Resize, Clear, DrawTxt, DrawRect, BltTo };
    // Each call with the font as realised and the ForeColor at the time.
    struct Call {
        Op op;
        // Resize: height, width; DrawTxt: x, y; DrawRect: x1, y1, x2, y2; BltTo: x, y, source
        // x, y, height, width.
        std::vector<std::int32_t> at;
        std::u16string text; // DrawTxt
        gb::StdFont font;
        gb::Color color;
        const gb::ISurface* destination; // BltTo
    };
    std::vector<Call> calls;
    int dpi = gb::kDefaultDpi;

    std::int32_t Width() const override { return width_; }
    std::int32_t Height() const override { return height_; }
    void Resize(std::int32_t height, std::int32_t width) override {
        Record(Op::Resize, {height_ = height, width_ = width});
    }
    void Clear() override { Record(Op::Clear); }
    void ScrollLeft(std::int32_t) override {}
    void ClipColumns(std::int32_t, std::int32_t) override {}
    void ResetClip() override {}
    gb::Color BackColor() const override { return back_; }
    void SetBackColor(gb::Color color) override { back_ = color; }
    gb::Color ForeColor() const override { return fore_; }
    void SetForeColor(gb::Color color) override { fore_ = color; }
    std::shared_ptr<gb::StdFont> Font() override {
        return std::make_shared<gb::StdFont>(realised_);
    }
    void SetFont(std::shared_ptr<gb::StdFont> font) override {
        realised_ = font ? *font : gb::StdFont();
    }
    void SetDpi(int value) override { dpi = value; }
    void DrawTxt(std::u16string_view text, std::int32_t x, std::int32_t y) override {
        Record(Op::DrawTxt, {x, y}, std::u16string(text));
    }
    std::int32_t StringWidth(std::u16string_view text) override {
        return TextWidthIn(realised_, text, dpi);
    }
    std::int32_t StringHeight(std::u16string_view) override { return TextHeightIn(realised_, dpi); }
    void DrawRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override {
        Record(Op::DrawRect, {x1, y1, x2, y2});
    }
    void BltTo(gb::ISurface& destination, std::int32_t x, std::int32_t y, std::int32_t srcX,
               std::int32_t srcY, std::int32_t srcHeight, std::int32_t srcWidth) override {
        Record(Op::BltTo, {x, y, srcX, srcY, srcHeight, srcWidth}, {}, &destination);
    }

    std::vector<Call> Only(Op op) const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.op == op) out.push_back(c);
        return out;
    }

  private:
    void Record(Op op, std::vector<std::int32_t> at = {}, std::u16string text = {},
                const gb::ISurface* destination = nullptr) {
        calls.push_back({op, std::move(at), std::move(text), realised_, fore_, destination});
    }

    std::int32_t width_ = 1, height_ = 1;
    gb::Color back_ = 0xFFFFFF, fore_ = 0;
    gb::StdFont realised_;
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
