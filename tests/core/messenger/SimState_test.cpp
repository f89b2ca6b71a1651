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
        const char* what;
        Request request;
        bool done;
        Calls calls;
    } steps[] = {
        {"a text opens its conversation",
         Text("a@x", "hi", "a@x"),
         true,
         {"open a@x", "show 100 a@x: hi", "text 100 a@x [H] hi"}},
        {"a second text goes into it",
         Text("a@x", "again", "a@x"),
         true,
         {"show 100 a@x: again", "text 100 a@x [H] again"}},
        {"the same people in another order are another conversation",
         Text("b@x", "yo", "b@x,a@x"),
         true,
         {"open b@x,a@x", "show 101 b@x: yo", "text 101 b@x [H] yo"}},
        {"a text without a window",
         Text("c@x", "psst", "c@x", false),
         true,
         {"text 0 c@x [H] psst"}},
        {"that conversation is still not open",
         Text("c@x", "psst", "c@x", false),
         true,
         {"text 0 c@x [H] psst"}},
        {"state: previous defaults to the current one (a wrote: online)",
         Request{Op::State, {"a@x", "away", "", "Ann"}},
         true,
         {"state a@x 2->4"}},
        {"state with an explicit previous",
         Request{Op::State, {"d@x", "online", "offline", ""}},
         true,
         {"state d@x 1->2"}},
        {"mail", Request{Op::Mail, {"5", "0"}}, true, {"mail 0 5"}},
        {"status raises nothing", Request{Op::Status, {"offline"}}, true, {}},
        {"open what is open: nothing", Request{Op::Open, {"a@x"}}, true, {}},
        {"close", Request{Op::Close, {"b@x,a@x"}}, true, {"close 101"}},
        {"close what is not open", Request{Op::Close, {"b@x,a@x"}}, false, {}},
        {"a state the stand-in does not know",
         Request{Op::State, {"a@x", "zzz", "", ""}},
         false,
         {}},
    };
    msgrsim::SimState state;
    FakeSimHost host;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        host.calls.clear();
        const auto reply = state.Apply(step.request, host);
        EXPECT_EQ(reply.done, step.done) << reply.text;
        EXPECT_EQ(host.calls, step.calls);
    }
    EXPECT_EQ(state.MyStatus(), 1);
    EXPECT_EQ(state.Describe(), "status: offline\n"
                                "contacts:\n"
                                "  a@x \"Ann\" away\n"
                                "  b@x \"b@x\" online\n"
                                "  c@x \"c@x\" online\n"
                                "  d@x \"d@x\" online\n"
                                "conversations:\n"
                                "  (a@x) window 100\n");
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
    ASSERT_EQ(state.Conversations().size(), 1u);
    EXPECT_EQ(state.Conversations()[0]->window, 101);
    state.WindowClosed(0);
    EXPECT_EQ(state.Conversations().size(), 1u);

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

} // namespace
