// The settings record loaded from whatever the registry holds (any type, any size, any bytes,
// any decimal separator the user may have), saved and loaded again.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/modSettings.h"

namespace {

struct StoredValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> bytes;
};

// UTF-16 as the registry keeps it, little-endian like the machines this runs on.
std::vector<std::uint8_t> Bytes(const std::u16string& text) {
    std::vector<std::uint8_t> bytes(text.size() * sizeof(char16_t));
    if (!text.empty()) std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

// The registry as the wide functions show it, read through the program's own decision and
// written as the registry store writes: REG_SZ, UTF-16 with its terminating NUL.
class RegistryLikeStore final : public ISettingsStore {
  public:
    std::map<std::u16string, StoredValue> values;

    std::u16string ReadSettingText(const std::u16string& name, const std::u16string& def) override {
        const auto it = values.find(name);
        if (it == values.end() ||
            !modSettings::IsReadableValue(it->second.type, it->second.bytes.size()))
            return def;
        return modSettings::StoredValueText(it->second.type, it->second.bytes).value_or(def);
    }
    void WriteSettingText(const std::u16string& name, const std::u16string& value) override {
        values[name] = {modSettings::kStoredTextType, Bytes(value + u'\0')};
    }
};

constexpr const char16_t* kNames[] = {
    u"Says",       u"NameMode",      u"ShowSaysOnce",   u"ShowEmo",
    u"Speed",      u"ShowSignInOut", u"ChangeWorkArea", u"X",
    u"Y",          u"Width",         u"PlaceHolder",    u"UnreadMail",
    u"BuddyLogon", u"BuddyLogoff",   u"ShowTooltip",    u"Version"};

// Texts that the readers of numbers and booleans care about, to be spliced into values.
constexpr const char* kWords[] = {"True",          "false", "-1",    "0",      "1.5",
                                  "1E+39",         "2,5",   "7e-46", "  12  ", "-0",
                                  "3.4028235E+38", "NaN",   "1e",    "+.5"};

StoredValue Value(FuzzedDataProvider& in, bool longOne) {
    StoredValue v;
    v.type = in.ConsumeBool() ? modSettings::kStoredTextType
                              : in.ConsumeIntegralInRange<std::uint32_t>(0, 11);
    std::u16string text;
    if (in.ConsumeBool()) {
        for (const char c :
             std::string(kWords[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kWords) - 1)]))
            text.push_back(static_cast<char16_t>(c));
    }
    const std::string raw = in.ConsumeRandomLengthString(64);
    for (const char c : raw)
        text.push_back(static_cast<unsigned char>(c));
    // Around the 32 KiB bound: one value at most, so that inputs stay quick.
    if (longOne) text.resize(in.ConsumeIntegralInRange<std::size_t>(16380, 16390), u'x');
    v.bytes = Bytes(text);
    if (in.ConsumeBool()) v.bytes.push_back(in.ConsumeIntegral<std::uint8_t>()); // odd size
    return v;
}

std::u16string Separator(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
        return u".";
    case 1:
        return u",";
    default: {
        // Whatever the user chose, as long as it is no part of a number's own notation.
        std::u16string sep;
        for (int i = in.ConsumeIntegralInRange<int>(1, 3); i > 0; --i) {
            const auto c = in.ConsumeIntegral<char16_t>();
            if ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'e' || c == u'E' ||
                c == u' ' || c == u'\t' || c == 0)
                return u".";
            sep.push_back(c);
        }
        return sep;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::u16string sep = Separator(in);
    const float screen = in.ConsumeFloatingPoint<float>();
    RegistryLikeStore stored;
    const auto longOne = in.ConsumeIntegralInRange<std::size_t>(0, 4 * std::size(kNames));
    for (std::size_t i = 0; i < std::size(kNames); ++i)
        if (in.ConsumeBool()) stored.values[kNames[i]] = Value(in, i == longOne);

    using modSettings::Settings;
    Settings() = {};
    modSettings::LoadSettings(stored, {screen, sep});
    const modSettings::SettingsRecord first = Settings();
    for (const std::u16string* text : {&first.Says, &first.PlaceHolder, &first.UnreadMail,
                                       &first.BuddyLogon, &first.BuddyLogoff, &first.Version})
        if (text->empty() || text->size() > modSettings::kMaxTextLength) __builtin_trap();

    RegistryLikeStore saved;
    modSettings::SaveSettings(saved, sep);
    Settings() = {};
    modSettings::LoadSettings(saved, {screen, sep});
    const modSettings::SettingsRecord second = Settings();
    RegistryLikeStore savedAgain;
    modSettings::SaveSettings(savedAgain, sep);
    Settings() = {};
    modSettings::LoadSettings(savedAgain, {screen, sep});

    // Saved and loaded again, a record is the same record. The first load may hold a single
    // with more digits than its text form keeps (seven); it is stored as that text, so what is
    // saved twice is the same.
    if (!(Settings() == second)) __builtin_trap();
    for (const auto& [name, value] : saved.values) {
        const auto again = savedAgain.values.find(name);
        if (again == savedAgain.values.end() || again->second.bytes != value.bytes)
            __builtin_trap();
    }
    modSettings::SettingsRecord expected = first;
    expected.Version = second.Version;
    expected.Speed = second.Speed;
    expected.X = second.X;
    expected.Y = second.Y;
    expected.Width = second.Width;
    if (!(expected == second) || second.Version != u"1.1") __builtin_trap();
    return 0;
}
