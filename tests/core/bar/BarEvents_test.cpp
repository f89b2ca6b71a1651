#include "bar/BarEvents.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/modSettings.h"
#include "fakes/FakeMessenger.h"
#include "fakes/FakeStripHost.h"
#include "fakes/FakeSurface.h"
#include "strip/colMsg.h"

namespace {

using messenger::ContactPtr;

// Item texts are ASCII or Latin-1 in these tables.
std::string Narrow(std::u16string_view text) {
    std::string out;
    for (const char16_t c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// One item as the tables spell it: kind, content, window handle, and "ws0" when no blank
// pixels follow it.
std::string Describe(const gb::clsItem& item) {
    std::string out;
    messenger::WindowHandle h = 0;
    if (const auto* s = item.As<gb::clsString>()) {
        out = "str \"" + Narrow(s->Text()) + "\"";
        h = s->hWnd();
    } else if (const auto* y = item.As<gb::clsSays>()) {
        out = "says \"" + Narrow(y->Buddy()) + "\"";
        h = y->hWnd();
    } else if (const auto* e = item.As<gb::clsEmo>()) {
        out = "emo " + std::to_string(e->PicNumber());
        h = e->hWnd();
    } else if (const auto* a = item.As<gb::clsAction>()) {
        return "act \"" + Narrow(a->Text()) + "\"";
    }
    out += " h" + std::to_string(h);
    if (item.WhiteSpace() == 0.0f) out += " ws0";
    return out;
}

constexpr char16_t kHeader[] = u"MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n"
                               u"X-MMS-IM-Format: FN=Tahoma; EF=; CO=ff0000; CS=0; PF=22\r\n\r\n";

// An event of a table row. Texts carry the messenger's form: one character per UTF-8 byte.
struct Ev {
    enum Kind { Text, State, Mail } kind;
    std::string who{};               // sender or contact
    std::vector<std::string> with{}; // the session's participants; empty: the sender alone
    std::u16string header = kHeader;
    std::string text{};
    std::int32_t prev = 0, now = 0;     // State
    std::int32_t folder = 0, count = 0; // Mail
};

Ev Says(std::string who, std::string text) {
    return {.kind = Ev::Text, .who = std::move(who), .text = std::move(text)};
}
Ev SaysIn(std::vector<std::string> with, std::string who, std::string text) {
    return {
        .kind = Ev::Text, .who = std::move(who), .with = std::move(with), .text = std::move(text)};
}
Ev SaysWithHeader(std::string who, std::u16string header, std::string text) {
    return {.kind = Ev::Text,
            .who = std::move(who),
            .header = std::move(header),
            .text = std::move(text)};
}
Ev Turns(std::string who, std::int32_t prev, std::int32_t now) {
    return {.kind = Ev::State, .who = std::move(who), .prev = prev, .now = now};
}
Ev Mail(std::int32_t folder, std::int32_t count) {
    return {.kind = Ev::Mail, .folder = folder, .count = count};
}

using Buddy = fakes::FakeContact;

// The bar around the handler: a real strip on fake surfaces, the messenger with four buddies
// and four open conversations.
struct Bar {
    Bar() {
        host.barStrip = &strip;
        host.messenger = &factory;
        buddies["ann"] = std::make_shared<Buddy>(u"ann@example.com", u"Ann :)");
        buddies["bob"] = std::make_shared<Buddy>(u"bob@example.net", u"Bob");
        buddies["cy"] = std::make_shared<Buddy>(u"cy@example.org", u"Cy");
        buddies["mail"] = std::make_shared<Buddy>(u"Hotmail", u"Hotmail");
        OpenWindow({"ann"}, 11);
        OpenWindow({"bob"}, 12);
        OpenWindow({"ann", "bob"}, 13);
        OpenWindow({"bob", "ann"}, 14);
    }

    std::vector<ContactPtr> Contacts(const std::vector<std::string>& keys) {
        std::vector<ContactPtr> out;
        for (const auto& k : keys)
            out.push_back(buddies.at(k));
        return out;
    }
    std::shared_ptr<fakes::FakeSession> Session(const std::vector<std::string>& with) {
        auto session = std::make_shared<fakes::FakeSession>();
        session->participants->contacts = Contacts(with);
        return session;
    }
    std::shared_ptr<fakes::FakeConversationWindow>
    Window(const std::vector<std::string>& with, std::optional<messenger::WindowHandle> h) {
        auto window = std::make_shared<fakes::FakeConversationWindow>();
        window->session = Session(with);
        window->hwnd = h;
        return window;
    }
    void OpenWindow(const std::vector<std::string>& with, messenger::WindowHandle h) {
        windows().push_back(Window(with, h));
    }
    std::vector<std::shared_ptr<fakes::FakeConversationWindow>>& windows() {
        return factory.app->windows->windows;
    }

    // Delivers the event as the messenger would, then does what the bar does when the strip
    // asks it to forget PrevBuddy.
    void Raise(const Ev& e) {
        switch (e.kind) {
        case Ev::Text: {
            const auto session =
                textSession ? textSession : Session(e.with.empty() ? std::vector{e.who} : e.with);
            std::u16string bytes;
            for (const char c : e.text)
                bytes.push_back(static_cast<unsigned char>(c));
            events.OnTextReceived(session, buddies.at(e.who), e.header, bytes);
            break;
        }
        case Ev::State: {
            const auto& b = std::static_pointer_cast<Buddy>(buddies.at(e.who));
            b->state = e.now;
            events.OnUserStateChanged(b, e.prev);
            break;
        }
        case Ev::Mail:
            events.OnUnreadEmailChanged(e.folder, e.count);
            break;
        }
        if (host.prevBuddyCleared != cleared) {
            cleared = host.prevBuddyCleared;
            events.PrevBuddy.clear();
        }
    }
    void Raise(const std::vector<Ev>& sequence) {
        for (const Ev& e : sequence)
            Raise(e);
    }
    std::vector<std::string> Items() const {
        std::vector<std::string> out;
        for (const auto& item : strip)
            out.push_back(Describe(item));
        return out;
    }

    fakes::FakeStripHost host;
    fakes::FakeSurfaceFactory surfaces;
    fakes::FakeMessengerFactory factory;
    gb::colMsg strip{host, surfaces};
    gb::BarEvents events{[this] { return host.barStrip; }, factory};
    std::map<std::string, ContactPtr> buddies;
    std::shared_ptr<fakes::FakeSession> textSession; // the texts' session when set
    int cleared = 0;
};

// The settings of a first run, put back as they were after each test.
class BarEventsTest : public ::testing::Test {
  protected:
    BarEventsTest() : saved_(modSettings::Settings()) {
        auto& s = modSettings::Settings();
        s.Says = u"says: ";
        s.NameMode = 2;
        s.ShowSaysOnce = true;
        s.ShowEmo = true;
        s.ShowSignInOut = true;
        s.PlaceHolder = u"#";
        s.UnreadMail = u"You've got # unread mail(s).";
        s.BuddyLogon = u"has signed in.";
        s.BuddyLogoff = u"has signed out.";
    }
    ~BarEventsTest() override { modSettings::Settings() = saved_; }

  private:
    modSettings::SettingsRecord saved_;
};

struct SequenceCase {
    const char* name;
    std::int32_t nameMode;
    bool saysOnce;
    std::vector<Ev> events;
    std::vector<std::string> items;
};

TEST_F(BarEventsTest, NamePartsFollowTheBuddyWhoSpokeLast) {
    // clang-format off
    const SequenceCase cases[] = {
        {"same buddy twice, says once", 2, true, {Says("ann", "hi"), Says("ann", "there")},
         {"says \"ann\" h11", "str \"hi\" h11", "str \"there\" h11"}},
        {"same buddy twice, says every time", 2, false, {Says("ann", "hi"), Says("ann", "there")},
         {"says \"ann\" h11", "str \"hi\" h11", "says \"ann\" h11", "str \"there\" h11"}},
        {"A, B, A", 2, true, {Says("ann", "a"), Says("bob", "b"), Says("ann", "c")},
         {"says \"ann\" h11", "str \"a\" h11", "says \"bob\" h12", "str \"b\" h12",
          "says \"ann\" h11", "str \"c\" h11"}},
        // A notification line between two texts would otherwise leave the second text
        // looking as if the notified buddy had said it.
        {"sign-in between texts of one buddy", 2, true,
         {Says("ann", "a"), Turns("bob", 1, 2), Says("ann", "b")},
         {"says \"ann\" h11", "str \"a\" h11", "act \"bob has signed in.\"", "says \"ann\" h11",
          "str \"b\" h11"}},
        {"unread mail between texts of one buddy", 2, true,
         {Says("ann", "a"), Mail(0, 2), Says("ann", "b")},
         {"says \"ann\" h11", "str \"a\" h11", "act \"You've got 2 unread mail(s).\"",
          "says \"ann\" h11", "str \"b\" h11"}},
        {"a dropped text changes nothing", 2, true,
         {Says("ann", "a"), Says("mail", "new mail"), SaysWithHeader("bob", u"", "b"),
          Says("bob", std::string(1, '\0')), Says("bob", ""), Says("ann", "c")},
         {"says \"ann\" h11", "str \"a\" h11", "str \"c\" h11"}},
        {"whole address", 1, true, {Says("bob", "yo")},
         {"says \"bob@example.net\" h12", "str \"yo\" h12"}},
        {"nickname parsed, no gap before the single-blank says", 0, true, {Says("ann", "hi")},
         {"str \"Ann \" h11", "emo 9 h11 ws0", "says \" \" h11", "str \"hi\" h11"}},
        {"nickname without emoticon", 0, true, {Says("bob", "hi"), Says("bob", "again")},
         {"str \"Bob\" h12 ws0", "says \" \" h12", "str \"hi\" h12", "str \"again\" h12"}},
        {"unknown name mode: no name, still once", 5, true, {Says("bob", "x"), Says("ann", "y")},
         {"str \"x\" h12", "str \"y\" h11"}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto& s = modSettings::Settings();
        s.NameMode = c.nameMode;
        s.ShowSaysOnce = c.saysOnce;
        Bar bar;
        bar.Raise(c.events);
        EXPECT_EQ(bar.Items(), c.items);
    }
}

TEST_F(BarEventsTest, ADroppedTextKeepsPrevBuddy) {
    Bar bar;
    bar.Raise(Says("ann", "a"));
    const std::vector<Ev> dropped = {Says("mail", "x"), SaysWithHeader("ann", u"", "x"),
                                     Says("bob", ""), Says("bob", std::string(2, '\0'))};
    for (const Ev& e : dropped) {
        bar.Raise(e);
        EXPECT_EQ(bar.events.PrevBuddy, u"ann@example.com");
    }
    // Only the exact address is the mail service's.
    std::static_pointer_cast<Buddy>(bar.buddies["mail"])->emailAddress = u"hotmail";
    bar.Raise(Says("mail", "x"));
    EXPECT_EQ(bar.events.PrevBuddy, u"hotmail");
}

struct StateCase {
    std::int32_t prev, now;
    std::optional<std::int32_t> myStatus;
    bool signInOut;
    std::int32_t nameMode;
    std::vector<std::string> items;
};

TEST_F(BarEventsTest, StateChangesGiveSignInAndSignOutLines) {
    const std::optional<std::int32_t> online = 2, offline = 1, away = 3, unreadable;
    const StateCase cases[] = {
        {1, 2, online, true, 2, {"act \"bob has signed in.\""}},
        {2, 1, online, true, 2, {"act \"bob has signed out.\""}},
        {3, 1, online, true, 1, {"act \"bob@example.net has signed out.\""}},
        {0, 1, online, true, 2, {}},
        {1, 0, online, true, 2, {}},
        {2, 3, online, true, 2, {}},
        {1, 1, online, true, 2, {}},
        {0, 2, online, true, 2, {}},
        {1, 2, offline, true, 2, {}},
        {2, 1, offline, true, 2, {}},
        {1, 2, away, true, 2, {"act \"bob has signed in.\""}},
        // A status the messenger cannot tell is not taken for offline.
        {1, 2, unreadable, true, 2, {"act \"bob has signed in.\""}},
        {1, 2, online, false, 2, {}},
        {2, 1, online, false, 2, {}},
        {1, 2, online, true, 0, {"str \"Bob\" h-1 ws0", "act \" has signed in.\""}},
        {2, 1, online, true, 0, {"str \"Bob\" h-1 ws0", "act \" has signed out.\""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.prev) + " -> " + std::to_string(c.now) + ", mode " +
                     std::to_string(c.nameMode) + (c.signInOut ? "" : ", lines off"));
        auto& s = modSettings::Settings();
        s.ShowSignInOut = c.signInOut;
        s.NameMode = c.nameMode;
        Bar bar;
        bar.factory.messenger->myStatus = c.myStatus;
        bar.Raise(Turns("bob", c.prev, c.now));
        EXPECT_EQ(bar.Items(), c.items);
    }
}

TEST_F(BarEventsTest, SignInLinesWithoutAMessengerObjectOrWithOneThatStopsAnswering) {
    Bar bar;
    bar.factory.absent = true;
    bar.Raise(Turns("bob", 1, 2));
    bar.factory.absent = false;
    bar.factory.messenger->myStatus = std::nullopt;
    bar.Raise(Turns("bob", 2, 1));
    // The object that could not tell its status is not asked again: a new one says offline.
    bar.factory.messenger = std::make_shared<fakes::FakeMessenger>();
    bar.factory.messenger->myStatus = 1;
    bar.Raise(Turns("bob", 1, 2));
    EXPECT_EQ(bar.Items(), (std::vector<std::string>{"act \"bob has signed in.\"",
                                                     "act \"bob has signed out.\""}));
}

TEST_F(BarEventsTest, UnreadMailOnlyFromTheInboxAndOnlyWhenThereIsSome) {
    Bar bar;
    bar.factory.messenger->myStatus = 1; // the user's own status plays no part here
    modSettings::Settings().ShowSignInOut = false;
    const struct {
        std::int32_t folder, count;
        bool line;
    } cases[] = {{0, 1, true},   {0, 5, true},  {0, 3, true},  {0, 0, false},
                 {0, -1, false}, {1, 4, false}, {-1, 4, false}};
    std::vector<std::string> expected;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.folder) + ": " + std::to_string(c.count));
        bar.Raise(Mail(c.folder, c.count));
        if (c.line)
            expected.push_back("act \"You've got " + std::to_string(c.count) +
                               " unread mail(s).\"");
        EXPECT_EQ(bar.Items(), expected);
    }
}

TEST_F(BarEventsTest, ConversationWindowFoundByParticipantsInOrder) {
    modSettings::Settings().NameMode = 5;
    const struct {
        std::vector<std::string> with;
        messenger::WindowHandle hWnd;
    } cases[] = {
        {{"ann"}, 11}, {{"bob"}, 12},      {{"ann", "bob"}, 13},      {{"bob", "ann"}, 14},
        {{"cy"}, 0},   {{"ann", "cy"}, 0}, {{"ann", "bob", "cy"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.with.size() == 1 ? c.with[0] : c.with[0] + "+" + c.with[1]);
        Bar bar;
        bar.Raise(SaysIn(c.with, "ann", "m"));
        EXPECT_EQ(bar.Items(), std::vector<std::string>{"str \"m\" h" + std::to_string(c.hWnd)});
    }
}

TEST_F(BarEventsTest, FailingWindowSearchIsContained) {
    modSettings::Settings().NameMode = 5;
    const struct {
        const char* name;
        std::function<void(Bar&)> breakIt;
        messenger::WindowHandle hWnd;
    } cases[] = {
        {"window list unreadable", [](Bar& b) { b.factory.app->windowsFail = true; }, 0},
        {"every window closes while walked",
         [](Bar& b) { b.factory.app->windows->shrinkAfter = 0; }, 0},
        {"the matching window closes while walked",
         [](Bar& b) {
             b.windows().pop_back(); // the match is last now, and goes at the third look
             b.factory.app->windows->shrinkAfter = 2;
         },
         0},
        // A list that fails at one place is not asked past it.
        {"a gap in the list before the match",
         [](Bar& b) { b.windows().insert(b.windows().begin(), nullptr); }, 0},
        {"a window before the match has no session",
         [](Bar& b) {
             auto w = b.Window({}, 99);
             w->session = nullptr;
             b.windows().insert(b.windows().begin(), w);
         },
         13},
        {"a window before the match has a participant without address",
         [](Bar& b) {
             b.buddies["nobody"] = fakes::Contact(std::nullopt, u"?");
             b.windows().insert(b.windows().begin(), b.Window({"ann", "nobody"}, 98));
         },
         13},
        {"a matching window before the match has no handle",
         [](Bar& b) {
             b.windows().insert(b.windows().begin(), b.Window({"ann", "bob"}, {}));
         },
         13},
        {"a window's participant count unreadable",
         [](Bar& b) {
             auto w = b.Window({"ann", "bob"}, 97);
             w->session->participants->countFails = true;
             b.windows().insert(b.windows().begin(), w);
         },
         13},
        {"matching windows before the match with handles 0 and -1",
         [](Bar& b) {
             b.windows().insert(b.windows().begin(), b.Window({"ann", "bob"}, 0));
             b.windows().insert(b.windows().begin(), b.Window({"ann", "bob"}, -1));
         },
         13},
        {"a window's participants claim more than there are",
         [](Bar& b) {
             auto w = b.Window({"ann", "bob"}, 96);
             w->session->participants->claimedCount = 200;
             b.windows().insert(b.windows().begin(), w);
         },
         13},
        {"the window list claims more than there are",
         [](Bar& b) {
             b.windows().erase(b.windows().begin() + 2); // no match left
             b.factory.app->windows->claimedCount = 200;
         },
         0},
        {"the window list claims INT32_MAX",
         [](Bar& b) { b.factory.app->windows->claimedCount = INT32_MAX; }, 0},
        {"the session's participants claim INT32_MAX",
         [](Bar& b) { b.textSession->participants->claimedCount = INT32_MAX; }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bar bar;
        bar.textSession = bar.Session({"ann", "bob"});
        c.breakIt(bar);
        bar.Raise(SaysIn({"ann", "bob"}, "ann", "m"));
        EXPECT_EQ(bar.Items(), std::vector<std::string>{"str \"m\" h" + std::to_string(c.hWnd)});
        // Every walk ends at the first item that cannot be read, whatever the count claimed.
        std::vector<fakes::WalkRecord*> lists = {bar.factory.app->windows.get(),
                                                 bar.textSession->participants.get()};
        for (const auto& w : bar.windows())
            if (w && w->session) lists.push_back(w->session->participants.get());
        for (const fakes::WalkRecord* list : lists) {
            EXPECT_FALSE(list->askedPastFailure);
            EXPECT_LE(list->itemCalls, 8);
        }
    }
}

TEST_F(BarEventsTest, ApplicationObjectCreatedOnFirstTextRetriedWhileItFails) {
    modSettings::Settings().NameMode = 5;
    Bar bar;
    bar.factory.absent = true;
    bar.Raise(Says("ann", "first"));
    EXPECT_FALSE(bar.events.MsnAppCreated());
    bar.factory.absent = false;
    bar.Raise(Says("ann", "second"));
    bar.Raise(Says("ann", "third"));
    EXPECT_TRUE(bar.events.MsnAppCreated());
    EXPECT_EQ(bar.factory.appsCreated, 1);
    EXPECT_EQ(bar.Items(), (std::vector<std::string>{"str \"first\" h0", "str \"second\" h11",
                                                     "str \"third\" h11"}));
}

TEST_F(BarEventsTest, SenderWithoutAddressAlwaysGetsItsName) {
    Bar bar;
    bar.buddies["nobody"] = fakes::Contact(std::nullopt, std::nullopt);
    bar.Raise({Says("nobody", "a"), Says("nobody", "b")});
    EXPECT_EQ(bar.Items(), (std::vector<std::string>{"says \"\" h0", "str \"a\" h0", "says \"\" h0",
                                                     "str \"b\" h0"}));

    // A nickname that gives no item leaves the blank pixels of the text before it alone.
    modSettings::Settings().NameMode = 0;
    Bar nick;
    nick.buddies["nobody"] = fakes::Contact(u"x@y", std::nullopt);
    nick.Raise({Says("ann", "a"), Says("nobody", "b")});
    EXPECT_EQ(nick.Items(),
              (std::vector<std::string>{"str \"Ann \" h11", "emo 9 h11 ws0", "says \" \" h11",
                                        "str \"a\" h11", "says \" \" h0", "str \"b\" h0"}));
}

TEST_F(BarEventsTest, MessageTakesFontAndColourFromTheHeaderNicknameDoesNot) {
    Bar bar;
    const std::u16string noFont = u"X-MMS-IM-Format: EF=; CO=00ff00; CS=0;\r\n";
    bar.Raise({Says("ann", "caf\xC3\xA9 (Y)"), SaysWithHeader("ann", noFont, "line\r\nnext")});
    ASSERT_EQ(bar.Items(), (std::vector<std::string>{"says \"ann\" h11", "str \"caf\xC3\xA9 \" h11",
                                                     "emo 0 h11", "str \"line  next\" h11"}));
    const auto* first = bar.strip.Item(2)->As<gb::clsString>();
    EXPECT_EQ(first->TextFont()->Name(), u"Tahoma");
    EXPECT_EQ(first->TextColor(), 0xFF0000u);
    const auto* second = bar.strip.Item(4)->As<gb::clsString>();
    EXPECT_EQ(second->TextFont()->Name(), u"Arial");
    EXPECT_EQ(second->TextColor(), 0x00FF00u);

    // A parsed nickname is drawn in black Arial whatever the sender's header says.
    modSettings::Settings().NameMode = 0;
    Bar nick;
    nick.Raise(Says("bob", "hi"));
    const auto* name = nick.strip.Item(1)->As<gb::clsString>();
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->TextFont()->Name(), u"Arial");
    EXPECT_EQ(name->TextColor(), 0u);
}

TEST_F(BarEventsTest, OverLongTextsAreCutAtTheMessageLimit) {
    modSettings::Settings().ShowEmo = false;
    modSettings::Settings().NameMode = 1;
    Bar bar;
    std::static_pointer_cast<Buddy>(bar.buddies["ann"])->emailAddress = std::u16string(40000, u'@');
    // A character of two UTF-16 units is not cut in half: U+1F600 (0xF0 0x9F 0x98 0x80 as the
    // messenger sends it) would start at the last place kept.
    bar.Raise(Says("ann", std::string(32766, 'a') + "\xF0\x9F\x98\x80tail"));
    ASSERT_EQ(bar.strip.Count(), 2u);
    EXPECT_EQ(bar.strip.Item(1)->As<gb::clsSays>()->Buddy().size(), 32767u);
    EXPECT_TRUE(bar.strip.Item(2)->As<gb::clsString>()->Text() == std::u16string(32766, u'a'));
}

TEST_F(BarEventsTest, NoStripNoItemsNoFault) {
    Bar bar;
    bar.host.barStrip = nullptr;
    bar.Raise({Says("ann", "a"), Turns("bob", 1, 2), Mail(0, 1)});
    EXPECT_EQ(bar.strip.Count(), 0u);
}

} // namespace
