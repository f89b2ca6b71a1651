// The registry store: what it reads from any value a user or another program may have left
// under the key, and what it writes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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
        std::string bytes;
        std::u16string expected;
    } rows[] = {
        {u"Speed", REG_DWORD, "\5\0\0\0"s, u"<default>"},
        {u"Empty", REG_SZ, Bytes({L"", 1}), u"<default>"},
        {u"Nothing", REG_SZ, "", u"<default>"},
        {u"Expand", REG_EXPAND_SZ, Bytes({L"x", 2}), u"<default>"},
        {u"NoNul", REG_SZ, Bytes(L"abc"), u"abc"},
        {u"OneCharNoNul", REG_SZ, Bytes(L"1"), u"1"},
        {u"EmbeddedNul", REG_SZ, Bytes({L"ab\0cd", 6}), u"ab"},
        {u"Longest", REG_SZ, Bytes(longest), std::u16string(16383, u'x')},
        {u"LongestWithoutNul", REG_SZ, Bytes(full), u"<default>"},
        {u"TooLong", REG_SZ, Bytes(early), u"<default>"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(
            std::string(row.name, row.name + std::char_traits<char16_t>::length(row.name)));
        ASSERT_EQ(::RegSetValueExW(Key().get(), reinterpret_cast<const wchar_t*>(row.name), 0,
                                   row.type, reinterpret_cast<const BYTE*>(row.bytes.data()),
                                   static_cast<DWORD>(row.bytes.size())),
                  ERROR_SUCCESS);
        EXPECT_EQ(Read(row.name), row.expected);
    }
    EXPECT_EQ(Read(u"Missing"), u"<default>");
}

// Written as REG_SZ with its NUL (15 characters, 32 bytes), any script whole. (That a text too
// long for a load is saved cut is the host round trip's.)
TEST_F(RegistryStore, WritesTextWithItsNulAndReadsItBackWhole) {
    const std::u16string says = u"\u4E2D\u6587 \u00E9\u00F6 \U0001F600 tells:";
    modSettings::WriteSettingText(u"Says", says);
    EXPECT_EQ(Read(u"Says"), says);
    DWORD type = 0, bytes = 0;
    ::RegQueryValueExW(Key().get(), L"Says", nullptr, &type, nullptr, &bytes);
    EXPECT_EQ(std::pair(type, bytes), (std::pair<DWORD, DWORD>(REG_SZ, 32)));
}

} // namespace
