#include "CommandLine.h"
#include "Utf8.h"

#include <gtest/gtest.h>

#include <variant>

namespace {

using namespace std::string_literals;
using msgrsim::Op;
using msgrsim::Request;

// What each command line sends, options before or after the arguments, or why it cannot;
// every step of the demo is a command line the controller sends.
TEST(ControllerCommandLine, RequestsItSendsAndWrongArgumentsNamed) {
    const std::pair<std::vector<std::u16string>, std::variant<Request, const char*>> rows[] = {
        {{u"text", u"--nick", u"Ann\u00E9", u"--with", u"b@x,a@x", u"--no-window", u"--header",
          u"FN=Verdana;", u"a@x", u"\u00E9\U0001F600"},
         Request{
             Op::Text,
             {"a@x", "Ann\xC3\xA9", "FN=Verdana;", "\xC3\xA9\xF0\x9F\x98\x80", "b@x,a@x", "1"}}},
        // After "--" a text may look like an option; blanks around addresses are dropped.
        {{u"text", u"--with", u" b@x , a@x\t", u"a@x", u"--", u"--x"},
         Request{Op::Text, {"a@x", "", "FN=Arial; EF=; CO=0; CS=0; PF=22", "--x", "b@x,a@x", "0"}}},
        {{u"text", u"a@x", u"hi", u"--font", u"Courier New", u"--color", u"#FF8000"},
         Request{Op::Text,
                 {"a@x", "", "CO=0080FF; FN=Courier%20New; EF=; CS=0; PF=22", "hi", "a@x", "0"}}},
        {{}, "no command given"},
        {{u"text", u"a@x"}, "text takes 2 arguments, got 1"},
        {{u"text", u"a@x", u"hi", u"--nick", u"A", u"--nick", u"B"}, "option --nick given twice"},
        {{u"text", u"a@x", u"\xD800"}, "an argument is not valid text"},
        {{u"state", u"b@x", u"-1"}, "a state cannot be negative: -1"},
        {{u"text", u"a@x", u"hi", u"--with", u"a@x,b@x, a@x"},
         "--with needs addresses separated by commas, each named once"},
        {{u"text", u"a@x", u"hi", u"--color", u"red"},
         "--color needs six hex digits RRGGBB, got red"},
        {{u"text", u"a@x", u"hi", u"--font", u"A", u"--header", u"H"},
         "--header cannot be combined with --font or --color"},
        {{u"text", u"a@x.com", std::u16string(65536, u'x')},
         "the request is too long: 65589 bytes, the limit is 65536"},
        {{u"feed", u"--nick", u"A"}, "feed needs --from ADDRESS"},
        {{u"demo", u"--pace", u"-5"}, "--pace must be 0 to 60000 milliseconds"},
    };
    for (const auto& [args, expected] : rows) {
        SCOPED_TRACE(&expected - &rows[0].second);
        const auto parsed = msgrsim::ParseCommandLine(args);
        if (const auto* request = std::get_if<Request>(&expected)) {
            ASSERT_TRUE(parsed.command) << parsed.error;
            EXPECT_EQ(parsed.command->request, *request);
        } else {
            EXPECT_EQ(parsed.error, std::get<const char*>(expected));
        }
    }
    for (const auto& step : msgrsim::DemoScript())
        EXPECT_EQ(msgrsim::ParseCommandLine(step.args).command.value().kind,
                  msgrsim::Command::Kind::Send);
    // A feed's line that the reader cut short is reported at its whole length.
    const auto feed = msgrsim::ParseCommandLine({u"feed", u"--from", u"a@x"}).command->feed;
    EXPECT_EQ(
        msgrsim::FeedLine(feed, std::string(msgrsim::kMaxRequestBytes + 1, 'x'), 100000).error,
        "the request is too long: 100045 bytes, the limit is 65536");
}

// Requests come from any process that finds the window: anything malformed is refused whole
// and unanswered, and so is anything whose answer would go to the stand-in's own thread (it
// would answer itself); an answer is never taken for a request.
TEST(StandInRequest, WhatTheControlWindowCarriesOut) {
    using msgrsim::ReplyWindow;
    const auto mail = static_cast<std::uint64_t>(Op::Mail);
    const auto malformed = msgrsim::kResultMalformed;
    const std::string ok = "3\0000\0"s, huge = std::string(msgrsim::kMaxRequestBytes, 'x') + "\0"s;
    // result: 0 with a request to carry out (the tag is Mail's), else refused at once.
    const std::tuple<std::uint64_t, std::optional<std::string>, ReplyWindow, std::intptr_t> rows[] =
        {
            {mail, ok, ReplyWindow::Foreign, 0},
            {mail, ok, ReplyWindow::Own, malformed},
            {msgrsim::kReplyTag, ok, ReplyWindow::Foreign, 0},
            {mail + (1ull << 32), ok, ReplyWindow::Foreign, 0},
            {mail, std::nullopt, ReplyWindow::Foreign, malformed},
            {mail, "3\0000"s, ReplyWindow::Foreign, malformed},
            {static_cast<std::uint64_t>(Op::Status), huge, ReplyWindow::Own,
             msgrsim::kResultTooLong},
        };
    for (const auto& [tag, data, to, result] : rows) {
        SCOPED_TRACE(testing::Message() << tag << " " << static_cast<int>(to));
        const auto screened = msgrsim::ScreenCopyData(tag, data, to);
        EXPECT_EQ(screened.result, result);
        EXPECT_EQ(screened.request, result == 0 && tag == mail
                                        ? std::optional(Request{Op::Mail, {"3", "0"}})
                                        : std::nullopt);
    }
    EXPECT_EQ(msgrsim::DecodeRequest(static_cast<std::uint32_t>(Op::State), "b\0002\0\0\0"s),
              (Request{Op::State, {"b", "2", "", ""}})); // empty arguments are arguments
}

} // namespace
