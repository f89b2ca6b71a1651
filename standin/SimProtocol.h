#pragma once
// What the controller (msgrctl) and the stand-in messenger (msgrsim) say to each other, and
// the controller's command line. Portable: the Win32 files only move the bytes.
//
// A request travels as one WM_COPYDATA: dwData is the operation, the data its arguments as
// UTF-8 texts, each followed by a NUL. The stand-in answers with one WM_COPYDATA back to the
// window handle in wParam (dwData kReplyTag, the UTF-8 answer) and returns kResultDone or
// kResultRefused from the first message.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace msgrsim {

inline constexpr wchar_t kControlWindowClass[] = L"MsgrSimControl";
inline constexpr wchar_t kConversationWindowClass[] = L"MsgrSimConversation";
inline constexpr std::uintptr_t kReplyTag = 0x52504C59; // "RPLY"
inline constexpr std::intptr_t kResultDone = 1;
inline constexpr std::intptr_t kResultRefused = 2;
// Requests larger than this are refused unread.
inline constexpr std::size_t kMaxRequestBytes = 64 * 1024;

enum class Op : std::uint32_t {
    Text = 1,   // from, nickname, header, text, participants, "1" for no window
    State = 2,  // address, new state, previous state ("" = the current one), nickname
    Mail = 3,   // count, folder
    Status = 4, // own status
    Open = 5,   // participants
    Close = 6,  // participants
    Log = 7,    //
    Show = 8,   //
};

struct Request {
    Op op = Op::Show;
    std::vector<std::string> args;
    friend bool operator==(const Request&, const Request&) = default;
};

// The wire form and back; decoding refuses an unknown operation, a wrong number of
// arguments, bytes after the last NUL and an oversized request.
std::string EncodeArgs(const std::vector<std::string>& args);
std::optional<Request> DecodeRequest(std::uint32_t op, std::string_view data);

// UTF-8 and UTF-16 both ways; empty on malformed input (a lone surrogate, a bad byte).
std::optional<std::string> ToUtf8(std::u16string_view text);
std::optional<std::u16string> FromUtf8(std::string_view text);

// Contact state by name ("online", "away", ...) or by number; empty when neither.
std::optional<std::int32_t> ParseState(std::string_view text);
std::string StateName(std::int32_t state);
std::optional<std::int32_t> ParseNumber(std::string_view text);
// "a,b,c" into its addresses; empty entries are refused.
std::optional<std::vector<std::string>> ParseAddressList(std::string_view text);

// What a command line asks of the controller.
struct Command {
    enum class Kind { Help, Send, Register, Unregister, Demo } kind = Kind::Help;
    Request request;            // Send
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
