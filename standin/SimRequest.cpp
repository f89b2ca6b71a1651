#include "SimRequest.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace msgrsim {
namespace {

std::size_t Arity(Op op) {
    switch (op) {
    case Op::Text:
        return 6;
    case Op::State:
        return 4;
    case Op::Mail:
        return 2;
    case Op::Status:
    case Op::Open:
    case Op::Close:
        return 1;
    case Op::Window:
        return 2;
    case Op::Log:
    case Op::Show:
        return 0;
    case Op::Contacts:
        return 3; // per contact
    }
    return 0;
}

bool KnownOp(std::uint32_t op) { return op >= 1 && op <= static_cast<std::uint32_t>(kLastOp); }

struct NamedState {
    std::string_view name;
    std::int32_t value;
};
// The stand-in's own numbering beyond the three values the program tells apart.
constexpr std::array<NamedState, 9> kStates = {{{"unknown", 0},
                                                {"offline", 1},
                                                {"online", 2},
                                                {"busy", 3},
                                                {"away", 4},
                                                {"brb", 5},
                                                {"phone", 6},
                                                {"lunch", 7},
                                                {"idle", 8}}};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

std::string EncodeArgs(const std::vector<std::string>& args) {
    std::string data;
    for (const auto& a : args) {
        data += a;
        data.push_back('\0');
    }
    return data;
}

std::string TooLongMessage(std::size_t bytes) {
    return "the request is too long: " + std::to_string(bytes) + " bytes, the limit is " +
           std::to_string(kMaxRequestBytes);
}

std::optional<Request> DecodeRequest(std::uint32_t op, std::string_view data) {
    if (!KnownOp(op) || data.size() > kMaxRequestBytes) return std::nullopt;
    Request request{static_cast<Op>(op), {}};
    while (!data.empty()) {
        const std::size_t nul = data.find('\0');
        if (nul == std::string_view::npos) return std::nullopt; // unterminated last argument
        request.args.emplace_back(data.substr(0, nul));
        data.remove_prefix(nul + 1);
    }
    const std::size_t n = request.args.size();
    if (request.op == Op::Contacts ? n == 0 || n % Arity(request.op) != 0 : n != Arity(request.op))
        return std::nullopt;
    return request;
}

Screened ScreenCopyData(std::uint64_t tag, std::optional<std::string_view> data, ReplyWindow to) {
    // An answer, or anything else that is no request, is not ours to answer.
    if (tag == 0 || tag > static_cast<std::uint64_t>(kLastOp)) return {};
    if (data && data->size() > kMaxRequestBytes) return {std::nullopt, kResultTooLong};
    if (to == ReplyWindow::Own || to == ReplyWindow::Invalid || !data) {
        return {std::nullopt, kResultMalformed};
    }
    auto request = DecodeRequest(static_cast<std::uint32_t>(tag), *data);
    if (!request) return {std::nullopt, kResultMalformed};
    return {std::move(request), 0};
}

std::optional<std::int32_t> ParseNumber(std::string_view text) {
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

std::optional<std::int32_t> ParseState(std::string_view text) {
    for (const auto& s : kStates) {
        if (std::equal(s.name.begin(), s.name.end(), text.begin(), text.end(), [](char a, char b) {
                return a == std::tolower(static_cast<unsigned char>(b));
            })) {
            return s.value;
        }
    }
    const auto number = ParseNumber(text);
    if (number && *number < 0) return std::nullopt;
    return number;
}

std::string StateName(std::int32_t state) {
    for (const auto& s : kStates) {
        if (s.value == state) return std::string(s.name);
    }
    return std::to_string(state);
}

std::optional<std::vector<std::string>> ParseAddressList(std::string_view text) {
    std::vector<std::string> out;
    while (true) {
        const std::size_t comma = text.find(',');
        std::string_view part = text.substr(0, comma);
        while (!part.empty() && IsBlank(part.front()))
            part.remove_prefix(1);
        while (!part.empty() && IsBlank(part.back()))
            part.remove_suffix(1);
        if (part.empty()) return std::nullopt;
        out.emplace_back(part);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    std::vector<std::string_view> sorted(out.begin(), out.end());
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return std::nullopt;
    return out;
}

std::string JoinAddressList(const std::vector<std::string>& addresses) {
    std::string out;
    for (const auto& a : addresses)
        out += (out.empty() ? "" : ",") + a;
    return out;
}

} // namespace msgrsim
