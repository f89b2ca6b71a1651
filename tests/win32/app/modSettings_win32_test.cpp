#include <windows.h>

#include <gtest/gtest.h>

#include "app/modSettings.h"
#include "app/modSettings_win32.h"
#include "kit/Handles_win32.h"

namespace {

using modSettings::kRegistryKey;

// Each test starts and ends without HKCU\Software\Glidebanner.
class RegistryStore : public ::testing::Test {
  protected:
    void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kRegistryKey); }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kRegistryKey); }

    static gb::unique_hkey Key() {
        HKEY raw = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kRegistryKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &raw, nullptr);
        return gb::unique_hkey(raw);
    }
    static void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
        ASSERT_EQ(
            ::RegSetValueExW(Key().get(), name, 0, type, static_cast<const BYTE*>(data), bytes),
            ERROR_SUCCESS);
    }
    static void SetAnsi(const char* name, const char* data, DWORD bytes) {
        ASSERT_EQ(::RegSetValueExA(Key().get(), name, 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(data), bytes),
                  ERROR_SUCCESS);
    }
    static std::u16string Read(const char16_t* name) {
        return modSettings::ReadSettingText(name, u"<default>");
    }
};

TEST_F(RegistryStore, ReadsTextAndFallsBackToTheDefault) {
    EXPECT_EQ(Read(u"Says"), u"<default>"); // no key at all

    const DWORD dword = 5;
    SetRaw(L"Speed", REG_DWORD, &dword, sizeof dword);
    SetRaw(L"Empty", REG_SZ, L"", sizeof(wchar_t));
    SetRaw(L"Nothing", REG_SZ, L"", 0);
    SetRaw(L"Expand", REG_EXPAND_SZ, L"x", 2 * sizeof(wchar_t));
    SetRaw(L"NoNul", REG_SZ, L"abcdef", 3 * sizeof(wchar_t)); // "abc" without its NUL
    SetRaw(L"EmbeddedNul", REG_SZ, L"ab\0cd", 6 * sizeof(wchar_t));
    SetAnsi("OneAnsiChar", "1", 1); // a one-character value stored without its NUL
    SetAnsi("AnsiText", "has signed in.", 14);
    SetAnsi("AnsiAccent", "caf\xE9", 5);
    // 32 KiB hold 16,383 characters and their NUL; a longer value is not read at all, even
    // when its text would end early.
    std::wstring longest(20000, L'x'), noNul(16384, L'y');
    longest[16383] = L'\0';
    SetRaw(L"Longest", REG_SZ, longest.c_str(), 32768);
    SetRaw(L"LongestWithoutNul", REG_SZ, noNul.c_str(), 32768);
    longest[2] = L'\0';
    SetRaw(L"TooLong", REG_SZ, longest.c_str(), 40000);

    const struct {
        const char16_t* name;
        std::u16string expected;
    } rows[] = {
        {u"Speed", u"<default>"},
        {u"Empty", u"<default>"},
        {u"Nothing", u"<default>"},
        {u"Expand", u"<default>"},
        {u"NoNul", u"abc"},
        {u"EmbeddedNul", u"ab"},
        {u"OneAnsiChar", u"1"},
        {u"AnsiText", u"has signed in."},
        {u"AnsiAccent", u"caf\u00E9"},
        {u"Missing", u"<default>"},
        {u"Longest", std::u16string(16383, u'x')},
        {u"LongestWithoutNul", u"<default>"},
        {u"TooLong", u"<default>"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(
            std::string(row.name, row.name + std::char_traits<char16_t>::length(row.name)));
        EXPECT_EQ(Read(row.name), row.expected);
    }
}

TEST_F(RegistryStore, WritesTextWithItsNulAndReadsItBackWhole) {
    const std::u16string says = u"\u4E2D\u6587 \u00E9\u00F6 \U0001F600 tells:";
    modSettings::WriteSettingText(u"Says", says);
    modSettings::WriteSettingText(u"NameMode", u"0");
    EXPECT_EQ(Read(u"Says"), says);
    EXPECT_EQ(Read(u"NameMode"), u"0");

    DWORD type = 0, bytes = 0;
    ASSERT_EQ(::RegQueryValueExW(Key().get(), L"NameMode", nullptr, &type, nullptr, &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, 2 * sizeof(wchar_t)); // "0" and its terminating NUL

    char ansi[8] = {};
    DWORD ansiBytes = sizeof ansi;
    ASSERT_EQ(::RegQueryValueExA(Key().get(), "NameMode", nullptr, &type,
                                 reinterpret_cast<BYTE*>(ansi), &ansiBytes),
              ERROR_SUCCESS);
    EXPECT_STREQ(ansi, "0"); // readable by the ANSI functions too
}

// The registry store under the record's rules, with the user's own decimal separator.
TEST_F(RegistryStore, SettingsRoundTripThroughTheRegistry) {
    const std::u16string sep = modSettings::UserDecimalSeparator();
    ASSERT_FALSE(sep.empty());
    modSettings::RegistrySettingsStore store;
    modSettings::Settings() = {};
    modSettings::LoadSettings(store, {15360, sep});
    EXPECT_EQ(modSettings::Settings().Width, 15360.0f);
    EXPECT_EQ(modSettings::Settings().Version, u"0.0");
    modSettings::Settings().ShowEmo = false;
    modSettings::Settings().Speed = 2.5f;
    modSettings::SaveSettings(store, sep);
    EXPECT_EQ(Read(u"ShowEmo"), u"False");
    EXPECT_EQ(Read(u"Speed"), u"2" + sep + u"5");
    EXPECT_EQ(Read(u"Version"), u"1.1");

    modSettings::Settings() = {};
    modSettings::LoadSettings(store, {15360, sep});
    EXPECT_FALSE(modSettings::Settings().ShowEmo);
    EXPECT_EQ(modSettings::Settings().Speed, 2.5f);
    EXPECT_EQ(modSettings::Settings().Version, u"1.1");
}

} // namespace
