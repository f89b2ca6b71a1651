#include <gtest/gtest.h>

#include <map>
#include <random>

#include "StripFixture.h"
#include "strip/EmoticonTable.h"

namespace {

// One expected item: a run (its text) or an emoticon (its cell), and the gap after it.
struct Expect {
    int cell; // -1 for a text run
    std::u16string text;
    float gap;
};
Expect TextRun(std::u16string t, float gap) { return {-1, std::move(t), gap}; }
Expect Cell(int cell, float gap) { return {cell, {}, gap}; }

std::string Narrow(std::u16string_view s) {
    std::string out;
    for (char16_t c : s)
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
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

class Parser : public StripFixture {
  protected:
    void ExpectItems(const gb::colMsg& strip, const std::vector<Expect>& expected) {
        ASSERT_EQ(strip.Count(), expected.size());
        std::size_t i = 1;
        for (const Expect& e : expected) {
            SCOPED_TRACE(i);
            const gb::clsItem* item = strip.Item(i++);
            if (e.cell < 0) {
                const auto* run = item->As<gb::clsString>();
                ASSERT_NE(run, nullptr) << "expected a text run";
                EXPECT_EQ(run->Text(), e.text);
            } else {
                const auto* emo = item->As<gb::clsEmo>();
                ASSERT_NE(emo, nullptr) << "expected an emoticon";
                EXPECT_EQ(emo->PicNumber(), e.cell);
            }
            EXPECT_FLOAT_EQ(item->WhiteSpace(), e.gap);
        }
    }
};

TEST_F(Parser, ItemsAndGapsOfMessages) {
    const struct {
        std::u16string msg;
        std::vector<Expect> items;
    } rows[] = {
        {u"", {}},
        {u"hello", {TextRun(u"hello", 10)}},
        {u":)", {TextRun(u"", 10), Cell(9, 10)}},
        {u":-) :-)", {TextRun(u"", 10), Cell(9, 1), TextRun(u" ", 1), Cell(9, 10)}},
        {u"A:)B:(C",
         {TextRun(u"A", 10), Cell(9, 1), TextRun(u"B", 1), Cell(14, 1), TextRun(u"C", 10)}},
        {u"hi :)", {TextRun(u"hi ", 10), Cell(9, 10)}},
        {u":):)", {TextRun(u"", 10), Cell(9, 1), TextRun(u"", 1), Cell(9, 10)}},
        {u"(y) (Y) :d :D",
         {TextRun(u"", 10), Cell(0, 1), TextRun(u" ", 1), Cell(0, 1), TextRun(u" ", 1), Cell(10, 1),
          TextRun(u" ", 1), Cell(10, 10)}},
        {u"(T)", {TextRun(u"", 10), Cell(31, 10)}},
        {u":'(", {TextRun(u"", 10), Cell(17, 10)}},
        {u":'x", {TextRun(u":'x", 10)}},
        {u":(K)", {TextRun(u"", 10), Cell(14, 1), TextRun(u"K)", 10)}},
        {u"(a", {TextRun(u"(a", 10)}},
        {u"end:", {TextRun(u"end:", 10)}},
        {u"(", {TextRun(u"(", 10)}},
        {u":-$ :$", {TextRun(u"", 10), Cell(18, 1), TextRun(u" :$", 10)}},
        {u":| :-| ;) ;-)",
         {TextRun(u"", 10), Cell(16, 1), TextRun(u" ", 1), Cell(16, 1), TextRun(u" ", 1),
          Cell(13, 1), TextRun(u" ", 1), Cell(13, 10)}},
        {u"(m)(}){)",
         {TextRun(u"", 10), Cell(43, 1), TextRun(u"", 1), Cell(7, 1), TextRun(u"{)", 10)}},
        {u"x :s y", {TextRun(u"x ", 10), Cell(15, 1), TextRun(u" y", 10)}},
        {u"\u00E9:)\u4E2D", {TextRun(u"\u00E9", 10), Cell(9, 1), TextRun(u"\u4E2D", 10)}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(Narrow(r.msg));
        gb::colMsg strip(host, surfaces);
        strip.AddMsg(r.msg, u"Tahoma", 0x123456, 77);
        ExpectItems(strip, r.items);
        for (const gb::clsItem& item : strip) {
            if (const auto* run = item.As<gb::clsString>()) {
                EXPECT_EQ(run->hWnd(), 77);
                EXPECT_EQ(run->TextColor(), 0x123456u);
                EXPECT_EQ(run->TextFont()->Name(), u"Tahoma");
            } else {
                EXPECT_EQ(item.As<gb::clsEmo>()->hWnd(), 77);
            }
        }
    }
}

TEST_F(Parser, EveryCodeSelectsItsCell) {
    for (const auto& r : kCodes) {
        std::u16string code = r.code;
        std::u16string lower = code;
        for (char16_t& c : lower)
            if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
        for (const std::u16string& typed : {code, lower}) {
            SCOPED_TRACE(Narrow(typed));
            const auto match = gb::MatchEmoticon(typed + u"zz");
            ASSERT_TRUE(match.has_value());
            EXPECT_EQ(match->Cell, r.cell);
            EXPECT_EQ(match->Length, typed.size());
        }
    }
    for (const char16_t* notCode : {u"(Q)", u":-", u":'", u"(", u"", u"\u00FF)", u"(\u0179)"}) {
        SCOPED_TRACE(Narrow(notCode));
        EXPECT_FALSE(gb::MatchEmoticon(notCode).has_value());
    }
}

TEST_F(Parser, WithoutEmoticonsTheMessageIsOneRun) {
    settings().ShowEmo = false;
    for (const char16_t* msg : {u":)", u"", u"a (Y) b"}) {
        SCOPED_TRACE(Narrow(msg));
        gb::colMsg strip(host, surfaces);
        strip.AddMsg(msg, u"Arial", 0, 0);
        ExpectItems(strip, {TextRun(msg, 10)});
    }
}

TEST_F(Parser, FaceOfTheRunsFallsBackToArial) {
    const struct {
        std::u16string requested, used;
    } rows[] = {
        {u"Tahoma", u"Tahoma"}, {u"Arial", u"Arial"},  {u"No Such Face", u"Arial"},
        {u"", u"Arial"},        {u"tahoma", u"Arial"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(Narrow(r.requested));
        gb::colMsg strip(host, surfaces);
        strip.AddMsg(u"a:)b", r.requested, 0, 0);
        EXPECT_EQ(strip.Item(1)->As<gb::clsString>()->TextFont()->Name(), r.used);
        EXPECT_EQ(strip.Item(3)->As<gb::clsString>()->TextFont()->Name(), r.used);
        EXPECT_DOUBLE_EQ(strip.Item(1)->As<gb::clsString>()->TextFont()->Size(), 12);
    }
}

TEST_F(Parser, HugeMessagesParseWhole) {
    std::u16string msg;
    for (int i = 0; i < 25000; ++i)
        msg += u"ab:)";
    ASSERT_EQ(msg.size(), 100000u);
    gb::colMsg strip(host, surfaces);
    strip.AddMsg(msg, u"Arial", 0, 3);
    ASSERT_EQ(strip.Count(), 50000u);
    EXPECT_EQ(strip.Item(49999)->As<gb::clsString>()->Text(), u"ab");
    EXPECT_NE(strip.Item(50000)->As<gb::clsEmo>(), nullptr);
    EXPECT_EQ(strip.Item(50001), nullptr);

    settings().ShowEmo = false;
    gb::colMsg plain(host, surfaces);
    plain.AddMsg(msg, u"Arial", 0, 3);
    ASSERT_EQ(plain.Count(), 1u);
    EXPECT_EQ(plain.Item(1)->As<gb::clsString>()->Text().size(), 100000u);
}

// For any text: the runs and the recognised codes, in order, give the text back (codes
// compared without case); no run holds a place where a code begins; and with emoticons off
// the strip holds exactly the text.
TEST_F(Parser, RunsAndCodesGiveTheTextBack) {
    std::multimap<int, std::u16string> codes;
    for (const CodeRow& r : kCodes)
        codes.emplace(r.cell, r.code);
    const auto upper = [](std::u16string s) {
        for (char16_t& c : s)
            if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
        return s;
    };
    const std::u16string alphabet = u"():;-'$|[]{}@&~^*68yYnNdDoOpPsSxXmM \u00E9\u4E2D";
    std::mt19937 rng(20261207);
    for (int round = 0; round < 4000; ++round) {
        std::u16string msg;
        const int length = static_cast<int>(rng() % 24);
        for (int i = 0; i < length; ++i)
            msg.push_back(alphabet[rng() % alphabet.size()]);
        SCOPED_TRACE(Narrow(msg));

        settings().ShowEmo = true;
        gb::colMsg strip(host, surfaces);
        strip.AddMsg(msg, u"Arial", 0, 0);
        std::size_t at = 0;
        for (const gb::clsItem& item : strip) {
            if (const auto* run = item.As<gb::clsString>()) {
                ASSERT_EQ(msg.compare(at, run->Text().size(), run->Text()), 0);
                for (std::size_t p = at; p < at + run->Text().size(); ++p) {
                    bool codeHere = false;
                    for (const auto& [cell, code] : codes)
                        codeHere = codeHere || upper(msg.substr(p, code.size())) == code;
                    EXPECT_FALSE(codeHere) << "a code left in a run at " << p;
                }
                at += run->Text().size();
                continue;
            }
            const int cell = item.As<gb::clsEmo>()->PicNumber();
            std::size_t codeLength = 0;
            for (auto [it, end] = codes.equal_range(cell); it != end; ++it)
                if (upper(msg.substr(at, it->second.size())) == it->second)
                    codeLength = it->second.size();
            ASSERT_NE(codeLength, 0u) << "cell " << cell << " at " << at;
            at += codeLength;
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
