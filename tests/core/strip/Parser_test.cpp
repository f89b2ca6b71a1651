#include <gtest/gtest.h>

#include <random>

#include "StripFixture.h"

namespace {

std::string Narrow(std::u16string_view s) {
    std::string out;
    for (char16_t c : s)
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

std::u16string Upper(std::u16string s) {
    for (char16_t& c : s)
        c = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
    return s;
}

// Every code with its cell, as the program's help lists them.
const struct CodeRow {
    const char16_t* code;
    int cell;
} kCodes[] = {
    {u"(Y)", 0},  {u"(N)", 1},  {u"(B)", 2},  {u"(D)", 3},  {u"(X)", 4},  {u"(Z)", 5},
    {u":[", 6},   {u":-[", 6},  {u"(})", 7},  {u"({)", 8},  {u":)", 9},   {u":-)", 9},
    {u":D", 10},  {u":-D", 10}, {u":O", 11},  {u":-O", 11}, {u":P", 12},  {u":-P", 12},
    {u";)", 13},  {u";-)", 13}, {u":(", 14},  {u":-(", 14}, {u":S", 15},  {u":-S", 15},
    {u":|", 16},  {u":-|", 16}, {u":'(", 17}, {u":-$", 18}, {u"(H)", 19}, {u":@", 20},
    {u":-@", 20}, {u"(A)", 21}, {u"(6)", 22}, {u"(L)", 23}, {u"(U)", 24}, {u"(K)", 25},
    {u"(G)", 26}, {u"(F)", 27}, {u"(W)", 28}, {u"(P)", 29}, {u"(~)", 30}, {u"(T)", 31},
    {u"(@)", 32}, {u"(&)", 33}, {u"(C)", 34}, {u"(I)", 35}, {u"(S)", 36}, {u"(*)", 37},
    {u"(8)", 38}, {u"(E)", 39}, {u"(^)", 40}, {u"(O)", 41}, {u"(M)", 43},
};

class Parser : public StripFixture {};

// Expected items: a run's text, or "#" and an emoticon's cell. The first and the last item
// keep the wide gap (10); the items between them join tightly (1).
TEST_F(Parser, ItemsAndGapsOfMessages) {
    const struct {
        std::u16string msg;
        std::vector<std::u16string> items;
    } rows[] = {
        {u"", {}},
        {u"hello", {u"hello"}},
        {u":)", {u"", u"#9"}},
        {u":-) :-)", {u"", u"#9", u" ", u"#9"}},
        {u"A:)B:(C", {u"A", u"#9", u"B", u"#14", u"C"}},
        {u"(y) :d :D", {u"", u"#0", u" ", u"#10", u" ", u"#10"}},
        {u":'(", {u"", u"#17"}},
        {u":'x", {u":'x"}},
        {u":(K)", {u"", u"#14", u"K)"}},
        {u"end:", {u"end:"}},
        {u":-$ :$", {u"", u"#18", u" :$"}},
        {u"(m)(}){)", {u"", u"#43", u"", u"#7", u"{)"}},
        {u"\u00E9:)\u4E2D", {u"\u00E9", u"#9", u"\u4E2D"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(Narrow(r.msg));
        gb::colMsg strip(host, surfaces);
        strip.AddMsg(r.msg, u"Tahoma", 0x123456, 77);
        ASSERT_EQ(strip.Count(), r.items.size());
        for (std::size_t i = 1; i <= strip.Count(); ++i) {
            SCOPED_TRACE(i);
            const gb::clsItem& item = *strip.Item(i);
            const std::u16string& e = r.items[i - 1];
            EXPECT_FLOAT_EQ(item.WhiteSpace(), i == 1 || i == strip.Count() ? 10 : 1);
            if (const auto* run = item.As<gb::clsString>()) {
                EXPECT_EQ(run->Text(), e);
                EXPECT_EQ(run->hWnd(), 77);
                EXPECT_EQ(run->TextColor(), 0x123456u);
                EXPECT_EQ(run->TextFont()->Name(), u"Tahoma");
            } else {
                ASSERT_TRUE(e.starts_with(u"#")) << "an emoticon where a run belongs";
                EXPECT_EQ(item.As<gb::clsEmo>()->PicNumber(), std::stoi(Narrow(e.substr(1))));
                EXPECT_EQ(item.As<gb::clsEmo>()->hWnd(), 77);
            }
        }
    }
}

TEST_F(Parser, FaceOfTheRunsFallsBackToArial) {
    const std::u16string rows[][2] = {
        {u"Tahoma", u"Tahoma"},
        {u"No Such Face", u"Arial"},
        {u"", u"Arial"},
        {u"tahoma", u"tahoma"}, // the case of a name is not part of it
        {u"ARIAL", u"ARIAL"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(Narrow(r[0]));
        gb::colMsg strip(host, surfaces);
        strip.AddMsg(u"a:)b", r[0], 0, 0);
        EXPECT_EQ(strip.Item(1)->As<gb::clsString>()->TextFont()->Name(), r[1]);
        EXPECT_EQ(strip.Item(3)->As<gb::clsString>()->TextFont()->Name(), r[1]);
    }
}

TEST_F(Parser, HugeMessagesParseWhole) {
    std::u16string msg;
    for (int i = 0; i < 25000; ++i)
        msg += u"ab:)";
    gb::colMsg strip(host, surfaces);
    strip.AddMsg(msg, u"Arial", 0, 3);
    ASSERT_EQ(strip.Count(), 50000u);
    EXPECT_EQ(strip.Item(49999)->As<gb::clsString>()->Text(), u"ab");
    EXPECT_NE(strip.Item(50000)->As<gb::clsEmo>(), nullptr);
}

// For any text, mixed from codes in either case and loose characters: the runs and the
// recognised codes, in order, give the text back (codes compared without case), each code is
// shown in its own cell, and no run holds a place where a code begins; with emoticons off the
// strip holds exactly the text.
TEST_F(Parser, RunsAndCodesGiveTheTextBack) {
    const std::u16string loose = u"():;-'$|[]{}@&~^*68yYnNdDoOpPsSxXmMqQ \u00E9\u4E2D";
    const auto codeAt = [](const std::u16string& msg, std::size_t at, int cell) {
        std::size_t length = 0;
        for (const CodeRow& r : kCodes)
            if ((cell < 0 || r.cell == cell) &&
                Upper(msg.substr(at, std::u16string_view(r.code).size())) == r.code)
                length = std::max(length, std::u16string_view(r.code).size());
        return length;
    };
    std::mt19937 rng(20261207);
    for (int round = 0; round < 4000; ++round) {
        std::u16string msg;
        for (int i = static_cast<int>(rng() % 12); i > 0; --i) {
            if (rng() % 3 == 0) {
                const std::u16string code = kCodes[rng() % std::size(kCodes)].code;
                for (char16_t c : code)
                    msg.push_back(rng() % 2 && c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c);
            } else {
                msg.push_back(loose[rng() % loose.size()]);
            }
        }
        SCOPED_TRACE(Narrow(msg));
        settings().ShowEmo = true;
        gb::colMsg strip(host, surfaces);
        strip.AddMsg(msg, u"Arial", 0, 0);
        std::size_t at = 0;
        for (const gb::clsItem& item : strip) {
            if (const auto* run = item.As<gb::clsString>()) {
                ASSERT_EQ(msg.compare(at, run->Text().size(), run->Text()), 0);
                for (const std::size_t end = at + run->Text().size(); at < end; ++at)
                    EXPECT_EQ(codeAt(msg, at, -1), 0u) << "a code left in a run at " << at;
                continue;
            }
            const std::size_t length = codeAt(msg, at, item.As<gb::clsEmo>()->PicNumber());
            ASSERT_NE(length, 0u) << "no code of this cell at " << at;
            at += length;
        }
        EXPECT_EQ(at, msg.size());

        settings().ShowEmo = false;
        gb::colMsg plain(host, surfaces);
        plain.AddMsg(msg, u"Arial", 0, 0);
        ASSERT_EQ(plain.Count(), 1u);
        EXPECT_EQ(plain.Item(1)->As<gb::clsString>()->Text(), msg);
    }
}

} // namespace
