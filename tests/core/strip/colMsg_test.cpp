#include <gtest/gtest.h>

#include "StripFixture.h"

namespace {

using fakes::FakeDisplay;
using fakes::FakeSurface;
using Op = FakeSurface::Op;

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
        float display, startLeft, speed;
        float left;
        std::size_t count;
        float lastGap;
    } rows[] = {
        {"resting: one tail as wide as the display", {400}, 400, 0, 10, 0, 1, 400},
        {"one tail just short of the display moves and fills",
         {399.5f},
         400,
         0,
         10,
         -10,
         1,
         410.5f},
        {"first item dropped, no fill needed", {50, 400}, 300, -45, 10, -5, 1, 400},
        {"span ending exactly at the left edge stays", {60, 300}, 300, -50, 10, -60, 2, 300},
        {"span past the left edge goes; the rest is filled", {60, 300}, 300, -51, 10, -1, 1, 301},
        {"several dropped in one step", {10, 10, 10, 500}, 300, -5, 30, -5, 1, 500},
        {"strip ending inside grows its last tail", {100, 100}, 300, 0, 10, -10, 2, 210},
        {"fill works in whole pixels", {100, 100.25f}, 300, 0, 10, -10, 2, 210.25f},
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
        if (r.startLeft != 0) {
            strip.Item(strip.Count())->SetWhiteSpace(r.widths.back() + 100000);
            Shift(strip, display, -r.startLeft);
            strip.Item(strip.Count())->SetWhiteSpace(r.widths.back());
        }
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

TEST_F(Strip, EmptyStripOnlyMovesItsLeftEdge) {
    gb::colMsg strip(host, surfaces);
    FakeDisplay display(300, 20);
    strip.MoveOn(display);
    strip.MoveOn(display);
    EXPECT_FLOAT_EQ(strip.StripLeft(), -20);
    EXPECT_EQ(strip.Count(), 0u);
}

TEST_F(Strip, NewItemsEnterAtTheRightEdge) {
    gb::colMsg strip(host, surfaces);
    FakeDisplay display(300, 20);
    strip.AddString(u"hello");
    for (int i = 0; i < 100; ++i)
        strip.MoveOn(display);
    ASSERT_EQ(strip.Count(), 1u) << "the last item rests with its tail across the display";
    const float rest = strip.StripLeft();
    strip.MoveOn(display);
    EXPECT_FLOAT_EQ(strip.StripLeft(), rest);
    strip.AddString(u"next");
    const float edge = strip.StripLeft() + strip.Item(1)->Width();
    EXPECT_GE(edge, 300.0f);
    EXPECT_LT(edge, 301.0f);
    strip.MoveOn(display);
    ASSERT_EQ(strip.Count(), 2u);
    EXPECT_FLOAT_EQ(strip.StripLeft() + strip.Item(1)->Width(), edge - 10) << "scrolls again";
    EXPECT_FLOAT_EQ(strip.Item(2)->WhiteSpace(), 10) << "no fill while the strip reaches out";
}

TEST_F(Strip, ClickGoesToTheItemUnderThePointer) {
    gb::colMsg strip(host, surfaces);
    const messenger::WindowHandle windows[] = {1, 2, 3};
    for (auto h : windows)
        strip.AddString(u"").SethWnd(h);
    strip.Item(1)->SetWhiteSpace(30);
    strip.Item(2)->SetWhiteSpace(20);
    strip.Item(3)->SetWhiteSpace(500);
    FakeDisplay display(300, 20);
    Shift(strip, display, 10); // StripLeft -10: spans [-10,20] [20,40] [40,540]
    const struct {
        float x;
        std::string front; // empty: nothing clicked
    } rows[] = {
        {-50, "front 1"},   {20, "front 1"},  {20.5f, "front 2"}, {40, "front 2"},
        {40.5f, "front 3"}, {540, "front 3"}, {540.5f, ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.x);
        host.windowCalls.clear();
        strip.MouseDown(r.x, 1000);
        if (r.front.empty()) {
            EXPECT_TRUE(host.windowCalls.empty());
        } else {
            ASSERT_FALSE(host.windowCalls.empty());
            EXPECT_EQ(host.windowCalls.back(), r.front);
        }
    }
}

TEST_F(Strip, CountsAndIndicesBeyondSixteenBits) {
    gb::colMsg strip(host, surfaces);
    for (int i = 0; i < 40000; ++i)
        strip.AddEmo(static_cast<std::uint8_t>(i % 44), i + 1);
    EXPECT_EQ(strip.Count(), 40000u);
    EXPECT_EQ(strip.Item(40000)->As<gb::clsEmo>()->hWnd(), 40000);
    EXPECT_EQ(strip.Item(0), nullptr);
    // A click on the 35,000th item (29 pixels each).
    strip.MouseDown(29.0f * 34999 + 5, 0);
    EXPECT_EQ(host.windowCalls.back(), "front 35000");
    EXPECT_TRUE(strip.Remove(32768));
    EXPECT_FALSE(strip.Remove(40000));
    EXPECT_EQ(strip.Item(32768)->As<gb::clsEmo>()->hWnd(), 32769);
    std::size_t n = 0;
    for (const gb::clsItem& item : strip)
        n += item.Kind() == gb::ItemKind::Emo;
    EXPECT_EQ(n, 39999u);
}

TEST_F(Strip, FirstSizingKeepsThePositionLaterOnesKeepTheRightEdge) {
    gb::colMsg strip(host, surfaces);
    Fill(strip, {500, 500});
    FakeDisplay display(300, 20);
    Shift(strip, display, 7);
    strip.DisplayOn(display, false);
    EXPECT_FLOAT_EQ(strip.StripLeft(), -7);
    EXPECT_EQ(surfaces.canvas->Width(), 300);
    EXPECT_EQ(surfaces.canvas->Height(), 20);
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
        int textY; // 12 points: a 16-pixel cell
        int emoY;
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
        const auto blts = surfaces.emoticons->Only(Op::BltTo);
        ASSERT_EQ(blts.size(), 1u);
        EXPECT_EQ(blts[0].b, r.emoY);
    }
}

TEST_F(Strip, FrameIsDrawnByKindThenFramedThenPresentedOnce) {
    settings().Says = u"says:";
    gb::colMsg strip(host, surfaces);
    strip.AddSays(u"Ann", 5);                                      // "Ann says:" 54 + 10
    strip.AddMsg(u"hi:)", u"Tahoma", 0x00AA00, 5);                 // "hi" 16 + 10, emo 19 + 10
    strip.AddAction(gb::actUnreadMail, 2).SetTextColor(0x0000FF);  // 26 chars
    strip.Item(2)->As<gb::clsString>()->TextFont()->SetBold(true); // 18 + 10
    FakeDisplay display(400, 20);
    Shift(strip, display, 0.5f); // items at -0.5, 63.5, 91.5, 120.5
    strip.DisplayOn(display, true);

    const auto& calls = surfaces.canvas->calls;
    ASSERT_EQ(display.presented.size(), 1u);
    EXPECT_EQ(display.presented[0], surfaces.canvas);
    ASSERT_EQ(display.callsAtPresent[0], calls.size()) << "nothing drawn after presenting";
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[1].op, Op::Clear);
    const auto& frame = calls.back();
    EXPECT_EQ(frame.op, Op::DrawRect);
    EXPECT_EQ(std::vector<int>({frame.a, frame.b, frame.c, frame.d}),
              std::vector<int>({0, 0, 399, 19}));

    const auto texts = surfaces.canvas->Only(Op::DrawTxt);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, u"Ann says:");
    EXPECT_EQ(texts[0].a, 0) << "-0.5 rounds to even";
    EXPECT_EQ(texts[0].color, 0x7F7F7Fu);
    EXPECT_EQ(texts[0].font.Name(), u"Arial");
    EXPECT_FALSE(texts[0].font.Bold());
    EXPECT_EQ(texts[1].text, u"hi");
    EXPECT_EQ(texts[1].a, 64) << "63.5 rounds to even";
    EXPECT_EQ(texts[1].color, 0x00AA00u);
    EXPECT_EQ(texts[1].font.Name(), u"Tahoma");
    EXPECT_TRUE(texts[1].font.Bold());
    EXPECT_EQ(texts[2].text, u"You've got 2 unread mail(s).");
    EXPECT_EQ(texts[2].a, 120) << "120.5 rounds to even";
    EXPECT_TRUE(texts[2].font.Underline());
    EXPECT_EQ(texts[2].color, 0x0000FFu);

    const auto blts = surfaces.emoticons->Only(Op::BltTo);
    ASSERT_EQ(blts.size(), 1u);
    EXPECT_EQ(blts[0].destination, surfaces.canvas);
    EXPECT_EQ(std::vector<int>({blts[0].a, blts[0].c, blts[0].d, blts[0].e, blts[0].f}),
              std::vector<int>({92, 171, 0, 19, 19}));
}

TEST_F(Strip, OnlyTheVisibleItemsAreDrawn) {
    gb::colMsg strip(host, surfaces);
    for (int i = 0; i < 1000; ++i)
        strip.AddString(u"abcd"); // 34 pixels each
    FakeDisplay display(100, 20);
    Shift(strip, display, 40); // spans start at -40, -6, 28, 62, 96, 130
    // Keep the first item although it has passed: it must still be skipped.
    strip.DisplayOn(display, false);
    const auto texts = surfaces.canvas->Only(Op::DrawTxt);
    std::vector<int> xs;
    for (const auto& t : texts)
        xs.push_back(t.a);
    EXPECT_EQ(xs, (std::vector<int>{-6, 28, 62, 96}));
}

TEST_F(Strip, EmptyStripShowsAClearedFramedCanvas) {
    gb::colMsg strip(host, surfaces);
    FakeDisplay display(50, 10);
    strip.DisplayOn(display, true);
    std::vector<Op> ops;
    for (const auto& c : surfaces.canvas->calls)
        ops.push_back(c.op);
    EXPECT_EQ(ops, (std::vector<Op>{Op::Resize, Op::Clear, Op::DrawRect}));
    EXPECT_EQ(display.presented.size(), 1u);
}

} // namespace
