#include "SimState.h"

#include <gtest/gtest.h>

#include "fakes/FakeSimHost.h"

namespace {

using msgrsim::Op;
using msgrsim::Request;
using Calls = std::vector<std::string>;

Request Text(std::string from, std::string text, std::string with, bool window = true) {
    return Request{Op::Text, {from, "", "H", text, with, window ? "0" : "1"}};
}

// A scripted sequence of requests, with what each makes the Win32 side do and answer.
TEST(SimState, RequestsAndWhatTheyDo) {
    const struct {
        Request request;
        bool done;
        Calls calls;
    } steps[] = {
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
        {Request{Op::Mail, {"5", "0"}}, true, {"mail 0 5"}},
        {Request{Op::Mail, {"-5", "0"}}, false, {}},
        {Request{Op::Status, {"-1"}}, false, {}},
        {Request{Op::Status, {"offline"}}, true, {}},
        {Request{Op::Open, {"a@x"}}, true, {}},
        {Request{Op::Close, {"b@x,a@x"}}, true, {"close 101"}},
        {Request{Op::Close, {"b@x,a@x"}}, false, {}},
        {Request{Op::State, {"a@x", "zzz", "", ""}}, false, {}},
    };
    msgrsim::SimState state;
    FakeSimHost host;
    for (const auto& step : steps) {
        SCOPED_TRACE(&step - steps);
        host.calls.clear();
        const auto reply = state.Apply(step.request, host);
        EXPECT_EQ(reply.done, step.done) << reply.text;
        EXPECT_EQ(host.calls, step.calls);
    }
    EXPECT_EQ(state.MyStatus(), 1);
    EXPECT_EQ(state.Describe(), "status: offline\ncontacts:\n  a@x \"Ann\" away\n"
                                "  b@x \"b@x\" online\n  c@x \"c@x\" online\n  d@x \"d@x\" online\n"
                                "conversations:\n  (a@x) window 100\n");
    EXPECT_EQ(state.Apply(Request{Op::Log, {}}, host).text,
              "conversation opened (a@x)\nconversation opened (b@x, a@x)\n");
}

// The user closes a window: its conversation is no longer open, and the next text opens a
// new one. A window that could not be made does not take other conversations with it.
TEST(SimState, ClosedAndMissingWindows) {
    msgrsim::SimState state;
    FakeSimHost host;
    state.Apply(Text("a@x", "1", "a@x"), host);
    state.Apply(Text("b@x", "2", "b@x"), host);
    state.WindowClosed(100);
    state.WindowClosed(0);
    ASSERT_EQ(state.Conversations().size(), 1u);
    EXPECT_EQ(state.Conversations()[0]->window, 101);
    host.calls.clear();
    state.Apply(Text("a@x", "3", "a@x"), host);
    EXPECT_EQ(host.calls, (Calls{"open a@x", "show 102 a@x: 3", "text 102 a@x [H] 3"}));

    host.failWindows = true;
    host.calls.clear();
    state.Apply(Text("e@x", "4", "e@x"), host);
    state.Apply(Text("f@x", "5", "f@x"), host);
    EXPECT_EQ(host.calls, (Calls{"open e@x", "text 0 e@x [H] 4", "open f@x", "text 0 f@x [H] 5"}));
    ASSERT_TRUE(state.Apply(Request{Op::Close, {"e@x"}}, host).done);
    EXPECT_EQ(state.Conversations().size(), 3u); // b, a again, f: e alone went
}

// Any program may ask: open conversations (each a real window) and contacts stop at their
// limits with a refusal that changes nothing, and the log keeps only its newest entries.
TEST(SimState, LimitsHold) {
    msgrsim::SimState state;
    FakeSimHost host;
    const auto open = [&](int k) {
        return state.Apply(Request{Op::Open, {"c" + std::to_string(k) + "@x"}}, host);
    };
    for (int k = 0; k < 64; ++k)
        ASSERT_TRUE(open(k).done) << k;
    const std::string full = state.Describe();
    EXPECT_EQ(open(64).text, "too many open conversations (limit 64); close one first");
    EXPECT_FALSE(state.Apply(Text("c64@x", "hi", "c64@x"), host).done);
    EXPECT_TRUE(open(3).done); // already open
    EXPECT_EQ(state.Describe(), full);
    ASSERT_TRUE(state.Apply(Request{Op::Close, {"c0@x"}}, host).done);
    EXPECT_TRUE(open(64).done);

    for (int k = 65; k < 256; ++k)
        state.Apply(Request{Op::State, {"c" + std::to_string(k) + "@x", "1", "", ""}}, host);
    EXPECT_EQ(state.Apply(Request{Op::State, {"new@x", "2", "", ""}}, host).text,
              "too many contacts (limit 256)");
    EXPECT_EQ(state.ContactCount(), 256u);

    for (int k = 0; k < 1000; ++k)
        state.LogCall("call " + std::to_string(k));
    ASSERT_EQ(state.CallLog().size(), 1000u);
    EXPECT_EQ(state.CallLog().front(), "call 0");
    state.LogCall("call 1000");
    EXPECT_EQ(state.CallLog().front(), "call 1"); // the oldest went
}

} // namespace
