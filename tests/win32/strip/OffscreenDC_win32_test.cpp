// The strip's surface on real GDI: a new surface, its pen, brush, size, copies and pictures,
// and no GDI object left behind.
#include <windows.h>

#include <olectl.h>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "surface/OffscreenDC_win32.h"

namespace {

using gb::OffscreenDC;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

COLORREF At(const OffscreenDC& s, int x, int y) { return ::GetPixel(s.hDC(), x, y); }

// Either half of the pen is rebuilt with the other kept; the brush is selected for drawing;
// a new back colour, the same one included, clears at once.
TEST(OffscreenDC, NewSurfaceThenPenBrushAndSize) {
    OffscreenDC s;
    EXPECT_EQ(std::tuple(s.Width(), s.Height(), s.LineColor(), s.LineWidth(), s.FillColor(),
                         s.BackColor(), s.ForeColor(), s.Font()->Name(), s.Font()->Size()),
              std::tuple(1, 1, 0u, std::int16_t{1}, kWhite, kWhite, 0u, u"Arial", 12.0));
    s.Resize(20, 300);
    EXPECT_EQ(std::tuple(s.Height(), s.Width()), std::tuple(20, 300));
    s.Clear();
    EXPECT_EQ(std::tuple(At(s, 299, 19), At(s, 300, 19)), std::tuple(kWhite, CLR_INVALID));

    s.SetLineColor(kBlue);
    s.SetLineWidth(3);
    s.DrawLine(10, 10, 50, 10);
    s.SetLineColor(kRed);
    s.DrawLine(10, 4, 50, 4);
    EXPECT_EQ(std::tuple(s.LineColor(), s.LineWidth()), std::tuple(kRed, std::int16_t{3}));
    EXPECT_EQ(std::vector({At(s, 30, 2), At(s, 30, 3), At(s, 30, 5), At(s, 30, 6), At(s, 30, 8),
                           At(s, 30, 9), At(s, 30, 11), At(s, 30, 12)}),
              std::vector({kWhite, kRed, kRed, kWhite, kWhite, kBlue, kBlue, kWhite}));

    s.SetFillColor(kBlue);
    ::PatBlt(s.hDC(), 0, 0, s.Width(), s.Height(), PATCOPY);
    EXPECT_EQ(std::tuple(s.FillColor(), At(s, 0, 0)), std::tuple(kBlue, kBlue));
    s.SetBackColor(kWhite);
    EXPECT_EQ(At(s, 0, 0), kWhite);
}

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
        // The copy's first and last pixels, and the first ones beyond it on the right and below.
        EXPECT_EQ(
            std::vector({At(target, 5, 6), At(target, 4 + r.copiedWidth, 5 + r.copiedHeight),
                         At(target, 5 + r.copiedWidth, 6), At(target, 5, 6 + r.copiedHeight)}),
            std::vector({kBlue, kBlue, kWhite, kWhite}));
    }
}

// A picture of 2540 x 1270 HIMETRIC (96 x 48 pixels) sized to fit: the surface takes its size,
// height first, and its pixels.
TEST(OffscreenDC, PictureSizedToFitTakesItsSizeInPixels) {
    const std::vector<DWORD> blue(96 * 48, 0x0000FF);
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = ::CreateBitmap(96, 48, 1, 32, blue.data());
    gb::com_ptr<IPicture> picture;
    ASSERT_TRUE(
        SUCCEEDED(::OleCreatePictureIndirect(&desc, IID_IPicture, TRUE, picture.put_void())));
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture.get()->get_Width(&width);
    picture.get()->get_Height(&height);
    ASSERT_EQ(std::tuple(width, height), std::tuple(2540L, 1270L)) << "at 96 dots per inch";
    OffscreenDC s;
    s.LoadStdPicture(picture.get(), true);
    picture = nullptr; // the surface's bitmap outlives the picture
    EXPECT_EQ(std::tuple(s.Height(), s.Width(), At(s, 95, 47)), std::tuple(48, 96, kBlue));
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
        s.SetLineWidth(static_cast<std::int16_t>(1 + i % 3));
        s.SetFillColor(static_cast<COLORREF>(i));
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
