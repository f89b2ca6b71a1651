// The strip on real GDI with the program's emoticon strip: cells where they belong, and scrolled
// frames that are the frames drawn whole.
#include <windows.h>

#include <gtest/gtest.h>

#include "StripShow_win32.h"

namespace {

using striptool::CapturingDisplay;

constexpr COLORREF kWhite = RGB(255, 255, 255);

// A strip on the program's surfaces, with emoticons shown.
struct StripOnGdi : ::testing::Test {
    StripOnGdi() { host.record.ShowEmo = true; }
    striptool::Host host;
    gb::OffscreenDCFactory surfaces;
};

// A cell of the program's strip, drawn on the strip, is copied whole to its place, its top at
// nearest((height - 19) / 2 - 1), with white either side.
TEST_F(StripOnGdi, EmoticonCellsAreCopiedWholeToTheirPlace) {
    const auto emoticons = surfaces.CreateEmoticonStrip(19);
    const HDC cells = static_cast<gb::OffscreenDC&>(*emoticons).hDC();
    const struct {
        int cell;
        float height;
        int top;
    } rows[] = {{9, 25, 2}, {0, 20, 0}, {43, 30, 4}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.cell);
        gb::colMsg strip(host, surfaces);
        strip.AddString(u"").SetWhiteSpace(30);
        strip.AddEmo(static_cast<std::uint8_t>(r.cell), 0);
        CapturingDisplay display(200, r.height);
        strip.DisplayOn(display, false);
        int ink = 0, wrong = 0;
        for (int x = -1; x <= 19; ++x)
            for (int y = 0; y < 19; ++y) {
                const COLORREF want =
                    x < 0 || x == 19 ? kWhite : ::GetPixel(cells, 19 * r.cell + x, y);
                ink += want != kWhite;
                wrong += display.Pixel(30 + x, r.top + y) != want;
            }
        EXPECT_GT(ink, 20) << "a picture, linked into the program";
        EXPECT_EQ(wrong, 0);
    }
}

// A frame scrolled from the last one must be the frame drawn whole, pixel for pixel: at whole
// and fractional speeds, with bold and italic runs (whose ink overhangs) and emoticons, across
// items that leave narrower than a tick's step (a text that begins with an emoticon), ticks
// while the bar is hidden, a says text changed meanwhile, and an item appended while the strip
// ends inside the display.
TEST_F(StripOnGdi, ScrolledFramesAreTheFramesDrawnWhole) {
    constexpr int kW = 480, kH = 24;
    for (float speed : {10.0f, 25.0f, 7.0f, 2.5f}) {
        SCOPED_TRACE(speed);
        gb::colMsg scrolled(host, surfaces), whole(host, surfaces);
        for (gb::colMsg* strip : {&scrolled, &whole}) {
            strip->SetScrollSpeed(speed);
            strip->AddMsg(u"(Y)Hello (Y) there :) W", u"Arial", 0x0000FF, 0);
            strip->AddSays(u"Ann", 0);
            strip->AddString(u"fff slanted fff").TextFont()->SetItalic(true);
        }
        CapturingDisplay a(kW, kH), b(kW, kH);
        host.record.Says = u"says:";
        for (int tick = 0; tick < 80 && !HasFailure(); ++tick) {
            if (tick == 30) host.record.Says = u"wrote";
            if (tick > 0) scrolled.MoveOn(a), whole.MoveOn(b);
            if (tick >= 20 && tick < 30) continue; // hidden in the notification area
            scrolled.DisplayOn(a, true);
            whole.Invalidate();
            whole.DisplayOn(b, true);
            for (int i = 0; i < kW * kH; ++i)
                if (a.Pixel(i / kH, i % kH) != b.Pixel(i / kH, i % kH)) {
                    ADD_FAILURE() << "tick " << tick << " pixel " << i / kH << "," << i % kH;
                    break;
                }
            if (tick == 0)
                for (gb::colMsg* strip : {&scrolled, &whole})
                    strip->AddString(u"WIDE bold").TextFont()->SetBold(true);
        }
    }
}

} // namespace
