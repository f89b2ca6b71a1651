// The strip's surface on real GDI leaves no GDI object behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "surface/OffscreenDC_win32.h"

namespace {

using gb::OffscreenDC;

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
