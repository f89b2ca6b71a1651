#include "options/AboutLines.h"

#include <gtest/gtest.h>

namespace {

constexpr float W = 359;

// Without emoticons a pass is the same pass with its emoticons left out, and a text before
// one that had no gap of its own takes over the emoticon's, so the spacing stays.
TEST(AboutLines, WithoutEmoticonsTheTextBeforeTakesOverTheGap) {
    const auto withEmo = gb::AboutLines(true, W, gb::ProgramVersion{1, 1, 5});
    std::vector<gb::AboutItem> expected;
    std::vector<int> cells;
    for (const auto& item : withEmo) {
        if (item.kind != gb::ItemKind::Emo) {
            expected.push_back(item);
            continue;
        }
        cells.push_back(item.cell);
        ASSERT_FALSE(expected.empty());
        if (!expected.back().whiteSpace) expected.back().whiteSpace = item.whiteSpace;
    }
    EXPECT_EQ(withEmo.size(), 19u);
    EXPECT_EQ(cells, (std::vector<int>{0, 19, 19, 13, 13}));
    EXPECT_EQ(withEmo.front().text, u"Glidebanner 1.1.5");
    EXPECT_TRUE(withEmo.front().bold);
    EXPECT_EQ(withEmo.front().color, gb::kTitleColor);

    const auto without = gb::AboutLines(false, W, gb::ProgramVersion{1, 1, 5});
    ASSERT_EQ(without.size(), expected.size());
    for (std::size_t i = 0; i < without.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(without[i].text, expected[i].text);
        EXPECT_EQ(without[i].bold, expected[i].bold);
        EXPECT_EQ(without[i].italic, expected[i].italic);
        EXPECT_EQ(without[i].color, expected[i].color);
        EXPECT_EQ(without[i].whiteSpace, expected[i].whiteSpace);
    }
    // A full ticker width after the last item keeps consecutive passes apart.
    EXPECT_EQ(withEmo.back().whiteSpace, W);
    EXPECT_EQ(without.back().whiteSpace, W);
}

} // namespace
