#pragma once
// msgrctl's command line: the commands, their usage text and the demo's script. Portable.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SimRequest.h"

namespace msgrsim {

// msgrctl feed: each line of standard input becomes a text from one buddy.
struct Feed {
    std::string from, nickname, header, participants;
    bool noWindow = false;
};
struct FeedResult {
    std::optional<Request> request;
    std::string error; // why the line cannot be sent; empty (and no request) to skip it
};
// One line of the feed, without its LF. length: the line's bytes, of which the reader may
// have kept only the first kMaxRequestBytes + 1 in line.
FeedResult FeedLine(const Feed& feed, std::string_view line, std::size_t length);

// What a command line asks of the controller.
struct Command {
    enum class Kind { Help, Send, Register, Unregister, Demo, Feed } kind = Kind::Help;
    Request request;            // Send
    Feed feed;                  // Feed
    bool perUser = false;       // Register, Unregister
    std::int32_t paceMs = 1500; // Demo: the pause between two steps
};

struct ParseResult {
    std::optional<Command> command;
    std::string error; // set when command is empty
};

// args: the arguments after the program's name.
ParseResult ParseCommandLine(const std::vector<std::u16string>& args);
std::string UsageText();

// One step of the demo: a pause in units of the pace, then a command line.
struct DemoStep {
    int pauses;
    std::vector<std::u16string> args;
};
const std::vector<DemoStep>& DemoScript();

} // namespace msgrsim
