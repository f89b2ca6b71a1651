#pragma once
// Which event calls of the messenger the program takes. The event sink (MessengerLink_win32)
// describes each VARIANT it receives in the small portable form below and reads only what
// this decision accepts, so the decision is tested and fuzzed without COM.
#include <cstddef>
#include <cstdint>
#include <span>

namespace messenger {

// VARIANT type words as OLE numbers them (the sink checks that they agree with oaidl.h).
namespace vt {
inline constexpr std::uint16_t kEmpty = 0;
inline constexpr std::uint16_t kI2 = 2;
inline constexpr std::uint16_t kI4 = 3;
inline constexpr std::uint16_t kBstr = 8;
inline constexpr std::uint16_t kDispatch = 9;
inline constexpr std::uint16_t kVariant = 12;
inline constexpr std::uint16_t kUnknown = 13;
inline constexpr std::uint16_t kI1 = 16;
inline constexpr std::uint16_t kUi1 = 17;
inline constexpr std::uint16_t kUi2 = 18;
inline constexpr std::uint16_t kUi4 = 19;
inline constexpr std::uint16_t kI8 = 20;
inline constexpr std::uint16_t kUi8 = 21;
inline constexpr std::uint16_t kInt = 22;
inline constexpr std::uint16_t kUint = 23;
inline constexpr std::uint16_t kByRef = 0x4000;
} // namespace vt

// One VARIANT as the decision sees it: its type word, and whether the pointer it carries is
// null (the reference of a by-reference form, the object of an object, or either of both).
struct VariantLevel {
    std::uint16_t type = vt::kEmpty;
    bool null = false;
};

// An event argument; for a VARIANT by reference (VT_VARIANT | VT_BYREF) also the VARIANT it
// refers to. A reference is followed one level only.
struct ArgumentShape {
    VariantLevel outer;
    VariantLevel referred;
};

// How the program reads a declared argument.
enum class ArgumentUse {
    Object, // an object (session, contact): IDispatch, by reference or not, or IUnknown
    Text,   // a BSTR, by reference or not
    Number, // an integer of any width, by reference or not; the value must fit 32 bits
    Unused, // pfEnableDefault: neither read nor written, so any shape will do
};

// The event ids of the messenger's event interface.
inline constexpr std::int32_t kOnTextReceived = 1;
inline constexpr std::int32_t kOnUserStateChanged = 2;
inline constexpr std::int32_t kOnUnreadEmailChanged = 3;

struct EventCall {
    enum class Verdict {
        Take,           // every argument has a shape the program can read
        UnknownEvent,   // no event of the program's has that id
        NamedArguments, // arguments came by name
        WrongCount,     // not the event's number of arguments
        WrongType,      // the argument at `refused` has a shape the program cannot read
    };
    Verdict verdict = Verdict::UnknownEvent;
    std::size_t declared = 0; // the event's number of arguments
    std::size_t refused = 0;  // WrongType: the argument's position as Invoke numbers it

    // The position in Invoke's array of the k-th declared argument (they come last first).
    std::size_t Position(std::size_t k) const noexcept { return declared - 1 - k; }
};

// Whether an argument of this shape can be read for this use.
bool Accepts(ArgumentUse use, const ArgumentShape& shape) noexcept;

// Decides a call from the event's id, the number of arguments and of named ones, and the
// arguments' shapes in Invoke's order (empty when the array is missing). Checked in this
// order: the id, named arguments, the count, then the arguments in declared order, the first
// that cannot be read being refused.
EventCall DecideEventCall(std::int32_t event, std::size_t count, std::size_t named,
                          std::span<const ArgumentShape> arguments) noexcept;

} // namespace messenger
