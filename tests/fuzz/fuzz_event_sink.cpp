// The event sink's decision over what the messenger (or anything that holds the sink) passes
// to Invoke: any id, any number of arguments, any VARIANT types, null references.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "messenger/EventArguments.h"

namespace {

using messenger::ArgumentShape;
using messenger::ArgumentUse;
using messenger::EventCall;
using messenger::VariantLevel;
namespace vt = messenger::vt;

// The types worth trying (with VT_NULL 1, VT_R8 5, VT_BOOL 11 and an array of BSTRs); any other
// word comes from the input as it is.
constexpr std::uint16_t kTypes[] = {
    vt::kEmpty,   1,       vt::kI2,  vt::kI4, 5,         vt::kBstr, vt::kDispatch, 11, vt::kVariant,
    vt::kUnknown, vt::kI1, vt::kUi4, vt::kI8, vt::kUint, 0x2008};

VariantLevel Level(FuzzedDataProvider& in) {
    VariantLevel level;
    const auto pick = in.ConsumeIntegralInRange<std::size_t>(0, std::size(kTypes));
    level.type = pick < std::size(kTypes) ? kTypes[pick] : in.ConsumeIntegral<std::uint16_t>();
    if (in.ConsumeBool()) level.type |= vt::kByRef;
    level.null = in.ConsumeBool() && in.ConsumeBool();
    return level;
}

// What each use reads, written out apart from the decision: the plain and by-reference forms
// of these types, also behind one VARIANT reference, and never through a null pointer.
bool Readable(ArgumentUse use, const ArgumentShape& shape) {
    if (use == ArgumentUse::Unused) return true;
    VariantLevel level = shape.outer;
    if (level.type == (vt::kVariant | vt::kByRef) && !level.null) level = shape.referred;
    if (level.null) return false;
    const auto in = [&](std::initializer_list<std::uint16_t> types) {
        for (const std::uint16_t t : types)
            if (level.type == t) return true;
        return false;
    };
    const std::uint16_t r = vt::kByRef;
    switch (use) {
    case ArgumentUse::Object:
        return in({vt::kDispatch, vt::kDispatch | r, vt::kUnknown});
    case ArgumentUse::Text:
        return in({vt::kBstr, vt::kBstr | r});
    case ArgumentUse::Number:
        for (const std::uint16_t t : {vt::kI1, vt::kI2, vt::kI4, vt::kI8, vt::kUi1, vt::kUi2,
                                      vt::kUi4, vt::kUi8, vt::kInt, vt::kUint})
            if (in({t, static_cast<std::uint16_t>(t | r)})) return true;
        return false;
    default:
        return true;
    }
}

std::vector<ArgumentUse> Declared(std::int32_t id) {
    using U = ArgumentUse;
    switch (id) {
    case messenger::kOnTextReceived:
        return {U::Object, U::Object, U::Text, U::Text, U::Unused};
    case messenger::kOnUserStateChanged:
        return {U::Object, U::Number, U::Unused};
    case messenger::kOnUnreadEmailChanged:
        return {U::Number, U::Number, U::Unused};
    default:
        return {};
    }
}

bool Same(const EventCall& a, const EventCall& b) {
    return a.verdict == b.verdict && a.declared == b.declared && a.refused == b.refused;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::int32_t id = in.ConsumeBool() ? in.ConsumeIntegralInRange<std::int32_t>(0, 4)
                                             : in.ConsumeIntegral<std::int32_t>();
    const auto named =
        in.ConsumeIntegralInRange<std::size_t>(0, 2) == 0 ? in.ConsumeIntegral<std::uint32_t>() : 0;
    std::vector<ArgumentShape> args(in.ConsumeIntegralInRange<std::size_t>(0, 6));
    for (ArgumentShape& a : args)
        a = {Level(in), Level(in)};
    // The array may be missing, or shorter than the count says (as the sink passes it).
    const std::size_t count = in.ConsumeBool() ? args.size() : in.ConsumeIntegral<std::uint32_t>();
    if (count < args.size()) args.resize(count);

    const EventCall call = messenger::DecideEventCall(id, count, named, args);
    const std::vector<ArgumentUse> declared = Declared(id);
    using V = EventCall::Verdict;
    const V expected = declared.empty()                                   ? V::UnknownEvent
                       : named != 0                                       ? V::NamedArguments
                       : count != declared.size() || args.size() != count ? V::WrongCount
                                                                          : V::Take;
    if (expected != V::Take) {
        if (call.verdict != expected) __builtin_trap();
        return 0;
    }
    if (call.declared != declared.size()) __builtin_trap();
    // Taken exactly when every declared argument can be read; otherwise the first one in
    // declared order that cannot is refused, and pfEnableDefault never is.
    std::size_t firstUnreadable = declared.size();
    for (std::size_t k = 0; k < declared.size() && firstUnreadable == declared.size(); ++k)
        if (!Readable(declared[k], args[declared.size() - 1 - k])) firstUnreadable = k;
    if (firstUnreadable == declared.size()) {
        if (call.verdict != V::Take) __builtin_trap();
    } else if (call.verdict != V::WrongType ||
               call.refused != declared.size() - 1 - firstUnreadable || call.refused == 0) {
        __builtin_trap();
    }
    // Whatever stands where pfEnableDefault goes changes nothing.
    args[0] = {Level(in), Level(in)};
    if (!Same(messenger::DecideEventCall(id, count, named, args), call)) __builtin_trap();
    return 0;
}
