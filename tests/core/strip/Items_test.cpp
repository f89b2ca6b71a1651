#include <gtest/gtest.h>

#include "StripFixture.h"
#include "strip/clsAction.h"
#include "strip/clsSays.h"

namespace {

class Items : public StripFixture {};

TEST_F(Items, SaysTextFollowsTheSettingAndItsOwnFont) {
    gb::colMsg strip(host, surfaces);
    gb::clsString& banner = strip.AddString(u"Glidebanner");
    banner.TextFont()->SetBold(true);
    banner.TextFont()->SetItalic(true);
    gb::clsSays& says = strip.AddSays(u"Ann", 0);
    const struct {
        std::u16string setting, text;
        float width;
    } rows[] = {{u"says: ", u"Ann says: ", 70}, {u"", u"Ann", 28}, {u"wrote", u"Ann wrote", 64}};
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.setting.begin(), r.setting.end()));
        settings().Says = r.setting;
        (void)banner.Width(); // measured just before: its bold italic must not carry over
        EXPECT_EQ(says.Text(), r.text);
        EXPECT_FLOAT_EQ(says.Width(), r.width);
        const std::size_t measured = host.measuredIn.size();
        EXPECT_FLOAT_EQ(says.Width(), r.width); // not measured again while nothing changed
        EXPECT_EQ(host.measuredIn.size(), measured);
        const gb::StdFont& last = host.measuredIn.back();
        EXPECT_EQ(last.Name(), u"Arial");
        EXPECT_FALSE(last.Bold() || last.Italic());
    }
}

TEST_F(Items, ActionTextsForEveryTemplateAndNameMode) {
    const auto ann = fakes::Contact(u"ann.lee@example.com");
    const auto mute = fakes::Contact(std::nullopt);
    const std::u16string mail = u"You've got # unread mail(s).";
    const auto on = gb::actBuddyLogon, off = gb::actBuddyLogoff, unread = gb::actUnreadMail;
    const struct {
        std::int32_t kind;
        gb::ActionParameter parameter;
        std::int32_t nameMode;
        std::u16string unreadMail, placeHolder, text;
    } rows[] = {
        {unread, 3, 0, mail, u"#", u"You've got 3 unread mail(s)."},
        {unread, 12, 0, u"# new, # unread", u"#", u"12 new, 12 unread"},
        {unread, 12, 0, u"Mail!", u"#", u"Mail!"},
        {unread, 5, 0, u"%N% and %n%", u"%N%", u"5 and %n%"},
        {unread, 5, 0, u"Mail #", u"", u"Mail #"},
        {unread, -2, 0, u"#", u"#", u"-2"},
        {on, ann, 0, mail, u"#", u" has signed in."},
        {on, ann, 1, mail, u"#", u"ann.lee@example.com has signed in."},
        {on, ann, 2, mail, u"#", u"ann.lee has signed in."},
        {on, ann, 3, mail, u"#", u""},
        {off, ann, 0, mail, u"#", u" has signed out."},
        {off, ann, 1, mail, u"#", u"ann.lee@example.com has signed out."},
        {off, ann, 2, mail, u"#", u"ann.lee has signed out."},
        {on, mute, 1, mail, u"#", u" has signed in."},
        {on, std::monostate{}, 2, mail, u"#", u" has signed in."},
        {7, 3, 0, mail, u"#", u""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.text.begin(), r.text.end()));
        settings().NameMode = r.nameMode;
        settings().UnreadMail = r.unreadMail;
        settings().PlaceHolder = r.placeHolder;
        gb::clsAction action(host);
        action.SetAction(r.kind, r.parameter);
        EXPECT_EQ(action.Text(), r.text);
        EXPECT_EQ(action.TextFont()->Underline(), r.kind == unread);
    }
}

} // namespace
