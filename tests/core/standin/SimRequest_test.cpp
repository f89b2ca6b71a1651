#include "SimRequest.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;
using msgrsim::Op;
using msgrsim::Request;

// Requests come from any process that finds the window: anything malformed is refused whole
// and unanswered, and so is anything whose answer would go to the stand-in's own thread (it
// would answer itself); an answer is never taken for a request.
TEST(StandInRequest, WhatTheControlWindowCarriesOut) {
    using msgrsim::ReplyWindow;
    const auto mail = static_cast<std::uint64_t>(Op::Mail);
    const auto malformed = msgrsim::kResultMalformed;
    const std::string ok = "3\0000\0"s, huge = std::string(msgrsim::kMaxRequestBytes, 'x') + "\0"s;
    // result: 0 with a request to carry out (the tag is Mail's), else refused at once.
    const std::tuple<std::uint64_t, std::optional<std::string>, ReplyWindow, std::intptr_t> rows[] =
        {
            {mail, ok, ReplyWindow::Foreign, 0},
            {msgrsim::kReplyTag, ok, ReplyWindow::Foreign, 0},
            {mail + (1ull << 32), ok, ReplyWindow::Foreign, 0},
            {mail, std::nullopt, ReplyWindow::Foreign, malformed},
            {mail, "3\0000"s, ReplyWindow::Foreign, malformed},
            {static_cast<std::uint64_t>(Op::Status), huge, ReplyWindow::Own,
             msgrsim::kResultTooLong},
        };
    for (const auto& [tag, data, to, result] : rows) {
        SCOPED_TRACE(testing::Message() << tag << " " << static_cast<int>(to));
        const auto screened = msgrsim::ScreenCopyData(tag, data, to);
        EXPECT_EQ(screened.result, result);
        EXPECT_EQ(screened.request, result == 0 && tag == mail
                                        ? std::optional(Request{Op::Mail, {"3", "0"}})
                                        : std::nullopt);
    }
    EXPECT_EQ(msgrsim::DecodeRequest(static_cast<std::uint32_t>(Op::State), "b\0002\0\0\0"s),
              (Request{Op::State, {"b", "2", "", ""}})); // empty arguments are arguments
}

} // namespace
