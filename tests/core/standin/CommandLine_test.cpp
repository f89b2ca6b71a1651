#include "CommandLine.h"

#include <gtest/gtest.h>

#include <variant>

namespace {

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

} // namespace
