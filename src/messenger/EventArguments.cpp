#include "messenger/EventArguments.h"

#include <array>

namespace messenger {
namespace {

// Each event's arguments in declared order; the last is always pfEnableDefault.
constexpr std::array<ArgumentUse, 5> kTextReceived = {ArgumentUse::Object, ArgumentUse::Object,
                                                      ArgumentUse::Text, ArgumentUse::Text,
                                                      ArgumentUse::Unused};
constexpr std::array<ArgumentUse, 3> kUserStateChanged = {ArgumentUse::Object, ArgumentUse::Number,
                                                          ArgumentUse::Unused};
constexpr std::array<ArgumentUse, 3> kUnreadEmailChanged = {
    ArgumentUse::Number, ArgumentUse::Number, ArgumentUse::Unused};

std::span<const ArgumentUse> Declared(std::int32_t event) noexcept {
    switch (event) {
    case kOnTextReceived:
        return kTextReceived;
    case kOnUserStateChanged:
        return kUserStateChanged;
    case kOnUnreadEmailChanged:
        return kUnreadEmailChanged;
    default:
        return {};
    }
}

bool IsInteger(std::uint16_t kind) noexcept {
    switch (kind) {
    case vt::kI1:
    case vt::kI2:
    case vt::kI4:
    case vt::kI8:
    case vt::kUi1:
    case vt::kUi2:
    case vt::kUi4:
    case vt::kUi8:
    case vt::kInt:
    case vt::kUint:
        return true;
    default:
        return false;
    }
}

} // namespace

bool Accepts(ArgumentUse use, const ArgumentShape& shape) noexcept {
    if (use == ArgumentUse::Unused) return true;
    VariantLevel level = shape.outer;
    if (level.type == (vt::kVariant | vt::kByRef)) {
        if (level.null) return false;
        level = shape.referred;
    }
    if (level.null) return false;
    const bool byRef = (level.type & vt::kByRef) != 0;
    const auto kind = static_cast<std::uint16_t>(level.type & ~vt::kByRef);
    switch (use) {
    case ArgumentUse::Object:
        return kind == vt::kDispatch || (kind == vt::kUnknown && !byRef);
    case ArgumentUse::Text:
        // Nothing else is turned into text: an object would be asked for its default value.
        return kind == vt::kBstr;
    case ArgumentUse::Number:
        return IsInteger(kind);
    default:
        return true;
    }
}

EventCall DecideEventCall(std::int32_t event, std::size_t count, std::size_t named,
                          std::span<const ArgumentShape> arguments) noexcept {
    EventCall call;
    const std::span<const ArgumentUse> declared = Declared(event);
    call.declared = declared.size();
    if (declared.empty()) return call;
    if (named != 0) {
        call.verdict = EventCall::Verdict::NamedArguments;
        return call;
    }
    if (count != declared.size() || arguments.size() != count) {
        call.verdict = EventCall::Verdict::WrongCount;
        return call;
    }
    for (std::size_t k = 0; k < declared.size(); ++k) {
        if (!Accepts(declared[k], arguments[call.Position(k)])) {
            call.verdict = EventCall::Verdict::WrongType;
            call.refused = call.Position(k);
            return call;
        }
    }
    call.verdict = EventCall::Verdict::Take;
    return call;
}

} // namespace messenger
