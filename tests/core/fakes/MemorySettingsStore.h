#pragma once
// The settings store as a map of texts, read under the registry store's rule: each text is
// taken as a stored value without its terminating NUL, so an absent, empty or over-long value
// reads as the default.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/SettingsStore.h"
#include "app/modSettings.h"

class MemorySettingsStore final : public ISettingsStore {
  public:
    std::map<std::u16string, std::u16string> values;
    std::vector<std::u16string> readOrder;
    std::vector<std::u16string> writeOrder;

    std::u16string ReadSettingText(const std::u16string& name, const std::u16string& def) override {
        readOrder.push_back(name);
        const auto it = values.find(name);
        if (it == values.end()) return def;
        std::vector<std::uint8_t> bytes;
        for (const char16_t c : it->second) {
            bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>(c >> 8));
        }
        return modSettings::StoredValueText(modSettings::kStoredTextType, bytes).value_or(def);
    }
    void WriteSettingText(const std::u16string& name, const std::u16string& value) override {
        writeOrder.push_back(name);
        values[name] = value;
    }
};
