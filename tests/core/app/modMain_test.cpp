#include "app/modMain.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

#include "app/Version.h"

namespace {

using modMain::DecodeUtf8Text;

// The message text arrives with one byte per character; these build it from bytes.
std::u16string Bytes(std::initializer_list<int> bytes) {
    std::u16string s;
    for (int b : bytes)
        s.push_back(static_cast<char16_t>(b));
    return s;
}

std::u16string Decoded(std::u16string s) {
    DecodeUtf8Text(s);
    return s;
}

TEST(DecodeUtf8Text, FoldsEveryWellFormedSequenceAndKeepsTheRest) {
    const struct {
        const char* what;
        std::u16string in;
        std::u16string out;
    } rows[] = {
        {"empty", u"", u""},
        {"plain ASCII", u"hello", u"hello"},
        {"e acute", Bytes({0xC3, 0xA9}), u"\u00E9"},
        {"o umlaut, once corrupted", Bytes({0xC3, 0xB6}), u"\u00F6"},
        {"capitals and the letters the old table missed",
         Bytes({0xC3, 0x80, 0xC3, 0x9F, 0xC3, 0xB1, 0xC3, 0xA7, 0xC3, 0xA5, 0xC3, 0xA6, 0xC3, 0xB8,
                0xC3, 0xBD}),
         u"\u00C0\u00DF\u00F1\u00E7\u00E5\u00E6\u00F8\u00FD"},
        {"three-byte euro sign", Bytes({0xE2, 0x82, 0xAC}), u"\u20AC"},
        {"Cyrillic", Bytes({0xD0, 0x9F, 0xD1, 0x80}), u"\u041F\u0440"},
        {"four-byte emoji becomes a surrogate pair", Bytes({0xF0, 0x9F, 0x98, 0x80}),
         u"\U0001F600"},
        {"lone lead byte at the end stays", Bytes({'a', 0xC3}), u"a\u00C3"},
        {"lead byte before a non-continuation stays, the next byte too", Bytes({0xC3, 'x'}),
         u"\u00C3x"},
        {"CR and LF each become a blank", u"a\r\nb", u"a  b"},
        {"NUL is dropped", Bytes({'a', 0, 'b'}), u"ab"},
        {"overlong form is not decoded", Bytes({0xC0, 0xAF}), u"\u00C0\u00AF"},
        {"encoded surrogate is not decoded", Bytes({0xED, 0xA0, 0x80}), u"\u00ED\u00A0\u20AC"},
        {"beyond U+10FFFF is not decoded", Bytes({0xF4, 0x90, 0x80, 0x80}),
         u"\u00F4\u0090\u20AC\u20AC"},
        {"truncated three-byte sequence", Bytes({0xE2, 0x82}), u"\u00E2\u201A"},
        {"stray bytes 0x80-0x9F read in the Western code page", Bytes({0x80, 0x93, 0x81}),
         u"\u20AC\u201C\u0081"},
        {"Latin-1 text from an old client passes through", Bytes({'c', 'a', 'f', 0xE9}),
         u"caf\u00E9"},
        {"characters above 0xFF are not bytes and stay", u"\u4E2D\u00C3", u"\u4E2D\u00C3"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(Decoded(row.in), row.out);
    }
}

TEST(HexToColor, ReadsHexadecimalIntoTheLow32Bits) {
    const struct {
        std::u16string in;
        std::uint32_t out;
    } rows[] = {
        {u"", 0},
        {u"FF", 255},
        {u"ff", 255},
        {u"80ff", 33023},
        {u"1g", 16}, // a non-digit counts as 0 but keeps its place
        {u"ff0000", 0xFF0000},
        {u"FFFFFFFF", 0xFFFFFFFFu},  // once an overflow
        {u"80000000", 0x80000000u},  // once an overflow
        {u"123456789", 0x23456789u}, // more than eight digits: the low 32 bits
        {u"zz", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.in.begin(), row.in.end()));
        EXPECT_EQ(modMain::HexToColor(row.in), row.out);
    }
}

TEST(StripDomain, KeepsThePartBeforeTheLastAt) {
    const struct {
        std::u16string in, out;
    } rows[] = {
        {u"a@b@c", u"a@b"}, {u"bob@example.com", u"bob"},
        {u"nobody", u""},   {u"@example.com", u""},
        {u"", u""},         {u"x@", u"x"},
        {u"@a@b", u"@a"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.in.begin(), row.in.end()));
        EXPECT_EQ(modMain::StripDomain(row.in), row.out);
    }
}

TEST(GetFormatField, TakesOneFieldOfTheHeader) {
    const std::u16string header = u"FN=Arial; EF=; CO=ff; CS=0; PF=22";
    const struct {
        std::u16string header, key, out;
    } rows[] = {
        {header, u"CO", u"ff"},
        {header, u"FN", u"Arial"},
        {header, u"EF", u""},
        {header, u"PF", u""}, // no ";" follows
        {header, u"XX", u""},
        {u"FN=Times%20New%20Roman;", u"FN", u"Times New Roman"},
        {u"FN=MS%20Sans%20Serif; CO=0", u"FN", u"MS Sans Serif"},
        {u"FN=%2020;", u"FN", u" 20"},                 // scanning goes on after the inserted blank
        {u"fn=Arial; FN=Verdana;", u"FN", u"Verdana"}, // case-sensitive
        {u"XFN=Bad; FN=Good;", u"FN", u"Bad"},         // a plain text search finds it inside a word
        {u"ab;FN", u"FN", u"ab"}, // no "=" after the key: value starts at the header's start
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.header.begin(), row.header.end()));
        EXPECT_EQ(modMain::GetFormatField(row.header, row.key), row.out);
    }
}

TEST(CheckNewVersion, WelcomeIsDueOnlyForAnOlderStoredVersion) {
    const struct {
        std::u16string stored;
        bool due;
    } rows[] =
        {
            {u"0.0", true},      {u"1.0", true},  {u"0.9", true},     {u"1.1", false},
            {u"1.2", false},     {u"2.0", false}, {u"1", true},       {u"", true},
            {u"a.b", true},      {u"1.x", true},  {u"99999.1", true}, {u"1.99999", true},
            {u"1.1.5", true}, // the minor part "1.5" is no whole number
            {u" 1 . 2 ", false}, {u"-1.5", true}, {u"2.-5", false},
        };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.stored.begin(), row.stored.end()));
        const auto v = modMain::ParseStoredVersion(row.stored);
        EXPECT_EQ(modMain::IsWelcomeDue(v, modMain::kVersionMajor, modMain::kVersionMinor),
                  row.due);
    }
}

// Answers the welcome boxes in turn; can close the bar while the first box is up.
struct FakeWelcomeUi final : modMain::IWelcomeUi {
    std::vector<bool> answers;
    bool closeAtFirstBox = false, barOpen = true;
    std::vector<std::u16string> shown;
    int optionsShown = 0;
    bool ShowBox(const modMain::MessageBoxText& box) override {
        shown.push_back(box.text);
        if (closeAtFirstBox) barOpen = false;
        return shown.size() <= answers.size() && answers[shown.size() - 1];
    }
    void ShowOptionsWithoutOwner() override { ++optionsShown; }
    bool BarOpen() override { return barOpen; }
};

TEST(Welcome, BoxesFollowTheStoredVersionAndTheAnswer) {
    constexpr bool yes = true, no = false;
    const std::u16string q = modMain::kWelcomeQuestion.text, later = modMain::kWelcomeLater.text;
    const struct {
        std::u16string stored;
        bool answer;
        bool closeAtFirstBox;
        std::vector<std::u16string> boxes;
        int options;
    } rows[] = {
        {u"0.0", yes, false, {q}, 1},       {u"0.0", no, false, {q, later}, 0},
        {u"1.0", no, false, {q, later}, 0}, {u"1", no, false, {q, later}, 0}, // no dot: 0.0
        {u"1.1", yes, false, {}, 0},        {u"2.0", yes, false, {}, 0},
        {u"0.0", yes, true, {q}, 0},        {u"0.0", no, true, {q}, 0}, // Exit while it is up
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        FakeWelcomeUi ui;
        ui.answers = {row.answer};
        ui.closeAtFirstBox = row.closeAtFirstBox;
        modMain::CheckNewVersion(row.stored, ui);
        EXPECT_EQ(ui.shown, row.boxes);
        EXPECT_EQ(ui.optionsShown, row.options);
    }
}

TEST(StartFailureText, SaysWhatStoppedStartUpInPlainWords) {
    const struct {
        std::exception_ptr failure;
        std::u16string text;
    } rows[] = {
        {std::make_exception_ptr(std::bad_alloc()),
         u"Glidebanner could not start: there is not enough memory."},
        {std::make_exception_ptr(std::runtime_error("the bar's window could not be made")),
         u"Glidebanner could not start: the bar's window could not be made."},
        {std::make_exception_ptr(std::logic_error("bad")),
         u"Glidebanner could not start: an unexpected error occurred (bad)."},
        {std::make_exception_ptr(42),
         u"Glidebanner could not start: an unexpected error occurred."},
    };
    for (const auto& row : rows)
        EXPECT_EQ(modMain::StartFailureText(row.failure), row.text);
}

} // namespace
