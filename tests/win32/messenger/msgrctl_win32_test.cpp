#include <windows.h>

#include <gtest/gtest.h>

#include "SimProtocol.h"
#include "StandIn_win32.h"
#include "messenger/MessengerLink_win32.h"

namespace {

using standin::RunController;

struct Row {
    const char* name;
    std::vector<std::wstring> args;
    DWORD exitCode;
    const char* message; // expected within the error output (or the output for exit 0)
};

void Check(const Row& row) {
    SCOPED_TRACE(row.name);
    standin::Run run;
    switch (row.args.size()) { // RunController takes an initializer list
    case 0:
        run = RunController({});
        break;
    case 1:
        run = RunController({row.args[0]});
        break;
    case 2:
        run = RunController({row.args[0], row.args[1]});
        break;
    default:
        run = RunController({row.args[0], row.args[1], row.args[2]});
        break;
    }
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
    const std::string& where = row.exitCode == 0 ? run.out : run.err;
    EXPECT_NE(where.find(row.message), std::string::npos) << where;
}

// Arguments are checked before the stand-in is looked for: the same answers whether a
// program with it runs or not. Runs while none does (no stand-in object in this process).
TEST(Controller, ErrorsWithoutAProgram) {
    const Row rows[] = {
        {"no command", {}, 2, "no command given"},
        {"unknown command", {L"frob"}, 2, "unknown command frob"},
        {"missing argument", {L"state", L"bob@example.com"}, 2, "state takes 2 arguments, got 1"},
        {"count not a number", {L"mail", L"lots"}, 2, "the count must be a whole number"},
        {"unknown state", {L"status", L"sleepy"}, 2, "unknown state sleepy"},
        {"empty participant", {L"open", L"a@example.com,"}, 2, "addresses separated by commas"},
        {"unknown option", {L"log", L"--verbose"}, 2, "unknown option --verbose"},
        {"option without value", {L"mail", L"1", L"--folder"}, 2, "--folder needs a value"},
        {"help", {L"--help"}, 0, "msgrctl text FROM TEXT"},
        {"no program", {L"log"}, 1, "no program with the stand-in messenger is running"},
        {"no program, demo", {L"demo", L"--pace", L"0"}, 1, "no program with the stand-in"},
    };
    for (const auto& row : rows)
        Check(row);
}

TEST(Controller, AnswersAndRefusalsOfARunningStandIn) {
    standin::Registered registered;
    ASSERT_TRUE(registered.ok);
    standin::RecordingEvents events;
    messenger::MessengerLink link(events);
    ASSERT_TRUE(link.TryAttach());
    const Row rows[] = {
        {"close what is not open",
         {L"close", L"nobody@example.com"},
         3,
         "refused: no open conversation with nobody@example.com"},
        {"open", {L"open", L"gil@example.com"}, 0, ""},
        {"show",
         {L"show"},
         0,
         "status: online\ncontacts:\n  gil@example.com \"gil@example.com\" offline\n"
         "conversations:\n  (gil@example.com) window "},
        {"log", {L"log"}, 0, "conversation opened (gil@example.com)\n"},
        {"close", {L"close", L"gil@example.com"}, 0, ""},
    };
    for (const auto& row : rows)
        Check(row);
    EXPECT_EQ(::FindWindowW(L"MsgrSimConversation", L"gil@example.com - Conversation"), nullptr);
}

} // namespace

namespace {

// The demo plays against a running stand-in: every step of the script arrives as its event,
// in order, with the sign-ins and sign-outs the bar turns into lines.
TEST(Controller, DemoPlaysEveryStep) {
    standin::Registered registered;
    ASSERT_TRUE(registered.ok);
    standin::RecordingEvents events;
    messenger::MessengerLink link(events);
    ASSERT_TRUE(link.TryAttach());
    const auto run = RunController({L"demo", L"--pace", L"0"});
    EXPECT_EQ(run.exitCode, 0u) << run.err;

    std::vector<std::string> expected;
    for (const auto& step : msgrsim::DemoScript()) {
        const auto& verb = step.args[0];
        if (verb == u"text") expected.push_back("text");
        if (verb == u"state") expected.push_back("state");
        if (verb == u"mail") expected.push_back("mail");
    }
    std::vector<std::string> kinds;
    int signIns = 0, signOuts = 0;
    for (const auto& e : events.events) {
        kinds.push_back(e.kind);
        if (e.kind == "state" && e.previous == 1 && e.state == 2) ++signIns;
        if (e.kind == "state" && e.previous > 1 && e.state == 1) ++signOuts;
    }
    EXPECT_EQ(kinds, expected);
    EXPECT_GE(signIns, 2);
    EXPECT_GE(signOuts, 2);
}

} // namespace
