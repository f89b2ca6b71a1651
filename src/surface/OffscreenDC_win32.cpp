#include <windows.h>

#include "surface/OffscreenDC_win32.h"

#include <climits>
#include <cmath>

namespace gb {
namespace {

const wchar_t* Wide(std::u16string_view text, std::u16string& keep) {
    keep.assign(text);
    return reinterpret_cast<const wchar_t*>(keep.c_str());
}

int Length(std::u16string_view text) noexcept {
    return text.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX
                                                           : static_cast<int>(text.size());
}

} // namespace

OffscreenDC::OffscreenDC() {
    {
        unique_hdc_window desktop(::GetDesktopWindow());
        dc_.reset(::CreateCompatibleDC(desktop.get()));
        if (bitmap_.Select(dc_.get(), ::CreateCompatibleBitmap(desktop.get(), 1, 1)))
            height_ = width_ = 1;
    }
    if (!dc_) return;
    if (pen_.Select(dc_.get(), ::CreatePen(PS_SOLID, 1, 0))) {
        lineColor_ = 0;
        lineWidth_ = 1;
    }
    if (brush_.Select(dc_.get(), ::CreateSolidBrush(0xFFFFFF))) fillColor_ = 0xFFFFFF;
    // A positive height asks for the cell height: 16 pixels at 96 dots per inch.
    const int height = ::MulDiv(12, ::GetDeviceCaps(dc_.get(), LOGPIXELSY), 72);
    if (fontObject_.Select(
            dc_.get(), ::CreateFontW(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial")))
        font_ = std::make_shared<StdFont>(u"Arial", 12);
    ::SetTextColor(dc_.get(), 0);
    backColor_ = 0xFFFFFF;
    Clear();
}

OffscreenDC::~OffscreenDC() = default;

Color OffscreenDC::ForeColor() const { return ::GetTextColor(dc_.get()); }
void OffscreenDC::SetForeColor(Color color) { ::SetTextColor(dc_.get(), color); }

void OffscreenDC::SetBackColor(Color color) {
    backColor_ = color;
    Clear();
}

void OffscreenDC::SetLineColor(Color color) {
    const HPEN pen = ::CreatePen(PS_SOLID, lineWidth_, color);
    if (!pen) return;
    pen_.Select(dc_.get(), pen);
    lineColor_ = color;
}

void OffscreenDC::SetLineWidth(std::int16_t width) {
    lineWidth_ = width;
    SetLineColor(lineColor_);
}

void OffscreenDC::BltTo(HDC destination, std::int32_t destX, std::int32_t destY, std::int32_t srcX,
                        std::int32_t srcY, std::int32_t srcHeight, std::int32_t srcWidth,
                        DWORD rop) const {
    ::BitBlt(destination, destX, destY, srcWidth == 0 ? width_ : srcWidth,
             srcHeight == 0 ? height_ : srcHeight, dc_.get(), srcX, srcY, rop);
}

void OffscreenDC::BltTo(ISurface& destination, std::int32_t destX, std::int32_t destY,
                        std::int32_t srcX, std::int32_t srcY, std::int32_t srcHeight,
                        std::int32_t srcWidth) {
    if (auto* target = dynamic_cast<OffscreenDC*>(&destination))
        BltTo(target->hDC(), destX, destY, srcX, srcY, srcHeight, srcWidth, SRCCOPY);
}

void OffscreenDC::Resize(std::int32_t height, std::int32_t width) {
    unique_hdc_window desktop(::GetDesktopWindow());
    bitmap_.Select(dc_.get(), ::CreateCompatibleBitmap(desktop.get(), width, height));
    width_ = width;
    height_ = height;
}

void OffscreenDC::Clear() {
    unique_hbrush brush(::CreateSolidBrush(backColor_));
    const RECT all{0, 0, width_, height_};
    ::FillRect(dc_.get(), &all, brush.get());
}

void OffscreenDC::ScrollLeft(std::int32_t pixels) {
    // GDI copies an overlapping block within one device context as if through a copy.
    ::BitBlt(dc_.get(), 0, 0, width_ - pixels, height_, dc_.get(), pixels, 0, SRCCOPY);
}

void OffscreenDC::ClipColumns(std::int32_t left, std::int32_t right) {
    ::SelectClipRgn(dc_.get(), nullptr);
    ::IntersectClipRect(dc_.get(), left, 0, right, height_);
}

void OffscreenDC::ResetClip() { ::SelectClipRgn(dc_.get(), nullptr); }

void OffscreenDC::DrawRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    const POINT points[] = {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, {x1, y1}};
    ::Polyline(dc_.get(), points, 5);
}

void OffscreenDC::DrawLine(std::int32_t xFrom, std::int32_t yFrom, std::int32_t xTo,
                           std::int32_t yTo) {
    const POINT points[] = {{xFrom, yFrom}, {xTo, yTo}};
    ::Polyline(dc_.get(), points, 2);
}

void OffscreenDC::SetFillColor(Color color) {
    brush_.Select(dc_.get(), ::CreateSolidBrush(color));
    fillColor_ = color;
}

std::shared_ptr<StdFont> OffscreenDC::Font() {
    if (!font_) font_ = std::make_shared<StdFont>();
    return font_;
}

void OffscreenDC::SetFont(std::shared_ptr<StdFont> font) {
    font_ = std::move(font);
    ApplyFont();
}

void OffscreenDC::SetDpi(int dpi) {
    if (dpi == dpi_) return;
    dpi_ = dpi;
    realised_.reset(); // the same font at another DPI is another GDI font
    if (font_) ApplyFont();
}

void OffscreenDC::ApplyFont() {
    if (!font_) font_ = std::make_shared<StdFont>();
    // Every item of a frame assigns its font: make a new GDI font only when one differs.
    if (realised_ && *realised_ == *font_) return;
    realised_ = *font_;
    const double rounded = std::nearbyint(font_->Size());
    const int points =
        std::isfinite(rounded) && std::fabs(rounded) < 1.0e6 ? static_cast<int>(rounded) : 0;
    // A negative height asks for the character height, as fonts of a given point size do.
    const int dpi = dpi_ > 0 ? dpi_ : ::GetDeviceCaps(dc_.get(), LOGPIXELSY);
    const int height = ::MulDiv(points, dpi, 72);
    std::u16string name;
    // Only Weight carries boldness to the font.
    fontObject_.Select(
        dc_.get(),
        ::CreateFontW(-height, 0, 0, 0, font_->Weight(), font_->Italic() ? TRUE : FALSE,
                      font_->Underline() ? TRUE : FALSE, font_->Strikethrough() ? TRUE : FALSE,
                      static_cast<DWORD>(static_cast<BYTE>(font_->Charset())), 0, 0, 0, 0,
                      Wide(font_->Name(), name)));
}

void OffscreenDC::DrawTxt(std::u16string_view text, std::int32_t x, std::int32_t y) {
    std::u16string keep;
    ::TextOutW(dc_.get(), x, y, Wide(text, keep), Length(text));
}

SIZE OffscreenDC::Extent(std::u16string_view text) const {
    SIZE size{0, 0};
    std::u16string keep;
    ::GetTextExtentPoint32W(dc_.get(), Wide(text, keep), Length(text), &size);
    return size;
}

std::int32_t OffscreenDC::StringWidth(std::u16string_view text) { return Extent(text).cx; }
std::int32_t OffscreenDC::StringHeight(std::u16string_view text) { return Extent(text).cy; }

std::int32_t OffscreenDC::HimetricToPixels(std::int32_t himetric) noexcept {
    return static_cast<std::int32_t>(std::nearbyint(himetric / 26.45703125));
}

void OffscreenDC::LoadStdPicture(IPicture* picture, bool sizeToFit) {
    if (picture == nullptr) return;
    if (sizeToFit) {
        OLE_XSIZE_HIMETRIC width = 0;
        OLE_YSIZE_HIMETRIC height = 0;
        picture->get_Width(&width);
        picture->get_Height(&height);
        Resize(HimetricToPixels(height), HimetricToPixels(width));
    }
    OLE_HANDLE handle = 0;
    if (FAILED(picture->get_Handle(&handle)) || handle == 0) return;
    // A copy of our own: a picture that owns its bitmap deletes it when released, and a
    // bitmap deleted while selected is only marked, then freed when it is deselected.
    bitmap_.Select(dc_.get(), static_cast<HBITMAP>(::CopyImage(
                                  reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)),
                                  IMAGE_BITMAP, 0, 0, 0)));
}

OffscreenDCFactory::OffscreenDCFactory(HINSTANCE module) noexcept
    : module_(module ? module : ::GetModuleHandleW(nullptr)) {}

std::unique_ptr<ISurface> OffscreenDCFactory::CreateCanvas() {
    return std::make_unique<OffscreenDC>();
}

std::unique_ptr<ISurface> OffscreenDCFactory::CreateEmoticonStrip(int cellSize) {
    // The smallest strip at least as large, else the largest: scaling down keeps it sharp.
    const EmoticonStripResource* best = nullptr;
    for (const auto& r : kEmoticonStrips) {
        if (!::FindResourceW(module_, MAKEINTRESOURCEW(r.id), RT_BITMAP)) continue;
        if (!best || (best->cell < cellSize ? r.cell > best->cell
                                            : r.cell >= cellSize && r.cell < best->cell))
            best = &r;
    }
    auto surface = std::make_unique<OffscreenDC>();
    if (!best) return surface;
    unique_hbitmap bitmap(static_cast<HBITMAP>(
        ::LoadImageW(module_, MAKEINTRESOURCEW(best->id), IMAGE_BITMAP, 0, 0, 0)));
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap.get(), sizeof info, &info)) return surface;
    const int cells = info.bmWidth / best->cell;
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = bitmap.get();
    com_ptr<IPicture> picture;
    // The picture owns the bitmap from here on, and the surface takes a copy of its own.
    if (FAILED(::OleCreatePictureIndirect(&desc, IID_IPicture, TRUE, picture.put_void())))
        return surface;
    bitmap.release();
    surface->LoadStdPicture(picture.get(), false);
    if (best->cell == cellSize) return surface;
    // No strip of that size: the nearest one, scaled with smoothing.
    auto scaled = std::make_unique<OffscreenDC>();
    scaled->Resize(cellSize, cells * cellSize);
    ::SetStretchBltMode(scaled->hDC(), HALFTONE);
    ::SetBrushOrgEx(scaled->hDC(), 0, 0, nullptr);
    ::StretchBlt(scaled->hDC(), 0, 0, cells * cellSize, cellSize, surface->hDC(), 0, 0,
                 cells * best->cell, best->cell, SRCCOPY);
    return scaled;
}

} // namespace gb
