// The stand-in takes requests from any process that finds its window, and the controller any
// command line: both must refuse what is malformed without harm, and what they accept must
// survive the trip through the wire form unchanged.
#include <cstddef>
#include <cstdint>
#include <string>

#include "SimProtocol.h"
#include "SimState.h"

namespace {

class NoWindows final : public msgrsim::ISimHost {
  public:
    std::intptr_t OpenWindow(const msgrsim::Conversation&) override { return ++next; }
    void CloseWindow(std::intptr_t) override {}
    void ShowText(std::intptr_t, const msgrsim::ContactData&, const std::string&) override {}
    void RaiseText(const msgrsim::ConversationRef&, const msgrsim::ContactRef&, const std::string&,
                   const std::string&) override {}
    void RaiseStateChanged(const msgrsim::ContactRef&, std::int32_t) override {}
    void RaiseUnreadMail(std::int32_t, std::int32_t) override {}
    std::intptr_t next = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);

    // A request: the first byte is the operation; a few in a row share one state.
    msgrsim::SimState state;
    NoWindows host;
    const std::uint32_t op = data[0] % 10;
    if (const auto request = msgrsim::DecodeRequest(op, rest)) {
        if (msgrsim::EncodeArgs(request->args) != rest) __builtin_trap();
        state.Apply(*request, host);
        state.Apply(*request, host);
        (void)state.Describe();
    }

    // A command line: the bytes as UTF-8 arguments separated by NUL.
    if (const auto wide = msgrsim::FromUtf8(rest)) {
        if (msgrsim::ToUtf8(*wide) != rest) __builtin_trap(); // both ways agree
        std::vector<std::u16string> args(1);
        for (const char16_t c : *wide) {
            if (c == 0) {
                args.emplace_back();
            } else {
                args.back().push_back(c);
            }
        }
        const auto parsed = msgrsim::ParseCommandLine(args);
        if (parsed.command && parsed.command->kind == msgrsim::Command::Kind::Send) {
            const auto& r = parsed.command->request;
            const auto back = msgrsim::DecodeRequest(static_cast<std::uint32_t>(r.op),
                                                     msgrsim::EncodeArgs(r.args));
            if (!back || !(*back == r)) __builtin_trap();
            state.Apply(r, host);
        }
    }
    return 0;
}
