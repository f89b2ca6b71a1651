#include "options/OptionsModel.h"

#include <gtest/gtest.h>

#include "fakes/FakeOptionsHost.h"

namespace {

using gb::OptionsModel;
using modSettings::SettingsRecord;

SettingsRecord Defaults() {
    SettingsRecord s;
    s.Says = u"says: ";
    s.NameMode = 0;
    s.ShowSaysOnce = true;
    s.ShowEmo = true;
    s.ShowSignInOut = true;
    s.ChangeWorkArea = false;
    s.PlaceHolder = u"#";
    s.UnreadMail = u"You've got # unread mail(s).";
    s.BuddyLogon = u"signed in";
    s.BuddyLogoff = u"signed out";
    s.ShowTooltip = true;
    return s;
}

TEST(OptionsModel, FillThenApplyKeepsEveryNameMode) {
    const struct {
        int stored;
        int option;    // the option button FillControls selects
        bool noDomain; // chkNoDomainName
        bool noDomainUsable;
        const char16_t* sample;
    } rows[] = {
        {0, 0, false, false, u"Buddy says: "}, {1, 1, false, true, u"email@example.com says: "},
        {2, 1, true, true, u"email says: "},   {3, -1, false, false, u" says: "},
        {-1, -1, false, false, u" says: "},    {70000, -1, false, false, u" says: "},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.stored);
        auto s = Defaults();
        s.NameMode = r.stored;
        OptionsModel m;
        m.FillControls(s);
        const auto& c = m.Controls();
        EXPECT_EQ(c.optBuddyName, r.option);
        EXPECT_EQ(c.chkNoDomainName, r.noDomain);
        EXPECT_EQ(c.chkNoDomainNameEnabled, r.noDomainUsable);
        EXPECT_EQ(c.lblBuddyName, r.sample);
        FakeOptionsHost host;
        auto applied = s;
        m.ApplyControls(applied, host);
        EXPECT_EQ(applied.NameMode, r.stored); // a value outside 0..2 is kept as stored
        EXPECT_TRUE(host.calls.empty());
    }
}

TEST(OptionsModel, ApplyStoresEveryEditAsTyped) {
    OptionsModel m;
    m.FillControls(Defaults());
    auto& c = m.Controls();
    // Characters beyond the ANSI code page and trailing blanks survive untouched.
    c.cmbSays = u"\u8AAA\u00E9:  ";
    c.chkShowSaysOnce = false;
    c.chkShowEmo = false;
    c.chkShowSignInOut = false;
    c.chkActAsBar = true;
    c.txtBuddyLogon = u"\u041F\u0440 in";
    c.txtBuddyLogoff = u"";
    c.txtUnreadMail = u"|1 \U0001F600 |2";
    c.txtPlaceHolder = u"\u00A7\u00A7";
    SettingsRecord s = Defaults();
    s.Speed = 33;
    s.X = 1;
    s.Version = u"1.1";
    FakeOptionsHost host;
    m.ApplyControls(s, host);
    EXPECT_EQ(s.Says, u"\u8AAA\u00E9:  ");
    EXPECT_FALSE(s.ShowSaysOnce);
    EXPECT_FALSE(s.ShowEmo);
    EXPECT_FALSE(s.ShowSignInOut);
    EXPECT_TRUE(s.ChangeWorkArea);
    EXPECT_EQ(s.BuddyLogon, u"\u041F\u0440 in");
    EXPECT_EQ(s.BuddyLogoff, u"");
    EXPECT_EQ(s.UnreadMail, u"|1 \U0001F600 |2");
    EXPECT_EQ(s.PlaceHolder, u"\u00A7\u00A7");
    // What the dialog does not show stays as it was.
    EXPECT_EQ(s.Speed, 33);
    EXPECT_EQ(s.X, 1);
    EXPECT_EQ(s.Version, u"1.1");
}

TEST(OptionsModel, FillShowsEveryBooleanAndText) {
    for (bool on : {false, true}) {
        SCOPED_TRACE(on);
        auto s = Defaults();
        s.ShowSaysOnce = s.ShowEmo = s.ShowSignInOut = s.ChangeWorkArea = s.ShowTooltip = on;
        OptionsModel m;
        m.FillControls(s);
        const auto& c = m.Controls();
        EXPECT_EQ(c.chkShowSaysOnce, on);
        EXPECT_EQ(c.chkShowEmo, on);
        EXPECT_EQ(c.chkShowSignInOut, on);
        EXPECT_EQ(c.chkActAsBar, on);
        EXPECT_EQ(c.chkShowTooltip, on);
        EXPECT_EQ(c.txtBuddyLogon, s.BuddyLogon);
        EXPECT_EQ(c.txtBuddyLogoff, s.BuddyLogoff);
        EXPECT_EQ(c.txtUnreadMail, s.UnreadMail);
        EXPECT_EQ(c.txtPlaceHolder, s.PlaceHolder);
        EXPECT_EQ(c.cmbSays, s.Says);
        SettingsRecord back;
        back.ShowTooltip = on;
        FakeOptionsHost host;
        m.ApplyControls(back, host);
        EXPECT_EQ(back.ShowSaysOnce, on);
        EXPECT_EQ(back.ChangeWorkArea, on);
        EXPECT_EQ(back.UnreadMail, s.UnreadMail);
    }
}

TEST(OptionsModel, TooltipIsSwitchedOnlyOnAChange) {
    const struct {
        bool stored;
        bool checked;
        std::vector<std::string> calls;
    } rows[] = {
        {true, true, {}},
        {false, false, {}},
        {true, false, {"HideToolTip"}},
        {false, true, {"ShowTooltip"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.stored << " -> " << r.checked);
        auto s = Defaults();
        s.ShowTooltip = r.stored;
        OptionsModel m;
        m.FillControls(s);
        m.Controls().chkShowTooltip = r.checked;
        FakeOptionsHost host;
        m.ApplyControls(s, host);
        EXPECT_EQ(s.ShowTooltip, r.checked);
        EXPECT_EQ(host.calls, r.calls);
    }
}

TEST(OptionsModel, NameOptionsApplyAsModes) {
    const struct {
        int option;
        bool noDomain;
        int mode;
    } rows[] = {
        {0, false, 0},
        {0, true, 0}, // the kept check plays no part with the nickname
        {1, false, 1},
        {1, true, 2},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.option << " " << r.noDomain);
        OptionsModel m;
        m.FillControls(Defaults());
        m.SelectBuddyName(1);
        m.Controls().chkNoDomainName = r.noDomain;
        m.SelectBuddyName(r.option);
        auto s = Defaults();
        FakeOptionsHost host;
        m.ApplyControls(s, host);
        EXPECT_EQ(s.NameMode, r.mode);
    }
}

TEST(OptionsModel, DomainCheckIsUsableOnlyWithTheAddressAndKeepsItsState) {
    OptionsModel m;
    auto s = Defaults();
    s.NameMode = 2;
    m.FillControls(s);
    auto& c = m.Controls();
    m.SelectBuddyName(0);
    EXPECT_FALSE(c.chkNoDomainNameEnabled);
    EXPECT_TRUE(c.chkNoDomainName);
    EXPECT_EQ(c.lblBuddyName, u"Buddy says: ");
    m.SelectBuddyName(1);
    EXPECT_TRUE(c.chkNoDomainNameEnabled);
    EXPECT_EQ(c.lblBuddyName, u"email says: ");
}

TEST(OptionsModel, NameSampleFollowsTheControls) {
    const struct {
        int option;
        bool noDomain;
        const char16_t* says;
        const char16_t* sample;
    } rows[] = {
        {0, false, u"says: ", u"Buddy says: "},
        {1, false, u"says: ", u"email@example.com says: "},
        {1, true, u"says: ", u"email says: "},
        {-1, true, u"says: ", u" says: "},
        {0, false, u"", u"Buddy "},
        {1, true, u"\u8AAA:", u"email \u8AAA:"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.option << " " << r.noDomain);
        OptionsModel m;
        auto& c = m.Controls();
        c.cmbSays = r.says;
        c.chkNoDomainName = r.noDomain;
        m.SelectBuddyName(r.option);
        EXPECT_EQ(c.lblBuddyName, r.sample);
    }
}

TEST(OptionsModel, CheckTextsRejectsASecondPlaceholderOnTheTextsPageOnly) {
    const struct {
        std::int16_t page;
        const char16_t* placeHolder;
        const char16_t* unread;
        bool ok;
        const char16_t* message;
    } rows[] = {
        {3, u"#", u"You've got # unread mail(s).", true, u""},
        {3, u"#", u"# of # mails", false,
         u"There may only be one '#' character in \r\n'# of # mails'!"},
        {0, u"#", u"# of # mails", true, u""},
        {1, u"#", u"# of # mails", true, u""},
        {2, u"#", u"# of # mails", true, u""},
        {3, u"", u"# of # mails", true, u""},
        {3, u"#", u"no marker", true, u""},
        {3, u"##", u"###", false, u"There may only be one '##' character in \r\n'###'!"},
        {3, u"##", u"##", true, u""},
        {3, u"#", u"#", true, u""},
        {3, u"a", u"A a", true, u""}, // the search is case-sensitive
        {3, u"a", u"a A a", false, u"There may only be one 'a' character in \r\n'a A a'!"},
        // The markers of the message come from its pattern only, never from the texts.
        {3, u"|2", u"|2|2", false, u"There may only be one '|2' character in \r\n'|2|2'!"},
        {3, u"|1", u"x|1|1", false, u"There may only be one '|1' character in \r\n'x|1|1'!"},
        {3, u"\u00A7", u"\u00A7\u8AAA\u00A7", false,
         u"There may only be one '\u00A7' character in \r\n'\u00A7\u8AAA\u00A7'!"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message()
                     << r.page << " [" << std::string(r.unread, r.unread + 1) << "]");
        OptionsModel m;
        m.SetCurrentPage(r.page);
        m.Controls().txtPlaceHolder = r.placeHolder;
        m.Controls().txtUnreadMail = r.unread;
        const auto result = m.CheckTexts();
        EXPECT_EQ(result.ok, r.ok);
        EXPECT_EQ(result.message, r.message);
    }
}

TEST(OptionsModel, ArrowsFollowThePage) {
    const struct {
        std::int16_t page;
        bool prev, next;
    } rows[] = {{0, false, true}, {1, true, true}, {2, true, true}, {3, true, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.page);
        OptionsModel m;
        m.SetCurrentPage(r.page);
        EXPECT_EQ(m.PrevVisible(), r.prev);
        EXPECT_EQ(m.NextVisible(), r.next);
    }
}

TEST(PageTurnSteps, SeventyOneStepsEachWayAtFifteenTwipsPerPixel) {
    // Pages at Left 8 and 345 wide in a 359-pixel dialog.
    const auto forward = gb::PageTurnSteps(true, 8, 359, 345);
    ASSERT_EQ(forward.size(), 71u);
    EXPECT_EQ(forward.front().arrivingLeft, 354);
    EXPECT_EQ(forward.front().currentLeft, 3);
    EXPECT_EQ(forward.back().arrivingLeft, 4);
    EXPECT_EQ(forward.back().currentLeft, -347);

    const auto back = gb::PageTurnSteps(false, 8, 359, 345);
    ASSERT_EQ(back.size(), 71u);
    EXPECT_EQ(back.front().arrivingLeft, -340);
    EXPECT_EQ(back.front().currentLeft, 13);
    EXPECT_EQ(back.back().arrivingLeft, 10);
    EXPECT_EQ(back.back().currentLeft, 363);
    for (std::size_t i = 1; i < back.size(); ++i) {
        EXPECT_EQ(back[i].arrivingLeft - back[i - 1].arrivingLeft, 5);
        EXPECT_EQ(forward[i - 1].arrivingLeft - forward[i].arrivingLeft, 5);
    }
}

TEST(PageTurnSteps, OtherScreenScales) {
    const struct {
        bool forward;
        float left, scaleWidth, pageWidth;
        std::size_t steps;
    } rows[] = {
        {true, 8, 13, 5, 1},      // one step reaches the page's place at once
        {true, 8, 8, 5, 0},       // already in place: no step
        {true, 10, 449, 431, 88}, // 12 twips per pixel
        {false, 10, 449, 431, 89},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.forward << " " << r.scaleWidth);
        EXPECT_EQ(gb::PageTurnSteps(r.forward, r.left, r.scaleWidth, r.pageWidth).size(), r.steps);
    }
}

} // namespace
