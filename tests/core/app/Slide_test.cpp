#include "app/Slide.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A form that records every left edge it is given and can close itself after some steps.
struct FakeForm final : modMain::ISlideForm {
    float left;
    float width;
    int closeAfterSteps = -1;
    std::vector<float> lefts;
    int pumps = 0;

    FakeForm(float l, float w) : left(l), width(w) {}
    float Left() override { return left; }
    float Width() override { return width; }
    void SetLeft(float t) override {
        left = t;
        lefts.push_back(t);
    }
    bool RunPendingMessages() override { return ++pumps != closeAfterSteps; }
};

TEST(Slide, InPassesEvery200TwipsThenSetsTheTarget) {
    FakeForm form(5000, 3000);
    EXPECT_TRUE(modMain::SlideIn(form, 1000));
    std::vector<float> expected;
    for (float t = 4800; t >= 800; t -= 200)
        expected.push_back(t);
    expected.push_back(1000);
    EXPECT_EQ(form.lefts, expected);
    EXPECT_EQ(form.pumps, 21); // messages run after every step, not after the final set
}

TEST(Slide, InJumpsWhenAlreadyLeftOfTheTarget) {
    FakeForm form(900, 3000);
    EXPECT_TRUE(modMain::SlideIn(form, 1000));
    EXPECT_EQ(form.lefts, std::vector<float>{1000});
}

TEST(Slide, OutStepsUntilTheRightEdgeReachesZero) {
    FakeForm form(100, 300);
    EXPECT_TRUE(modMain::SlideOut(form));
    EXPECT_EQ(form.lefts, (std::vector<float>{-100, -300}));
}

TEST(Slide, StopsAtOnceWhenTheFormClosesMidway) {
    FakeForm in(5000, 3000);
    in.closeAfterSteps = 3;
    EXPECT_FALSE(modMain::SlideIn(in, 1000));
    EXPECT_EQ(in.lefts, (std::vector<float>{4800, 4600, 4400})); // no final set either

    FakeForm out(100, 3000);
    out.closeAfterSteps = 1;
    EXPECT_FALSE(modMain::SlideOut(out));
    EXPECT_EQ(out.lefts.size(), 1u);
}

} // namespace
