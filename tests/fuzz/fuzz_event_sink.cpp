// The event sink's decision over what the messenger (or anything that holds the sink) passes
// to Invoke: any id, any number of arguments, any VARIANT types, null references.
#include <fuzzer/FuzzedDataProvider.h>

#include <initializer_list>
#include <vector>

#include "FuzzCheck.h"
#include "messenger/EventArguments.h"

namespace {

using namespace messenger;
using U = ArgumentUse;
using V = EventCall::Verdict;

// The types worth trying (with VT_NULL 1, VT_R8 5, VT_BOOL 11 and an array of BSTRs); any other
// word comes from the input as it is.
constexpr std::uint16_t kTypes[] = {
    vt::kEmpty,   1,       vt::kI2,  vt::kI4, 5,         vt::kBstr, vt::kDispatch, 11, vt::kVariant,
    vt::kUnknown, vt::kI1, vt::kUi4, vt::kI8, vt::kUint, 0x2008};

VariantLevel Level(FuzzedDataProvider& in) {
    const auto pick = in.ConsumeIntegralInRange<std::size_t>(0, std::size(kTypes));
    VariantLevel level{pick < std::size(kTypes) ? kTypes[pick]
                                                : in.ConsumeIntegral<std::uint16_t>()};
    if (in.ConsumeBool()) level.type |= vt::kByRef;
    level.null = in.ConsumeBool() && in.ConsumeBool();
    return level;
}

// What each use reads, written out apart from the decision: the plain (and, but for IUnknown,
// the by-reference) forms of these types, also behind one VARIANT reference, and never through
// a null pointer.
bool Readable(U use, const ArgumentShape& shape) {
    VariantLevel level = shape.outer;
    if (level.type == (vt::kVariant | vt::kByRef) && !level.null) level = shape.referred;
    const auto any = [&](std::initializer_list<std::uint16_t> types, bool byRefToo = true) {
        for (const std::uint16_t t : types)
            if (level.type == t || (byRefToo && level.type == (t | vt::kByRef))) return !level.null;
        return false;
    };
    if (use == U::Object) return any({vt::kDispatch}) || any({vt::kUnknown}, false);
    if (use == U::Text) return any({vt::kBstr});
    if (use == U::Number)
        return any({vt::kI1, vt::kI2, vt::kI4, vt::kI8, vt::kUi1, vt::kUi2, vt::kUi4, vt::kUi8,
                    vt::kInt, vt::kUint});
    return true;
}

std::vector<U> Declared(std::int32_t id) {
    if (id == kOnTextReceived) return {U::Object, U::Object, U::Text, U::Text, U::Unused};
    if (id == kOnUserStateChanged) return {U::Object, U::Number, U::Unused};
    if (id == kOnUnreadEmailChanged) return {U::Number, U::Number, U::Unused};
    return {};
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

    const EventCall call = DecideEventCall(id, count, named, args);
    const std::vector<U> declared = Declared(id);
    if (declared.empty() || named != 0 || count != declared.size() || args.size() != count) {
        const V expected = declared.empty() ? V::UnknownEvent
                           : named != 0     ? V::NamedArguments
                                            : V::WrongCount;
        Check(call.verdict == expected);
        return 0;
    }
    // Taken exactly when every declared argument can be read; otherwise the first one in
    // declared order that cannot is refused, and pfEnableDefault (at 0) never is.
    std::size_t k = 0;
    while (k < declared.size() && Readable(declared[k], args[declared.size() - 1 - k]))
        ++k;
    Check(call.declared == declared.size() &&
          (k == declared.size()
               ? call.verdict == V::Take
               : call.verdict == V::WrongType && call.refused == declared.size() - 1 - k &&
                     call.refused != 0));
    return 0;
}
