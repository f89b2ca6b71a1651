#include "SimProtocol.h"

#include <gtest/gtest.h>

namespace {

using msgrsim::Command;
using msgrsim::Op;
using msgrsim::Request;

std::vector<std::u16string> Args(std::initializer_list<const char16_t*> args) {
    return std::vector<std::u16string>(args.begin(), args.end());
}

const char* kDefaultHeader = "FN=Arial; EF=; CO=0; CS=0; PF=22";

TEST(ControllerCommandLine, RequestsItSends) {
    const struct {
        const char* what;
        std::vector<std::u16string> args;
        Request expected;
    } rows[] = {
        {"text from one buddy",
         Args({u"text", u"a@x.com", u"hi :)"}),
         {Op::Text, {"a@x.com", "", kDefaultHeader, "hi :)", "a@x.com", "0"}}},
        {"text with every option, options before the arguments",
         Args({u"text", u"--nick", u"Ann\u00E9", u"--with", u"b@x.com,a@x.com", u"--no-window",
               u"--header", u"FN=Verdana;", u"a@x.com", u"\u00E9\U0001F600"}),
         {Op::Text,
          {"a@x.com", "Ann\xC3\xA9", "FN=Verdana;", "\xC3\xA9\xF0\x9F\x98\x80", "b@x.com,a@x.com",
           "1"}}},
        {"state by name",
         Args({u"state", u"b@x.com", u"online"}),
         {Op::State, {"b@x.com", "online", "", ""}}},
        {"state with previous and nickname",
         Args({u"state", u"b@x.com", u"1", u"--prev", u"away", u"--nick", u"Bob"}),
         {Op::State, {"b@x.com", "1", "away", "Bob"}}},
        {"mail to the inbox", Args({u"mail", u"3"}), {Op::Mail, {"3", "0"}}},
        {"mail to another folder",
         Args({u"mail", u"-2", u"--folder", u"4"}),
         {Op::Mail, {"-2", "4"}}},
        {"status", Args({u"status", u"offline"}), {Op::Status, {"offline"}}},
        {"open", Args({u"open", u"a@x.com,b@x.com"}), {Op::Open, {"a@x.com,b@x.com"}}},
        {"close", Args({u"close", u"a@x.com"}), {Op::Close, {"a@x.com"}}},
        {"log", Args({u"log"}), {Op::Log, {}}},
        {"show", Args({u"show"}), {Op::Show, {}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const auto parsed = msgrsim::ParseCommandLine(row.args);
        ASSERT_TRUE(parsed.command) << parsed.error;
        EXPECT_EQ(parsed.command->kind, Command::Kind::Send);
        EXPECT_EQ(parsed.command->request, row.expected);
        // What is sent is what the stand-in accepts.
        const auto wire = msgrsim::EncodeArgs(row.expected.args);
        EXPECT_EQ(msgrsim::DecodeRequest(static_cast<std::uint32_t>(row.expected.op), wire),
                  row.expected);
    }
}

TEST(ControllerCommandLine, LocalCommands) {
    const struct {
        const char* what;
        std::vector<std::u16string> args;
        Command::Kind kind;
        bool perUser;
        std::int32_t pace;
    } rows[] = {
        {"help", Args({u"--help"}), Command::Kind::Help, false, 1500},
        {"help, short", Args({u"-h"}), Command::Kind::Help, false, 1500},
        {"register", Args({u"register"}), Command::Kind::Register, false, 1500},
        {"register per user", Args({u"register", u"--user"}), Command::Kind::Register, true, 1500},
        {"unregister per user", Args({u"unregister", u"--user"}), Command::Kind::Unregister, true,
         1500},
        {"demo", Args({u"demo"}), Command::Kind::Demo, false, 1500},
        {"demo fast", Args({u"demo", u"--pace", u"0"}), Command::Kind::Demo, false, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const auto parsed = msgrsim::ParseCommandLine(row.args);
        ASSERT_TRUE(parsed.command) << parsed.error;
        EXPECT_EQ(parsed.command->kind, row.kind);
        EXPECT_EQ(parsed.command->perUser, row.perUser);
        EXPECT_EQ(parsed.command->paceMs, row.pace);
    }
}

TEST(ControllerCommandLine, WrongArgumentsAreNamed) {
    const struct {
        std::vector<std::u16string> args;
        const char* error;
    } rows[] = {
        {Args({}), "no command given"},
        {Args({u"frob"}), "unknown command frob"},
        {Args({u"text", u"a@x.com"}), "text takes 2 arguments, got 1"},
        {Args({u"text", u"", u"hi"}), "the sender's address is empty"},
        {Args({u"text", u"a@x.com", u"hi", u"--with", u"a@x.com,,b@x.com"}),
         "--with needs addresses separated by commas"},
        {Args({u"text", u"a@x.com", u"hi", u"--nick"}), "option --nick needs a value"},
        {Args({u"text", u"a@x.com", u"hi", u"--nick", u"A", u"--nick", u"B"}),
         "option --nick given twice"},
        {Args({u"text", u"a@x.com", u"\xD800"}), "an argument is not valid text"},
        {Args({u"state", u"b@x.com", u"asleep"}), "unknown state asleep"},
        {Args({u"state", u"b@x.com", u"online", u"--prev", u"2x"}), "unknown state 2x"},
        {Args({u"mail", u"3.5"}), "the count must be a whole number"},
        {Args({u"mail", u"99999999999"}), "the count must be a whole number"},
        {Args({u"mail", u"1", u"--folder", u"inbox"}), "the folder must be a whole number"},
        {Args({u"status"}), "status takes 1 argument, got 0"},
        {Args({u"open", u",a@x.com"}), "open needs addresses separated by commas"},
        {Args({u"close", u""}), "close needs addresses separated by commas"},
        {Args({u"log", u"extra"}), "log takes 0 arguments, got 1"},
        {Args({u"register", u"--all"}), "unknown option --all"},
        {Args({u"demo", u"--pace", u"-5"}), "--pace must be 0 to 60000 milliseconds"},
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
    const struct {
        const char* what;
        std::uint32_t op;
        std::string data;
    } rows[] = {
        {"unknown operation 0", 0, ""},
        {"unknown operation 9", 9, ""},
        {"too few arguments", static_cast<std::uint32_t>(Op::Mail), "3\0"s},
        {"too many arguments", static_cast<std::uint32_t>(Op::Status),
         "1\0"
         "2\0"s},
        {"last argument unterminated", static_cast<std::uint32_t>(Op::Mail),
         "3\0"
         "0"s},
        {"arguments for one that takes none", static_cast<std::uint32_t>(Op::Log), "\0"s},
        {"oversized", static_cast<std::uint32_t>(Op::Status),
         std::string(msgrsim::kMaxRequestBytes, 'x') + "\0"s},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(msgrsim::DecodeRequest(row.op, row.data), std::nullopt);
    }
    // Empty arguments are arguments.
    EXPECT_EQ(msgrsim::DecodeRequest(static_cast<std::uint32_t>(Op::State), "b\0"
                                                                            "2\0\0\0"s),
              (Request{Op::State, {"b", "2", "", ""}}));
}

TEST(Utf8, BothWaysAndMalformedInput) {
    const struct {
        const char* what;
        std::u16string wide;
        std::string utf8;
    } good[] = {
        {"ASCII", u"abc", "abc"},
        {"two bytes", u"\u00E9", "\xC3\xA9"},
        {"three bytes", u"\u20AC", "\xE2\x82\xAC"},
        {"surrogate pair", u"\U0001F600", "\xF0\x9F\x98\x80"},
        {"highest", u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
    };
    for (const auto& row : good) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(msgrsim::ToUtf8(row.wide), row.utf8);
        EXPECT_EQ(msgrsim::FromUtf8(row.utf8), row.wide);
    }
    for (const std::u16string bad : {u"\xD800", u"a\xDC00", u"\xD800x"}) {
        EXPECT_EQ(msgrsim::ToUtf8(bad), std::nullopt);
    }
    for (const std::string bad : {"\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                                  "\xF4\x90\x80\x80", "\x80", "\xC3\x28"}) {
        EXPECT_EQ(msgrsim::FromUtf8(bad), std::nullopt) << bad;
    }
}

// The demo is a script of command lines: every step must be one the controller accepts, and
// together they show what the bar is for.
TEST(Demo, EveryStepIsAValidRequestAndTheScriptCoversTheShow) {
    bool signIn = false, signOut = false, mail = false, accented = false, group = false;
    std::size_t emoticons = 0;
    for (const auto& step : msgrsim::DemoScript()) {
        const auto parsed = msgrsim::ParseCommandLine(step.args);
        ASSERT_TRUE(parsed.command) << parsed.error;
        ASSERT_EQ(parsed.command->kind, Command::Kind::Send);
        const Request& r = parsed.command->request;
        if (r.op == Op::State && r.args[1] == "online" && r.args[2] == "offline") signIn = true;
        if (r.op == Op::State && r.args[1] == "offline") signOut = true;
        if (r.op == Op::Mail) mail = true;
        if (r.op == Op::Text) {
            for (const char* code : {":)", "(L)", ";-)", "(Y)"}) {
                if (r.args[3].find(code) != std::string::npos) ++emoticons;
            }
            for (const char c : r.args[3])
                accented |= static_cast<unsigned char>(c) >= 0x80;
            group |= r.args[4].find(',') != std::string::npos;
        }
    }
    EXPECT_TRUE(signIn);
    EXPECT_TRUE(signOut);
    EXPECT_TRUE(mail);
    EXPECT_TRUE(accented);
    EXPECT_TRUE(group);
    EXPECT_GE(emoticons, 4u);
}

} // namespace
