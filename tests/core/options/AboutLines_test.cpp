#include "options/AboutLines.h"

#include <gtest/gtest.h>

namespace {

constexpr float W = 359;
constexpr auto S = gb::ItemKind::String;
constexpr auto E = gb::ItemKind::Emo;
constexpr long long kOrange = 0x3264FF;

// One pass, with emoticons: an emoticon row gives its cell as text and is left out without
// emoticons, where the row before takes over its gap (-1: the default colour or gap).
struct Row {
    gb::ItemKind kind;
    std::u16string text;
    bool bold, italic;
    long long color;
    float space, spaceWithoutEmo;
};
const Row kRows[] = {
    {S, u"Glidebanner 1.1.5", true, false, kOrange, -1, -1},
    {S, u"by the Glidebanner developers", false, false, kOrange, W, W},
    {S, u"See what your MSN buddies are saying while you are doing something else...", false, true,
     -1, W, W},
    {S, u"thanks to ", false, false, -1, 0, 0},
    {S, u"Wine", true, true, -1, -1, -1},
    {S, u"for running and testing it on Linux", false, true, -1, 25, 25},
    {E, u"0", false, false, -1, 25, 0},
    {S, u"and ", false, false, -1, 0, 0},
    {S, u"MinGW-w64", true, true, -1, -1, -1},
    {S, u"for the compiler that builds it", false, true, -1, -1, 25},
    {E, u"19", false, false, -1, 25, 0},
    {S, u"GoogleTest", true, true, -1, -1, -1},
    {S, u"for keeping its rules tested", false, true, -1, 25, 25},
    {E, u"19", false, false, -1, 25, 0},
    {S, u"the local supermarket", true, true, -1, -1, -1},
    {S, u"where I got the idea when I saw their scrolling ad hanging at the wall", false, true, -1,
     W, W},
    {E, u"13", false, false, -1, -1, 0},
    {S, u"greetings to all my buddies on MSN and everywhere else!", false, true, -1, -1, W},
    {E, u"13", false, false, -1, W, 0},
};

TEST(AboutLines, OnePassWithAndWithoutEmoticons) {
    for (const bool emo : {true, false}) {
        std::vector<Row> rows;
        for (const auto& r : kRows)
            if (emo || r.kind != E) rows.push_back(r);
        const auto items = gb::AboutLines(emo, W, gb::ProgramVersion{1, 1, 5});
        ASSERT_EQ(items.size(), rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE(testing::Message() << emo << " " << i + 1);
            const auto& a = items[i];
            const auto& r = rows[i];
            EXPECT_EQ(a.kind, r.kind);
            if (r.kind == E)
                EXPECT_EQ(std::to_string(a.cell), std::string(r.text.begin(), r.text.end()));
            else
                EXPECT_EQ(a.text, r.text);
            EXPECT_EQ(a.bold, r.bold);
            EXPECT_EQ(a.italic, r.italic);
            EXPECT_EQ(a.color ? static_cast<long long>(*a.color) : -1, r.color);
            EXPECT_EQ(a.whiteSpace.value_or(-1), emo ? r.space : r.spaceWithoutEmo);
        }
    }
}

} // namespace
