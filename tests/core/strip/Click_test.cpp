#include <gtest/gtest.h>

#include "StripFixture.h"

namespace {

using Calls = std::vector<std::string>;
using Texts = std::vector<std::u16string>;

class Clicks : public StripFixture {
  protected:
    Clicks() { host.barStrip = &bar; }
    gb::colMsg bar{host, surfaces};
};

TEST_F(Clicks, WindowOfTheClickedItem) {
    const auto S = gb::ItemKind::String, E = gb::ItemKind::Emo, A = gb::ItemKind::Says;
    const struct {
        gb::ItemKind kind;
        messenger::WindowHandle hwnd;
        bool minimised;
        Calls calls;
    } rows[] = {
        {S, 42, false, {"iconic 42", "front 42"}},
        {S, 42, true, {"iconic 42", "restore 42", "front 42"}},
        {E, 7, false, {"iconic 7", "front 7"}},
        {S, 0, false, {}},
        {A, -1, false, {"iconic -1", "front -1"}}, // a says item never hands over
        {A, 0, false, {}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(r.kind) << " " << r.hwnd);
        gb::colMsg strip(host, surfaces);
        host.windowCalls.clear();
        host.iconic = {};
        if (r.minimised) host.iconic.insert(r.hwnd);
        if (r.kind == S) strip.AddString(u"hello").SethWnd(r.hwnd);
        if (r.kind == E) strip.AddEmo(9, r.hwnd);
        if (r.kind == A) strip.AddSays(u"Ann", r.hwnd);
        strip.AddString(u"next").SethWnd(99); // must never be reached
        strip.MouseDown(1, 0);
        EXPECT_EQ(host.windowCalls, r.calls);
    }
}

TEST_F(Clicks, HandOverReachesTheNextItemOfTheBarsStrip) {
    // A nickname in front of a sign-in line: its runs hand the click to the action item.
    bar.AddMsg(u"Ann :) Lee", u"Arial", 0, -1);
    bar.AddAction(gb::actBuddyLogon, fakes::Contact(u"ann@example.com"));
    for (float x : {1.0f, 40.0f, 60.0f}) {
        SCOPED_TRACE(x);
        factory.messenger->calls.clear();
        bar.MouseDown(x, 0);
        EXPECT_EQ(factory.messenger->calls, Texts{u"InstantMessage(ann@example.com)"});
    }
    // From any strip the hand-over goes to the bar's strip, past every other hand-over.
    gb::colMsg ticker(host, surfaces);
    ticker.AddString(u"about").SethWnd(-1);
    bar.Remove(bar.Count());
    for (int i = 0; i < 200000; ++i)
        bar.AddEmo(1, -1);
    bar.AddString(u"end").SethWnd(8);
    ticker.MouseDown(1, 0);
    EXPECT_EQ(host.windowCalls, (Calls{"iconic 8", "front 8"}));
}

TEST_F(Clicks, HandOverPastTheLastItemDoesNothing) {
    bar.AddString(u"a").SethWnd(-1);
    bar.AddEmo(3, -1);
    bar.MouseDown(1, 0);
    bar.MouseDown(30, 0);
    host.barStrip = nullptr;
    bar.MouseDown(1, 0);
    EXPECT_TRUE(host.windowCalls.empty());
}

TEST_F(Clicks, ActionClicksAskTheMessengerAndContainItsErrors) {
    const auto bob = fakes::Contact(u"bob@example.org"), mute = fakes::Contact(std::nullopt);
    const auto on = gb::actBuddyLogon, unread = gb::actUnreadMail;
    const Texts inbox = {u"OpenInbox"}, talk = {u"InstantMessage(bob@example.org)"}, none = {};
    const struct {
        std::int32_t kind;
        gb::ActionParameter parameter;
        bool absent, raise;
        Texts calls;
    } rows[] = {
        {unread, 2, false, false, inbox},
        {on, bob, false, false, talk},
        {gb::actBuddyLogoff, bob, false, false, none},
        {9, bob, false, false, none},
        {unread, 2, true, false, none},
        {unread, 2, false, true, none},
        {on, bob, false, true, none},
        {on, mute, false, false, none},
        {on, std::monostate{}, false, false, none},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(&r - rows);
        factory.messenger = std::make_shared<fakes::FakeMessenger>();
        factory.absent = r.absent;
        factory.messenger->raise = r.raise;
        gb::colMsg strip(host, surfaces);
        strip.AddAction(r.kind, r.parameter);
        EXPECT_NO_THROW(strip.MouseDown(1, 0));
        EXPECT_EQ(factory.messenger->calls, r.calls);
    }
    host.messenger = nullptr;
    gb::colMsg strip(host, surfaces);
    strip.AddAction(unread, 1);
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
