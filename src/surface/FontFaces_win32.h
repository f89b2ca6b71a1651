#pragma once
// Whether the system has a font face. "Arial" always counts: where it is missing it is
// realised as a face with Arial's metrics under another name.
#include <string_view>

namespace gb {

bool FaceExists(std::u16string_view face) noexcept;

} // namespace gb
