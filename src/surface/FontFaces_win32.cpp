#include <windows.h>

#include "surface/FontFaces_win32.h"

#include <string>
#include <vector>

#include "kit/Handles_win32.h"
#include "surface/FontFaces.h"

namespace gb {
namespace {

int CALLBACK Found(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM faces) {
    try {
        reinterpret_cast<std::vector<std::u16string>*>(faces)->emplace_back(
            reinterpret_cast<const char16_t*>(font->lfFaceName));
    } catch (...) {
        return 0;
    }
    return 1;
}

} // namespace

bool FaceExists(std::u16string_view face) noexcept {
    std::vector<std::u16string> faces;
    // A face name GDI cannot hold, or one with a NUL in it, names no face of the system.
    if (!face.empty() && face.size() < LF_FACESIZE && face.find(u'\0') == face.npos) {
        LOGFONTW query{};
        query.lfCharSet = DEFAULT_CHARSET;
        face.copy(reinterpret_cast<char16_t*>(query.lfFaceName), face.size());
        unique_hdc_window screen(nullptr);
        ::EnumFontFamiliesExW(screen.get(), &query, Found, reinterpret_cast<LPARAM>(&faces), 0);
    }
    return FaceAvailable(face, faces);
}

} // namespace gb
