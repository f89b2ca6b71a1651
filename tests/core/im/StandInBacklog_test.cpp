#include "im/StandInBacklog.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

using msgrsim::Op;
using msgrsim::Request;
using Id = im::StandInBacklog::Id;

Request Text(int n) { return Request{Op::Text, {std::to_string(n)}}; }

// Stand-ins 1 and 2; each records the texts it takes, and a stand-in in `hung` times out (it
// still takes the request later, as a real one does).
struct StandIns {
    std::set<Id> hung, gone;
    std::map<Id, std::string> took;
    im::StandInBacklog backlog;

    im::StandInBacklog::SendFn Sender() {
        return [this](Id to, const Request& r) {
            took[to] += (r.op == Op::Status ? "S" : r.args[0]) + " ";
            return !hung.contains(to);
        };
    }
    void Send(std::vector<Request> requests) {
        for (Id to : {Id{1}, Id{2}})
            if (!gone.contains(to)) backlog.Send(to, requests, Sender());
    }
    void Retry() {
        backlog.Retry(
            Sender(), [this](Id id) { return !gone.contains(id); },
            [] {
                return std::vector{Request{Op::Status, {"2"}}};
            });
    }
};

// A stand-in that times out is owed the rest in order, once, while the others go on; it is
// forgotten when it is gone; past the bound it is owed the whole state instead.
TEST(StandInBacklog, OwesInOrderOnceAndTheWholeStatePastTheBound) {
    StandIns s;
    s.hung = {2};
    s.Send({Text(1), Text(2)});
    s.Send({Text(3)});
    EXPECT_EQ(s.took[1], "1 2 3 ");
    EXPECT_EQ(s.took[2], "1 "); // 1 timed out: the rest waits, unsent
    s.Retry();                  // still hung: one more tried, the rest waits
    EXPECT_EQ(s.took[2], "1 2 ");
    EXPECT_TRUE(s.backlog.Behind());
    s.hung.clear();
    s.Retry();
    s.Send({Text(4)});
    EXPECT_EQ(s.took[2], "1 2 3 4 ");
    EXPECT_FALSE(s.backlog.Behind());

    s.hung = {2};
    s.Send({Text(5)});
    s.gone = {2};
    s.Retry();
    EXPECT_FALSE(s.backlog.Behind());

    StandIns o;
    o.hung = {1, 2};
    o.Send({Text(0)});
    for (std::size_t i = 0; i < im::StandInBacklog::kMaxHeld + 1; ++i)
        o.Send({Text(1)});
    o.hung.clear();
    o.took.clear();
    o.Retry();
    EXPECT_EQ(o.took[1], "S ");
    o.Send({Text(9)});
    EXPECT_EQ(o.took[1], "S 9 ");
}

} // namespace
