#include <gtest/gtest.h>

#include "StripFixture.h"

namespace {

using Calls = std::vector<std::string>;

class Clicks : public StripFixture {
  protected:
    Clicks() { host.barStrip = &bar; }
    gb::colMsg bar{host, surfaces};
};

TEST_F(Clicks, WindowOfTheClickedItem) {
    const struct {
        const char* what;
        gb::ItemKind kind;
        messenger::WindowHandle hwnd;
        bool minimised;
        Calls calls;
    } rows[] = {
        {"text of a window", gb::ItemKind::String, 42, false, {"iconic 42", "front 42"}},
        {"minimised window is restored",
         gb::ItemKind::String,
         42,
         true,
         {"iconic 42", "restore 42", "front 42"}},
        {"emoticon of a window", gb::ItemKind::Emo, 7, false, {"iconic 7", "front 7"}},
        {"text of no window", gb::ItemKind::String, 0, false, {}},
        {"text with another negative value", gb::ItemKind::String, -2, false, {}},
        {"emoticon of no window", gb::ItemKind::Emo, 0, false, {}},
        {"says of a window", gb::ItemKind::Says, 42, false, {"iconic 42", "front 42"}},
        {"says takes -1 as a window too", gb::ItemKind::Says, -1, false, {"iconic -1", "front -1"}},
        {"says of no window", gb::ItemKind::Says, 0, false, {}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        gb::colMsg strip(host, surfaces);
        host.windowCalls.clear();
        host.iconic.clear();
        if (r.minimised) host.iconic.insert(r.hwnd);
        switch (r.kind) {
        case gb::ItemKind::String:
            strip.AddString(u"hello").SethWnd(r.hwnd);
            break;
        case gb::ItemKind::Emo:
            strip.AddEmo(9, r.hwnd);
            break;
        default:
            strip.AddSays(u"Ann", r.hwnd);
            break;
        }
        strip.AddString(u"next").SethWnd(99); // must never be reached
        strip.MouseDown(1, 0);
        EXPECT_EQ(host.windowCalls, r.calls);
    }
}

TEST_F(Clicks, HandOverReachesTheNextItemOfTheBarsStrip) {
    // A nickname in front of a sign-in line: its runs hand the click to the action item.
    const auto contact = std::make_shared<fakes::FakeContact>(u"ann@example.com");
    bar.AddMsg(u"Ann :) Lee", u"Arial", 0, -1);
    bar.AddAction(gb::actBuddyLogon, contact);
    ASSERT_EQ(bar.Count(), 4u);
    for (float x : {1.0f, 40.0f, 60.0f}) {
        SCOPED_TRACE(x);
        factory.messenger->conversations.clear();
        bar.MouseDown(x, 0);
        EXPECT_EQ(factory.messenger->conversations,
                  std::vector<std::u16string>{u"ann@example.com"});
    }
    EXPECT_TRUE(host.windowCalls.empty());
}

TEST_F(Clicks, HandOverGoesToTheBarsStripFromAnyStrip) {
    bar.AddString(u"first").SethWnd(5);
    bar.AddString(u"second").SethWnd(6);
    gb::colMsg ticker(host, surfaces);
    ticker.AddString(u"about").SethWnd(-1);
    ticker.MouseDown(1, 0);
    EXPECT_EQ(host.windowCalls, (Calls{"iconic 6", "front 6"}));
}

TEST_F(Clicks, HandOverPastTheLastItemDoesNothing) {
    bar.AddString(u"a").SethWnd(-1);
    bar.AddEmo(3, -1);
    bar.MouseDown(1, 0);
    bar.MouseDown(30, 0);
    EXPECT_TRUE(host.windowCalls.empty());
    host.barStrip = nullptr;
    bar.MouseDown(1, 0);
    EXPECT_TRUE(host.windowCalls.empty());
}

TEST_F(Clicks, LongRunOfHandOversEndsAtItsTarget) {
    for (int i = 0; i < 200000; ++i)
        bar.AddEmo(1, -1);
    bar.AddString(u"end").SethWnd(8);
    bar.MouseDown(0, 0);
    EXPECT_EQ(host.windowCalls, (Calls{"iconic 8", "front 8"}));
}

TEST_F(Clicks, ActionClicksAskTheMessenger) {
    const auto contact = std::make_shared<fakes::FakeContact>(u"bob@example.org");
    const auto mute = std::make_shared<fakes::FakeContact>(std::nullopt);
    const struct {
        const char* what;
        std::int32_t kind;
        gb::ActionParameter parameter;
        bool none, fail, raise;
        int inbox;
        std::vector<std::u16string> conversations;
    } rows[] = {
        {"unread mail opens the inbox", gb::actUnreadMail, 2, false, false, false, 1, {}},
        {"sign-in opens a conversation",
         gb::actBuddyLogon,
         contact,
         false,
         false,
         false,
         0,
         {u"bob@example.org"}},
        {"sign-out does nothing", gb::actBuddyLogoff, contact, false, false, false, 0, {}},
        {"unknown kind does nothing", 9, contact, false, false, false, 0, {}},
        {"no messenger", gb::actUnreadMail, 2, true, false, false, 0, {}},
        {"messenger refuses",
         gb::actBuddyLogon,
         contact,
         false,
         true,
         false,
         0,
         {u"bob@example.org"}},
        {"messenger throws on inbox", gb::actUnreadMail, 2, false, false, true, 0, {}},
        {"messenger throws on conversation", gb::actBuddyLogon, contact, false, false, true, 0, {}},
        {"contact without address", gb::actBuddyLogon, mute, false, false, false, 0, {}},
        {"sign-in without contact",
         gb::actBuddyLogon,
         std::monostate{},
         false,
         false,
         false,
         0,
         {}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        factory.messenger = std::make_shared<fakes::FakeClickMessenger>();
        factory.none = r.none;
        factory.messenger->fail = r.fail;
        factory.messenger->raise = r.raise;
        gb::colMsg strip(host, surfaces);
        strip.AddAction(r.kind, r.parameter);
        EXPECT_NO_THROW(strip.MouseDown(1, 0));
        EXPECT_EQ(factory.messenger->inboxOpened, r.inbox);
        EXPECT_EQ(factory.messenger->conversations, r.conversations);
    }
    host.messengerFactory = nullptr;
    gb::colMsg strip(host, surfaces);
    strip.AddAction(gb::actUnreadMail, 1);
    EXPECT_NO_THROW(strip.MouseDown(1, 0));
}

TEST_F(Clicks, AddActionClearsPrevBuddyOnAnyStrip) {
    gb::colMsg ticker(host, surfaces);
    bar.AddSays(u"Ann", 1);
    bar.AddMsg(u"hi", u"Arial", 0, 1);
    EXPECT_EQ(host.prevBuddyCleared, 0);
    bar.AddAction(gb::actUnreadMail, 1);
    ticker.AddAction(gb::actBuddyLogoff, std::monostate{});
    EXPECT_EQ(host.prevBuddyCleared, 2);
}

} // namespace
