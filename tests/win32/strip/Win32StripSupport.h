#pragma once
// What the Win32 strip tests share beyond the strip tools' host and display: surfaces with an
// emoticon strip drawn in code (one flat colour per cell), pictures, and the GDI object count.
#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <memory>

#include "StripShow_win32.h"
#include "kit/Handles_win32.h"

namespace win32test {

inline COLORREF CellColor(int cell) {
    return RGB(4 * cell + 20, 200 - 3 * cell, (cell * 37) % 200 + 30);
}

// An OLE picture of a bitmap of the given size, filled by paint on a memory DC.
template <class Paint> gb::com_ptr<IPicture> MakePicture(int width, int height, Paint paint) {
    HBITMAP bitmap = nullptr;
    {
        gb::unique_hdc_window screen(nullptr);
        bitmap = ::CreateCompatibleBitmap(screen.get(), width, height);
        gb::unique_hdc dc(::CreateCompatibleDC(screen.get()));
        gb::unique_select_object selected(dc.get(), bitmap);
        paint(dc.get());
    }
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = bitmap;
    gb::com_ptr<IPicture> picture;
    ::OleCreatePictureIndirect(&desc, IID_IPicture, TRUE, picture.put_void());
    return picture;
}

inline void FillBox(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
    gb::unique_hbrush brush(::CreateSolidBrush(color));
    const RECT r{left, top, right, bottom};
    ::FillRect(dc, &r, brush.get());
}

class CodeDrawnSurfaces final : public gb::ISurfaceFactory {
  public:
    std::unique_ptr<gb::ISurface> CreateCanvas() override {
        return std::make_unique<gb::OffscreenDC>();
    }
    std::unique_ptr<gb::ISurface> CreateEmoticonStrip(int) override {
        auto surface = std::make_unique<gb::OffscreenDC>();
        auto picture = MakePicture(863, 19, [](HDC dc) {
            FillBox(dc, 0, 0, 863, 19, RGB(255, 255, 255));
            for (int k = 0; k < 44; ++k)
                FillBox(dc, 19 * k, 0, 19 * k + 19, 19, CellColor(k));
        });
        surface->LoadStdPicture(picture.get(), false);
        return surface;
    }
};

// The process's GDI objects. Where the system does not count them (Wine answers 0), every
// handle slot is asked for its object: a handle without its upper word names the slot.
inline DWORD GdiObjects() {
    if (DWORD counted = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) return counted;
    DWORD live = 0;
    for (ULONG slot = 1; slot < 0x10000; ++slot)
        live += ::GetObjectType(reinterpret_cast<HGDIOBJ>(static_cast<ULONG_PTR>(slot))) != 0;
    return live;
}

} // namespace win32test
