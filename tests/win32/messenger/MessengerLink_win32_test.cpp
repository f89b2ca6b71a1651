#include <windows.h>

#include <gtest/gtest.h>

#include "StandIn_win32.h"
#include "app/Handles_win32.h"
#include "app/modMain.h"
#include "messenger/MessengerCom_win32.h"
#include "messenger/MessengerLink_win32.h"
#include "messenger/MessengerText.h"

namespace {

using standin::RunController;

class EventsFromTheStandIn : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { registered_ = std::make_unique<standin::Registered>(); }
    static void TearDownTestSuite() { registered_.reset(); }
    void SetUp() override {
        ASSERT_TRUE(registered_->ok);
        ASSERT_TRUE(link_.TryAttach());
    }
    static std::unique_ptr<standin::Registered> registered_;
    standin::RecordingEvents events_;
    messenger::MessengerLink link_{events_};
};
std::unique_ptr<standin::Registered> EventsFromTheStandIn::registered_;

// Every event reaches the sink with exactly the values raised; the text comes as one
// character per UTF-8 byte, bytes above 0x7F included, and folds back to what was sent.
TEST_F(EventsFromTheStandIn, AllThreeArriveWithExactValues) {
    ASSERT_EQ(RunController({L"text", L"anna@example.com", L"Ol\u00E1 \u263A \U0001F600 :)",
                             L"--nick", L"Anna (L)", L"--header", L"FN=Verdana; CO=ff0000;"})
                  .exitCode,
              0u);
    ASSERT_EQ(RunController({L"state", L"bob@example.com", L"online", L"--prev", L"offline",
                             L"--nick", L"Bob \u00C9"})
                  .exitCode,
              0u);
    ASSERT_EQ(RunController({L"state", L"bob@example.com", L"away"}).exitCode, 0u);
    ASSERT_EQ(RunController({L"mail", L"3"}).exitCode, 0u);
    ASSERT_EQ(RunController({L"mail", L"-1", L"--folder", L"2"}).exitCode, 0u);

    ASSERT_EQ(events_.events.size(), 5u);
    const auto& text = events_.events[0];
    EXPECT_EQ(text.kind, "text");
    EXPECT_EQ(text.address, u"anna@example.com");
    EXPECT_EQ(text.nickname, u"Anna (L)");
    EXPECT_EQ(text.state, messenger::kStateOnline);
    EXPECT_EQ(text.header, u"FN=Verdana; CO=ff0000;");
    EXPECT_EQ(text.text,
              messenger::ByteText("Ol\xC3\xA1 \xE2\x98\xBA \xF0\x9F\x98\x80 :)")); // UTF-8 bytes
    std::u16string folded = text.text;
    modMain::DecodeUtf8Text(folded);
    EXPECT_EQ(folded, u"Ol\u00E1 \u263A \U0001F600 :)");
    EXPECT_EQ(text.participants, std::vector<std::u16string>{u"anna@example.com"});

    const struct {
        const char16_t* nickname;
        std::int32_t state, previous;
    } states[] = {{u"Bob \u00C9", messenger::kStateOnline, messenger::kStateOffline},
                  {u"Bob \u00C9", 4, messenger::kStateOnline}}; // previous: the current state
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const auto& e = events_.events[1 + i];
        EXPECT_EQ(e.kind, "state");
        EXPECT_EQ(e.address, u"bob@example.com");
        EXPECT_EQ(e.nickname, states[i].nickname);
        EXPECT_EQ(e.state, states[i].state);
        EXPECT_EQ(e.previous, states[i].previous);
    }
    EXPECT_EQ(events_.events[3].kind, "mail");
    EXPECT_EQ(events_.events[3].folder, messenger::kFolderInbox);
    EXPECT_EQ(events_.events[3].count, 3);
    EXPECT_EQ(events_.events[4].folder, 2);
    EXPECT_EQ(events_.events[4].count, -1);
}

// A text of a session that no window shows still arrives; the window list stays empty.
TEST_F(EventsFromTheStandIn, TextWithoutAConversationWindow) {
    ASSERT_EQ(RunController({L"text", L"fay@example.com", L"\u00FC", L"--no-window"}).exitCode, 0u);
    ASSERT_EQ(events_.events.size(), 1u);
    EXPECT_EQ(events_.events[0].text, messenger::ByteText("\xC3\xBC"));
    EXPECT_EQ(events_.events[0].participants, std::vector<std::u16string>{u"fay@example.com"});
    EXPECT_EQ(RunController({L"log"}).out, "");
}

// Two links both receive every event; a detached one receives none, and can attach again.
TEST_F(EventsFromTheStandIn, DetachStopsEventsAndTryAttachReconnects) {
    standin::RecordingEvents other;
    messenger::MessengerLink second(other);
    ASSERT_TRUE(second.TryAttach());
    ASSERT_EQ(RunController({L"mail", L"1"}).exitCode, 0u);
    second.Detach();
    EXPECT_FALSE(second.Attached());
    ASSERT_EQ(RunController({L"mail", L"2"}).exitCode, 0u);
    ASSERT_TRUE(second.TryAttach());
    ASSERT_EQ(RunController({L"mail", L"3"}).exitCode, 0u);

    std::vector<std::int32_t> mine, theirs;
    for (const auto& e : events_.events)
        mine.push_back(e.count);
    for (const auto& e : other.events)
        theirs.push_back(e.count);
    EXPECT_EQ(mine, (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_EQ(theirs, (std::vector<std::int32_t>{1, 3}));
}

// The sink translates only: arguments of the wrong kind or number are refused before the
// program sees them, and the event is not delivered.
TEST(EventSink, RefusesMalformedEvents) {
    standin::RecordingEvents events;
    auto sink = messenger::EventSink::Create(events);
    VARIANT_BOOL enable = VARIANT_TRUE;
    auto I4 = [](LONG v) {
        VARIANT x;
        ::VariantInit(&x);
        x.vt = VT_I4;
        x.lVal = v;
        return x;
    };
    VARIANT byref;
    ::VariantInit(&byref);
    byref.vt = VT_BOOL | VT_BYREF;
    byref.pboolVal = &enable;
    VARIANT empty;
    ::VariantInit(&empty);
    gb::unique_bstr word(::SysAllocString(L"seven"));
    VARIANT text;
    ::VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = word.get();

    DISPID named = 0;
    const struct {
        const char* name;
        DISPID id;
        std::vector<VARIANT> args; // last first, as Invoke takes them
        UINT namedCount;
        HRESULT expected;
        std::size_t delivered;
    } rows[] = {
        {"mail (0, 3)", msgr::dispid::kOnUnreadEmailChanged, {byref, I4(3), I4(0)}, 0, S_OK, 1},
        {"mail, count not a number",
         msgr::dispid::kOnUnreadEmailChanged,
         {byref, text, I4(0)},
         0,
         DISP_E_TYPEMISMATCH,
         0},
        {"mail, two arguments",
         msgr::dispid::kOnUnreadEmailChanged,
         {I4(3), I4(0)},
         0,
         DISP_E_BADPARAMCOUNT,
         0},
        {"mail, named arguments",
         msgr::dispid::kOnUnreadEmailChanged,
         {byref, I4(3), I4(0)},
         1,
         DISP_E_NONAMEDARGS,
         0},
        {"state without a contact",
         msgr::dispid::kOnUserStateChanged,
         {byref, I4(1), empty},
         0,
         DISP_E_TYPEMISMATCH,
         0},
        {"text with a string for the session",
         msgr::dispid::kOnTextReceived,
         {byref, text, text, empty, text},
         0,
         DISP_E_TYPEMISMATCH,
         0},
        {"unknown event", 99, {}, 0, DISP_E_MEMBERNOTFOUND, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        events.events.clear();
        std::vector<VARIANT> args = row.args;
        DISPPARAMS params{args.data(), row.namedCount ? &named : nullptr,
                          static_cast<UINT>(args.size()), row.namedCount};
        EXPECT_EQ(
            sink->Invoke(row.id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
            row.expected);
        EXPECT_EQ(events.events.size(), row.delivered);
        EXPECT_EQ(enable, VARIANT_TRUE); // pfEnableDefault is never written
    }

    // Forgotten: a source that still holds the sink reaches no one.
    sink->Forget();
    events.events.clear();
    std::vector<VARIANT> args = {byref, I4(3), I4(0)};
    DISPPARAMS params{args.data(), nullptr, 3, 0};
    EXPECT_EQ(sink->Invoke(msgr::dispid::kOnUnreadEmailChanged, IID_NULL, 0, DISPATCH_METHOD,
                           &params, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_TRUE(events.events.empty());
}

} // namespace
