#include "options/AboutLines.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

namespace {

constexpr float W = 359;

// Without emoticons a pass is the same pass with its emoticons left out; every item's
// trailing space is pinned, the full ticker width W after the last one keeping passes apart.
TEST(AboutLines, WithoutEmoticonsThePassLosesItsPicturesButKeepsItsSpacing) {
    const std::optional<float> _;
    const std::vector<std::optional<float>> withGaps = {_,  W, W,  0,  _, 25, 25, 0, _, _,
                                                        25, _, 25, 25, _, W,  _,  _, W};
    const std::vector<std::optional<float>> withoutGaps = {_, W,  W, 0,  _, 25, 0,
                                                           _, 25, _, 25, _, W,  W};
    const auto withEmo = gb::AboutLines(true, W, gb::ProgramVersion{1, 1, 5});
    const auto without = gb::AboutLines(false, W, gb::ProgramVersion{1, 1, 5});
    std::vector<gb::AboutItem> texts;
    std::vector<int> cells;
    for (const auto& item : withEmo)
        item.kind == gb::ItemKind::Emo ? cells.push_back(item.cell) : texts.push_back(item);
    EXPECT_EQ(cells, (std::vector<int>{0, 19, 19, 13, 13}));
    EXPECT_EQ(withEmo.front().text, u"Glidebanner 1.1.5");
    EXPECT_TRUE(withEmo.front().bold);
    EXPECT_EQ(withEmo.front().color, gb::kTitleColor);

    ASSERT_EQ(withEmo.size(), withGaps.size());
    for (std::size_t i = 0; i < withEmo.size(); ++i)
        EXPECT_EQ(withEmo[i].whiteSpace, withGaps[i]) << i;
    ASSERT_EQ(without.size(), texts.size());
    for (std::size_t i = 0; i < without.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(without[i].whiteSpace, withoutGaps[i]);
        EXPECT_EQ(without[i].text, texts[i].text);
        EXPECT_EQ(std::tie(without[i].bold, without[i].italic, without[i].color),
                  std::tie(texts[i].bold, texts[i].italic, texts[i].color));
    }
}

} // namespace
