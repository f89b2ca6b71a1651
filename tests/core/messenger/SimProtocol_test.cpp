#include "SimProtocol.h"

#include <gtest/gtest.h>

namespace {

using msgrsim::Command;
using msgrsim::Op;
using msgrsim::Request;
using Args = std::vector<std::u16string>;

// What each command line sends, options before or after the arguments; what is sent is what
// the stand-in accepts.
TEST(ControllerCommandLine, RequestsItSends) {
    const struct {
        Args args;
        Request expected;
    } rows[] = {
        {{u"text", u"a@x.com", u"hi :)"},
         {Op::Text, {"a@x.com", "", "FN=Arial; EF=; CO=0; CS=0; PF=22", "hi :)", "a@x.com", "0"}}},
        {{u"text", u"--nick", u"Ann\u00E9", u"--with", u"b@x.com,a@x.com", u"--no-window",
          u"--header", u"FN=Verdana;", u"a@x.com", u"\u00E9\U0001F600"},
         {Op::Text,
          {"a@x.com", "Ann\xC3\xA9", "FN=Verdana;", "\xC3\xA9\xF0\x9F\x98\x80", "b@x.com,a@x.com",
           "1"}}},
        // After "--" a text may look like an option; blanks around addresses are dropped.
        {{u"text", u"--nick", u"A", u"--with", u" b@x , a@x\t", u"a@x", u"--", u"--x"},
         {Op::Text, {"a@x", "A", "FN=Arial; EF=; CO=0; CS=0; PF=22", "--x", "b@x,a@x", "0"}}},
        {{u"text", u"a@x", u"hi", u"--font", u"Courier New", u"--color", u"#FF8000"},
         {Op::Text,
          {"a@x", "", "CO=0080FF; FN=Courier%20New; EF=; CS=0; PF=22", "hi", "a@x", "0"}}},
        {{u"state", u"b@x.com", u"1", u"--prev", u"Away", u"--nick", u"Bob"},
         {Op::State, {"b@x.com", "1", "Away", "Bob"}}},
        {{u"mail", u"2", u"--folder", u"4"}, {Op::Mail, {"2", "4"}}},
        {{u"open", u"a@x, b@x"}, {Op::Open, {"a@x,b@x"}}},
        {{u"log"}, {Op::Log, {}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        const auto parsed = msgrsim::ParseCommandLine(row.args);
        ASSERT_TRUE(parsed.command) << parsed.error;
        EXPECT_EQ(parsed.command->kind, Command::Kind::Send);
        EXPECT_EQ(parsed.command->request, row.expected);
        EXPECT_EQ(msgrsim::DecodeRequest(static_cast<std::uint32_t>(row.expected.op),
                                         msgrsim::EncodeArgs(row.expected.args)),
                  row.expected);
    }
    const auto perUser = msgrsim::ParseCommandLine({u"unregister", u"--user"});
    ASSERT_TRUE(perUser.command);
    EXPECT_EQ(perUser.command->kind, Command::Kind::Unregister);
    EXPECT_TRUE(perUser.command->perUser);
}

// The demo is a script of command lines: every step must be one the controller accepts.
TEST(Demo, EveryStepIsARequest) {
    for (const auto& step : msgrsim::DemoScript()) {
        const auto parsed = msgrsim::ParseCommandLine(step.args);
        ASSERT_TRUE(parsed.command) << parsed.error;
        EXPECT_EQ(parsed.command->kind, Command::Kind::Send);
    }
}

TEST(ControllerCommandLine, WrongArgumentsAreNamed) {
    const struct {
        Args args;
        const char* error;
    } rows[] = {
        {{}, "no command given"},
        {{u"text", u"a@x.com"}, "text takes 2 arguments, got 1"},
        {{u"text", u"", u"hi"}, "the sender's address is empty"},
        {{u"text", u"a@x.com", u"hi", u"--nick", u"A", u"--nick", u"B"},
         "option --nick given twice"},
        {{u"text", u"a@x.com", u"\xD800"}, "an argument is not valid text"},
        {{u"state", u"b@x.com", u"online", u"--prev", u"2x"}, "unknown state 2x"},
        {{u"state", u"b@x.com", u"-1"}, "a state cannot be negative: -1"},
        {{u"mail", u"99999999999"}, "the count must be a whole number"},
        {{u"mail", u"-2"}, "the count cannot be negative: -2"},
        {{u"close", u"a@x, "}, "close needs addresses separated by commas, each named once"},
        {{u"text", u"a@x", u"hi", u"--with", u"a@x,b@x, a@x"},
         "--with needs addresses separated by commas, each named once"},
        {{u"text", u"a@x", u"hi", u"--color", u"red"},
         "--color needs six hex digits RRGGBB, got red"},
        {{u"text", u"a@x", u"hi", u"--font", u"A", u"--header", u"H"},
         "--header cannot be combined with --font or --color"},
        {{u"text", u"a@x.com", std::u16string(65536, u'x')},
         "the request is too long: 65589 bytes, the limit is 65536"},
        {{u"feed", u"--nick", u"A"}, "feed needs --from ADDRESS"},
        {{u"register", u"--all"}, "unknown option --all"},
        {{u"demo", u"--pace", u"-5"}, "--pace must be 0 to 60000 milliseconds"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.error);
        const auto parsed = msgrsim::ParseCommandLine(row.args);
        EXPECT_FALSE(parsed.command);
        EXPECT_EQ(parsed.error, row.error);
    }
}

// Requests come from any process that finds the window: anything malformed is refused whole
// and unanswered, and so is anything whose answer would go to the stand-in's own thread (it
// would answer itself); an answer is never taken for a request.
TEST(StandInRequest, WhatTheControlWindowCarriesOut) {
    using namespace std::string_literals;
    using msgrsim::ReplyWindow;
    const auto mail = static_cast<std::uint64_t>(Op::Mail);
    const std::string ok = "3\0000\0"s;
    const struct {
        const char* what;
        std::uint64_t tag;
        std::optional<std::string> data;
        ReplyWindow to;
        std::intptr_t result; // 0 with a request to carry out, else refused at once
    } rows[] = {
        {"a request", mail, ok, ReplyWindow::Foreign, 0},
        {"a request wanting no answer", mail, ok, ReplyWindow::None, 0},
        {"answer to its own thread", mail, ok, ReplyWindow::Own, msgrsim::kResultMalformed},
        {"answer to no window", mail, ok, ReplyWindow::Invalid, msgrsim::kResultMalformed},
        {"an answer", msgrsim::kReplyTag, ok, ReplyWindow::Foreign, 0},
        {"unknown operation", 9, "", ReplyWindow::Foreign, 0},
        {"operation beyond 32 bits", mail + (1ull << 32), ok, ReplyWindow::Foreign, 0},
        {"a size but no bytes", mail, std::nullopt, ReplyWindow::Foreign,
         msgrsim::kResultMalformed},
        {"too few arguments", mail, "3\0"s, ReplyWindow::Foreign, msgrsim::kResultMalformed},
        {"too many arguments", mail, "1\0002\0003\0"s, ReplyWindow::Foreign,
         msgrsim::kResultMalformed},
        {"last argument unterminated", mail, "3\0000"s, ReplyWindow::Foreign,
         msgrsim::kResultMalformed},
        {"arguments for one that takes none", static_cast<std::uint64_t>(Op::Log), "\0"s,
         ReplyWindow::Foreign, msgrsim::kResultMalformed},
        {"oversized", static_cast<std::uint64_t>(Op::Status),
         std::string(msgrsim::kMaxRequestBytes, 'x') + "\0"s, ReplyWindow::Own,
         msgrsim::kResultTooLong},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const auto screened = msgrsim::ScreenCopyData(row.tag, row.data, row.to);
        EXPECT_EQ(screened.result, row.result);
        const bool carriedOut = row.result == 0 && row.tag == mail;
        EXPECT_EQ(screened.request,
                  carriedOut ? std::optional(Request{Op::Mail, {"3", "0"}}) : std::nullopt);
    }
    EXPECT_EQ(msgrsim::DecodeRequest(static_cast<std::uint32_t>(Op::State), "b\0002\0\0\0"s),
              (Request{Op::State, {"b", "2", "", ""}})); // empty arguments are arguments
}

// Each line of the feed as the text it sends, or why it cannot be sent; empty lines skipped.
TEST(ControllerFeed, LinesIntoTexts) {
    const auto parsed = msgrsim::ParseCommandLine(
        {u"feed", u"--from", u"a@x", u"--nick", u"Ann", u"--with", u"b@x, a@x", u"--no-window"});
    ASSERT_TRUE(parsed.command) << parsed.error;
    ASSERT_EQ(parsed.command->kind, Command::Kind::Feed);
    const std::string tooLong(msgrsim::kMaxRequestBytes + 1, 'x');
    const struct {
        std::string_view line;
        std::size_t length;
        const char* text; // sent, or null
        const char* error;
    } rows[] = {
        {"one :)", 6, "one :)", ""},
        {"two\r", 4, "two", ""},
        {"\r", 1, nullptr, ""},
        {"", 0, nullptr, ""},
        {std::string_view("a\0b", 3), 3, nullptr, "the line holds a NUL character"},
        {tooLong, 100000, nullptr, "the request is too long: 100052 bytes, the limit is 65536"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        const auto fed = msgrsim::FeedLine(parsed.command->feed, row.line, row.length);
        EXPECT_EQ(fed.error, row.error);
        EXPECT_EQ(fed.request,
                  row.text
                      ? std::optional(Request{Op::Text,
                                              {"a@x", "Ann", "FN=Arial; EF=; CO=0; CS=0; PF=22",
                                               row.text, "b@x,a@x", "1"}})
                      : std::nullopt);
    }
}

// Text that is not well-formed is refused, never passed on half-converted.
TEST(Utf8, MalformedInputIsRefused) {
    for (const std::u16string bad : {u"\xD800", u"a\xDC00", u"\xD800x"})
        EXPECT_EQ(msgrsim::ToUtf8(bad), std::nullopt);
    for (const std::string bad : {"\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                                  "\xF4\x90\x80\x80", "\x80", "\xC3\x28"})
        EXPECT_EQ(msgrsim::FromUtf8(bad), std::nullopt) << bad;
    EXPECT_EQ(msgrsim::FromUtf8("\xF4\x8F\xBF\xBF"), u"\U0010FFFF"); // the highest is not
}

} // namespace
