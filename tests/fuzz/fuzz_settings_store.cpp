// The settings record loaded from whatever the registry holds (any type, any size, any bytes,
// any decimal separator the user may have), saved and loaded again.
#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzCheck.h"
#include "app/modSettings.h"
#include "fakes/MemorySettingsStore.h"

namespace {

constexpr const char16_t* kNames[] = {
    u"Says",       u"NameMode",      u"ShowSaysOnce",   u"ShowEmo",
    u"Speed",      u"ShowSignInOut", u"ChangeWorkArea", u"X",
    u"Y",          u"Width",         u"PlaceHolder",    u"UnreadMail",
    u"BuddyLogon", u"BuddyLogoff",   u"ShowTooltip",    u"Version"};

// Texts that the readers of numbers and booleans care about, to be spliced into values.
constexpr std::string_view kWords[] = {"True",          "false", "-1",    "0",      "1.5",
                                       "1E+39",         "2,5",   "7e-46", "  12  ", "-0",
                                       "3.4028235E+38", "NaN",   "1e",    "+.5"};

std::u16string Separator(FuzzedDataProvider& in) {
    const int kind = in.ConsumeIntegralInRange<int>(0, 3);
    if (kind < 2) return kind == 0 ? u"." : u",";
    // Whatever the user chose, as long as it is no part of a number's own notation.
    std::u16string sep;
    for (int i = in.ConsumeIntegralInRange<int>(1, 3); i > 0; --i) {
        const auto c = in.ConsumeIntegral<char16_t>();
        if (c == 0 || std::u16string_view(u"0123456789+-eE \t").find(c) != std::u16string::npos)
            return u".";
        sep.push_back(c);
    }
    return sep;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::u16string sep = Separator(in);
    const float screen = in.ConsumeFloatingPoint<float>();
    MemorySettingsStore stored;
    const auto longOne = in.ConsumeIntegralInRange<std::size_t>(0, 4 * std::size(kNames));
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
        if (!in.ConsumeBool()) continue;
        auto& value = stored.values[kNames[i]];
        if (!in.ConsumeBool()) value.type = in.ConsumeIntegralInRange<std::uint32_t>(0, 11);
        std::u16string text;
        if (in.ConsumeBool()) {
            const auto word = in.PickValueInArray(kWords);
            text.assign(word.begin(), word.end());
        }
        for (const char c : in.ConsumeRandomLengthString(64))
            text.push_back(static_cast<unsigned char>(c));
        // Around the 32 KiB bound: one value at most, so that inputs stay quick.
        if (i == longOne) text.resize(in.ConsumeIntegralInRange<std::size_t>(16380, 16390), u'x');
        value.bytes = MemorySettingsStore::Bytes(text);
        if (in.ConsumeBool()) value.bytes.push_back(in.ConsumeIntegral<std::uint8_t>()); // odd
    }

    const auto load = [&](MemorySettingsStore& from) {
        modSettings::Settings() = {};
        modSettings::LoadSettings(from, {screen, sep});
        return modSettings::Settings();
    };
    const modSettings::SettingsRecord first = load(stored);
    for (const auto* text : {&first.Says, &first.PlaceHolder, &first.UnreadMail, &first.BuddyLogon,
                             &first.BuddyLogoff, &first.Version})
        Check(!text->empty() && text->size() <= modSettings::kMaxTextLength);

    // Saved and loaded again, a record is the same record, and saved again the same values.
    MemorySettingsStore saved, savedAgain;
    modSettings::SaveSettings(saved, sep);
    const modSettings::SettingsRecord second = load(saved);
    modSettings::SaveSettings(savedAgain, sep);
    Check(load(savedAgain) == second);
    for (const auto& [name, value] : saved.values)
        Check(savedAgain.values[name].bytes == value.bytes);
    // The first load may hold a single with more digits than its text form keeps (seven);
    // only the singles and the version, now the running one, differ from it.
    modSettings::SettingsRecord expected = first;
    expected.Speed = second.Speed, expected.X = second.X, expected.Y = second.Y;
    expected.Width = second.Width, expected.Version = u"1.1";
    Check(expected == second);
    return 0;
}
