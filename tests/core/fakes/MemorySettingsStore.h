#pragma once
// The registry as the settings store sees it: each value a type and its bytes, read through the
// program's own decision, written as REG_SZ with its terminating NUL.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/SettingsStore.h"
#include "app/modSettings.h"

class MemorySettingsStore final : public ISettingsStore {
  public:
    struct Value {
        std::uint32_t type = modSettings::kStoredTextType;
        std::vector<std::uint8_t> bytes;
    };
    std::map<std::u16string, Value> values;

    // UTF-16 as the wide registry functions give it, little-endian.
    static std::vector<std::uint8_t> Bytes(std::u16string_view text) {
        std::vector<std::uint8_t> bytes;
        for (const char16_t c : text)
            bytes.insert(bytes.end(),
                         {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8)});
        return bytes;
    }
    std::u16string ReadSettingText(const std::u16string& name, const std::u16string& def) override {
        const auto it = values.find(name);
        if (it == values.end()) return def;
        return modSettings::StoredValueText(it->second.type, it->second.bytes).value_or(def);
    }
    void WriteSettingText(const std::u16string& name, const std::u16string& value) override {
        values[name] = {modSettings::kStoredTextType, Bytes(value + u'\0')};
    }
};

// The settings of a first run on a screen 1024 pixels wide.
inline modSettings::SettingsRecord FirstRunSettings() {
    MemorySettingsStore none;
    return modSettings::ReadSettings(none, {15360, u"."});
}
