#pragma once
// The settings store as a map, with the registry store's reading rule: an absent or empty
// value reads as the default.
#include <map>
#include <string>
#include <vector>

#include "app/SettingsStore.h"

class MemorySettingsStore final : public ISettingsStore {
  public:
    std::map<std::u16string, std::u16string> values;
    std::vector<std::u16string> readOrder;
    std::vector<std::u16string> writeOrder;

    std::u16string ReadSettingText(const std::u16string& name, const std::u16string& def) override {
        readOrder.push_back(name);
        const auto it = values.find(name);
        return it == values.end() || it->second.empty() ? def : it->second;
    }
    void WriteSettingText(const std::u16string& name, const std::u16string& value) override {
        writeOrder.push_back(name);
        values[name] = value;
    }
};
