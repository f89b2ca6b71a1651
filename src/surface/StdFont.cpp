#include "surface/StdFont.h"

#include <cmath>

namespace gb {

void StdFont::SetSize(double points) noexcept {
    // Kept as a whole number of ten-thousandths; a value that does not fit is ignored rather
    // than turned into an undefined conversion.
    const double scaled = std::nearbyint(points * 10000.0);
    if (!std::isfinite(scaled) || scaled < -9.0e17 || scaled > 9.0e17) return;
    sizeTenThousandths_ = static_cast<std::int64_t>(scaled);
}

} // namespace gb
