#include "CommandLine.h"

#include <algorithm>
#include <cctype>

#include "Utf8.h"
#include "contract/MessageFormat.h"

namespace msgrsim {
namespace {

// The command line's options: name and whether it takes a value.
struct Options {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> named;
    std::string error;

    const std::string* Find(std::string_view name) const {
        for (const auto& [key, value] : named) {
            if (key == name) return &value;
        }
        return nullptr;
    }
};

Options SplitOptions(const std::vector<std::string>& args, std::size_t first,
                     std::initializer_list<std::string_view> withValue,
                     std::initializer_list<std::string_view> flags) {
    Options out;
    for (std::size_t i = first; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") { // the end of the options: a text may start with "--"
            out.positional.insert(out.positional.end(), args.begin() + i + 1, args.end());
            break;
        }
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            const std::string name = a.substr(2);
            bool known = false;
            for (auto v : withValue) {
                if (v == name) {
                    if (i + 1 >= args.size()) {
                        out.error = "option --" + name + " needs a value";
                        return out;
                    }
                    out.named.emplace_back(name, args[++i]);
                    known = true;
                }
            }
            for (auto f : flags) {
                if (f == name) {
                    out.named.emplace_back(name, "1");
                    known = true;
                }
            }
            if (!known) {
                out.error = "unknown option " + a;
                return out;
            }
            if (out.named.size() > 1) {
                for (std::size_t k = 0; k + 1 < out.named.size(); ++k) {
                    if (out.named[k].first == name) {
                        out.error = "option --" + name + " given twice";
                        return out;
                    }
                }
            }
        } else {
            out.positional.push_back(a);
        }
    }
    return out;
}

ParseResult Fail(std::string message) { return ParseResult{std::nullopt, std::move(message)}; }

// A request too long for the stand-in is refused here, where its size can be told.
ParseResult Send(Op op, std::vector<std::string> args) {
    Command c;
    c.kind = Command::Kind::Send;
    c.request = Request{op, std::move(args)};
    if (const std::size_t bytes = EncodeArgs(c.request.args).size(); bytes > kMaxRequestBytes) {
        return Fail(TooLongMessage(bytes));
    }
    return ParseResult{c, {}};
}

// The format header from --header, or made from --font and --color; error set when they
// clash or are malformed.
std::string HeaderOf(const Options& o, std::string& error) {
    const auto* header = o.Find("header");
    const auto* font = o.Find("font");
    const auto* color = o.Find("color");
    if (header && (font || color)) {
        error = "--header cannot be combined with --font or --color";
        return {};
    }
    if (header) return *header;
    if (font && (font->empty() || font->find(';') != std::string::npos)) {
        error = "--font needs a font name without ';'";
        return {};
    }
    const auto made = messenger::FormatHeader(font ? *font : "", color ? *color : "");
    if (color && (color->empty() || !made)) {
        error = "--color needs six hex digits RRGGBB, got " + *color;
        return {};
    }
    if (!font && !color) return std::string(messenger::kDefaultFormat);
    return made.value_or(std::string());
}

// The participants from --with (normalised), else the sender alone.
std::optional<std::string> ParticipantsOf(const Options& o, const std::string& from) {
    const auto* with = o.Find("with");
    if (!with) return from;
    const auto list = ParseAddressList(*with);
    if (!list) return std::nullopt;
    return JoinAddressList(*list);
}

std::vector<std::string> TextArgs(const Feed& f, std::string text) {
    return {f.from, f.nickname, f.header, std::move(text), f.participants, f.noWindow ? "1" : "0"};
}

// The options text and feed share, into a Feed; error set when one is wrong.
Feed FeedOf(const Options& o, std::string from, std::string& error) {
    Feed f;
    f.header = HeaderOf(o, error);
    if (!error.empty()) return f;
    const auto participants = ParticipantsOf(o, from);
    if (!participants) {
        error = "--with needs addresses separated by commas, each named once";
        return f;
    }
    f.participants = *participants;
    f.from = std::move(from);
    if (const auto* nick = o.Find("nick")) f.nickname = *nick;
    f.noWindow = o.Find("no-window") != nullptr;
    return f;
}

} // namespace

FeedResult FeedLine(const Feed& feed, std::string_view line, std::size_t length) {
    if (length == line.size() && line.ends_with('\r')) {
        line.remove_suffix(1);
        --length;
    }
    if (length == 0) return {}; // the program drops an empty text anyway
    Request request{Op::Text, TextArgs(feed, std::string(line))};
    if (const std::size_t bytes = EncodeArgs(request.args).size() + (length - line.size());
        bytes > kMaxRequestBytes) {
        return {std::nullopt, TooLongMessage(bytes)};
    }
    if (line.find('\0') != std::string_view::npos) {
        return {std::nullopt, "the line holds a NUL character"};
    }
    return {std::move(request), {}};
}

ParseResult ParseCommandLine(const std::vector<std::u16string>& wide) {
    std::vector<std::string> args;
    for (const auto& w : wide) {
        auto utf8 = ToUtf8(w);
        if (!utf8) return Fail("an argument is not valid text");
        args.push_back(std::move(*utf8));
    }
    if (args.empty()) return Fail("no command given");
    const std::string& verb = args[0];
    if (verb == "--help" || verb == "-h" || verb == "help" || verb == "/?") {
        return ParseResult{Command{}, {}};
    }

    auto expect = [&](const Options& o, std::size_t count) -> std::string {
        if (!o.error.empty()) return o.error;
        if (o.positional.size() != count) {
            return verb + " takes " + std::to_string(count) + " argument" +
                   (count == 1 ? "" : "s") + ", got " + std::to_string(o.positional.size());
        }
        return {};
    };

    if (verb == "text") {
        const Options o =
            SplitOptions(args, 1, {"nick", "font", "color", "header", "with"}, {"no-window"});
        if (auto e = expect(o, 2); !e.empty()) return Fail(e);
        if (o.positional[0].empty()) return Fail("the sender's address is empty");
        std::string error;
        const Feed f = FeedOf(o, o.positional[0], error);
        if (!error.empty()) return Fail(error);
        return Send(Op::Text, TextArgs(f, o.positional[1]));
    }
    if (verb == "feed") {
        const Options o = SplitOptions(args, 1, {"nick", "font", "color", "header", "with", "from"},
                                       {"no-window"});
        if (auto e = expect(o, 0); !e.empty()) return Fail(e);
        const auto* from = o.Find("from");
        if (!from || from->empty()) return Fail("feed needs --from ADDRESS");
        Command c;
        c.kind = Command::Kind::Feed;
        std::string error;
        c.feed = FeedOf(o, *from, error);
        if (!error.empty()) return Fail(error);
        return ParseResult{c, {}};
    }
    // Why a state or a count is refused.
    const auto badState = [](const std::string& text) {
        return ParseNumber(text) ? "a state cannot be negative: " + text : "unknown state " + text;
    };
    const auto badCount = [](const char* what, const std::string& text) {
        return std::string("the ") + what +
               (ParseNumber(text) ? " cannot be negative: " + text : " must be a whole number");
    };
    if (verb == "state") {
        const Options o = SplitOptions(args, 1, {"prev", "nick"}, {});
        if (auto e = expect(o, 2); !e.empty()) return Fail(e);
        if (o.positional[0].empty()) return Fail("the contact's address is empty");
        if (!ParseState(o.positional[1])) return Fail(badState(o.positional[1]));
        std::string prev;
        if (const auto* p = o.Find("prev")) {
            if (!ParseState(*p)) return Fail(badState(*p));
            prev = *p;
        }
        const auto* nick = o.Find("nick");
        return Send(Op::State,
                    {o.positional[0], o.positional[1], prev, nick ? *nick : std::string()});
    }
    if (verb == "mail") {
        const Options o = SplitOptions(args, 1, {"folder"}, {});
        if (auto e = expect(o, 1); !e.empty()) return Fail(e);
        const auto count = ParseNumber(o.positional[0]);
        if (!count || *count < 0) return Fail(badCount("count", o.positional[0]));
        std::string folder = "0";
        if (const auto* f = o.Find("folder")) {
            const auto number = ParseNumber(*f);
            if (!number || *number < 0) return Fail(badCount("folder", *f));
            folder = *f;
        }
        return Send(Op::Mail, {o.positional[0], folder});
    }
    if (verb == "status") {
        const Options o = SplitOptions(args, 1, {}, {});
        if (auto e = expect(o, 1); !e.empty()) return Fail(e);
        if (!ParseState(o.positional[0])) return Fail(badState(o.positional[0]));
        return Send(Op::Status, {o.positional[0]});
    }
    if (verb == "open" || verb == "close") {
        const Options o = SplitOptions(args, 1, {}, {});
        if (auto e = expect(o, 1); !e.empty()) return Fail(e);
        const auto list = ParseAddressList(o.positional[0]);
        if (!list) return Fail(verb + " needs addresses separated by commas, each named once");
        return Send(verb == "open" ? Op::Open : Op::Close, {JoinAddressList(*list)});
    }
    if (verb == "log" || verb == "show") {
        const Options o = SplitOptions(args, 1, {}, {});
        if (auto e = expect(o, 0); !e.empty()) return Fail(e);
        return Send(verb == "log" ? Op::Log : Op::Show, {});
    }
    if (verb == "register" || verb == "unregister") {
        const Options o = SplitOptions(args, 1, {}, {"user"});
        if (auto e = expect(o, 0); !e.empty()) return Fail(e);
        Command c;
        c.kind = verb == "register" ? Command::Kind::Register : Command::Kind::Unregister;
        c.perUser = o.Find("user") != nullptr;
        return ParseResult{c, {}};
    }
    if (verb == "demo") {
        const Options o = SplitOptions(args, 1, {"pace"}, {});
        if (auto e = expect(o, 0); !e.empty()) return Fail(e);
        Command c;
        c.kind = Command::Kind::Demo;
        if (const auto* p = o.Find("pace")) {
            const auto pace = ParseNumber(*p);
            if (!pace || *pace < 0 || *pace > 60000) {
                return Fail("--pace must be 0 to 60000 milliseconds");
            }
            c.paceMs = *pace;
        }
        return ParseResult{c, {}};
    }
    return Fail("unknown command " + verb);
}

std::string UsageText() {
    return "msgrctl: drives the stand-in messenger inside a running program.\n"
           "\n"
           "  msgrctl text FROM TEXT [--nick NAME] [--font NAME] [--color RRGGBB]\n"
           "               [--header HEADER] [--with A,B,...] [--no-window]\n"
           "      FROM sends TEXT (UTF-8) into the conversation with the participants A,B,...\n"
           "      (default: FROM alone), opening its window unless --no-window; in the font\n"
           "      and colour given, or as the format header HEADER says.\n"
           "  msgrctl feed --from ADDRESS [the options of text]\n"
           "      each line of standard input (UTF-8) becomes a text from ADDRESS, until the\n"
           "      input ends; a line that cannot be sent is reported with its number.\n"
           "  msgrctl state ADDRESS STATE [--prev STATE] [--nick NAME]\n"
           "      the contact changes to STATE (previous state: --prev, or its current one).\n"
           "  msgrctl mail COUNT [--folder N]     unread mail count of a folder (0 inbox)\n"
           "  msgrctl status STATE                the user's own status (no event)\n"
           "  msgrctl open A,B,...                open a conversation window\n"
           "  msgrctl close A,B,...               close it\n"
           "  msgrctl log                         print the calls the messenger received\n"
           "  msgrctl show                        print the messenger's state\n"
           "  msgrctl register [--user]           register msgrsim.dll (machine-wide, or\n"
           "  msgrctl unregister [--user]         for this user only) or remove it\n"
           "  msgrctl demo [--pace MS]            play a scripted conversation\n"
           "  msgrctl --help                      this text\n"
           "\n"
           "After --, every argument is taken as it is: msgrctl text a@x.com -- \"--ok\"\n"
           "States: unknown offline online busy away brb phone lunch idle (in any case),\n"
           "or a number 0 or more.\n"
           "Exit codes: 0 done, 1 no program with the stand-in runs, 2 wrong arguments,\n"
           "3 the stand-in refused the command (feed: some line did not go through),\n"
           "4 registration failed.\n";
}

const std::vector<DemoStep>& DemoScript() {
    // Pauses in units of the pace; a text's length sets how long its buddy "types".
    static const std::vector<DemoStep> script = {
        {0, {u"status", u"online"}},
        {1,
         {u"state", u"anna@example.com", u"online", u"--prev", u"offline", u"--nick", u"Anna (L)"}},
        {2, {u"text", u"anna@example.com", u"Hi there :)", u"--nick", u"Anna (L)"}},
        {2,
         {u"text", u"anna@example.com", u"Are we still on for lunch? ;-)", u"--nick", u"Anna (L)"}},
        {1,
         {u"state", u"jose@example.org", u"online", u"--prev", u"offline", u"--nick",
          u"Jos\u00E9"}},
        {2,
         {u"text", u"jose@example.org", u"Ol\u00E1! The caf\u00E9 on the corner? (Y)", u"--nick",
          u"Jos\u00E9", u"--header", u"FN=Verdana; EF=B; CO=ff0000; CS=0; PF=22"}},
        {2, {u"mail", u"1"}},
        {2,
         {u"text", u"anna@example.com", u"Sure, na\u00EFve question: who pays? :D", u"--nick",
          u"Anna (L)", u"--with", u"anna@example.com,jose@example.org"}},
        {2,
         {u"text", u"jose@example.org", u"You do (L) Gr\u00FC\u00DFe aus M\u00FCnchen", u"--nick",
          u"Jos\u00E9", u"--with", u"anna@example.com,jose@example.org", u"--header",
          u"FN=Verdana; EF=B; CO=ff0000; CS=0; PF=22"}},
        {1, {u"state", u"mika@example.net", u"online", u"--prev", u"offline", u"--nick", u"Mika"}},
        {2,
         {u"text", u"mika@example.net", u"Anyone seen my keys? :( (Y)", u"--nick", u"Mika",
          u"--header", u"FN=Courier%20New; EF=; CO=8000; CS=0; PF=31"}},
        {2, {u"mail", u"3"}},
        {1, {u"state", u"jose@example.org", u"away", u"--prev", u"online"}},
        {2, {u"text", u"anna@example.com", u"See you at noon :) (L)", u"--nick", u"Anna (L)"}},
        {1, {u"state", u"jose@example.org", u"offline", u"--prev", u"away"}},
        {1, {u"state", u"mika@example.net", u"offline", u"--prev", u"online"}},
        {1, {u"mail", u"2"}},
    };
    return script;
}

} // namespace msgrsim
