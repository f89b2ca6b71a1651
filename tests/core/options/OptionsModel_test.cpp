#include "options/OptionsModel.h"

#include <gtest/gtest.h>

#include <tuple>

#include "fakes/FakeOptionsWindow.h"

namespace {

TEST(OptionsModel, FillShowsTheSettingsAndApplyStoresTheEditsAsTyped) {
    const struct {
        int stored, option; // option: the option button FillControls selects
        bool noDomain;
        const char16_t* sample;
        bool tipStored, tipOn; // the tooltip switches only on a change
        std::vector<std::string> calls;
    } rows[] = {
        {0, 0, false, u"Buddy says: ", true, true, {}},
        {1, 1, false, u"email@example.com says: ", false, false, {}},
        {2, 1, true, u"email says: ", true, false, {"tooltip off"}},
        {3, -1, false, u" says: ", false, true, {"tooltip on"}},
        {-1, -1, false, u" says: ", true, true, {}},
        {70000, -1, false, u" says: ", true, true, {}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.stored);
        modSettings::SettingsRecord s;
        s.Says = u"says: ", s.NameMode = r.stored, s.ShowTooltip = r.tipStored;
        s.Speed = 33, s.Version = u"1.1";
        gb::OptionsModel m;
        m.FillControls(s);
        auto& c = m.Controls();
        // The domain check is usable with the address only.
        EXPECT_EQ(
            std::tie(c.optBuddyName, c.chkNoDomainName, c.chkNoDomainNameEnabled, c.lblBuddyName),
            std::make_tuple(r.option, r.noDomain, r.option == 1, r.sample));
        c.chkShowSaysOnce = c.chkShowSignInOut = c.chkShowTooltip = r.tipOn;
        c.chkShowEmo = c.chkActAsBar = !r.tipOn;
        // Characters beyond the ANSI code page, markers and trailing blanks survive untouched.
        c.cmbSays = u"\u8AAA\u00E9:  ", c.txtBuddyLogon = u"\u041F\u0440 in";
        c.txtBuddyLogoff = u"\u00E9 out", c.txtUnreadMail = u"|1 \U0001F600 |2";
        c.txtPlaceHolder = u"\u00A7\u00A7";
        fakes::FakeOptionsWindow::Log calls;
        fakes::FakeOptionsWindow host(calls);
        m.ApplyControls(s, host);
        EXPECT_EQ(calls, r.calls);
        EXPECT_EQ(s.NameMode, r.stored); // a value outside 0..2 is kept as stored
        EXPECT_EQ(
            std::tie(s.ShowSaysOnce, s.ShowEmo, s.ShowSignInOut, s.ChangeWorkArea, s.ShowTooltip),
            std::make_tuple(r.tipOn, !r.tipOn, r.tipOn, !r.tipOn, r.tipOn));
        EXPECT_EQ(std::tie(s.Says, s.BuddyLogon, s.BuddyLogoff, s.UnreadMail, s.PlaceHolder),
                  std::tie(c.cmbSays, c.txtBuddyLogon, c.txtBuddyLogoff, c.txtUnreadMail,
                           c.txtPlaceHolder));
        EXPECT_EQ(std::tie(s.Speed, s.Version), std::make_tuple(33.0f, u"1.1")); // not shown
        // With the nickname the domain check is unusable but keeps its state.
        m.SelectBuddyName(0);
        EXPECT_EQ(std::tie(c.chkNoDomainName, c.chkNoDomainNameEnabled, c.lblBuddyName),
                  std::make_tuple(r.noDomain, false, u"Buddy \u8AAA\u00E9:  "));
    }
}

} // namespace
