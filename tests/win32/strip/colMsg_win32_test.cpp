#include <windows.h>

#include <gtest/gtest.h>

#include "Win32StripSupport.h"
#include "app/modSettings.h"

namespace {

using win32test::CapturingDisplay;
using win32test::CellColor;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

class StripOnGdi : public ::testing::Test {
  protected:
    StripOnGdi() : saved_(modSettings::Settings()) {
        modSettings::Settings().ShowEmo = true;
        modSettings::Settings().Says = u"says: ";
    }
    ~StripOnGdi() override { modSettings::Settings() = saved_; }

    win32test::Host host;
    win32test::CodeDrawnSurfaces surfaces;

  private:
    modSettings::SettingsRecord saved_;
};

TEST_F(StripOnGdi, EmoticonCellIsCopiedToItsPlace) {
    const struct {
        int cell;
        float height;
        int top; // nearest((height - 19) / 2 - 1)
    } rows[] = {{9, 25, 2}, {0, 20, 0}, {43, 30, 4}, {24, 21, 0}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.cell);
        gb::colMsg strip(host, surfaces);
        strip.AddString(u"").SetWhiteSpace(30);
        strip.AddEmo(static_cast<std::uint8_t>(r.cell), 0);
        CapturingDisplay display(200, r.height);
        strip.DisplayOn(display, false);
        EXPECT_EQ(display.Pixel(30, r.top), CellColor(r.cell));
        EXPECT_EQ(display.Pixel(48, r.top + 18), CellColor(r.cell));
        EXPECT_EQ(display.Pixel(29, r.top + 5), kWhite);
        EXPECT_EQ(display.Pixel(49, r.top + 5), kWhite);
        if (r.top > 0) {
            EXPECT_EQ(display.Pixel(35, r.top - 1), kWhite);
        }
    }
}

TEST_F(StripOnGdi, FrameOverItemsAndOneCopyToTheDisplay) {
    gb::colMsg strip(host, surfaces);
    for (int i = 0; i < 20; ++i)
        strip.AddEmo(5, 0);
    CapturingDisplay display(120, 20);
    strip.DisplayOn(display, true);
    EXPECT_EQ(display.presents, 1);
    EXPECT_EQ(display.Pixel(0, 10), kBlack);
    EXPECT_EQ(display.Pixel(119, 10), kBlack);
    EXPECT_EQ(display.Pixel(10, 0), kBlack);
    EXPECT_EQ(display.Pixel(10, 19), kBlack);
    EXPECT_EQ(display.Pixel(5, 5), CellColor(5)) << "items are drawn under the frame";
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
        ASSERT_GT(width, 0);
        EXPECT_LT(right, width) << "ink stays inside the measured width";
        EXPECT_GE(right, width - 4) << "and reaches close to its end";
    }
}

TEST_F(StripOnGdi, SaysIsMeasuredInTheFontItIsDrawnIn) {
    gb::colMsg strip(host, surfaces);
    gb::clsString& banner = strip.AddString(u"Glidebanner");
    banner.TextFont()->SetBold(true);
    banner.TextFont()->SetSize(20);
    gb::clsSays& says = strip.AddSays(u"Ann", 0);
    const float afterNothing = says.Width();
    (void)banner.Width();
    EXPECT_FLOAT_EQ(says.Width(), afterNothing);
    gb::OffscreenDC reference;
    reference.SetFont(std::make_shared<gb::StdFont>(u"Arial", 12));
    EXPECT_FLOAT_EQ(says.Width(), static_cast<float>(reference.StringWidth(u"Ann says: ")) + 10);
}

TEST_F(StripOnGdi, ProgramEmoticonStripWhenLinked) {
    gb::OffscreenDCFactory factory;
    if (!::FindResourceW(nullptr, MAKEINTRESOURCEW(gb::kEmoticonBitmapId), RT_BITMAP))
        GTEST_SKIP() << "this executable has no emoticon strip linked";
    auto strip = factory.CreateEmoticonStrip();
    auto& emo = static_cast<gb::OffscreenDC&>(*strip);
    EXPECT_EQ(emo.Width(), 1) << "loaded without taking the picture's size";
    BITMAP bm{};
    ::GetObjectW(::GetCurrentObject(emo.hDC(), OBJ_BITMAP), sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 863);
    EXPECT_EQ(bm.bmHeight, 19);
    for (int cell = 0; cell < 44; ++cell) {
        SCOPED_TRACE(cell);
        int ink = 0;
        for (int x = 0; x < 19; ++x)
            for (int y = 0; y < 19; ++y)
                ink += ::GetPixel(emo.hDC(), 19 * cell + x, y) != kWhite;
        EXPECT_GT(ink, 20) << "every cell holds a picture";
    }
    EXPECT_EQ(::GetPixel(emo.hDC(), 850, 10), kWhite) << "columns past the last cell are blank";
}

} // namespace
