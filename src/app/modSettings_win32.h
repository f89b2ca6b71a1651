#pragma once
// The settings store on the registry: text values under HKCU\Software\Glidebanner.
#include <string>

#include "app/SettingsStore.h"

namespace modSettings {

inline constexpr wchar_t kRegistryKey[] = L"Software\\Glidebanner";

std::u16string ReadSettingText(const std::u16string& name, const std::u16string& def);
void WriteSettingText(const std::u16string& name, const std::u16string& value);

// The user's decimal separator, with which single-precision values are written and read.
std::u16string UserDecimalSeparator();

class RegistrySettingsStore final : public ISettingsStore {
  public:
    std::u16string ReadSettingText(const std::u16string& name, const std::u16string& def) override {
        return modSettings::ReadSettingText(name, def);
    }
    void WriteSettingText(const std::u16string& name, const std::u16string& value) override {
        modSettings::WriteSettingText(name, value);
    }
};

} // namespace modSettings
