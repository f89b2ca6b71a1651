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
        {{u"state", u"b@x.com", u"1", u"--prev", u"away", u"--nick", u"Bob"},
         {Op::State, {"b@x.com", "1", "away", "Bob"}}},
        {{u"mail", u"-2", u"--folder", u"4"}, {Op::Mail, {"-2", "4"}}},
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
        {{u"mail", u"99999999999"}, "the count must be a whole number"},
        {{u"close", u""}, "close needs addresses separated by commas"},
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

// Requests come from any process that finds the window: anything malformed is refused whole.
TEST(StandInRequest, MalformedRequestsAreRefused) {
    using namespace std::string_literals;
    const auto mail = static_cast<std::uint32_t>(Op::Mail);
    const struct {
        const char* what;
        std::uint32_t op;
        std::string data;
    } rows[] = {
        {"unknown operation", 9, ""},
        {"too few arguments", mail, "3\0"s},
        {"too many arguments", mail, "1\0002\0003\0"s},
        {"last argument unterminated", mail, "3\0000"s},
        {"arguments for one that takes none", static_cast<std::uint32_t>(Op::Log), "\0"s},
        {"oversized", static_cast<std::uint32_t>(Op::Status),
         std::string(msgrsim::kMaxRequestBytes, 'x') + "\0"s},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(msgrsim::DecodeRequest(row.op, row.data), std::nullopt);
    }
    EXPECT_EQ(msgrsim::DecodeRequest(static_cast<std::uint32_t>(Op::State), "b\0002\0\0\0"s),
              (Request{Op::State, {"b", "2", "", ""}})); // empty arguments are arguments
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
