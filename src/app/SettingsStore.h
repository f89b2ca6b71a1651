#pragma once
// Where the settings record is kept between runs: a flat list of named text values. The
// program's store is the registry (modSettings_win32); the host tests use an in-memory one.
#include <string>

class ISettingsStore {
  public:
    virtual ~ISettingsStore() = default;
    // The stored text of a value, or def when it is absent, empty or not text.
    virtual std::u16string ReadSettingText(const std::u16string& name,
                                           const std::u16string& def) = 0;
    // Stores a value's text; a failure keeps the old stored value and is not reported.
    virtual void WriteSettingText(const std::u16string& name, const std::u16string& value) = 0;
};
