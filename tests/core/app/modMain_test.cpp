#include "app/Slide.h"
#include "app/modMain.h"

#include <gtest/gtest.h>

#include <new>
#include <optional>
#include <stdexcept>
#include <vector>

#include "contract/MessengerText.h"

namespace {

std::string Narrow(const std::u16string& s) { return {s.begin(), s.end()}; }

// The messenger hands a text over as one character per UTF-8 byte (never sign-extended, NULs
// included); the bar folds every well-formed sequence into its character, CR and LF into
// blanks, and reads any other byte in the Western code page. Characters above 0xFF are no
// bytes: refused as such, and kept as they are.
TEST(MessageText, EveryByteOneCharacterFoldedIntoTheTextShown) {
    const std::pair<std::string, std::u16string> rows[] = {
        {"Hi :)", u"Hi :)"},
        {"\xC3\xB6\xC3\x80\xC3\x9F", u"\u00F6\u00C0\u00DF"}, // once corrupted by a table
        {"\xE2\x82\xAC\xF0\x9F\x98\x80", u"\u20AC\U0001F600"},
        {"a\xC3", u"a\u00C3"},                             // a lead byte at the end
        {"\xC3x", u"\u00C3x"},                             // a lead byte before a non-continuation
        {"\xE2\x82", u"\u00E2\u201A"},                     // truncated
        {"\xC0\xAF", u"\u00C0\u00AF"},                     // overlong
        {"\xED\xA0\x80", u"\u00ED\u00A0\u20AC"},           // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\u00F4\u0090\u20AC\u20AC"}, // beyond U+10FFFF
        {"\x80\x93\x81\xFF", u"\u20AC\u201C\u0081\u00FF"},
        {std::string("a\r\n\0b", 5), u"a  b"},
    };
    for (const auto& [bytes, shown] : rows) {
        std::u16string text = messenger::ByteText(bytes);
        EXPECT_EQ(messenger::TextBytes(text), bytes);
        modMain::DecodeUtf8Text(text);
        EXPECT_EQ(text, shown) << bytes;
    }
    EXPECT_EQ(messenger::TextBytes(u"ok\u20AC"), std::nullopt);
    std::u16string wide = u"\u4E2D\u00C3";
    modMain::DecodeUtf8Text(wide);
    EXPECT_EQ(wide, u"\u4E2D\u00C3");
}

TEST(TextRoutines, ColourDomainAndHeaderField) {
    // Hexadecimal into the low 32 bits; a non-digit counts as 0 but keeps its place.
    const std::pair<std::u16string, std::uint32_t> colours[] = {
        {u"1g", 0x10}, {u"FFFFFFFF", 0xFFFFFFFFu}, {u"123456789", 0x23456789u}};
    for (const auto& [text, colour] : colours)
        EXPECT_EQ(modMain::HexToColor(text), colour) << Narrow(text);
    // The part before the last "@", if any.
    const std::u16string users[][2] = {{u"a@b@c", u"a@b"}, {u"nobody", u""}, {u"x@", u"x"}};
    for (const auto& [address, user] : users)
        EXPECT_EQ(modMain::StripDomain(address), user) << Narrow(address);
    const std::u16string fields[][3] = {
        {u"FN=Arial; EF=; CO=ff; PF=22", u"PF", u""}, // no ";" follows
        {u"FN=Times%20New%20Roman;", u"FN", u"Times New Roman"},
        {u"FN=%2020;", u"FN", u" 20"},                 // scanning goes on after the inserted blank
        {u"fn=Arial; FN=Verdana;", u"FN", u"Verdana"}, // case-sensitive
        {u"XFN=Bad; FN=Good;", u"FN", u"Bad"},         // a plain text search finds it inside a word
        {u"ab;FN", u"FN", u"ab"}, // no "=" after the key: value starts at the header's start
    };
    for (const auto& [text, key, value] : fields)
        EXPECT_EQ(modMain::GetFormatField(text, key), value) << Narrow(text);
}

// Answers the welcome boxes, and notes them and the options dialog; can close the bar while
// the first box is up.
struct FakeWelcomeUi final : modMain::IWelcomeUi {
    bool yes, exitAtBox, open = true;
    std::vector<std::u16string> shown;
    FakeWelcomeUi(bool y, bool e) : yes(y), exitAtBox(e) {}
    bool ShowBox(const modMain::MessageBoxText& box) override {
        shown.push_back(box.text);
        open = !exitAtBox;
        return yes;
    }
    void ShowOptionsWithoutOwner() override { shown.push_back(u"options"); }
    bool BarOpen() override { return open; }
};

// The welcome is due for a stored version older than the running 1.1; a text that is no
// "major.minor" of whole 16-bit numbers counts as 0.0. Exit while a box is up ends it.
TEST(Welcome, BoxesFollowTheStoredVersionAndTheAnswer) {
    constexpr bool yes = true, no = false, exit = true;
    const std::u16string q = modMain::kWelcomeQuestion.text, later = modMain::kWelcomeLater.text;
    const std::u16string o = u"options";
    const std::tuple<std::u16string, bool, bool, std::vector<std::u16string>> rows[] = {
        {u"0.0", yes, !exit, {q, o}},   {u"1.0", no, !exit, {q, later}},
        {u"0.0", yes, exit, {q}},       {u"0.0", no, exit, {q}},
        {u"1.1", yes, !exit, {}},       {u"2.0", yes, !exit, {}},
        {u" 1 . 2 ", yes, !exit, {}},   {u"1", yes, !exit, {q, o}},
        {u"1.1.5", yes, !exit, {q, o}}, {u"99999.1", yes, !exit, {q, o}},
    };
    for (const auto& [stored, answer, exitDuringBox, shown] : rows) {
        FakeWelcomeUi ui(answer, exitDuringBox);
        modMain::CheckNewVersion(stored, ui);
        EXPECT_EQ(ui.shown, shown) << Narrow(stored);
    }
}

TEST(StartFailureText, SaysWhatStoppedStartUpInPlainWords) {
    const std::pair<std::exception_ptr, std::u16string> rows[] = {
        {std::make_exception_ptr(std::bad_alloc()), u"there is not enough memory."},
        {std::make_exception_ptr(std::runtime_error("the bar's window could not be made")),
         u"the bar's window could not be made."},
        {std::make_exception_ptr(std::logic_error("bad")), u"an unexpected error occurred (bad)."},
        {std::make_exception_ptr(42), u"an unexpected error occurred."},
    };
    for (const auto& [failure, reason] : rows)
        EXPECT_EQ(modMain::StartFailureText(failure), u"Glidebanner could not start: " + reason);
}

// Records every left edge; the form closes during the closeAt-th run of pending messages.
struct FakeForm final : modMain::ISlideForm {
    float left, width;
    int closeAt, pumps = 0;
    std::vector<float> lefts;
    FakeForm(float l, float w, int c) : left(l), width(w), closeAt(c) {}
    float Left() override { return left; }
    float Width() override { return width; }
    void SetLeft(float t) override { lefts.push_back(left = t); }
    bool RunPendingMessages() override { return ++pumps != closeAt; }
};

// Steps of 200 twips, pending messages after each step (not after the final set), and a stop
// at once when the form closes. in: the target of a slide in; none: a slide out.
TEST(Slide, StepsOf200TwipsAndStopsAtOnceWhenTheFormCloses) {
    const std::tuple<float, float, std::optional<float>, int, bool, std::vector<float>, int>
        rows[] = {
            {1500, 3000, 1000, 0, true, {1300, 1100, 900, 1000}, 3},
            {1000, 3000, 1000, 0, true, {800, 1000}, 1},
            {900, 3000, 1000, 0, true, {1000}, 0},
            {100, 300, std::nullopt, 0, true, {-100, -300}, 2},
            {5000, 3000, 1000, 2, false, {4800, 4600}, 2},
            {100, 3000, std::nullopt, 1, false, {-100}, 1},
        };
    for (const auto& [left, width, in, closeAt, done, lefts, pumps] : rows) {
        SCOPED_TRACE(testing::Message() << left << " " << closeAt);
        FakeForm form(left, width, closeAt);
        EXPECT_EQ(in ? modMain::SlideIn(form, *in) : modMain::SlideOut(form), done);
        EXPECT_EQ(form.lefts, lefts);
        EXPECT_EQ(form.pumps, pumps);
    }
}

} // namespace
