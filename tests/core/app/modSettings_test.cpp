#include "app/modSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fakes/MemorySettingsStore.h"

namespace {

using namespace modSettings;

constexpr float kScreenTwips = 15360; // 1024 pixels at 15 twips per pixel

void Load(MemorySettingsStore& store, std::u16string sep = u".") {
    Settings() = {};
    LoadSettings(store, LoadEnvironment{kScreenTwips, std::move(sep)});
}

// A first start takes every default; a stored text is read as its setting's value or gives
// the default, shown here as the text that setting is saved as again.
TEST(LoadSettings, StoredTextsConvertOrGiveTheirDefault) {
    MemorySettingsStore empty;
    Load(empty);
    // clang-format off
    EXPECT_EQ(Settings(), (SettingsRecord{u"says: ", 2, true, true, 10, true, true, 0, 0,
        kScreenTwips, u"#", u"You've got # unread mail(s).", u"has signed in.",
        u"has signed out.", true, u"0.0"}));
    // clang-format on
    // A text of one character more than 32 KiB hold with its NUL is not read. (The registry's
    // NULs and value lengths are the Wine test's table.)
    const std::u16string tooLong(16384, u'x');
    // clang-format off
    const std::tuple<const char16_t*, std::u16string, std::u16string, std::u16string> rows[] = {
        {u"NameMode", u"abc", u".", u"2"},
        {u"NameMode", u"99999999999", u".", u"2"},
        {u"ShowEmo", u"false", u".", u"False"},
        {u"ShowEmo", u"-1", u".", u"True"},
        {u"ShowEmo", u"maybe", u".", u"True"},
        {u"Speed", u"12,5", u",", u"12,5"},
        {u"Speed", u"12.5", u",", u"10"},
        {u"Speed", u"1E+02", u".", u"100"},
        {u"Speed", u"1E+39", u".", u"10"},
        {u"Width", u"", u".", u"15360"},
        {u"Says", tooLong, u".", u"says: "},
    };
    // clang-format on
    for (const auto& [name, stored, sep, saved] : rows) {
        SCOPED_TRACE(
            std::string(stored.begin(), stored.begin() + std::min<std::size_t>(stored.size(), 12)));
        MemorySettingsStore store;
        store.values[name].bytes = MemorySettingsStore::Bytes(stored);
        Load(store, sep);
        SaveSettings(store, sep);
        EXPECT_EQ(store.ReadSettingText(name, u"?"), saved);
    }
}

// Saved with the user's separator and loaded again, every setting is what it was; the
// running version is stored while the record keeps the one read at start-up.
TEST(SaveSettings, EverySettingSurvivesARoundTrip) {
    // clang-format off
    SettingsRecord edited = {u"tells \u00E9\u4E2D:", 1, false, false, 37.25f, false, false, -15,
                             7.125f, 4500, u"%n", u"%n new", u"is here", u"left", false, u"0.0"};
    // clang-format on
    Settings() = edited;
    MemorySettingsStore store;
    SaveSettings(store, u",");
    EXPECT_EQ(Settings().Version, u"0.0");
    Load(store, u",");
    edited.Version = u"1.1";
    EXPECT_EQ(Settings(), edited);
    // A text longer than a load reads back is stored cut to the longest that is, never
    // between the halves of a character.
    const std::u16string longest(16383, u'x');
    for (const auto& text : {longest + u"y", longest.substr(1) + u"\U0001F600"}) {
        Settings().UnreadMail = text;
        SaveSettings(store, u",");
        Load(store, u",");
        EXPECT_TRUE(Settings().UnreadMail == text.substr(0, text.back() == u'y' ? 16383 : 16382))
            << Settings().UnreadMail.size();
    }
}

// The shortest text of at most seven digits; what is not a finite number is written as a
// word that reads back as the setting's default.
TEST(SingleToText, ShortestTextOfAtMostSevenDigits) {
    constexpr float inf = std::numeric_limits<float>::infinity();
    const std::pair<float, std::u16string> rows[] = {
        {0.1f, u"0.1"},
        {1234567.0f, u"1234567"},
        {12345678.0f, u"1.234568E+07"},
        {0.00001f, u"1E-05"},
        {1.0f / 3.0f, u"0.3333333"},
        {std::nextafter(0.53f, 1.0f), u"0.53"}, // seven digits, "0.5300000"
        {inf, u"Infinity"},
        {-inf, u"-Infinity"},
        {std::numeric_limits<float>::quiet_NaN(), u"NaN"}};
    for (const auto& [value, text] : rows) {
        EXPECT_EQ(SingleToText(value, u"."), text);
        EXPECT_EQ(TextToSingle(text, u".").has_value(), std::isfinite(value));
    }
}

} // namespace
