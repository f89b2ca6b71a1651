#pragma once
// Whether the system has a font face, by the rule of FontFaces.h over the faces GDI finds
// under that name.
#include <string_view>

namespace gb {

bool FaceExists(std::u16string_view face) noexcept;

} // namespace gb
