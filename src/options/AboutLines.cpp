#include "options/AboutLines.h"

namespace gb {

namespace {

constexpr std::uint8_t kThumbsUp = 0;
constexpr std::uint8_t kSunglasses = 19;
constexpr std::uint8_t kWink = 13;
constexpr float kGap = 25.0f;

std::u16string Number(int n) {
    const auto s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

} // namespace

std::vector<AboutItem> AboutLines(bool showEmo, float W, ProgramVersion v) {
    using K = ItemKind;
    std::vector<AboutItem> items;
    auto text = [&](std::u16string t, bool bold, bool italic) -> AboutItem& {
        AboutItem item;
        item.text = std::move(t);
        item.bold = bold;
        item.italic = italic;
        return items.emplace_back(std::move(item));
    };
    auto emo = [&](std::uint8_t cell) -> AboutItem& {
        AboutItem item;
        item.kind = K::Emo;
        item.cell = cell;
        return items.emplace_back(std::move(item));
    };

    text(std::u16string(kProductName) + u" " + Number(v.major) + u"." + Number(v.minor) + u"." +
             Number(v.revision),
         true, false)
        .color = kTitleColor;
    auto& by = text(std::u16string(kByLine), false, false);
    by.color = kTitleColor;
    by.whiteSpace = W;
    text(u"See what your MSN buddies are saying while you are doing something else...", false, true)
        .whiteSpace = W;
    text(u"thanks to ", false, false).whiteSpace = 0.0f;
    text(u"Wine", true, true);
    text(u"for running and testing it on Linux", false, true).whiteSpace = kGap;
    if (showEmo) emo(kThumbsUp).whiteSpace = kGap;
    text(u"and ", false, false).whiteSpace = 0.0f;
    text(u"MinGW-w64", true, true);
    auto& compiler = text(u"for the compiler that builds it", false, true);
    if (!showEmo) compiler.whiteSpace = kGap;
    if (showEmo) emo(kSunglasses).whiteSpace = kGap;
    text(u"GoogleTest", true, true);
    text(u"for keeping its rules tested", false, true).whiteSpace = kGap;
    if (showEmo) emo(kSunglasses).whiteSpace = kGap;
    text(u"the local supermarket", true, true);
    text(u"where I got the idea when I saw their scrolling ad hanging at the wall", false, true)
        .whiteSpace = W;
    if (showEmo) emo(kWink);
    auto& greeting = text(u"greetings to all my buddies on MSN and everywhere else!", false, true);
    if (!showEmo) greeting.whiteSpace = W;
    if (showEmo) emo(kWink).whiteSpace = W;
    return items;
}

} // namespace gb
