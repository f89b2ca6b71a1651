// The strip's surface on real GDI: copies, clearing, the frame's pixels, text as characters,
// and no GDI object left behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "surface/OffscreenDC_win32.h"

namespace {

using gb::OffscreenDC;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);

TEST(OffscreenDC, BltToSizesHeightBeforeWidthAndZeroMeansWhole) {
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
    target.SetBackColor(kWhite);
    EXPECT_EQ(::GetPixel(target.hDC(), 5, 6), kWhite) << "an unchanged colour clears too";
}

// The frame a strip may have lies on its outermost pixels, the far corner included.
TEST(OffscreenDC, FrameLiesOnTheOutermostPixels) {
    OffscreenDC s;
    s.Resize(10, 40);
    s.Clear();
    s.DrawRect(0, 0, s.Width() - 1, s.Height() - 1);
    for (POINT p : {POINT{0, 0}, POINT{39, 0}, POINT{39, 9}, POINT{0, 9}, POINT{20, 9}})
        EXPECT_EQ(::GetPixel(s.hDC(), p.x, p.y), RGB(0, 0, 0)) << p.x << "," << p.y;
    EXPECT_EQ(::GetPixel(s.hDC(), 1, 1), kWhite);
    EXPECT_EQ(::GetPixel(s.hDC(), 38, 8), kWhite);
}

// Text reaches GDI as characters, not as '?', in the font's weight.
TEST(OffscreenDC, TextInAnyScriptIsMeasuredInItsFont) {
    OffscreenDC s;
    const std::u16string cyrillic = u"\u041F\u0440\u0438\u0432\u0435\u0442";
    const int regular = s.StringWidth(cyrillic);
    EXPECT_NE(regular, s.StringWidth(u"??????"));
    auto bold = std::make_shared<gb::StdFont>(u"Arial", 12);
    bold->SetBold(true);
    s.SetFont(bold);
    EXPECT_GT(s.StringWidth(cyrillic), regular);
}

// The process's GDI objects. Where the system does not count them (Wine answers 0), every
// handle slot is asked for its object: a handle without its upper word names the slot.
DWORD GdiObjects() {
    if (DWORD counted = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) return counted;
    DWORD live = 0;
    for (ULONG slot = 1; slot < 0x10000; ++slot)
        live += ::GetObjectType(reinterpret_cast<HGDIOBJ>(static_cast<ULONG_PTR>(slot))) != 0;
    return live;
}

// Fonts, sizes, background colours and whole surfaces made and dropped again and again.
void Churn(int rounds) {
    OffscreenDC s;
    auto font = std::make_shared<gb::StdFont>(u"Arial", 12);
    for (int i = 0; i < rounds; ++i) {
        font->SetSize(8 + i % 10);
        font->SetBold(i % 2 == 0);
        s.SetFont(font);
        s.Resize(10 + i % 7, 100 + i % 13);
        s.SetBackColor(static_cast<COLORREF>(i));
        s.DrawTxt(u"abc", 0, 0);
        if (i % 10 == 0) OffscreenDC another;
    }
}

TEST(OffscreenDC, NoGdiObjectLeaksOverManyReplacements) {
    {
        const DWORD before = GdiObjects();
        std::vector<gb::unique_hbrush> brushes;
        for (int i = 0; i < 5; ++i)
            brushes.emplace_back(::CreateSolidBrush(RGB(i, 0, 0)));
        ASSERT_EQ(GdiObjects(), before + 5) << "the count this test relies on";
    }
    Churn(50); // the system's own one-time objects (font caches and the like) come first
    const DWORD before = GdiObjects();
    Churn(10000);
    EXPECT_LE(GdiObjects(), before + 2);
}

} // namespace
