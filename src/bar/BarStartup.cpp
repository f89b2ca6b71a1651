#include "bar/BarStartup.h"

#include <cmath>
#include <string>

#include "app/Version.h"
#include "app/modMain.h"
#include "strip/colMsg.h"

namespace BarRules {

void AddStartupBanner(gb::colMsg& strip, int blanks, bool showEmo, int emoticon) {
    strip.AddString(std::u16string(static_cast<std::size_t>(blanks > 0 ? blanks : 0), u' '));
    if (showEmo) strip.AddEmo(static_cast<std::uint8_t>(emoticon), 0);
    gb::clsString& name = strip.AddString(kTitle);
    name.TextFont()->SetBold(true);
    name.SetTextColor(kBannerColor);
    gb::clsString& byline = strip.AddString(kByline);
    byline.SetTextColor(kBannerColor);
    if (showEmo) strip.AddEmo(static_cast<std::uint8_t>(SecondBannerEmoticon(emoticon)), 0);
}

MessengerRetry::Outcome MessengerRetry::AfterAttempt(bool attached) noexcept {
    if (attached) return {false, false};
    const bool first = !told_;
    told_ = true;
    return {true, first};
}

float StoredSpeed(float speed) noexcept {
    if (std::isnan(speed)) return 10.0f;
    return gb::SpeedWithin(speed);
}

Geometry GeometryToStore(const Geometry& current, bool slidingIn, float slideTargetLeft) {
    Geometry g = current;
    if (slidingIn) g.Left = slideTargetLeft;
    return g;
}

} // namespace BarRules
