// The registry store: what it reads from any value a user or another program may have left
// under the key, and what it writes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "app/modSettings.h"
#include "app/modSettings_win32.h"
#include "kit/Handles_win32.h"

namespace {

using modSettings::kRegistryKey;

gb::unique_hkey Key() {
    HKEY raw = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kRegistryKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw,
                      nullptr);
    return gb::unique_hkey(raw);
}
std::u16string Read(const char16_t* name) {
    return modSettings::ReadSettingText(name, u"<default>");
}
std::string Bytes(std::wstring_view text) {
    return {reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)};
}

// Each test starts and ends without HKCU\Software\Glidebanner.
class RegistryStore : public ::testing::Test {
  protected:
    void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kRegistryKey); }
    void TearDown() override { SetUp(); }
};

TEST_F(RegistryStore, ReadsTextAndFallsBackToTheDefault) {
    EXPECT_EQ(Read(u"Says"), u"<default>"); // no key at all
    using namespace std::string_literals;
    // 32 KiB hold 16,383 characters and their NUL; a longer value is not read at all, even
    // when its text would end early.
    std::wstring full(16384, L'x'), longest = full, early(20000, L'x');
    longest.back() = early[2] = L'\0';
    const struct {
        const char16_t* name;
        DWORD type;
        bool ansi; // stored through the ANSI functions
        std::string bytes;
        std::u16string expected;
    } rows[] = {
        {u"Speed", REG_DWORD, false, "\5\0\0\0"s, u"<default>"},
        {u"Empty", REG_SZ, false, Bytes({L"", 1}), u"<default>"},
        {u"Nothing", REG_SZ, false, "", u"<default>"},
        {u"Expand", REG_EXPAND_SZ, false, Bytes({L"x", 2}), u"<default>"},
        {u"NoNul", REG_SZ, false, Bytes(L"abc"), u"abc"},
        {u"EmbeddedNul", REG_SZ, false, Bytes({L"ab\0cd", 6}), u"ab"},
        {u"OneAnsiChar", REG_SZ, true, "1", u"1"},
        {u"AnsiAccent", REG_SZ, true, "caf\xE9\0"s, u"caf\u00E9"},
        {u"Longest", REG_SZ, false, Bytes(longest), std::u16string(16383, u'x')},
        {u"LongestWithoutNul", REG_SZ, false, Bytes(full), u"<default>"},
        {u"TooLong", REG_SZ, false, Bytes(early), u"<default>"},
    };
    for (const auto& row : rows) {
        const std::string name(row.name, row.name + std::char_traits<char16_t>::length(row.name));
        SCOPED_TRACE(name);
        const auto* data = reinterpret_cast<const BYTE*>(row.bytes.data());
        const auto size = static_cast<DWORD>(row.bytes.size());
        ASSERT_EQ(row.ansi
                      ? ::RegSetValueExA(Key().get(), name.c_str(), 0, row.type, data, size)
                      : ::RegSetValueExW(Key().get(), reinterpret_cast<const wchar_t*>(row.name), 0,
                                         row.type, data, size),
                  ERROR_SUCCESS);
        EXPECT_EQ(Read(row.name), row.expected);
    }
    EXPECT_EQ(Read(u"Missing"), u"<default>");
}

// Saved as REG_SZ with its NUL (readable by the ANSI functions too), numbers with the user's
// own decimal separator, any script whole; loaded back as saved.
TEST_F(RegistryStore, SettingsRoundTripThroughTheRegistry) {
    const std::u16string sep = modSettings::UserDecimalSeparator();
    ASSERT_FALSE(sep.empty());
    modSettings::RegistrySettingsStore store;
    auto& s = modSettings::Settings() = {};
    modSettings::LoadSettings(store, {15360, sep});
    s.Says = u"\u4E2D\u6587 \u00E9\u00F6 \U0001F600 tells:";
    s.ShowEmo = false;
    s.Speed = 2.5f;
    modSettings::SaveSettings(store, sep);
    EXPECT_EQ(Read(u"Speed"), u"2" + sep + u"5");
    DWORD type = 0, bytes = 0;
    ::RegQueryValueExW(Key().get(), L"ShowEmo", nullptr, &type, nullptr, &bytes);
    EXPECT_EQ(std::pair(type, bytes), (std::pair<DWORD, DWORD>(REG_SZ, 12))); // "False", NUL
    char ansi[8] = {};
    bytes = sizeof ansi;
    ::RegQueryValueExA(Key().get(), "ShowEmo", nullptr, nullptr, reinterpret_cast<BYTE*>(ansi),
                       &bytes);
    EXPECT_STREQ(ansi, "False");

    const auto saved = s;
    s = {};
    modSettings::LoadSettings(store, {15360, sep});
    EXPECT_EQ(std::tuple(s.Says, s.ShowEmo, s.Speed, s.Version),
              std::tuple(saved.Says, false, 2.5f, u"1.1"));
}

} // namespace
