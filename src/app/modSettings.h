#pragma once
// The settings record and its text forms. Loaded once at start-up, changed in memory by the
// bar and the options dialog, saved once when the program ends.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
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

// How the registry keeps a setting: the value's type and its bytes as the wide registry
// functions give them (UTF-16, little-endian). Only text (REG_SZ) of at most 32 KiB is read: a
// longer value would be read whole at every start and measured at every tick, so it gives its
// setting's default, without being read.
inline constexpr std::uint32_t kStoredTextType = 1; // REG_SZ
inline constexpr std::size_t kMaxStoredBytes = std::size_t{32} * 1024;
// The longest text that is stored and read back whole: with its terminating NUL it fills the
// 32 KiB.
inline constexpr std::size_t kMaxTextLength = kMaxStoredBytes / 2 - 1;

// A text as it is stored: cut to kMaxTextLength, and never between the two halves of a
// character, so that the next load reads back what was written instead of the default.
std::u16string_view StorableText(std::u16string_view text);

// Whether a stored value of this type and size (in bytes) is worth reading.
bool IsReadableValue(std::uint32_t type, std::size_t bytes);
// The text a stored value holds, up to its first NUL (a value without one is taken whole); empty
// when the value gives the setting's default: not text, empty, or longer than kMaxTextLength.
std::optional<std::u16string> StoredValueText(std::uint32_t type,
                                              std::span<const std::uint8_t> bytes);

// The process-wide record. Empty (texts empty, numbers 0, booleans false) until LoadSettings.
// Only the program's wiring reaches it: the bar, its strip and the dialog are handed it.
SettingsRecord& Settings();

// What loading needs to know of the machine it runs on.
struct LoadEnvironment {
    float ScreenWidthTwips = 0;             // the default Width
    std::u16string DecimalSeparator = u"."; // the user's, for single-precision values
};

// Reads every value in record order; a text that does not convert gives that value's default.
SettingsRecord ReadSettings(ISettingsStore& store, const LoadEnvironment& env);
// Settings() = ReadSettings(store, env).
void LoadSettings(ISettingsStore& store, const LoadEnvironment& env);
// Writes every value but Version from the record, then Version as the running "major.minor";
// the record's own Version is left as it was read. A text longer than a load reads back is
// stored cut (StorableText).
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
