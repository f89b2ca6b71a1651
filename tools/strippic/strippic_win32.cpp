// Writes a picture of what the bar shows: a typical strip composed on a real OffscreenDC with
// the program's emoticon strip, saved as a 24-bit BMP.
//
//   strippic.exe OUT.bmp [WIDTH [HEIGHT]]      (defaults 1200 x 20, the bar's usual height)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "StripShow_win32.h"

namespace {

bool WriteBmp(const char* path, HDC dc, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up, as BMP files keep rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(stride) * height);
    if (!::GetDIBits(dc, static_cast<HBITMAP>(::GetCurrentObject(dc, OBJ_BITMAP)), 0,
                     static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS))
        return false;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::FILE* out = std::fopen(path, "wb");
    if (!out) return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
              std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
              std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    ok = std::fclose(out) == 0 && ok;
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: strippic OUT.bmp [WIDTH [HEIGHT]]\n");
        return 2;
    }
    const int width = argc > 2 ? std::atoi(argv[2]) : 1200;
    const int height = argc > 3 ? std::atoi(argv[3]) : 20;

    striptool::Host host;
    auto& settings = host.record;
    settings.ShowEmo = true;
    settings.Says = u"says: ";
    settings.NameMode = 0;
    settings.PlaceHolder = u"#";
    settings.UnreadMail = u"You've got # unread mail(s).";
    settings.BuddyLogon = u"has signed in.";
    settings.BuddyLogoff = u"has signed out.";

    gb::OffscreenDCFactory surfaces;
    gb::colMsg strip(host, surfaces);

    gb::clsString& banner = strip.AddString(u"Glidebanner");
    banner.TextFont()->SetBold(true);
    banner.SetTextColor(0x804000);
    strip.AddSays(u"Ann", 1);
    strip.AddMsg(u"hi there :) lunch at noon? (b)(d)", u"Tahoma", 0x000000, 1);
    strip.AddSays(u"Bob", 2);
    strip.AddMsg(u"sure (y) see you there ;-) (L)", u"Comic Sans MS", 0x00008B, 2);
    // A sign-in line: the nickname runs hand their clicks to the notice after them.
    strip.AddMsg(u"Carol", u"Arial", 0x000000, -1);
    strip.Item(strip.Count())->SetWhiteSpace(0);
    strip.AddAction(gb::actBuddyLogon, std::monostate{});
    strip.AddAction(gb::actUnreadMail, 3);
    strip.AddSays(u"Dmitri", 3);
    strip.AddMsg(u"\u041F\u0440\u0438\u0432\u0435\u0442! :D (*) (@)", u"Arial", 0x006400, 3);

    striptool::CapturingDisplay display(static_cast<float>(width), static_cast<float>(height));
    strip.DisplayOn(display, true);
    if (!WriteBmp(argv[1], display.screen.hDC(), width, height)) {
        std::fprintf(stderr, "strippic: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
