#include <gtest/gtest.h>

#include "StripFixture.h"

namespace {

using fakes::FakeDisplay;
using Op = fakes::FakeSurface::Op;

class Strip : public StripFixture {
  protected:
    // Gaps make items of exact widths.
    void Fill(gb::colMsg& strip, std::initializer_list<float> widths) {
        for (float w : widths)
            strip.AddString(u"").SetWhiteSpace(w);
    }
    // Moves the strip by a step that neither drops nor fills.
    void Shift(gb::colMsg& strip, const FakeDisplay& display, float by) {
        const float speed = strip.ScrollSpeed();
        strip.SetScrollSpeed(by);
        strip.MoveOn(display);
        strip.SetScrollSpeed(speed);
    }
};

TEST_F(Strip, MoveOnDropsAndFills) {
    const struct {
        const char* what;
        std::vector<float> widths;
        float display, startLeft, speed, left;
        std::size_t count;
        float lastGap;
    } rows[] = {
        {"resting: tail as wide as the display", {400}, 400, 0, 10, 0, 1, 400},
        {"tail just short moves and fills", {399.5f}, 400, 0, 10, -10, 1, 410.5f},
        {"first dropped, no fill needed", {50, 400}, 300, -45, 10, -5, 1, 400},
        {"span ending at the left edge stays", {60, 300}, 300, -50, 10, -60, 2, 300},
        {"span past the left edge goes, rest filled", {60, 300}, 300, -51, 10, -1, 1, 301},
        {"several dropped in one step", {10, 10, 10, 500}, 300, -5, 30, -5, 1, 500},
        {"strip ending inside grows its tail", {100, 100}, 300, 0, 10, -10, 2, 210},
        {"fill in whole pixels", {100, 100.25f}, 300, 0, 10, -10, 2, 210.25f},
        {"everything passed: strip empties", {20, 20}, 300, -15, 30, -5, 0, 0},
        {"negative speed moves right", {100, 300}, 300, 0, -10, 10, 2, 300},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        gb::colMsg strip(host, surfaces);
        for (float w : r.widths)
            strip.AddString(u"").SetWhiteSpace(w);
        FakeDisplay display(r.display, 20);
        // Reach the starting position with a wide enough strip, then set the real widths.
        strip.Item(strip.Count())->SetWhiteSpace(r.widths.back() + 100000);
        Shift(strip, display, -r.startLeft);
        strip.Item(strip.Count())->SetWhiteSpace(r.widths.back());
        ASSERT_FLOAT_EQ(strip.StripLeft(), r.startLeft);
        strip.SetScrollSpeed(r.speed);
        strip.MoveOn(display);
        EXPECT_FLOAT_EQ(strip.StripLeft(), r.left);
        ASSERT_EQ(strip.Count(), r.count);
        if (r.count > 0) {
            EXPECT_FLOAT_EQ(strip.Item(r.count)->WhiteSpace(), r.lastGap);
        }
    }
}

TEST_F(Strip, FillEndsWhenAPixelNoLongerChangesTheTotal) {
    // Beyond 2^24 a float total does not grow by 1: the fill must not spin for ever.
    gb::colMsg strip(host, surfaces);
    Fill(strip, {3.0e7f, 1.0e9f});
    FakeDisplay display(300, 20);
    Shift(strip, display, 3.0e7f - 100);
    strip.Item(2)->SetWhiteSpace(0);
    strip.MoveOn(display);
    EXPECT_EQ(strip.Count(), 2u);
}

TEST_F(Strip, ClickGoesToTheItemUnderThePointer) {
    gb::colMsg strip(host, surfaces);
    const float widths[] = {30, 20, 500};
    for (int i = 0; i < 3; ++i)
        strip.AddString(u"").SethWnd(i + 1), strip.Item(i + 1)->SetWhiteSpace(widths[i]);
    FakeDisplay display(300, 20);
    Shift(strip, display, 10); // spans [-10,20] [20,40] [40,540]
    const struct {
        float x;
        std::string front; // empty: nothing clicked
    } rows[] = {{-50, "front 1"},   {20, "front 1"},  {20.5f, "front 2"}, {40, "front 2"},
                {40.5f, "front 3"}, {540, "front 3"}, {540.5f, ""}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.x);
        host.windowCalls.clear();
        strip.MouseDown(r.x, 1000);
        EXPECT_EQ(host.windowCalls.empty() ? "" : host.windowCalls.back(), r.front);
    }
}

TEST_F(Strip, CountsAndIndicesBeyondSixteenBits) {
    gb::colMsg strip(host, surfaces);
    for (int i = 0; i < 40000; ++i)
        strip.AddEmo(static_cast<std::uint8_t>(i % 44), i + 1);
    EXPECT_EQ(strip.Count(), 40000u);
    EXPECT_EQ(strip.Item(40000)->As<gb::clsEmo>()->hWnd(), 40000);
    strip.MouseDown(29.0f * 34999 + 5, 0); // the 35,000th item, 29 pixels each
    EXPECT_EQ(host.windowCalls.back(), "front 35000");
    EXPECT_TRUE(strip.Remove(32768));
    EXPECT_FALSE(strip.Remove(40000));
    EXPECT_EQ(strip.Item(32768)->As<gb::clsEmo>()->hWnd(), 32769);
}

TEST_F(Strip, FirstSizingKeepsThePositionLaterOnesKeepTheRightEdge) {
    gb::colMsg strip(host, surfaces);
    Fill(strip, {500, 500});
    FakeDisplay display(300, 20);
    Shift(strip, display, 7);
    strip.DisplayOn(display, false);
    EXPECT_FLOAT_EQ(strip.StripLeft(), -7);
    strip.DisplayOn(display, false);
    EXPECT_EQ(surfaces.canvas->Only(Op::Resize).size(), 1u) << "same size: no new bitmap";
    display.width = 350;
    strip.DisplayOn(display, false);
    EXPECT_FLOAT_EQ(strip.StripLeft(), 43);
    display.width = 200;
    display.height = 24.5f;
    strip.DisplayOn(display, false);
    EXPECT_FLOAT_EQ(strip.StripLeft(), -107);
    EXPECT_EQ(surfaces.canvas->Height(), 24) << "24.5 rounds to even";
}

TEST_F(Strip, VerticalPlacementRoundsHalfToEven) {
    const struct {
        float height;
        int textY, emoY; // 12 points: a 16-pixel text cell; emoticons are 19 high
    } rows[] = {{20, 1, 0}, {21, 2, 0}, {22, 2, 0}, {23, 2, 1}, {25, 4, 2}, {16, -1, -2}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.height);
        gb::colMsg strip(host, surfaces);
        strip.AddString(u"ab");
        strip.AddSays(u"Ann", 0);
        strip.AddAction(gb::actUnreadMail, 1);
        strip.AddEmo(9, 0);
        FakeDisplay display(2000, r.height);
        strip.DisplayOn(display, false);
        const auto texts = surfaces.canvas->Only(Op::DrawTxt);
        ASSERT_EQ(texts.size(), 3u);
        for (const auto& t : texts)
            EXPECT_EQ(t.b, r.textY);
        EXPECT_EQ(surfaces.emoticons->Only(Op::BltTo).at(0).b, r.emoY);
    }
}

TEST_F(Strip, FrameIsDrawnByKindThenFramedThenPresentedOnce) {
    settings().Says = u"says:";
    gb::colMsg strip(host, surfaces);
    strip.AddSays(u"Ann", 5);                                      // "Ann says:" 54 + 10
    strip.AddMsg(u"hi:)", u"Tahoma", 0x00AA00, 5);                 // "hi" 16 + 10, emo 19 + 10
    strip.AddAction(gb::actUnreadMail, 2);                         // 26 characters
    strip.Item(2)->As<gb::clsString>()->TextFont()->SetBold(true); // 18 + 10
    FakeDisplay display(400, 20);
    Shift(strip, display, 0.5f); // items at -0.5, 63.5, 91.5, 120.5
    strip.DisplayOn(display, true);

    const auto& calls = surfaces.canvas->calls;
    ASSERT_EQ(display.presented, std::vector<const gb::ISurface*>{surfaces.canvas});
    ASSERT_EQ(display.callsAtPresent[0], calls.size()) << "nothing drawn after presenting";
    EXPECT_EQ(calls[1].op, Op::Clear);
    EXPECT_EQ(calls.back().op, Op::DrawRect);
    EXPECT_EQ((std::vector<int>{calls.back().c, calls.back().d}), (std::vector<int>{399, 19}));

    const auto texts = surfaces.canvas->Only(Op::DrawTxt);
    const struct {
        std::u16string text, face;
        int x; // half pixels round to even
        gb::Color color;
        bool bold, underline;
    } rows[] = {{u"Ann says:", u"Arial", 0, 0x7F7F7F, false, false},
                {u"hi", u"Tahoma", 64, 0x00AA00, true, false},
                {u"You've got 2 unread mail(s).", u"Arial", 120, 0x0000FF, false, true}};
    ASSERT_EQ(texts.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(texts[i].text, rows[i].text);
        EXPECT_EQ(texts[i].font.Name(), rows[i].face);
        EXPECT_EQ(texts[i].a, rows[i].x);
        EXPECT_EQ(texts[i].color, rows[i].color);
        EXPECT_EQ(texts[i].font.Bold(), rows[i].bold);
        EXPECT_EQ(texts[i].font.Underline(), rows[i].underline);
    }
    const auto blts = surfaces.emoticons->Only(Op::BltTo);
    ASSERT_EQ(blts.size(), 1u);
    EXPECT_EQ(blts[0].destination, surfaces.canvas);
    EXPECT_EQ((std::vector<int>{blts[0].a, blts[0].c, blts[0].d, blts[0].e, blts[0].f}),
              (std::vector<int>{92, 171, 0, 19, 19}));
}

TEST_F(Strip, OnlyTheVisibleItemsAreDrawn) {
    gb::colMsg strip(host, surfaces);
    for (int i = 0; i < 1000; ++i)
        strip.AddString(u"abcd"); // 34 pixels each
    FakeDisplay display(100, 20);
    Shift(strip, display, 40); // spans start at -40 (passed but kept), -6, 28, 62, 96, 130
    strip.DisplayOn(display, false);
    std::vector<int> xs;
    for (const auto& t : surfaces.canvas->Only(Op::DrawTxt))
        xs.push_back(t.a);
    EXPECT_EQ(xs, (std::vector<int>{-6, 28, 62, 96}));
}

} // namespace
