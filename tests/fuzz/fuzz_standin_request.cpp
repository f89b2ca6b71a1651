// The stand-in takes requests from any process that finds its window, and the controller any
// command line or feed line. One input is a sequence of steps applied to ONE state: a copy-data
// message as the control window receives it, a command line (or a feed's line), or one of the
// fake host's windows closing by itself. After each step the state keeps its limits, its
// windows match its open conversations, and a refused request has changed nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <set>
#include <string>

#include "CommandLine.h"
#include "FuzzCheck.h"
#include "SimState.h"
#include "Utf8.h"
#include "fakes/FakeSimHost.h"

namespace {

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::uint8_t Byte() { return size == 0 ? 0 : (--size, *data++); }
    std::string Bytes(std::size_t n) {
        n = std::min(n, size);
        std::string out(reinterpret_cast<const char*>(data), n);
        data += n, size -= n;
        return out;
    }
    std::size_t Length() { return Byte() | (Byte() << 8); }
};

// Everything a request may change; the log only ever grows at its end.
std::string Snapshot(const msgrsim::SimState& state) {
    const auto& log = state.CallLog();
    return state.Describe() + std::to_string(log.size()) + (log.empty() ? "" : log.back());
}

void Apply(msgrsim::SimState& state, FakeSimHost& host, const msgrsim::Request& request) {
    const std::string before = Snapshot(state);
    const auto reply = state.Apply(request, host);
    Check(reply.done || (Snapshot(state) == before && host.calls.empty()));
}

// A command line: the bytes as UTF-8 arguments separated by NUL. A feed takes the next bytes
// as its line.
void CommandLine(msgrsim::SimState& state, FakeSimHost& host, Input& in) {
    const std::string text = in.Bytes(in.Length());
    const auto wide = msgrsim::FromUtf8(text);
    if (!wide) return;
    Check(msgrsim::ToUtf8(*wide) == text); // both ways agree
    std::vector<std::u16string> args(1);
    for (const char16_t c : *wide)
        c == 0 ? void(args.emplace_back()) : args.back().push_back(c);
    const auto parsed = msgrsim::ParseCommandLine(args);
    if (parsed.command && parsed.command->kind == msgrsim::Command::Kind::Feed) {
        const std::string line = in.Bytes(in.Byte());
        const auto fed = msgrsim::FeedLine(parsed.command->feed, line, line.size());
        if (fed.request) Apply(state, host, *fed.request);
    }
    if (!parsed.command || parsed.command->kind != msgrsim::Command::Kind::Send) return;
    // What the controller sends, the stand-in takes as it was sent.
    const auto& r = parsed.command->request;
    const auto back =
        msgrsim::ScreenCopyData(static_cast<std::uint64_t>(r.op), msgrsim::EncodeArgs(r.args),
                                msgrsim::ReplyWindow::Foreign);
    Check(back.request && *back.request == r);
    Apply(state, host, r);
}

// A WM_COPYDATA as the control window receives it: any tag, any bytes, any reply window.
void CopyData(msgrsim::SimState& state, FakeSimHost& host, Input& in) {
    const std::uint8_t tag = in.Byte();
    const std::uint8_t how = in.Byte();
    std::uint64_t dwData = (tag & 0x10) ? msgrsim::kReplyTag : tag & 0x0F;
    if (tag & 0x20) dwData += std::uint64_t{1} << 32;
    std::string bytes = in.Bytes(in.Length());
    if ((how & 0x30) == 0x30) bytes.resize(msgrsim::kMaxRequestBytes + how, '\0');
    const auto data = (how & 0x40) ? std::nullopt : std::optional<std::string_view>(bytes);
    const auto to = static_cast<msgrsim::ReplyWindow>(how % 4);
    const auto screened = msgrsim::ScreenCopyData(dwData, data, to);
    if (!screened.request) return;
    Check(screened.result == 0 && data && to != msgrsim::ReplyWindow::Own &&
          to != msgrsim::ReplyWindow::Invalid && dwData == (tag & 0x0Fu) &&
          msgrsim::EncodeArgs(screened.request->args) == bytes);
    Apply(state, host, *screened.request);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in{data, size};
    msgrsim::SimState state;
    FakeSimHost host;
    host.state = &state;
    while (in.size > 0) {
        host.calls.clear();
        switch (in.Byte() % 4) {
        case 0:
            CopyData(state, host, in);
            break;
        case 1:
            CommandLine(state, host, in);
            break;
        case 2: // the user closes a window
            if (!host.live.empty()) {
                const auto window = *std::next(host.live.begin(), in.Byte() % host.live.size());
                host.live.erase(window);
                state.WindowClosed(window);
            }
            break;
        default:
            host.failWindows = (in.Byte() & 1) != 0;
        }
        // Within its limits, and its windows are those of its open conversations.
        const auto& open = state.Conversations();
        Check(open.size() <= msgrsim::kMaxConversations &&
              state.ContactCount() <= msgrsim::kMaxContacts &&
              state.CallLog().size() <= msgrsim::kMaxLogEntries);
        std::multiset<std::intptr_t> windows;
        for (const auto& c : open)
            if (c->window != 0) windows.insert(c->window);
        Check(windows == std::multiset<std::intptr_t>(host.live.begin(), host.live.end()));
    }
    return 0;
}
