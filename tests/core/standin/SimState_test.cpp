#include "SimState.h"

#include <gtest/gtest.h>

#include "fakes/FakeSimHost.h"

namespace {

using namespace std::string_literals;
using msgrsim::Op;
using msgrsim::Request;
using Calls = std::vector<std::string>;

Request Text(std::string from, std::string text, std::string with, bool window = true) {
    return Request{Op::Text, {from, "", "H", text, with, window ? "0" : "1"}};
}

// A scripted sequence of requests, with what each makes the Win32 side do; a window closed by
// the user ends its conversation, and a window that could not be made takes no other
// conversation with it.
TEST(SimState, RequestsAndWhatTheyDo) {
    const std::tuple<Request, bool, Calls> steps[] = {
        // A text opens its conversation; a second goes into it.
        {Text("a@x", "hi", "a@x"), true, {"open a@x", "show 100 a@x: hi", "text 100 a@x [H] hi"}},
        {Text("a@x", "re", "a@x"), true, {"show 100 a@x: re", "text 100 a@x [H] re"}},
        // The same people in another order are another conversation.
        {Text("b@x", "yo", "b@x,a@x"),
         true,
         {"open b@x,a@x", "show 101 b@x: yo", "text 101 b@x [H] yo"}},
        // Without a window, twice: that conversation never counts as open.
        {Text("c@x", "psst", "c@x", false), true, {"text 0 c@x [H] psst"}},
        {Text("c@x", "psst", "c@x", false), true, {"text 0 c@x [H] psst"}},
        // The previous state defaults to the current one (a wrote, so is online).
        {Request{Op::State, {"a@x", "away", "", "Ann"}}, true, {"state a@x 2->4"}},
        {Request{Op::State, {"d@x", "Online", "OFFLINE", ""}}, true, {"state d@x 1->2"}},
        {Request{Op::State, {"a@x", "zzz", "", ""}}, false, {}},
        {Request{Op::Mail, {"-5", "0"}}, false, {}},
        {Request{Op::Status, {"offline"}}, true, {}},
        {Request{Op::Close, {"b@x,a@x"}}, true, {"close 101"}},
        {Request{Op::Close, {"b@x,a@x"}}, false, {}},
    };
    msgrsim::SimState state;
    FakeSimHost host;
    for (const auto& [request, done, calls] : steps) {
        SCOPED_TRACE(request.args.front());
        host.calls.clear();
        const auto reply = state.Apply(request, host);
        EXPECT_EQ(reply.done, done) << reply.text;
        EXPECT_EQ(host.calls, calls);
    }
    EXPECT_EQ(state.Describe(), "status: offline\ncontacts:\n  a@x \"Ann\" away\n"
                                "  b@x \"b@x\" online\n  c@x \"c@x\" online\n  d@x \"d@x\" online\n"
                                "conversations:\n  (a@x) window 100\n");
    EXPECT_EQ(state.Apply(Request{Op::Log, {}}, host).text,
              "conversation opened (a@x)\nconversation opened (b@x, a@x)\n");

    state.WindowClosed(100);
    host.failWindows = true;
    host.calls.clear();
    state.Apply(Text("e@x", "1", "e@x"), host);
    state.Apply(Text("f@x", "2", "f@x"), host);
    state.WindowClosed(0);
    host.failWindows = false;
    state.Apply(Text("a@x", "3", "a@x"), host);
    EXPECT_EQ(host.calls, (Calls{"open e@x", "text 0 e@x [H] 1", "open f@x", "text 0 f@x [H] 2",
                                 "open a@x", "show 102 Ann: 3", "text 102 a@x [H] 3"}));
    ASSERT_TRUE(state.Apply(Request{Op::Close, {"e@x"}}, host).done);
    EXPECT_EQ(state.Describe().substr(state.Describe().find("conversations:")),
              "conversations:\n  (f@x) window 0\n  (a@x) window 102\n");
}

// Any program may ask: beyond 64 open conversations an open is refused with the reason and
// InstantMessage fails (the fuzz target holds every limit under any sequence); InstantMessage
// of an open conversation brings its window forward. The log keeps its newest 1000 entries.
TEST(SimState, LimitsHold) {
    msgrsim::SimState state;
    FakeSimHost host;
    EXPECT_EQ(state.InstantMessage("c0@x", host)->window, 100);
    for (int k = 1; k < 64; ++k)
        state.Apply(Request{Op::Open, {"c" + std::to_string(k) + "@x"}}, host);
    EXPECT_EQ(state.Apply(Request{Op::Open, {"new@x"}}, host).text,
              "too many open conversations (limit 64); close one first");
    host.calls.clear();
    EXPECT_EQ(state.InstantMessage("new@x", host), nullptr);
    EXPECT_EQ(state.InstantMessage("c0@x", host), state.Conversations().front());
    EXPECT_EQ(host.calls, Calls{"front 100"});
    EXPECT_EQ(state.CallLog().back(), "InstantMessage(c0@x)");
    for (int k = 0; k < 1001; ++k)
        state.LogCall("call " + std::to_string(k));
    EXPECT_EQ(state.CallLog().size(), 1000u);
    EXPECT_EQ(state.CallLog().front(), "call 1"); // the oldest went
}

// The project's messenger: its contacts arrive without events; its windows hold their
// conversations (texts are its to show, and only its windows are its to close); InstantMessage
// goes to it while it runs.
TEST(SimState, TheMessengersContactsAndWindows) {
    const std::tuple<Request, bool, Calls> steps[] = {
        {Request{Op::Contacts, {"r@x", "Romeo", "online", "n@x", "", "offline"}}, true, {}},
        {Request{Op::Contacts, {"t@x", "", "zzz"}}, false, {}},
        {Request{Op::Window, {"r@x", "7000"}}, true, {}},
        {Text("r@x", "hi", "r@x"), true, {"text 7000 r@x [H] hi"}},
        {Request{Op::Window, {"r@x", "-1"}}, false, {}},
        {Request{Op::Open, {"n@x"}}, true, {"open n@x"}},
        {Request{Op::Window, {"n@x", "0"}}, true, {}}, // not its window: stays
        {Request{Op::Window, {"r@x", "0"}}, true, {}},
    };
    msgrsim::SimState state;
    FakeSimHost host;
    for (const auto& [request, done, calls] : steps) {
        SCOPED_TRACE(request.args.back());
        host.calls.clear();
        EXPECT_EQ(state.Apply(request, host).done, done);
        EXPECT_EQ(host.calls, calls);
    }
    EXPECT_EQ(state.Describe(), "status: online\ncontacts:\n  r@x \"Romeo\" online\n"
                                "  n@x \"n@x\" offline\nconversations:\n  (n@x) window 100\n");
    host.messengerWindow = 7001;
    host.calls.clear();
    const auto own = state.InstantMessage("n@x", host);
    ASSERT_TRUE(own);
    EXPECT_EQ(own->window, 7001);
    EXPECT_TRUE(own->external);
    EXPECT_EQ(host.calls, (Calls{"messenger n@x", "close 100"}));
}

// A request as the control window takes it: answered only to a window of another thread,
// refused or not; carried out unanswered when no answer is wanted; Show counts the events.
TEST(SimState, WhatARequestAnswers) {
    using msgrsim::ReplyWindow;
    const auto status = static_cast<std::uint64_t>(Op::Status);
    const std::tuple<std::uint64_t, std::string, ReplyWindow, std::intptr_t,
                     std::optional<std::string>>
        rows[] = {
            {static_cast<std::uint64_t>(Op::Show), "", ReplyWindow::Foreign, msgrsim::kResultDone,
             "status: online\ncontacts:\nconversations:\nevents delivered: 2\n"},
            {status, "zzz"s + '\0', ReplyWindow::Foreign, msgrsim::kResultRefused, "bad status"},
            {status, "away"s + '\0', ReplyWindow::None, msgrsim::kResultDone, std::nullopt},
        };
    msgrsim::SimState state;
    FakeSimHost host;
    state.EventDelivered();
    state.EventDelivered();
    for (const auto& [tag, data, to, result, reply] : rows) {
        SCOPED_TRACE(data);
        const auto answer = state.Take(tag, data, to, host);
        EXPECT_EQ(answer.result, result);
        EXPECT_EQ(answer.reply, reply);
    }
    EXPECT_EQ(state.MyStatus(), 4); // away: the unanswered request was carried out
}

} // namespace
