#include <windows.h>

#include "surface/FontFaces_win32.h"

#include <string>

#include "kit/Handles_win32.h"

namespace gb {
namespace {

int CALLBACK Found(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool IsArial(std::u16string_view face) noexcept {
    constexpr std::u16string_view arial = u"arial";
    if (face.size() != arial.size()) return false;
    for (std::size_t i = 0; i < face.size(); ++i) {
        char16_t c = face[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + (u'a' - u'A'));
        if (c != arial[i]) return false;
    }
    return true;
}

} // namespace

bool FaceExists(std::u16string_view face) noexcept {
    if (IsArial(face)) return true;
    // A face name GDI cannot hold, or one with a NUL in it, names no face of the system.
    if (face.empty() || face.size() >= LF_FACESIZE || face.find(u'\0') != face.npos) return false;
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    face.copy(reinterpret_cast<char16_t*>(query.lfFaceName), face.size());
    bool found = false;
    unique_hdc_window screen(nullptr);
    ::EnumFontFamiliesExW(screen.get(), &query, Found, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

} // namespace gb
