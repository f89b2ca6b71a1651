// The strip on real GDI with the program's emoticon strip: cells where they belong, text as
// wide as it is drawn, and scrolled frames that are the frames drawn whole.
#include <windows.h>

#include <gtest/gtest.h>

#include "StripShow_win32.h"
#include "app/modSettings.h"

namespace {

using striptool::CapturingDisplay;

constexpr COLORREF kWhite = RGB(255, 255, 255);

class StripOnGdi : public ::testing::Test {
  protected:
    StripOnGdi() : saved_(modSettings::Settings()) { modSettings::Settings().ShowEmo = true; }
    ~StripOnGdi() override { modSettings::Settings() = saved_; }

    striptool::Host host;
    gb::OffscreenDCFactory surfaces;

  private:
    modSettings::SettingsRecord saved_;
};

// Every cell of the program's strip holds a picture, and nothing lies past the last; a cell
// drawn on the strip is copied whole to its place, its top at nearest((height - 19) / 2 - 1).
TEST_F(StripOnGdi, EmoticonCellsAreCopiedWholeToTheirPlace) {
    const auto emoticons = surfaces.CreateEmoticonStrip(19);
    const HDC cells = static_cast<gb::OffscreenDC&>(*emoticons).hDC();
    for (int cell = 0; cell < 44; ++cell) {
        int ink = 0;
        for (int x = 0; x < 19; ++x)
            for (int y = 0; y < 19; ++y)
                ink += ::GetPixel(cells, 19 * cell + x, y) != kWhite;
        EXPECT_GT(ink, 20) << "cell " << cell;
    }
    EXPECT_EQ(::GetPixel(cells, 850, 10), kWhite);
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
        int wrong = 0; // the cell with a white column either side
        for (int x = -1; x <= 19; ++x)
            for (int y = 0; y < 19; ++y)
                wrong += display.Pixel(30 + x, r.top + y) !=
                         (x < 0 || x == 19 ? kWhite : ::GetPixel(cells, 19 * r.cell + x, y));
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(StripOnGdi, MeasuredWidthIsTheDrawnWidth) {
    const std::u16string texts[] = {u"Hello, world", u"\u041F\u0440\u0438\u0432\u0435\u0442",
                                    u"\u00E9t\u00E9 \u00E0 Z\u00FCrich", u"WWWWiiii"};
    for (const auto& text : texts) {
        SCOPED_TRACE(testing::Message() << text.size());
        gb::colMsg strip(host, surfaces);
        gb::clsString& item = strip.AddString(text);
        item.SetWhiteSpace(0);
        item.TextFont()->SetBold(true);
        strip.AddString(u"").SetWhiteSpace(1000);
        CapturingDisplay display(400, 24);
        strip.DisplayOn(display, false);
        int right = -1;
        for (int x = 0; x < 400; ++x)
            for (int y = 0; y < 24; ++y)
                if (display.Pixel(x, y) != kWhite) right = x;
        const int width = static_cast<int>(item.Width());
        EXPECT_LT(right, width) << "ink stays inside the measured width";
        EXPECT_GE(right, width - 4) << "and reaches close to its end";
    }
}

// A frame scrolled from the last one must be the frame drawn whole, pixel for pixel: at whole
// and fractional speeds, with bold and italic runs (whose ink overhangs) and emoticons.
TEST_F(StripOnGdi, ScrolledFramesAreTheFramesDrawnWhole) {
    for (float speed : {10.0f, 7.0f, 2.5f}) {
        SCOPED_TRACE(speed);
        gb::colMsg scrolled(host, surfaces), whole(host, surfaces);
        for (gb::colMsg* strip : {&scrolled, &whole}) {
            strip->SetScrollSpeed(speed);
            strip->AddMsg(u"Hello (Y) there :) W", u"Arial", 0x0000FF, 0);
            strip->AddString(u"fff slanted fff").TextFont()->SetItalic(true);
            strip->AddString(u"WIDE bold").TextFont()->SetBold(true);
        }
        CapturingDisplay a(240, 24), b(240, 24);
        for (int tick = 0; tick < 80 && !HasFailure(); ++tick) {
            scrolled.MoveOn(a);
            scrolled.DisplayOn(a, true);
            whole.MoveOn(b);
            whole.Invalidate();
            whole.DisplayOn(b, true);
            for (int x = 0; x < 240; ++x)
                for (int y = 0; y < 24; ++y)
                    if (a.Pixel(x, y) != b.Pixel(x, y)) {
                        ADD_FAILURE() << "tick " << tick << " pixel " << x << "," << y;
                        x = 240;
                        break;
                    }
        }
    }
}

} // namespace
