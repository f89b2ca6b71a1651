#pragma once
// The settings record and its text forms. Loaded once at start-up, changed in memory by the
// bar and the options dialog, saved once when the program ends.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/SettingsStore.h"

namespace modSettings {

struct SettingsRecord {
    std::u16string Says;
    std::int32_t NameMode = 0; // 0 nickname, 1 e-mail address, 2 address without domain
    bool ShowSaysOnce = false;
    bool ShowEmo = false;
    float Speed = 0;
    bool ShowSignInOut = false;
    bool ChangeWorkArea = false;
    float X = 0;     // twips
    float Y = 0;     // twips
    float Width = 0; // twips
    std::u16string PlaceHolder;
    std::u16string UnreadMail;
    std::u16string BuddyLogon;
    std::u16string BuddyLogoff;
    bool ShowTooltip = false;
    std::u16string Version; // "major.minor" of the version that last ran

    bool operator==(const SettingsRecord&) const = default;
};

// The process-wide record. Empty (texts empty, numbers 0, booleans false) until LoadSettings.
SettingsRecord& Settings();

// What loading needs to know of the machine it runs on.
struct LoadEnvironment {
    float ScreenWidthTwips = 0;             // the default Width
    std::u16string DecimalSeparator = u"."; // the user's, for single-precision values
};

// Reads every value in record order; a text that does not convert gives that value's default.
void LoadSettings(ISettingsStore& store, const LoadEnvironment& env);
// Writes every value but Version from the record, then Version as the running "major.minor";
// the record's own Version is left as it was read.
void SaveSettings(ISettingsStore& store, std::u16string_view decimalSeparator);

// The text forms of the stored values.
std::u16string BoolToText(bool value);
std::u16string Int32ToText(std::int32_t value);
// Infinity and NaN are written as "Infinity", "-Infinity" and "NaN", which read back as the
// setting's default.
std::u16string SingleToText(float value, std::u16string_view decimalSeparator);
std::optional<bool> TextToBool(std::u16string_view text, std::u16string_view decimalSeparator);
std::optional<std::int32_t> TextToInt32(std::u16string_view text,
                                        std::u16string_view decimalSeparator);
std::optional<float> TextToSingle(std::u16string_view text, std::u16string_view decimalSeparator);

} // namespace modSettings
