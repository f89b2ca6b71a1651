#include "options/AboutLines.h"

#include <gtest/gtest.h>

namespace {

using gb::AboutItem;
using gb::ItemKind;

constexpr float W = 359;
constexpr gb::ProgramVersion kVersion{1, 1, 5};

// One row per item: kind, text (or the emoticon cell as text), bold, italic, colour (-1 for
// the default) and space after it (-1 for the default).
struct Row {
    ItemKind kind;
    std::u16string text;
    bool bold, italic;
    long long color;
    float space;
};

void ExpectItems(const std::vector<AboutItem>& items, const std::vector<Row>& rows) {
    ASSERT_EQ(items.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i + 1);
        const auto& a = items[i];
        const auto& r = rows[i];
        EXPECT_EQ(a.kind, r.kind);
        if (r.kind == ItemKind::Emo)
            EXPECT_EQ(std::to_string(a.cell), std::string(r.text.begin(), r.text.end()));
        else
            EXPECT_EQ(a.text, r.text);
        EXPECT_EQ(a.bold, r.bold);
        EXPECT_EQ(a.italic, r.italic);
        EXPECT_EQ(a.color.has_value() ? static_cast<long long>(*a.color) : -1, r.color);
        EXPECT_EQ(a.whiteSpace.value_or(-1), r.space);
    }
}

constexpr auto S = ItemKind::String;
constexpr auto E = ItemKind::Emo;
constexpr long long kOrange = 0x3264FF;

TEST(AboutLines, WithEmoticons) {
    ExpectItems(
        gb::AboutLines(true, W, kVersion),
        {
            {S, u"Glidebanner 1.1.5", true, false, kOrange, -1},
            {S, u"by the Glidebanner developers", false, false, kOrange, W},
            {S, u"See what your MSN buddies are saying while you are doing something else...",
             false, true, -1, W},
            {S, u"thanks to ", false, false, -1, 0},
            {S, u"Wine", true, true, -1, -1},
            {S, u"for running and testing it on Linux", false, true, -1, 25},
            {E, u"0", false, false, -1, 25},
            {S, u"and ", false, false, -1, 0},
            {S, u"MinGW-w64", true, true, -1, -1},
            {S, u"for the compiler that builds it", false, true, -1, -1},
            {E, u"19", false, false, -1, 25},
            {S, u"GoogleTest", true, true, -1, -1},
            {S, u"for keeping its rules tested", false, true, -1, 25},
            {E, u"19", false, false, -1, 25},
            {S, u"the local supermarket", true, true, -1, -1},
            {S, u"where I got the idea when I saw their scrolling ad hanging at the wall", false,
             true, -1, W},
            {E, u"13", false, false, -1, -1},
            {S, u"greetings to all my buddies on MSN and everywhere else!", false, true, -1, -1},
            {E, u"13", false, false, -1, W},
        });
}

TEST(AboutLines, WithoutEmoticonsKeepsTheSpacing) {
    ExpectItems(
        gb::AboutLines(false, W, kVersion),
        {
            {S, u"Glidebanner 1.1.5", true, false, kOrange, -1},
            {S, u"by the Glidebanner developers", false, false, kOrange, W},
            {S, u"See what your MSN buddies are saying while you are doing something else...",
             false, true, -1, W},
            {S, u"thanks to ", false, false, -1, 0},
            {S, u"Wine", true, true, -1, -1},
            {S, u"for running and testing it on Linux", false, true, -1, 25},
            {S, u"and ", false, false, -1, 0},
            {S, u"MinGW-w64", true, true, -1, -1},
            {S, u"for the compiler that builds it", false, true, -1, 25},
            {S, u"GoogleTest", true, true, -1, -1},
            {S, u"for keeping its rules tested", false, true, -1, 25},
            {S, u"the local supermarket", true, true, -1, -1},
            {S, u"where I got the idea when I saw their scrolling ad hanging at the wall", false,
             true, -1, W},
            {S, u"greetings to all my buddies on MSN and everywhere else!", false, true, -1, W},
        });
}

TEST(AboutLines, VersionInPlainDecimal) {
    const struct {
        gb::ProgramVersion v;
        const char16_t* title;
    } rows[] = {{{1, 1, 5}, u"Glidebanner 1.1.5"},
                {{2, 10, 0}, u"Glidebanner 2.10.0"},
                {{0, 0, 123}, u"Glidebanner 0.0.123"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.v.major << "." << r.v.minor);
        EXPECT_EQ(gb::AboutLines(true, W, r.v).front().text, r.title);
    }
}

TEST(AboutLines, LastItemAlwaysCarriesTheTickerWidth) {
    for (float width : {1.0f, 359.0f, 1200.5f})
        for (bool emo : {false, true}) {
            SCOPED_TRACE(testing::Message() << width << " " << emo);
            EXPECT_EQ(gb::AboutLines(emo, width, kVersion).back().whiteSpace, width);
        }
}

} // namespace
