#include <gtest/gtest.h>

#include "StripFixture.h"
#include "strip/clsAction.h"
#include "strip/clsEmo.h"
#include "strip/clsSays.h"
#include "strip/clsString.h"

namespace {

using gb::StdFont;

TEST(StdFont, BoldAndWeightAreOneValue) {
    const struct {
        const char* what;
        int weight; // -1: write Bold instead
        bool bold;
        int expectWeight;
        bool expectBold;
    } rows[] = {
        {"bold on", -1, true, 700, true},       {"bold off", -1, false, 400, false},
        {"weight 700", 700, false, 700, true},  {"weight 551", 551, false, 551, true},
        {"weight 550", 550, false, 550, false}, {"weight 100", 100, false, 100, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        StdFont f;
        f.SetWeight(900);
        if (r.weight < 0)
            f.SetBold(r.bold);
        else
            f.SetWeight(static_cast<std::int16_t>(r.weight));
        EXPECT_EQ(f.Weight(), r.expectWeight);
        EXPECT_EQ(f.Bold(), r.expectBold);
    }
}

TEST(StdFont, SizeKeepsFourDecimals) {
    const struct {
        double in, out;
    } rows[] = {{12, 12}, {8.25, 8.25}, {9.75004, 9.75}, {10.12346, 10.1235}, {7.00005, 7.0}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.in);
        StdFont f;
        f.SetSize(r.in);
        EXPECT_DOUBLE_EQ(f.Size(), r.out);
    }
    StdFont f(u"Arial", 10);
    f.SetSize(std::nan(""));
    EXPECT_DOUBLE_EQ(f.Size(), 10) << "a size that is no number leaves the font as it was";
}

class Items : public StripFixture {};

TEST_F(Items, WidthsOfNewAndFilledItems) {
    host.fontSize = 12; // 6 pixels a character
    gb::clsString plain(host);
    gb::clsEmo emo(host);
    gb::clsString abc(host);
    abc.SetText(u"abc");
    gb::clsString bold(host);
    bold.SetText(u"abc");
    bold.TextFont()->SetBold(true);
    gb::clsString tight(host);
    tight.SetText(u"abcd");
    tight.SetWhiteSpace(1);
    gb::clsAction action(host);
    host.fontSize = 20; // later font changes do not reach existing items
    gb::clsString big(host);
    big.SetText(u"ab");

    const struct {
        const char* what;
        const gb::clsItem& item;
        float width;
    } rows[] = {
        {"new string: only the gap", plain, 10},
        {"new emoticon", emo, 29},
        {"three characters", abc, 28},
        {"bold measures bold", bold, 31},
        {"lowered gap", tight, 25},
        {"new action", action, 10},
        {"font size taken at creation", big, 30},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_FLOAT_EQ(r.item.Width(), r.width);
    }
}

TEST_F(Items, SaysTextFollowsTheSettingAtEachRead) {
    auto font = std::make_shared<const StdFont>(u"Arial", 12);
    gb::clsSays says(host, font);
    says.SetBuddy(u"Ann");
    const struct {
        std::u16string setting, text;
        float width;
    } rows[] = {
        {u"says: ", u"Ann says: ", 70},
        {u"", u"Ann", 28},
        {u"wrote", u"Ann wrote", 64},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.setting.begin(), r.setting.end()));
        settings().Says = r.setting;
        EXPECT_EQ(says.Text(), r.text);
        EXPECT_FLOAT_EQ(says.Width(), r.width);
    }
}

TEST_F(Items, SaysIsMeasuredInItsOwnFontWhateverWasMeasuredBefore) {
    gb::colMsg strip(host, surfaces);
    gb::clsString& banner = strip.AddString(u"Glidebanner");
    banner.TextFont()->SetBold(true);
    banner.TextFont()->SetItalic(true);
    gb::clsSays& says = strip.AddSays(u"Ann", 0);
    const float alone = says.Width();
    (void)banner.Width();
    EXPECT_FLOAT_EQ(says.Width(), alone);
    ASSERT_FALSE(host.measuredIn.empty());
    const StdFont& last = host.measuredIn.back();
    EXPECT_EQ(last.Name(), u"Arial");
    EXPECT_FALSE(last.Bold());
    EXPECT_FALSE(last.Italic());
    EXPECT_DOUBLE_EQ(last.Size(), 12);
}

TEST_F(Items, ActionTextsForEveryTemplateAndNameMode) {
    const auto contact = std::make_shared<fakes::FakeContact>(u"ann.lee@example.com");
    const auto noAddress = std::make_shared<fakes::FakeContact>(std::nullopt);
    const struct {
        const char* what;
        std::int32_t kind;
        gb::ActionParameter parameter;
        std::int32_t nameMode;
        std::u16string unreadMail, placeHolder;
        std::u16string text;
        bool underlined;
    } rows[] = {
        {"default unread", gb::actUnreadMail, 3, 0, u"You've got # unread mail(s).", u"#",
         u"You've got 3 unread mail(s).", true},
        {"placeholder twice", gb::actUnreadMail, 12, 0, u"# new, # unread", u"#",
         u"12 new, 12 unread", true},
        {"no placeholder", gb::actUnreadMail, 12, 0, u"Mail!", u"#", u"Mail!", true},
        {"longer placeholder, case-sensitive", gb::actUnreadMail, 5, 0, u"%N% and %n%", u"%N%",
         u"5 and %n%", true},
        {"empty placeholder replaces nothing", gb::actUnreadMail, 5, 0, u"Mail #", u"", u"Mail #",
         true},
        {"negative count", gb::actUnreadMail, -2, 0, u"#", u"#", u"-2", true},
        {"sign-in, nickname", gb::actBuddyLogon, contact, 0, {}, {}, u" has signed in.", false},
        {"sign-in, address",
         gb::actBuddyLogon,
         contact,
         1,
         {},
         {},
         u"ann.lee@example.com has signed in.",
         false},
        {"sign-in, no domain",
         gb::actBuddyLogon,
         contact,
         2,
         {},
         {},
         u"ann.lee has signed in.",
         false},
        {"sign-in, unknown mode", gb::actBuddyLogon, contact, 3, {}, {}, u"", false},
        {"sign-out, nickname", gb::actBuddyLogoff, contact, 0, {}, {}, u" has signed out.", false},
        {"sign-out, address",
         gb::actBuddyLogoff,
         contact,
         1,
         {},
         {},
         u"ann.lee@example.com has signed out.",
         false},
        {"sign-out, no domain",
         gb::actBuddyLogoff,
         contact,
         2,
         {},
         {},
         u"ann.lee has signed out.",
         false},
        {"contact without address",
         gb::actBuddyLogon,
         noAddress,
         1,
         {},
         {},
         u" has signed in.",
         false},
        {"no contact at all",
         gb::actBuddyLogon,
         std::monostate{},
         2,
         {},
         {},
         u" has signed in.",
         false},
        {"unknown kind", 7, 3, 0, {}, {}, u"", false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        settings().NameMode = r.nameMode;
        if (!r.unreadMail.empty()) settings().UnreadMail = r.unreadMail;
        settings().PlaceHolder = r.placeHolder.empty() && r.kind != gb::actUnreadMail
                                     ? std::u16string(u"#")
                                     : r.placeHolder;
        gb::clsAction action(host);
        action.SetAction(r.kind, r.parameter);
        EXPECT_EQ(action.Text(), r.text);
        EXPECT_EQ(action.TextFont()->Underline(), r.underlined);
        EXPECT_EQ(action.TextColor(), 0x0000FFu) << "action texts stay red";
    }
}

} // namespace
