#include "bar/BarEvents.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <utility>

#include "fakes/FakeMessenger.h"
#include "fakes/FakeStripHost.h"
#include "strip/colMsg.h"

namespace {

constexpr char16_t kHeader[] = u"X-MMS-IM-Format: FN=Tahoma; EF=; CO=ff0000; CS=0; PF=22\r\n\r\n";

// An event of a table row: a text (its characters one per UTF-8 byte, as the messenger sends
// them) from a buddy alone, a buddy's state from prev to now, or unread mail (folder, count).
struct Ev {
    enum Kind { Text, State, Mail } kind;
    std::string who;
    std::u16string text;
    int prev = 0, now = 0;
    std::u16string header = kHeader;
};
Ev Says(std::string who, std::u16string text) { return {Ev::Text, who, text}; }
Ev Turns(std::string who, int prev, int now) { return {Ev::State, who, u"", prev, now}; }
Ev Mail(int folder, int count) { return {Ev::Mail, "", u"", folder, count}; }

// The bar around the handler, with the settings of a first run: a real strip on fake
// surfaces, the messenger with a few buddies and four open conversations.
struct Bar {
    fakes::FakeStripHost host;
    fakes::FakeSurfaceFactory surfaces;
    fakes::FakeMessengerFactory factory;
    gb::colMsg strip{host, surfaces};
    gb::BarEvents events{[this] { return host.barStrip; }, factory, host.record};
    // clang-format off
    std::map<std::string, std::shared_ptr<fakes::FakeContact>> buddies{
        {"ann", fakes::Contact(u"ann@example.com", u"Ann :)")},
        {"bob", fakes::Contact(u"bob@example.net", u"Bob")}, {"cy", fakes::Contact(u"cy@a.org")},
        {"mail", fakes::Contact(u"Hotmail")}, {"hot", fakes::Contact(u"hotmail")},
        {"anon", fakes::Contact(std::nullopt)}, {"nonick", fakes::Contact(u"x@y")}};
    // clang-format on
    std::shared_ptr<fakes::FakeSession> textSession; // when unset, the sender alone
    int cleared = 0;

    std::shared_ptr<fakes::FakeSession> Session(const std::vector<std::string>& with) {
        auto session = std::make_shared<fakes::FakeSession>();
        for (const auto& k : with)
            session->participants->contacts.push_back(buddies.at(k));
        return session;
    }
    auto Window(const std::vector<std::string>& with, std::optional<messenger::WindowHandle> h) {
        auto window = std::make_shared<fakes::FakeConversationWindow>();
        window->session = Session(with), window->hwnd = h;
        return window;
    }
    explicit Bar(int nameMode = 2) {
        host.record.NameMode = nameMode;
        host.barStrip = &strip;
        host.messenger = &factory;
        factory.app->windows->windows = {Window({"ann"}, 11), Window({"bob"}, 12),
                                         Window({"ann", "bob"}, 13), Window({"bob", "ann"}, 14)};
    }

    // Delivers the events as the messenger would, and forgets PrevBuddy when the strip asks
    // the bar to.
    void Raise(const std::vector<Ev>& sequence) {
        for (const Ev& e : sequence) {
            const auto who = e.who.empty() ? nullptr : buddies.at(e.who);
            if (e.kind == Ev::Text)
                events.OnTextReceived(textSession ? textSession : Session({e.who}), who, e.header,
                                      e.text);
            if (e.kind == Ev::State) who->state = e.now, events.OnUserStateChanged(who, e.prev);
            if (e.kind == Ev::Mail) events.OnUnreadEmailChanged(e.prev, e.now);
            if (std::exchange(cleared, host.prevBuddyCleared) != cleared) events.PrevBuddy.clear();
        }
    }
    // The strip's items: kind and text, window handle, and "ws0" when no blank pixels follow.
    std::string Items() const {
        const auto text = [](std::u16string_view t) { return std::string(t.begin(), t.end()); };
        std::string out;
        for (const auto& item : strip) {
            const auto* s = item.As<gb::clsString>();
            const auto* y = item.As<gb::clsSays>();
            const auto* e = item.As<gb::clsEmo>();
            if (const auto* a = item.As<gb::clsAction>()) out += "act '" + text(a->Text()) + "', ";
            if (s) out += "'" + text(s->Text()) + "' h" + std::to_string(s->hWnd());
            if (y) out += "says '" + text(y->Buddy()) + "' h" + std::to_string(y->hWnd());
            if (e)
                out += "emo " + std::to_string(e->PicNumber()) + " h" + std::to_string(e->hWnd());
            if (s || y || e) out += item.WhiteSpace() == 0.0f ? " ws0, " : ", ";
        }
        return out.substr(0, out.size() - 2);
    }
};

TEST(BarEvents, TextsAndLinesNameTheBuddy) {
    const struct {
        int nameMode;
        bool saysOnce;
        std::vector<Ev> events;
        const char* items;
    } rows[] = {
        // clang-format off
        {2, false, {Says("ann", u"hi"), Says("ann", u"there")},
         "says 'ann' h11, 'hi' h11, says 'ann' h11, 'there' h11"},
        {2, true, {Says("ann", u"a"), Says("bob", u"b"), Says("ann", u"c")},
         "says 'ann' h11, 'a' h11, says 'bob' h12, 'b' h12, says 'ann' h11, 'c' h11"},
        // A notification line between two texts would otherwise leave the second text
        // looking as if the notified buddy had said it.
        {2, true, {Says("ann", u"a"), Turns("bob", 1, 2), Mail(0, 2), Says("ann", u"b")},
         "says 'ann' h11, 'a' h11, act 'bob has signed in.', act 'You've got 2 unread mail(s).', "
         "says 'ann' h11, 'b' h11"},
        // Texts from the mail service, without a header, or empty after folding are dropped
        // and leave PrevBuddy alone; only the exact address is the mail service's.
        {2, true, {Says("ann", u"a"), Says("mail", u"new mail"), {Ev::Text, "bob", u"b", 0, 0, u""},
                   Says("bob", std::u16string(1, u'\0')), Says("bob", u""), Says("ann", u"c"),
                   Says("hot", u"d")},
         "says 'ann' h11, 'a' h11, 'c' h11, says '' h0, 'd' h0"},
        {1, true, {Says("bob", u"yo")}, "says 'bob@example.net' h12, 'yo' h12"},
        // The nickname parsed, with no gap before the single-blank says.
        {0, true, {Says("ann", u"hi")}, "'Ann ' h11, emo 9 h11 ws0, says ' ' h11, 'hi' h11"},
        {0, true, {Turns("bob", 1, 2)}, "'Bob' h-1 ws0, act ' has signed in.'"},
        // A sender without address is named every time: it cannot be told from the last.
        {2, true, {Says("anon", u"a"), Says("anon", u"b")},
         "says '' h0, 'a' h0, says '' h0, 'b' h0"},
        // A nickname that gives no item leaves the blank pixels of the text before it alone.
        {0, true, {Says("ann", u"a"), Says("nonick", u"b")},
         "'Ann ' h11, emo 9 h11 ws0, says ' ' h11, 'a' h11, says ' ' h0, 'b' h0"},
        // Unread mail only from the inbox, and only when there is some.
        {2, true, {Mail(0, 1), Mail(0, 0), Mail(0, -1), Mail(1, 4), Mail(-1, 4)},
         "act 'You've got 1 unread mail(s).'"},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.items);
        Bar bar(row.nameMode);
        bar.host.record.ShowSaysOnce = row.saysOnce;
        bar.Raise(row.events);
        EXPECT_EQ(bar.Items(), row.items);
    }
}

// Offline to online signs in, to offline from anything but offline and unknown signs out,
// nothing else; nothing while the user is offline (a status the messenger cannot tell is not
// offline, and an object that could not tell it is made anew) or the lines are off.
TEST(BarEvents, StateChangesGiveSignInAndSignOutLines) {
    Bar bar;
    bar.Raise({Turns("bob", 1, 2), Turns("bob", 3, 1), Turns("bob", 0, 1), Turns("bob", 1, 0),
               Turns("bob", 2, 3), Turns("bob", 1, 1), Turns("bob", 0, 2)});
    bar.factory.absent = true;
    bar.Raise({Turns("bob", 1, 2)});
    bar.factory.absent = false;
    bar.factory.messenger->myStatus = std::nullopt;
    bar.Raise({Turns("bob", 2, 1)});
    bar.factory.messenger = std::make_shared<fakes::FakeMessenger>();
    bar.factory.messenger->myStatus = 1;
    bar.Raise({Turns("bob", 1, 2)});
    bar.factory.messenger->myStatus = 3;
    bar.Raise({Turns("bob", 2, 1)});
    bar.host.record.ShowSignInOut = false;
    bar.Raise({Turns("bob", 1, 2)});
    EXPECT_EQ(bar.Items(), "act 'bob has signed in.', act 'bob has signed out.', act 'bob has "
                           "signed in.', act 'bob has signed out.', act 'bob has signed out.'");
}

// The window of a text is the first whose participants are the session's, in the same order;
// a window the messenger cannot describe whole is passed over. Where its calls fail the search
// ends: the fuzz target holds that, with fakes that throw when a walk goes on past an item that
// could not be read.
TEST(BarEvents, ConversationWindowSearch) {
    const struct {
        std::vector<std::string> with;
        messenger::WindowHandle hWnd;
        std::function<void(Bar&, fakes::FakeWindowList&)> breakIt = nullptr;
    } rows[] = {
        // clang-format off
        {{"ann"}, 11},
        {{"bob", "ann"}, 14},
        {{"ann", "bob", "cy"}, 0},
        // Passed over before the match: a window without session, with a participant without
        // address, with a participant count unreadable or claiming more than there are, and
        // matching windows without a handle, or with 0 or -1.
        {{"ann", "bob"}, 13, [](Bar& b, auto& w) {
             auto& all = w.windows;
             all.insert(all.begin(), {b.Window({}, 99), b.Window({"ann", "anon"}, 98),
                                      b.Window({"ann", "bob"}, 97), b.Window({"ann", "bob"}, 96),
                                      b.Window({"ann", "bob"}, {}), b.Window({"ann", "bob"}, 0),
                                      b.Window({"ann", "bob"}, -1)});
             all[0]->session = nullptr;
             all[2]->session->participants->countFails = true;
             all[3]->session->participants->claimedCount = 200;
         }},
        // A window count that is no count, though the match lies within what there is.
        {{"ann", "bob"}, 0, [](Bar&, auto& w) { w.claimedCount = INT32_MAX; }},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        Bar bar(5);
        bar.textSession = bar.Session(row.with);
        if (row.breakIt) row.breakIt(bar, *bar.factory.app->windows);
        bar.Raise({Says("ann", u"m")});
        EXPECT_EQ(bar.Items(), "'m' h" + std::to_string(row.hWnd));
    }
}

TEST(BarEvents, ApplicationObjectCreatedOnFirstTextRetriedWhileItFails) {
    Bar bar(5);
    bar.factory.absent = true;
    bar.Raise({Says("ann", u"first")});
    bar.factory.absent = false;
    bar.Raise({Says("ann", u"second"), Says("ann", u"third")});
    EXPECT_EQ(bar.factory.appsCreated, 1);
    EXPECT_EQ(bar.Items(), "'first' h0, 'second' h11, 'third' h11");
}

// The message in the header's font and colour (Arial without one), a parsed nickname in
// black Arial whatever the header says.
TEST(BarEvents, FontAndColourFromTheHeaderForTheMessageOnly) {
    Bar bar(0);
    const std::u16string noFont = u"X-MMS-IM-Format: EF=; CO=00ff00; CS=0;\r\n";
    bar.Raise({Says("bob", u"caf\xC3\xA9 (Y)"), {Ev::Text, "bob", u"line\r\nnext", 0, 0, noFont}});
    ASSERT_EQ(bar.Items(),
              "'Bob' h12 ws0, says ' ' h12, 'caf\xE9 ' h12, emo 0 h12, 'line  next' h12");
    std::vector<std::pair<std::u16string, gb::Color>> fonts;
    for (const std::size_t i : {1, 3, 5})
        fonts.emplace_back(bar.strip.Item(i)->As<gb::clsString>()->TextFont()->Name(),
                           bar.strip.Item(i)->As<gb::clsString>()->TextColor());
    EXPECT_EQ(fonts, (decltype(fonts){{u"Arial", 0}, {u"Tahoma", 0xFF0000}, {u"Arial", 0x00FF00}}));
}

TEST(BarEvents, OverLongTextsAreCutAtTheMessageLimit) {
    Bar bar(1);
    bar.host.record.ShowEmo = false;
    bar.buddies["ann"]->emailAddress = std::u16string(40000, u'@');
    // A character of two UTF-16 units is not cut in half: U+1F600 (0xF0 0x9F 0x98 0x80 as the
    // messenger sends it) would start at the last place kept.
    bar.Raise({Says("ann", std::u16string(32766, u'a') + u"\xF0\x9F\x98\x80tail")});
    ASSERT_EQ(bar.strip.Count(), 2u);
    EXPECT_EQ(bar.strip.Item(1)->As<gb::clsSays>()->Buddy().size(), 32767u);
    EXPECT_TRUE(bar.strip.Item(2)->As<gb::clsString>()->Text() == std::u16string(32766, u'a'));
}

} // namespace
