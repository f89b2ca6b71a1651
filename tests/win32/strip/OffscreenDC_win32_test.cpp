#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "Win32StripSupport.h"

namespace {

using gb::OffscreenDC;
using win32test::FillBox;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

SIZE BitmapSize(HDC dc) {
    BITMAP bm{};
    ::GetObjectW(::GetCurrentObject(dc, OBJ_BITMAP), sizeof bm, &bm);
    return {bm.bmWidth, bm.bmHeight};
}

LOGPEN Pen(HDC dc) {
    LOGPEN pen{};
    ::GetObjectW(::GetCurrentObject(dc, OBJ_PEN), sizeof pen, &pen);
    return pen;
}

TEST(OffscreenDC, NewSurfaceThenResize) {
    OffscreenDC s;
    ASSERT_NE(s.hDC(), nullptr);
    EXPECT_EQ(::GetPixel(s.hDC(), 0, 0), kWhite);
    EXPECT_EQ(BitmapSize(s.hDC()).cx, 1);
    EXPECT_EQ(BitmapSize(s.hDC()).cy, 1);
    EXPECT_EQ(Pen(s.hDC()).lopnWidth.x, 1);
    s.Resize(20, 300);
    EXPECT_EQ(BitmapSize(s.hDC()).cx, 300);
    EXPECT_EQ(BitmapSize(s.hDC()).cy, 20);
}

TEST(OffscreenDC, BltToSizesHeightBeforeWidth) {
    const struct {
        int srcHeight, srcWidth, copiedWidth, copiedHeight;
    } rows[] = {{0, 0, 30, 20}, {10, 25, 25, 10}, {5, 0, 30, 5}, {0, 7, 7, 20}};
    OffscreenDC source;
    source.Resize(20, 30);
    source.SetBackColor(kBlue);
    OffscreenDC target;
    target.Resize(60, 60);
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.srcHeight << " x " << r.srcWidth);
        target.Clear();
        source.BltTo(target.hDC(), 5, 6, 0, 0, r.srcHeight, r.srcWidth);
        EXPECT_EQ(::GetPixel(target.hDC(), 5, 6), kBlue);
        EXPECT_EQ(::GetPixel(target.hDC(), 4 + r.copiedWidth, 5 + r.copiedHeight), kBlue);
        EXPECT_EQ(::GetPixel(target.hDC(), 5 + r.copiedWidth, 6), kWhite);
        EXPECT_EQ(::GetPixel(target.hDC(), 5, 6 + r.copiedHeight), kWhite);
    }
}

TEST(OffscreenDC, BackColorErasesAndPenKeepsWidthAndColour) {
    OffscreenDC s;
    s.Resize(10, 10);
    FillBox(s.hDC(), 0, 0, 10, 10, kBlack);
    s.SetBackColor(kWhite);
    EXPECT_EQ(::GetPixel(s.hDC(), 5, 5), kWhite) << "an unchanged colour erases too";
    s.SetBackColor(RGB(10, 200, 30));
    EXPECT_EQ(::GetPixel(s.hDC(), 9, 9), RGB(10, 200, 30));

    s.SetLineColor(RGB(200, 0, 0));
    s.SetLineWidth(3);
    EXPECT_EQ(Pen(s.hDC()).lopnColor, RGB(200, 0, 0)) << "width keeps the colour";
    s.SetLineColor(RGB(0, 90, 0));
    EXPECT_EQ(Pen(s.hDC()).lopnWidth.x, 3) << "colour keeps the width";
    EXPECT_EQ(Pen(s.hDC()).lopnColor, RGB(0, 90, 0));
}

TEST(OffscreenDC, LoadStdPictureTakesTheSizeAndKeepsThePixels) {
    OffscreenDC s;
    {
        auto picture = win32test::MakePicture(96, 96, [](HDC dc) {
            FillBox(dc, 0, 0, 96, 96, kWhite);
            FillBox(dc, 40, 40, 60, 60, kBlue);
        });
        OLE_XSIZE_HIMETRIC w = 0;
        OLE_YSIZE_HIMETRIC h = 0;
        picture->get_Width(&w);
        picture->get_Height(&h);
        ASSERT_EQ(w, 2540);
        ASSERT_EQ(h, 2540);
        s.LoadStdPicture(picture.get(), true);
    } // the picture is released and deletes its own bitmap
    EXPECT_EQ(s.Width(), 96);
    EXPECT_EQ(s.Height(), 96);
    EXPECT_EQ(::GetPixel(s.hDC(), 50, 50), kBlue);
    EXPECT_EQ(::GetPixel(s.hDC(), 10, 10), kWhite);
    s.Resize(5, 5); // replacing the adopted bitmap must not disturb anything else
    s.Clear();
    EXPECT_EQ(::GetPixel(s.hDC(), 4, 4), kWhite);
}

TEST(OffscreenDC, FrameLiesOnTheOutermostPixels) {
    OffscreenDC s;
    s.Resize(10, 40);
    s.Clear();
    s.DrawRect(0, 0, s.Width() - 1, s.Height() - 1);
    for (POINT p : {POINT{0, 0}, POINT{39, 0}, POINT{39, 9}, POINT{0, 9}, POINT{20, 9}}) {
        SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
        EXPECT_EQ(::GetPixel(s.hDC(), p.x, p.y), kBlack);
    }
    EXPECT_EQ(::GetPixel(s.hDC(), 1, 1), kWhite);
    EXPECT_EQ(::GetPixel(s.hDC(), 38, 8), kWhite);
}

TEST(OffscreenDC, TextInAnyScriptIsMeasuredAndDrawnWhole) {
    OffscreenDC s;
    s.Resize(30, 400);
    s.Clear();
    s.SetFont(std::make_shared<gb::StdFont>(u"Arial", 12));
    const std::u16string cyrillic = u"\u041F\u0440\u0438\u0432\u0435\u0442";
    EXPECT_NE(s.StringWidth(cyrillic), s.StringWidth(u"??????"))
        << "the text reached GDI as characters, not as '?'";
    s.DrawTxt(cyrillic, 2, 2);
    int dark = 0;
    for (int x = 0; x < 400; ++x)
        for (int y = 0; y < 30; ++y)
            dark += ::GetPixel(s.hDC(), x, y) != kWhite;
    EXPECT_GT(dark, 20);
    auto bold = std::make_shared<gb::StdFont>(u"Arial", 12);
    const int regular = s.StringWidth(u"Glidebanner");
    bold->SetBold(true);
    s.SetFont(bold);
    EXPECT_GT(s.StringWidth(u"Glidebanner"), regular) << "bold reaches the GDI font";
}

// Font assignments, resizes, pens, brushes, and whole surfaces made and destroyed.
void Churn(int rounds) {
    OffscreenDC s;
    auto font = std::make_shared<gb::StdFont>(u"Arial", 12);
    for (int i = 0; i < rounds; ++i) {
        font->SetSize(8 + i % 10);
        font->SetBold(i % 2 == 0);
        s.SetFont(font);
        s.Resize(10 + i % 7, 100 + i % 13);
        s.DrawTxt(u"abc", 0, 0);
        if (i % 10 == 0) {
            s.SetLineColor(static_cast<COLORREF>(i));
            s.SetLineWidth(static_cast<std::int16_t>(1 + i % 3));
            s.SetFillColor(static_cast<COLORREF>(i));
            OffscreenDC another;
        }
    }
}

TEST(OffscreenDC, NoGdiObjectLeaksOverManyReplacements) {
    {
        const DWORD before = win32test::GdiObjects();
        std::vector<gb::unique_hbrush> brushes;
        for (int i = 0; i < 5; ++i)
            brushes.emplace_back(::CreateSolidBrush(RGB(i, 0, 0)));
        ASSERT_EQ(win32test::GdiObjects(), before + 5) << "the count this test relies on";
    }
    Churn(50); // the system's own one-time objects (font caches and the like) come first
    const DWORD before = win32test::GdiObjects();
    Churn(10000);
    EXPECT_LE(win32test::GdiObjects(), before + 2);
}

} // namespace
