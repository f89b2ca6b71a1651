#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "Win32StripSupport.h"
#include "surface/FontFaces_win32.h"

namespace {

using gb::OffscreenDC;
using win32test::FillBox;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

SIZE SelectedBitmapSize(HDC dc) {
    BITMAP bm{};
    ::GetObjectW(::GetCurrentObject(dc, OBJ_BITMAP), sizeof bm, &bm);
    return {bm.bmWidth, bm.bmHeight};
}

LOGPEN SelectedPen(HDC dc) {
    LOGPEN pen{};
    ::GetObjectW(::GetCurrentObject(dc, OBJ_PEN), sizeof pen, &pen);
    return pen;
}

TEST(OffscreenDC, NewSurfaceState) {
    OffscreenDC s;
    ASSERT_NE(s.hDC(), nullptr);
    EXPECT_EQ(s.Width(), 1);
    EXPECT_EQ(s.Height(), 1);
    EXPECT_EQ(s.LineColor(), 0u);
    EXPECT_EQ(s.LineWidth(), 1);
    EXPECT_EQ(s.FillColor(), 0xFFFFFFu);
    EXPECT_EQ(s.BackColor(), 0xFFFFFFu);
    EXPECT_EQ(s.ForeColor(), 0u);
    EXPECT_EQ(s.Font()->Name(), u"Arial");
    EXPECT_DOUBLE_EQ(s.Font()->Size(), 12);
    EXPECT_EQ(::GetPixel(s.hDC(), 0, 0), kWhite);
    const SIZE bitmap = SelectedBitmapSize(s.hDC());
    EXPECT_EQ(bitmap.cx, 1);
    EXPECT_EQ(bitmap.cy, 1);
}

TEST(OffscreenDC, BltToSizesHeightBeforeWidth) {
    const struct {
        const char* what;
        int srcHeight, srcWidth;
        int copiedWidth, copiedHeight;
    } rows[] = {
        {"zero means the whole surface", 0, 0, 30, 20},
        {"height first", 10, 25, 25, 10},
        {"only height given", 5, 0, 30, 5},
        {"only width given", 0, 7, 7, 20},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        OffscreenDC source;
        source.Resize(20, 30);
        source.SetBackColor(kBlue);
        OffscreenDC target;
        target.Resize(60, 60);
        target.Clear();
        source.BltTo(target.hDC(), 5, 6, 0, 0, r.srcHeight, r.srcWidth);
        EXPECT_EQ(::GetPixel(target.hDC(), 5, 6), kBlue);
        EXPECT_EQ(::GetPixel(target.hDC(), 4 + r.copiedWidth, 5 + r.copiedHeight), kBlue);
        EXPECT_EQ(::GetPixel(target.hDC(), 5 + r.copiedWidth, 6), kWhite);
        EXPECT_EQ(::GetPixel(target.hDC(), 5, 6 + r.copiedHeight), kWhite);
        EXPECT_EQ(::GetPixel(target.hDC(), 4, 6), kWhite);
    }
}

TEST(OffscreenDC, BackColorErasesAtOnceEvenWhenUnchanged) {
    OffscreenDC s;
    s.Resize(10, 10);
    s.Clear();
    FillBox(s.hDC(), 0, 0, 10, 10, kBlack);
    s.SetBackColor(kWhite);
    EXPECT_EQ(::GetPixel(s.hDC(), 5, 5), kWhite);
    s.SetBackColor(RGB(10, 200, 30));
    EXPECT_EQ(::GetPixel(s.hDC(), 9, 9), RGB(10, 200, 30));
    EXPECT_EQ(s.BackColor(), RGB(10, 200, 30));
}

TEST(OffscreenDC, LineWidthAndColourRebuildThePen) {
    OffscreenDC s;
    s.SetLineColor(RGB(200, 0, 0));
    LOGPEN pen = SelectedPen(s.hDC());
    EXPECT_EQ(pen.lopnColor, RGB(200, 0, 0));
    EXPECT_EQ(pen.lopnWidth.x, 1);
    s.SetLineWidth(3);
    pen = SelectedPen(s.hDC());
    EXPECT_EQ(pen.lopnColor, RGB(200, 0, 0)) << "width keeps the colour";
    EXPECT_EQ(pen.lopnWidth.x, 3);
    EXPECT_EQ(s.LineWidth(), 3);
    s.SetLineColor(RGB(0, 90, 0));
    pen = SelectedPen(s.hDC());
    EXPECT_EQ(pen.lopnWidth.x, 3) << "colour keeps the width";
    EXPECT_EQ(s.LineColor(), RGB(0, 90, 0));
    s.SetFillColor(RGB(1, 2, 3));
    LOGBRUSH brush{};
    ::GetObjectW(::GetCurrentObject(s.hDC(), OBJ_BRUSH), sizeof brush, &brush);
    EXPECT_EQ(brush.lbColor, RGB(1, 2, 3));
}

TEST(OffscreenDC, ResizeGivesABitmapOfThatSize) {
    OffscreenDC s;
    s.Resize(20, 300);
    EXPECT_EQ(s.Height(), 20);
    EXPECT_EQ(s.Width(), 300);
    const SIZE bitmap = SelectedBitmapSize(s.hDC());
    EXPECT_EQ(bitmap.cx, 300);
    EXPECT_EQ(bitmap.cy, 20);
}

TEST(OffscreenDC, LoadStdPictureTakesTheSizeAndKeepsThePixels) {
    OffscreenDC s;
    {
        auto picture = win32test::MakePicture(96, 96, [](HDC dc) {
            FillBox(dc, 0, 0, 96, 96, kWhite);
            FillBox(dc, 40, 40, 60, 60, kBlue);
        });
        ASSERT_TRUE(picture);
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
    // Replacing the adopted bitmap must not disturb anything else.
    s.Resize(5, 5);
    s.Clear();
    EXPECT_EQ(::GetPixel(s.hDC(), 4, 4), kWhite);

    OffscreenDC unsized;
    auto picture = win32test::MakePicture(50, 10, [](HDC dc) { FillBox(dc, 0, 0, 50, 10, kBlue); });
    unsized.LoadStdPicture(picture.get(), false);
    EXPECT_EQ(unsized.Width(), 1) << "without fitting the size stays";
    EXPECT_EQ(::GetPixel(unsized.hDC(), 49, 9), kBlue);
}

TEST(OffscreenDC, FrameLiesOnTheOutermostPixels) {
    OffscreenDC s;
    s.Resize(10, 40);
    s.Clear();
    s.DrawRect(0, 0, s.Width() - 1, s.Height() - 1);
    for (POINT p : {POINT{0, 0}, POINT{39, 0}, POINT{39, 9}, POINT{0, 9}, POINT{20, 0},
                    POINT{20, 9}, POINT{0, 5}, POINT{39, 5}}) {
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
    const std::u16string question = u"??????";
    EXPECT_NE(s.StringWidth(cyrillic), s.StringWidth(question))
        << "the text reached GDI as characters, not as '?'";
    EXPECT_GT(s.StringWidth(cyrillic), 0);
    EXPECT_GT(s.StringHeight(cyrillic), 10);
    s.DrawTxt(cyrillic, 2, 2);
    int dark = 0;
    for (int x = 0; x < 400; ++x)
        for (int y = 0; y < 30; ++y)
            dark += ::GetPixel(s.hDC(), x, y) != kWhite;
    EXPECT_GT(dark, 20);
    // Bold reaches the font only through Weight, and does.
    auto bold = std::make_shared<gb::StdFont>(u"Arial", 12);
    const int regular = s.StringWidth(u"Glidebanner");
    bold->SetBold(true);
    s.SetFont(bold);
    EXPECT_GT(s.StringWidth(u"Glidebanner"), regular);
}

TEST(OffscreenDC, FontChangesReachTheSurfaceAtTheNextAssignment) {
    OffscreenDC s;
    auto font = std::make_shared<gb::StdFont>(u"Arial", 10);
    s.SetFont(font);
    const int small = s.StringWidth(u"abcdef");
    font->SetSize(30);
    EXPECT_EQ(s.StringWidth(u"abcdef"), small);
    EXPECT_EQ(s.Font(), font) << "held by reference";
    s.SetFont(font);
    EXPECT_GT(s.StringWidth(u"abcdef"), small * 2);
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
        s.Clear();
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
    Churn(50); // the system's own one-time objects (font caches and the like) come first
    const DWORD before = win32test::GdiObjects();
    Churn(10000);
    const DWORD after = win32test::GdiObjects();
    EXPECT_LE(after, before + 2) << "before " << before << ", after " << after;
}

TEST(OffscreenDC, GdiObjectCountSeesALeak) {
    const DWORD before = win32test::GdiObjects();
    std::vector<gb::unique_hgdiobj> brushes;
    for (int i = 0; i < 50; ++i)
        brushes.emplace_back(::CreateSolidBrush(RGB(i, 0, 0)));
    EXPECT_EQ(win32test::GdiObjects(), before + 50) << "the count the leak test relies on";
}

TEST(FontFaces, ArialAlwaysOtherFacesWhenInstalled) {
    const struct {
        const char16_t* face;
        bool exists;
    } rows[] = {
        {u"Arial", true},
        {u"arial", true},
        {u"Liberation Mono", true},
        {u"No Such Face 4711", false},
        {u"", false},
        {u"An Overly Long Face Name Beyond Thirty-One", false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message()
                     << std::wstring(reinterpret_cast<const wchar_t*>(r.face)).size());
        EXPECT_EQ(gb::FaceExists(r.face), r.exists);
    }
}

} // namespace
