#include "app/modSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "app/Version.h"

namespace modSettings {
namespace {

std::u16string Widen(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t'))
        text.remove_suffix(1);
    return text;
}

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t c = a[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != static_cast<unsigned char>(b[i])) return false;
    }
    return true;
}

// A decimal number in the user's notation (sign, digits, the user's separator, an exponent)
// as a finite double; nothing else converts.
std::optional<double> ParseNumber(std::u16string_view text, std::u16string_view separator) {
    text = Trim(text);
    std::string ascii;
    for (std::size_t i = 0; i < text.size();) {
        if (!separator.empty() && text.substr(i, separator.size()) == separator) {
            ascii.push_back('.');
            i += separator.size();
            continue;
        }
        const char16_t c = text[i];
        const bool allowed =
            (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'e' || c == u'E';
        if (!allowed) return std::nullopt;
        ascii.push_back(static_cast<char>(c));
        ++i;
    }
    if (!ascii.empty() && ascii.front() == '+') ascii.erase(0, 1);
    if (ascii.empty()) return std::nullopt;
    double value = 0;
    const char* end = ascii.data() + ascii.size();
    const auto [ptr, ec] = std::from_chars(ascii.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::u16string ReadText(ISettingsStore& store, const char16_t* name, const std::u16string& def) {
    return store.ReadSettingText(name, def);
}

template <class T, class Convert>
T ReadConverted(ISettingsStore& store, const char16_t* name, const std::u16string& def,
                Convert convert) {
    if (auto value = convert(store.ReadSettingText(name, def))) return *value;
    return convert(def).value_or(T{});
}

} // namespace

std::u16string_view StorableText(std::u16string_view text) {
    if (text.size() <= kMaxTextLength) return text;
    text = text.substr(0, kMaxTextLength);
    // A high surrogate whose low half was cut off.
    if (text.back() >= 0xD800 && text.back() <= 0xDBFF) text.remove_suffix(1);
    return text;
}

bool IsReadableValue(std::uint32_t type, std::size_t bytes) {
    return type == kStoredTextType && bytes >= sizeof(char16_t) && bytes <= kMaxStoredBytes;
}

std::optional<std::u16string> StoredValueText(std::uint32_t type,
                                              std::span<const std::uint8_t> bytes) {
    if (!IsReadableValue(type, bytes.size())) return std::nullopt;
    // Up to the first NUL; an odd last byte is half a character and dropped.
    const auto at = [&](std::size_t i) {
        return static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    };
    std::size_t length = 0;
    while (length < bytes.size() / 2 && at(length) != u'\0')
        ++length;
    std::u16string text(length, u'\0');
    for (std::size_t i = 0; i < length; ++i)
        text[i] = at(i);
    if (text.empty() || text.size() > kMaxTextLength) return std::nullopt;
    return text;
}

SettingsRecord& Settings() {
    static SettingsRecord record;
    return record;
}

std::u16string BoolToText(bool value) { return value ? u"True" : u"False"; }

std::u16string Int32ToText(std::int32_t value) { return Widen(std::to_string(value)); }

std::u16string SingleToText(float value, std::u16string_view decimalSeparator) {
    // Not a number the bar can use: a word that no reading converts, so the value comes back
    // as its setting's default.
    if (std::isnan(value)) return u"NaN";
    if (std::isinf(value)) return value < 0 ? u"-Infinity" : u"Infinity";
    // The fewest significant digits (at most 7) that read back as the same value; written in
    // fixed notation unless the exponent is below -4 or reaches 7, as a 7-digit general
    // format would, with a two-digit signed exponent ("1.234568E+07", "1E-05").
    const double v = static_cast<double>(value);
    // Seven digits that end in zeros say no more without them ("0.5300000" is "0.53").
    const auto trimZeros = [](std::string& number) {
        if (number.find('.') == std::string::npos) return;
        while (number.back() == '0')
            number.pop_back();
        if (number.back() == '.') number.pop_back();
    };
    char buffer[64] = {};
    int digits = 1;
    for (; digits < 7; ++digits) {
        std::snprintf(buffer, sizeof buffer, "%.*E", digits - 1, v);
        if (std::strtof(buffer, nullptr) == value) break;
    }
    std::snprintf(buffer, sizeof buffer, "%.*E", digits - 1, v);
    const int exponent = std::atoi(std::strchr(buffer, 'E') + 1);
    std::string number;
    if (value != 0 && (exponent < -4 || exponent >= 7)) {
        number.assign(buffer, std::strchr(buffer, 'E'));
        trimZeros(number);
        std::snprintf(buffer, sizeof buffer, "E%c%02d", exponent < 0 ? '-' : '+',
                      exponent < 0 ? -exponent : exponent);
        number += buffer;
    } else {
        const int decimals = value == 0 ? 0 : std::max(0, digits - 1 - exponent);
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
        number = buffer;
        trimZeros(number);
    }
    std::u16string text;
    for (const char* p = number.c_str(); *p != '\0'; ++p) {
        if (*p == '.') {
            text.append(decimalSeparator);
        } else {
            text.push_back(static_cast<char16_t>(*p));
        }
    }
    return text;
}

std::optional<bool> TextToBool(std::u16string_view text, std::u16string_view decimalSeparator) {
    const std::u16string_view trimmed = Trim(text);
    if (EqualsIgnoringAsciiCase(trimmed, "true")) return true;
    if (EqualsIgnoringAsciiCase(trimmed, "false")) return false;
    if (auto number = ParseNumber(trimmed, decimalSeparator)) return *number != 0;
    return std::nullopt;
}

std::optional<std::int32_t> TextToInt32(std::u16string_view text,
                                        std::u16string_view decimalSeparator) {
    const auto number = ParseNumber(text, decimalSeparator);
    if (!number) return std::nullopt;
    // Whole-number conversion rounds a fraction to the nearest, halves to even.
    const double rounded = std::nearbyint(*number);
    if (rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

std::optional<float> TextToSingle(std::u16string_view text, std::u16string_view decimalSeparator) {
    const auto number = ParseNumber(text, decimalSeparator);
    if (!number || std::fabs(*number) > std::numeric_limits<float>::max()) return std::nullopt;
    return static_cast<float>(*number);
}

SettingsRecord ReadSettings(ISettingsStore& store, const LoadEnvironment& env) {
    const std::u16string& sep = env.DecimalSeparator;
    const auto asBool = [&](const std::u16string& t) { return TextToBool(t, sep); };
    const auto asInt = [&](const std::u16string& t) { return TextToInt32(t, sep); };
    const auto asSingle = [&](const std::u16string& t) { return TextToSingle(t, sep); };
    const std::u16string yes = BoolToText(true);

    SettingsRecord s;
    s.Says = ReadText(store, u"Says", u"says: ");
    s.NameMode = ReadConverted<std::int32_t>(store, u"NameMode", u"2", asInt);
    s.ShowSaysOnce = ReadConverted<bool>(store, u"ShowSaysOnce", yes, asBool);
    s.ShowEmo = ReadConverted<bool>(store, u"ShowEmo", yes, asBool);
    s.Speed = ReadConverted<float>(store, u"Speed", u"10", asSingle);
    s.ShowSignInOut = ReadConverted<bool>(store, u"ShowSignInOut", yes, asBool);
    s.ChangeWorkArea = ReadConverted<bool>(store, u"ChangeWorkArea", yes, asBool);
    s.X = ReadConverted<float>(store, u"X", u"0", asSingle);
    s.Y = ReadConverted<float>(store, u"Y", u"0", asSingle);
    s.Width =
        ReadConverted<float>(store, u"Width", SingleToText(env.ScreenWidthTwips, sep), asSingle);
    s.PlaceHolder = ReadText(store, u"PlaceHolder", u"#");
    s.UnreadMail = ReadText(store, u"UnreadMail", u"You've got # unread mail(s).");
    s.BuddyLogon = ReadText(store, u"BuddyLogon", u"has signed in.");
    s.BuddyLogoff = ReadText(store, u"BuddyLogoff", u"has signed out.");
    s.ShowTooltip = ReadConverted<bool>(store, u"ShowTooltip", yes, asBool);
    s.Version = ReadText(store, u"Version", u"0.0");
    return s;
}

void LoadSettings(ISettingsStore& store, const LoadEnvironment& env) {
    Settings() = ReadSettings(store, env);
}

void SaveSettings(ISettingsStore& store, std::u16string_view decimalSeparator) {
    const SettingsRecord& s = Settings();
    store.WriteSettingText(u"Says", std::u16string(StorableText(s.Says)));
    store.WriteSettingText(u"NameMode", Int32ToText(s.NameMode));
    store.WriteSettingText(u"ShowSaysOnce", BoolToText(s.ShowSaysOnce));
    store.WriteSettingText(u"ShowEmo", BoolToText(s.ShowEmo));
    store.WriteSettingText(u"Speed", SingleToText(s.Speed, decimalSeparator));
    store.WriteSettingText(u"ShowSignInOut", BoolToText(s.ShowSignInOut));
    store.WriteSettingText(u"ChangeWorkArea", BoolToText(s.ChangeWorkArea));
    store.WriteSettingText(u"X", SingleToText(s.X, decimalSeparator));
    store.WriteSettingText(u"Y", SingleToText(s.Y, decimalSeparator));
    store.WriteSettingText(u"Width", SingleToText(s.Width, decimalSeparator));
    store.WriteSettingText(u"PlaceHolder", std::u16string(StorableText(s.PlaceHolder)));
    store.WriteSettingText(u"UnreadMail", std::u16string(StorableText(s.UnreadMail)));
    store.WriteSettingText(u"BuddyLogon", std::u16string(StorableText(s.BuddyLogon)));
    store.WriteSettingText(u"BuddyLogoff", std::u16string(StorableText(s.BuddyLogoff)));
    store.WriteSettingText(u"ShowTooltip", BoolToText(s.ShowTooltip));
    store.WriteSettingText(u"Version", Int32ToText(modMain::kVersionMajor) + u"." +
                                           Int32ToText(modMain::kVersionMinor));
}

} // namespace modSettings
