#include "app/modSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "fakes/MemorySettingsStore.h"

namespace {

using namespace modSettings;

constexpr float kScreenTwips = 15360; // 1024 pixels at 15 twips per pixel

void Load(MemorySettingsStore& store, std::u16string sep = u".") {
    LoadSettings(store, LoadEnvironment{kScreenTwips, std::move(sep)});
}

// clang-format off
SettingsRecord Defaults() {
    return {u"says: ", 2, true, true, 10, true, true, 0, 0, kScreenTwips, u"#",
            u"You've got # unread mail(s).", u"has signed in.", u"has signed out.", true, u"0.0"};
}
// clang-format on

TEST(LoadSettings, FirstStartTakesEveryDefaultInRecordOrder) {
    Settings() = {};
    MemorySettingsStore store;
    Load(store);
    EXPECT_EQ(Settings(), Defaults());
    const std::vector<std::u16string> order = {
        u"Says",       u"NameMode",      u"ShowSaysOnce",   u"ShowEmo",
        u"Speed",      u"ShowSignInOut", u"ChangeWorkArea", u"X",
        u"Y",          u"Width",         u"PlaceHolder",    u"UnreadMail",
        u"BuddyLogon", u"BuddyLogoff",   u"ShowTooltip",    u"Version"};
    EXPECT_EQ(store.readOrder, order);
}

TEST(LoadSettings, StoredTextsConvertOrGiveTheirDefault) {
    const struct {
        const char16_t* name;
        std::u16string stored;
        std::u16string sep;
        std::function<bool(const SettingsRecord&)> check;
    } rows[] = {
        {u"NameMode", u"0", u".", [](auto& s) { return s.NameMode == 0; }},
        {u"NameMode", u"abc", u".", [](auto& s) { return s.NameMode == 2; }},
        {u"NameMode", u"7", u".", [](auto& s) { return s.NameMode == 7; }}, // not clamped
        {u"NameMode", u"-3", u".", [](auto& s) { return s.NameMode == -3; }},
        {u"NameMode", u"99999999999", u".", [](auto& s) { return s.NameMode == 2; }},
        {u"ShowEmo", u"False", u".", [](auto& s) { return !s.ShowEmo; }},
        {u"ShowEmo", u"false", u".", [](auto& s) { return !s.ShowEmo; }},
        {u"ShowEmo", u"0", u".", [](auto& s) { return !s.ShowEmo; }},
        {u"ShowEmo", u"-1", u".", [](auto& s) { return s.ShowEmo; }},
        {u"ShowEmo", u"maybe", u".", [](auto& s) { return s.ShowEmo; }},
        {u"ShowTooltip", u"False", u".", [](auto& s) { return !s.ShowTooltip; }},
        {u"Speed", u"12.5", u".", [](auto& s) { return s.Speed == 12.5f; }},
        {u"Speed", u"12,5", u",", [](auto& s) { return s.Speed == 12.5f; }},
        {u"Speed", u"12.5", u",", [](auto& s) { return s.Speed == 10.0f; }},
        {u"Speed", u"1E+02", u".", [](auto& s) { return s.Speed == 100.0f; }},
        {u"Speed", u"fast", u".", [](auto& s) { return s.Speed == 10.0f; }},
        {u"Speed", u"inf", u".", [](auto& s) { return s.Speed == 10.0f; }},
        {u"Speed", u"1E+39", u".", [](auto& s) { return s.Speed == 10.0f; }},
        {u"X", u"-4500", u".", [](auto& s) { return s.X == -4500.0f; }},
        {u"Width", u"9000", u".", [](auto& s) { return s.Width == 9000.0f; }},
        {u"Width", u"", u".", [](auto& s) { return s.Width == kScreenTwips; }},
        {u"Says", u"tells:", u".", [](auto& s) { return s.Says == u"tells:"; }},
        {u"Says", u"", u".", [](auto& s) { return s.Says == u"says: "; }},
        // The longest text that fits 32 KiB with its NUL is read; one more character is not.
        {u"Says", std::u16string(16383, u'x'), u".",
         [](auto& s) { return s.Says.size() == 16383; }},
        {u"Says", std::u16string(16384, u'x'), u".", [](auto& s) { return s.Says == u"says: "; }},
        {u"BuddyLogon", u"in\0out", u".", [](auto& s) { return s.BuddyLogon == u"in"; }},
        {u"Version", u"1.1", u".", [](auto& s) { return s.Version == u"1.1"; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(
            row.stored.begin(), row.stored.begin() + std::min<std::size_t>(row.stored.size(), 20)));
        Settings() = {};
        MemorySettingsStore store;
        store.values[row.name] = row.stored;
        Load(store, row.sep);
        EXPECT_TRUE(row.check(Settings()));
    }
}

TEST(SaveSettings, WritesTextFormsInOrderAndTheRunningVersion) {
    Settings() = {};
    MemorySettingsStore store;
    Load(store);
    SettingsRecord& s = Settings();
    s.Speed = 0.1f;
    s.X = 1234.5f;
    s.ShowEmo = false;
    s.NameMode = 0;
    s.Version = u"0.9";
    SaveSettings(store, u",");
    EXPECT_EQ(store.values[u"ShowEmo"], u"False");
    EXPECT_EQ(store.values[u"ShowSaysOnce"], u"True");
    EXPECT_EQ(store.values[u"NameMode"], u"0");
    EXPECT_EQ(store.values[u"Speed"], u"0,1");
    EXPECT_EQ(store.values[u"X"], u"1234,5");
    EXPECT_EQ(store.values[u"Width"], u"15360");
    EXPECT_EQ(store.values[u"Version"], u"1.1");
    EXPECT_EQ(s.Version, u"0.9"); // the record keeps what was read at start-up
    ASSERT_EQ(store.writeOrder.size(), 16u);
    EXPECT_EQ(store.writeOrder.front(), u"Says");
    EXPECT_EQ(store.writeOrder.back(), u"Version");
}

TEST(SaveSettings, EverySettingSurvivesARoundTrip) {
    // clang-format off
    SettingsRecord edited = {u"tells \u00E9\u4E2D:", 1, false, false, 37.25f, false, false, -15,
                             7.125f, 4500, u"%n", u"%n new", u"is here", u"left", false, u"0.0"};
    // clang-format on
    Settings() = edited;
    MemorySettingsStore store;
    SaveSettings(store, u",");
    Settings() = {};
    Load(store, u",");
    edited.Version = u"1.1";
    EXPECT_EQ(Settings(), edited);
}

TEST(SingleToText, ShortestTextOfAtMostSevenDigits) {
    const struct {
        float in;
        std::u16string out;
    } rows[] = {
        {10.0f, u"10"},
        {0.1f, u"0.1"},
        {15360.0f, u"15360"},
        {-4500.0f, u"-4500"},
        {1234567.0f, u"1234567"},
        {12345678.0f, u"1.234568E+07"},
        {0.00001f, u"1E-05"},
        {1.0f / 3.0f, u"0.3333333"},
        {0.0f, u"0"},
        {std::numeric_limits<float>::infinity(), u"Infinity"},
        {-std::numeric_limits<float>::infinity(), u"-Infinity"},
        {std::numeric_limits<float>::quiet_NaN(), u"NaN"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.out.begin(), row.out.end()));
        EXPECT_EQ(SingleToText(row.in, u"."), row.out);
        // What is not a finite number reads back as the setting's default.
        EXPECT_EQ(TextToSingle(row.out, u".").has_value(), std::isfinite(row.in));
    }
}

} // namespace
