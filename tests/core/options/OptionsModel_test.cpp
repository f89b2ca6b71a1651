#include "options/OptionsModel.h"

#include <gtest/gtest.h>

#include <tuple>

#include "fakes/FakeOptionsHost.h"

namespace {

using gb::OptionsModel;

TEST(OptionsModel, FillThenApplyKeepsEveryNameMode) {
    const struct {
        int stored, option; // option: the option button FillControls selects
        bool noDomain;
        const char16_t* sample;
    } rows[] = {
        {0, 0, false, u"Buddy says: "}, {1, 1, false, u"email@example.com says: "},
        {2, 1, true, u"email says: "},  {3, -1, false, u" says: "},
        {-1, -1, false, u" says: "},    {70000, -1, false, u" says: "},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.stored);
        modSettings::SettingsRecord s;
        s.Says = u"says: ";
        s.NameMode = r.stored;
        OptionsModel m;
        m.FillControls(s);
        const auto& c = m.Controls();
        // The domain check is usable with the address only.
        EXPECT_EQ(
            std::tie(c.optBuddyName, c.chkNoDomainName, c.chkNoDomainNameEnabled, c.lblBuddyName),
            std::make_tuple(r.option, r.noDomain, r.option == 1, r.sample));
        FakeOptionsHost host;
        m.ApplyControls(s, host);
        EXPECT_EQ(s.NameMode, r.stored); // a value outside 0..2 is kept as stored
        // With the nickname the domain check is unusable but keeps its state.
        m.SelectBuddyName(0);
        EXPECT_EQ(std::tie(c.chkNoDomainName, c.chkNoDomainNameEnabled, c.lblBuddyName),
                  std::make_tuple(r.noDomain, false, u"Buddy says: "));
    }
}

TEST(OptionsModel, ApplyStoresEveryEditAsTypedAndSwitchesTheTooltipOnlyOnAChange) {
    const struct {
        bool stored, on;
        int option, mode; // with the nickname the kept domain check plays no part
        std::vector<std::string> calls;
    } rows[] = {{true, true, 0, 0, {}},
                {false, false, 1, 2, {}},
                {true, false, 0, 0, {"HideToolTip"}},
                {false, true, 1, 2, {"ShowTooltip"}}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.stored << " -> " << r.on);
        modSettings::SettingsRecord s;
        s.Speed = 33;
        s.ShowTooltip = r.stored;
        s.Version = u"1.1";
        OptionsModel m;
        m.FillControls(s);
        auto& c = m.Controls();
        c.optBuddyName = r.option;
        c.chkNoDomainName = true;
        c.chkShowSaysOnce = c.chkShowSignInOut = c.chkShowTooltip = r.on;
        c.chkShowEmo = c.chkActAsBar = !r.on;
        // Characters beyond the ANSI code page, markers and trailing blanks survive untouched.
        c.cmbSays = u"\u8AAA\u00E9:  ";
        c.txtBuddyLogon = u"\u041F\u0440 in";
        c.txtBuddyLogoff = u"\u00E9 out";
        c.txtUnreadMail = u"|1 \U0001F600 |2";
        c.txtPlaceHolder = u"\u00A7\u00A7";
        FakeOptionsHost host;
        m.ApplyControls(s, host);
        EXPECT_EQ(host.calls, r.calls);
        EXPECT_EQ(std::tie(s.NameMode, s.ShowSaysOnce, s.ShowEmo, s.ShowSignInOut, s.ChangeWorkArea,
                           s.ShowTooltip),
                  std::make_tuple(r.mode, r.on, !r.on, r.on, !r.on, r.on));
        EXPECT_EQ(std::tie(s.Says, s.BuddyLogon, s.BuddyLogoff, s.UnreadMail, s.PlaceHolder),
                  std::make_tuple(c.cmbSays, c.txtBuddyLogon, c.txtBuddyLogoff, c.txtUnreadMail,
                                  c.txtPlaceHolder));
        EXPECT_EQ(std::tie(s.Speed, s.Version), std::make_tuple(33.0f, u"1.1")); // not shown
    }
}

TEST(OptionsModel, CheckTextsRejectsASecondPlaceholderOnTheTextsPageOnly) {
    const struct {
        std::int16_t page;
        std::u16string placeHolder, unread;
        bool ok;
    } rows[] = {
        {3, u"#", u"You've got # unread mail(s).", true},
        {3, u"#", u"# of # mails", false},
        {0, u"#", u"# of # mails", true},
        {3, u"", u"# of # mails", true},
        {3, u"##", u"###", false}, // overlapping occurrences count
        // The markers of the message come from its pattern only, never from the texts.
        {3, u"|2", u"|2|2", false},
        {3, u"\u00A7", u"\u00A7\u8AAA\u00A7", false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.page << " " << r.unread.size());
        OptionsModel m;
        m.SetCurrentPage(r.page);
        m.Controls().txtPlaceHolder = r.placeHolder;
        m.Controls().txtUnreadMail = r.unread;
        const auto result = m.CheckTexts();
        EXPECT_EQ(result.ok, r.ok);
        EXPECT_EQ(result.message, r.ok ? u""
                                       : u"There may only be one '" + r.placeHolder +
                                             u"' character in \r\n'" + r.unread + u"'!");
    }
}

TEST(PageTurnSteps, SeventyOneStepsOfFivePixelsEachWay) {
    // Pages at Left 8 and 345 wide in a 359-pixel dialog at 15 twips per pixel.
    for (const bool forward : {true, false}) {
        SCOPED_TRACE(forward);
        const auto steps = gb::PageTurnSteps(forward, 8, 359, 345);
        ASSERT_EQ(steps.size(), 71u);
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const float d = (forward ? -5.0f : 5.0f) * static_cast<float>(i + 1);
            EXPECT_EQ(steps[i].arrivingLeft, (forward ? 359 : -345) + d);
            EXPECT_EQ(steps[i].currentLeft, 8 + d);
        }
    }
}

} // namespace
