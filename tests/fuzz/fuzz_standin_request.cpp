// The stand-in takes requests from any process that finds its window, and the controller any
// command line or feed line. One input is a sequence of steps applied to ONE state: a copy-data
// message as the control window receives it, a command line (or a feed's line), or one of the
// fake host's windows closing by itself. After each step the state keeps its limits, its
// windows match its open conversations, and a refused request has changed nothing; at the end
// Describe lists every open conversation.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

#include "SimProtocol.h"
#include "SimState.h"
#include "fakes/FakeSimHost.h"

namespace {

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::uint8_t Byte() {
        if (size == 0) return 0;
        --size;
        return *data++;
    }
    std::string Bytes(std::size_t n) {
        n = std::min(n, size);
        std::string out(reinterpret_cast<const char*>(data), n);
        data += n;
        size -= n;
        return out;
    }
};

[[noreturn]] void Fail() { __builtin_trap(); }

// Everything a request may change; the log only ever grows at its end.
std::string Snapshot(const msgrsim::SimState& state) {
    const auto& log = state.CallLog();
    return state.Describe() + std::to_string(log.size()) + (log.empty() ? "" : log.back());
}

// After every step.
void CheckLimitsAndWindows(const msgrsim::SimState& state, const FakeSimHost& host) {
    const auto& open = state.Conversations();
    if (open.size() > msgrsim::kMaxConversations || state.ContactCount() > msgrsim::kMaxContacts ||
        state.CallLog().size() > msgrsim::kMaxLogEntries) {
        Fail();
    }
    std::size_t windows = 0;
    for (const auto& c : open) {
        if (c->window == 0) continue;
        if (host.live.count(c->window) == 0) Fail(); // a window that has gone
        ++windows;
    }
    if (windows != host.live.size()) Fail(); // a window no conversation holds
}

// At the end (Describe is the costly part of a step).
void CheckDescribed(const msgrsim::SimState& state) {
    const std::string described = state.Describe();
    for (const auto& c : state.Conversations()) {
        std::string line = "(";
        for (const auto& p : c->participants)
            line += (line.size() > 1 ? ", " : "") + p->address;
        if (described.find(line + ") window " + std::to_string(c->window) + "\n") ==
            std::string::npos) {
            Fail();
        }
    }
}

void Apply(msgrsim::SimState& state, FakeSimHost& host, const msgrsim::Request& request) {
    const std::string before = Snapshot(state);
    const auto reply = state.Apply(request, host);
    if (!reply.done && (Snapshot(state) != before || !host.calls.empty())) Fail();
    if (request.op == msgrsim::Op::Log) {
        std::string log;
        for (const auto& entry : state.CallLog())
            log += entry + "\n";
        if (reply.text != log) Fail();
    }
}

// A command line: the bytes as UTF-8 arguments separated by NUL. A feed takes the next bytes
// as its line.
void CommandLine(msgrsim::SimState& state, FakeSimHost& host, Input& in) {
    const std::string text = in.Bytes(in.Byte() | (in.Byte() << 8));
    const auto wide = msgrsim::FromUtf8(text);
    if (!wide) return;
    if (msgrsim::ToUtf8(*wide) != text) Fail(); // both ways agree
    std::vector<std::u16string> args(1);
    for (const char16_t c : *wide) {
        if (c == 0) {
            args.emplace_back();
        } else {
            args.back().push_back(c);
        }
    }
    const auto parsed = msgrsim::ParseCommandLine(args);
    if (!parsed.command) return;
    if (parsed.command->kind == msgrsim::Command::Kind::Feed) {
        const std::string line = in.Bytes(in.Byte());
        const auto fed = msgrsim::FeedLine(parsed.command->feed, line, line.size());
        if (fed.request) Apply(state, host, *fed.request);
        return;
    }
    if (parsed.command->kind != msgrsim::Command::Kind::Send) return;
    // What the controller sends, the stand-in takes as it was sent.
    const auto& r = parsed.command->request;
    const auto back =
        msgrsim::ScreenCopyData(static_cast<std::uint64_t>(r.op), msgrsim::EncodeArgs(r.args),
                                msgrsim::ReplyWindow::Foreign);
    if (!back.request || !(*back.request == r)) Fail();
    Apply(state, host, r);
}

// A WM_COPYDATA as the control window receives it: any tag, any bytes, any reply window.
void CopyData(msgrsim::SimState& state, FakeSimHost& host, Input& in) {
    const std::uint8_t tag = in.Byte();
    const std::uint8_t how = in.Byte();
    std::uint64_t dwData = tag & 0x0F;
    if (tag & 0x10) dwData = msgrsim::kReplyTag;
    if (tag & 0x20) dwData += std::uint64_t{1} << 32;
    std::string bytes = in.Bytes(in.Byte() | (in.Byte() << 8));
    if ((how & 0x30) == 0x30) bytes.resize(msgrsim::kMaxRequestBytes + how, '\0');
    const std::optional<std::string_view> data =
        (how & 0x40) ? std::nullopt : std::optional<std::string_view>(bytes);
    const auto to = static_cast<msgrsim::ReplyWindow>(how % 4);
    const auto screened = msgrsim::ScreenCopyData(dwData, data, to);
    if (!screened.request) return;
    if (screened.result != 0 || !data || to == msgrsim::ReplyWindow::Own ||
        to == msgrsim::ReplyWindow::Invalid || dwData != static_cast<std::uint64_t>(tag & 0x0F) ||
        msgrsim::EncodeArgs(screened.request->args) != bytes) {
        Fail();
    }
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
                auto it = host.live.begin();
                std::advance(it, in.Byte() % host.live.size());
                const std::intptr_t window = *it;
                host.live.erase(it);
                state.WindowClosed(window);
            }
            break;
        default:
            host.failWindows = (in.Byte() & 1) != 0;
            break;
        }
        CheckLimitsAndWindows(state, host);
    }
    CheckDescribed(state);
    return 0;
}
