#pragma once
// A request of the controller (msgrctl) to the stand-in messenger (msgrsim) as it travels, and
// the values its arguments name. Portable: the Win32 files only move the bytes.
//
// A request travels as one WM_COPYDATA: dwData is the operation, the data its arguments as
// UTF-8 texts, each followed by a NUL. The stand-in answers with one WM_COPYDATA back to the
// window handle in wParam (dwData kReplyTag, the UTF-8 answer) and returns kResultDone or
// kResultRefused from the first message. With wParam 0 the request is carried out unanswered.
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
// Refused at once, unanswered: a malformed request, or one whose answer would go to the
// stand-in's own thread (it would answer itself without end).
inline constexpr std::intptr_t kResultMalformed = 3;
// Refused unread, unanswered: larger than kMaxRequestBytes.
inline constexpr std::intptr_t kResultTooLong = 4;
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
    // From the project's own messenger, which keeps the stand-in true to its account:
    Contacts = 9, // (address, nickname, state) for each of one or more contacts; no event
    Window = 10,  // participants, the messenger's window for them in decimal ("0": closed)
};
inline constexpr Op kLastOp = Op::Window;

// The project's own messenger takes the stand-in's calls at a message-only window of this
// class: one WM_COPYDATA, dwData a MessengerOp, the data UTF-8.
inline constexpr wchar_t kMessengerWindowClass[] = L"GlidebannerMessenger";
enum class MessengerOp : std::uint32_t {
    // wParam a stand-in's control window that has just come: the messenger sends it everything
    // it holds (contacts, status, windows). Data empty.
    Hello = 1,
    // InstantMessage: the data an address; the messenger opens or brings forward that contact's
    // window and returns its handle (0 when it has none for that address).
    Open = 2,
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
// "the request is too long: N bytes, the limit is 65536"
std::string TooLongMessage(std::size_t bytes);

// The window a request names for its answer (wParam), as the stand-in sees it.
enum class ReplyWindow {
    None,    // 0: no answer wanted
    Foreign, // a window of another thread or process: answered
    Own,     // a window of the stand-in's own thread
    Invalid, // not a window
};
struct Screened {
    std::optional<Request> request; // to carry out, and answer when the window is foreign
    std::intptr_t result = 0;       // otherwise what the message returns at once
};
// What the stand-in's control window does with one WM_COPYDATA: tag is its dwData, data its
// bytes (empty when it names a size but no bytes). Anything that is not a well-formed request
// (an answer, tagged kReplyTag, above all) is never answered.
Screened ScreenCopyData(std::uint64_t tag, std::optional<std::string_view> data, ReplyWindow to);

// Contact state by name ("online", "Away", ... in any case) or by number 0 or more; empty
// when neither.
std::optional<std::int32_t> ParseState(std::string_view text);
std::string StateName(std::int32_t state);
std::optional<std::int32_t> ParseNumber(std::string_view text);
// "a, b,c" into its addresses, blanks around each dropped; an empty entry, or an address named
// twice, is refused.
std::optional<std::vector<std::string>> ParseAddressList(std::string_view text);
std::string JoinAddressList(const std::vector<std::string>& addresses); // "a,b,c"

} // namespace msgrsim
