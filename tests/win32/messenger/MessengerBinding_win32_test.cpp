#include <windows.h>

#include <gtest/gtest.h>

#include "StandIn_win32.h"
#include "app/Handles_win32.h"
#include "messenger/MessengerBinding_win32.h"
#include "messenger/MessengerCom_win32.h"
#include "messenger/MessengerLink_win32.h"

namespace {

using messenger::ComMessengerFactory;
using standin::RunController;

// With no messenger registered (here after other tests registered and unregistered it, so
// nothing cached from before may help) nothing can be created and nothing fails loudly; once
// it is registered the same objects attach.
TEST(NoMessenger, FailsSoftlyAndAttachesOnceRegistered) {
    ASSERT_EQ(standin::UnregisterMachineWide(), S_OK);
    standin::RecordingEvents events;
    messenger::MessengerLink link(events);
    ComMessengerFactory factory;
    EXPECT_FALSE(link.TryAttach());
    EXPECT_FALSE(link.Attached());
    EXPECT_EQ(factory.CreateApp(), nullptr);
    EXPECT_EQ(factory.CreateMessenger(), nullptr);
    EXPECT_FALSE(link.TryAttach()); // asking again changes nothing

    standin::Registered registered;
    ASSERT_TRUE(registered.ok);
    EXPECT_TRUE(link.TryAttach());
    EXPECT_TRUE(link.Attached());
    EXPECT_TRUE(link.TryAttach()); // already attached: stays so, no second connection
    EXPECT_NE(factory.CreateApp(), nullptr);
    EXPECT_NE(factory.CreateMessenger(), nullptr);

    RunController({L"mail", L"4"});
    ASSERT_EQ(events.events.size(), 1u); // one connection, one event
    EXPECT_EQ(events.events[0].count, 4);
}

// Each test holds its own objects; when they are all released the stand-in forgets its
// state, so every test starts from a fresh messenger.
class StandIn : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { registered_ = std::make_unique<standin::Registered>(); }
    static void TearDownTestSuite() { registered_.reset(); }
    void SetUp() override {
        ASSERT_TRUE(registered_->ok);
        ASSERT_TRUE(link_.TryAttach()); // keeps the stand-in alive for the test
    }

    static std::u16string Title(messenger::WindowHandle hwnd) {
        wchar_t title[256] = {};
        ::GetWindowTextW(reinterpret_cast<HWND>(static_cast<INT_PTR>(hwnd)), title, 256);
        const std::wstring w(title);
        return std::u16string(w.begin(), w.end());
    }

    static std::unique_ptr<standin::Registered> registered_;
    standin::RecordingEvents events_;
    messenger::MessengerLink link_{events_};
    ComMessengerFactory factory_;
};
std::unique_ptr<standin::Registered> StandIn::registered_;

// The conversation window of a session is the one whose participants are the same in the
// same order: the stand-in keeps "a, b" and "b, a" apart, and each window's handle is a real,
// visible top-level window titled after its participants.
TEST_F(StandIn, ConversationWindowsKeepTheirParticipantsAndOrder) {
    ASSERT_EQ(RunController({L"open", L"ann@example.com,bob@example.com"}).exitCode, 0u);
    ASSERT_EQ(RunController({L"open", L"bob@example.com,ann@example.com"}).exitCode, 0u);
    ASSERT_EQ(RunController({L"open", L"bob@example.com"}).exitCode, 0u);
    ASSERT_EQ(RunController({L"text", L"bob@example.com", L"hi", L"--with",
                             L"bob@example.com,ann@example.com"})
                  .exitCode,
              0u);
    ASSERT_EQ(events_.events.size(), 1u);
    const std::vector<std::u16string> session = {u"bob@example.com", u"ann@example.com"};
    EXPECT_EQ(events_.events[0].participants, session);

    auto app = factory_.CreateApp();
    ASSERT_NE(app, nullptr);
    auto windows = app->Windows();
    ASSERT_NE(windows, nullptr);
    ASSERT_EQ(windows->Count(), 3); // the text went into an open conversation: no new window
    const struct {
        std::vector<std::u16string> participants;
        std::u16string title;
    } expected[] = {
        {{u"ann@example.com", u"bob@example.com"},
         u"ann@example.com, bob@example.com - Conversation"},
        {{u"bob@example.com", u"ann@example.com"},
         u"bob@example.com, ann@example.com - Conversation"},
        {{u"bob@example.com"}, u"bob@example.com - Conversation"},
    };
    for (std::int32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        auto window = windows->Item(i);
        ASSERT_NE(window, nullptr);
        auto windowSession = window->Session();
        ASSERT_NE(windowSession, nullptr);
        EXPECT_EQ(standin::Addresses(*windowSession), expected[i].participants);
        const auto hwnd = window->HWnd();
        ASSERT_TRUE(hwnd && *hwnd > 0);
        EXPECT_TRUE(::IsWindowVisible(reinterpret_cast<HWND>(static_cast<INT_PTR>(*hwnd))));
        EXPECT_EQ(Title(*hwnd), expected[i].title);
    }
}

// A window list walked while a conversation closes: the missing entry is a null window, not
// a crash, and the rest of the list still answers.
TEST_F(StandIn, WindowListThatShrinksWhileWalked) {
    ASSERT_EQ(RunController({L"open", L"x@example.com"}).exitCode, 0u);
    ASSERT_EQ(RunController({L"open", L"y@example.com"}).exitCode, 0u);
    auto windows = factory_.CreateApp()->Windows();
    ASSERT_EQ(windows->Count(), 2);
    auto second = windows->Item(1);
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(RunController({L"close", L"y@example.com"}).exitCode, 0u);
    EXPECT_EQ(windows->Count(), 1);
    EXPECT_EQ(windows->Item(1), nullptr);
    EXPECT_EQ(windows->Item(-1), nullptr);
    ASSERT_NE(windows->Item(0), nullptr);
    EXPECT_EQ(windows->Item(0)->HWnd().value_or(0) > 0, true);
    EXPECT_EQ(second->HWnd(), 0); // the closed one reports no window
}

TEST_F(StandIn, OwnStatusFollowsTheController) {
    auto messenger = factory_.CreateMessenger();
    ASSERT_NE(messenger, nullptr);
    const struct {
        const wchar_t* status;
        std::int32_t expected;
    } rows[] = {{nullptr, 2}, {L"offline", 1}, {L"away", 4}, {L"7", 7}, {L"online", 2}};
    for (const auto& row : rows) {
        if (row.status) {
            ASSERT_EQ(RunController({L"status", row.status}).exitCode, 0u);
        }
        EXPECT_EQ(messenger->MyStatus(), row.expected);
    }
}

// What a click asks of the messenger is recorded with its argument; a contact without an
// address fails where it happens and leaves the log as it was.
TEST_F(StandIn, OpenInboxAndInstantMessageAreRecorded) {
    auto messenger = factory_.CreateMessenger();
    ASSERT_NE(messenger, nullptr);
    EXPECT_TRUE(messenger->OpenInbox());
    EXPECT_TRUE(messenger->InstantMessage(u"carl@example.com"));
    EXPECT_FALSE(messenger->InstantMessage(u""));
    EXPECT_TRUE(messenger->InstantMessage(u"carl@example.com")); // shows the same window
    const auto log = RunController({L"log"});
    EXPECT_EQ(log.exitCode, 0u);
    EXPECT_EQ(log.out, "OpenInbox\n"
                       "InstantMessage(carl@example.com)\n"
                       "conversation opened (carl@example.com)\n"
                       "InstantMessage(carl@example.com)\n");
    EXPECT_NE(::FindWindowW(L"MsgrSimConversation", L"carl@example.com - Conversation"), nullptr);
}

// EmailAddress read by name through IDispatch gives what the contact interface gives; an
// object without that member gives nothing.
TEST_F(StandIn, EmailAddressByName) {
    ASSERT_EQ(RunController({L"open", L"dana@example.com,eve@example.com"}).exitCode, 0u);
    gb::com_ptr<msgr::IMessengerApplication> app;
    ASSERT_EQ(::CoCreateInstance(msgr::CLSID_MessengerApp, nullptr, CLSCTX_INPROC_SERVER,
                                 msgr::IID_IMessengerApplication, app.put_void()),
              S_OK);
    gb::com_ptr<IDispatch> list;
    ASSERT_EQ(app->get_Windows(list.put()), S_OK);
    auto windows = list.try_query<msgr::IMessengerWindowList>(msgr::IID_IMessengerWindowList);
    gb::com_ptr<IDispatch> windowDisp;
    ASSERT_EQ(windows->Item(0, windowDisp.put()), S_OK);
    auto window = windowDisp.try_query<msgr::IMessengerConversationWindow>(
        msgr::IID_IMessengerConversationWindow);
    gb::com_ptr<IDispatch> sessionDisp;
    ASSERT_EQ(window->get_Session(sessionDisp.put()), S_OK);
    auto session = sessionDisp.try_query<msgr::IMessengerSession>(msgr::IID_IMessengerSession);
    gb::com_ptr<IDispatch> participantsDisp;
    ASSERT_EQ(session->get_Participants(participantsDisp.put()), S_OK);
    auto participants =
        participantsDisp.try_query<msgr::IMessengerContactList>(msgr::IID_IMessengerContactList);

    const char16_t* expected[] = {u"dana@example.com", u"eve@example.com"};
    for (LONG i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        gb::com_ptr<IDispatch> contact;
        ASSERT_EQ(participants->Item(i, contact.put()), S_OK);
        EXPECT_EQ(messenger::EmailAddressByName(contact.get()), expected[i]);
        EXPECT_EQ(messenger::WrapContact(contact)->EmailAddress(), expected[i]);
    }
    EXPECT_EQ(messenger::EmailAddressByName(list.get()), std::nullopt);
    // Wrapped as a contact, an object that is none answers nothing rather than garbage.
    auto notAContact = messenger::WrapContact(list);
    ASSERT_NE(notAContact, nullptr);
    EXPECT_EQ(notAContact->EmailAddress(), std::nullopt);
    EXPECT_EQ(notAContact->FriendlyName(), std::nullopt);
    EXPECT_EQ(notAContact->State(), std::nullopt);
    EXPECT_EQ(messenger::EmailAddressByName(nullptr), std::nullopt);
    gb::com_ptr<IDispatch> none;
    EXPECT_EQ(participants->Item(2, none.put()), E_INVALIDARG);
    EXPECT_FALSE(none);
}

} // namespace
