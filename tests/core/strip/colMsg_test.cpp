#include <gtest/gtest.h>

#include <functional>

#include "fakes/FakeMessenger.h"
#include "fakes/FakeStripHost.h"
#include "strip/clsAction.h"
#include "strip/clsSays.h"
#include "strip/colMsg.h"

namespace {

using fakes::FakeDisplay;
using Calls = std::vector<std::string>;
using Texts = std::vector<std::u16string>;

// A strip on a fake host and fake surfaces, with the settings a first run gives.
class Strip : public ::testing::Test {
  protected:
    Strip() { host.messenger = &factory; }
    modSettings::SettingsRecord& settings() { return host.record; }
    // Gaps make items of exact widths.
    void Fill(gb::colMsg& strip, const std::vector<float>& widths) {
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

    fakes::FakeStripHost host;
    fakes::FakeMessengerFactory factory;
    fakes::FakeSurfaceFactory surfaces;
};

// A message's runs, in the sender's face when the system has it (names match in any case,
// Arial always) and emoticons ("#" and the cell, codes in any case); the first and the last
// item keep the wide gap (10), the items between join tightly (1).
TEST_F(Strip, MessagesParseIntoRunsAndEmoticons) {
    const std::tuple<std::u16string, std::u16string, Texts, std::u16string> rows[] = {
        {u"", u"Tahoma", {}, u""},
        {u"hello", u"tahoma", {u"hello"}, u"tahoma"},
        {u":-) :-)", u"ARIAL", {u"", u"#9", u" ", u"#9"}, u"ARIAL"},
        {u"A:)B:(C", u"No Such Face", {u"A", u"#9", u"B", u"#14", u"C"}, u"Arial"},
        {u"(y) :d :D", u"", {u"", u"#0", u" ", u"#10", u" ", u"#10"}, u"Arial"},
        {u":'x:'(", u"Tahoma", {u":'x", u"#17"}, u"Tahoma"},
        {u":(K)(}){)", u"Tahoma", {u"", u"#14", u"K)", u"#7", u"{)"}, u"Tahoma"},
        {u":-$ :$", u"Tahoma", {u"", u"#18", u" :$"}, u"Tahoma"},
    };
    for (const auto& [msg, face, items, shownFace] : rows) {
        SCOPED_TRACE(std::string(msg.begin(), msg.end()));
        gb::colMsg strip(host, surfaces);
        strip.AddMsg(msg, face, 0x123456, 77);
        Texts spelled;
        for (const gb::clsItem& item : strip) {
            const auto* run = item.As<gb::clsString>();
            EXPECT_EQ(run ? run->TextFont()->Name() : shownFace, shownFace);
            const auto cell = run ? "" : std::to_string(item.As<gb::clsEmo>()->PicNumber());
            spelled.push_back(run ? run->Text() : u"#" + std::u16string(cell.begin(), cell.end()));
            const bool end = &item == &*strip.begin() || &item == strip.Item(strip.Count());
            EXPECT_EQ(item.WhiteSpace(), end ? 10 : 1);
        }
        EXPECT_EQ(spelled, items);
    }
}

// Measured in the font it is drawn in, whatever was measured before it, and only again
// when something changed: the text, the font or the DPI.
TEST_F(Strip, SaysTextFollowsTheSettingAndEveryItemIsMeasuredAgainOnlyOnAChange) {
    gb::colMsg strip(host, surfaces);
    gb::clsString& banner = strip.AddString(u"Glidebanner");
    banner.TextFont()->SetBold(true);
    banner.TextFont()->SetItalic(true);
    gb::clsSays& says = strip.AddSays(u"Ann", 0);
    const std::tuple<std::u16string, std::u16string, float> rows[] = {
        {u"says: ", u"Ann says: ", 70}, {u"", u"Ann", 28}, {u"wrote", u"Ann wrote", 64}};
    for (const auto& [setting, text, width] : rows) {
        settings().Says = setting;
        (void)banner.Width();
        EXPECT_EQ(says.Text(), text);
        EXPECT_FLOAT_EQ(says.Width(), width);
        const std::size_t measured = host.measuredIn.size();
        EXPECT_FLOAT_EQ(says.Width(), width);
        EXPECT_EQ(host.measuredIn.size(), measured);
        EXPECT_EQ(host.measuredIn.back(), gb::StdFont(u"Arial", 12));
    }
    const auto measures = [&](const std::function<void()>& change) {
        change();
        const std::size_t before = host.measuredIn.size();
        const auto shown = fakes::TextWidthIn(*banner.TextFont(), banner.Text(), host.dpi);
        EXPECT_EQ(banner.Width(), static_cast<float>(shown) + banner.WhiteSpace());
        (void)banner.Width();
        return host.measuredIn.size() - before;
    };
    EXPECT_EQ(std::vector({measures([] {}), measures([&] { banner.TextFont()->SetBold(false); }),
                           measures([&] { banner.SetText(u"Glide"); }),
                           measures([&] { host.dpi = 144; })}),
              std::vector<std::size_t>({0, 1, 1, 1}));
}

// A notification line's text comes from the settings; its click asks the messenger, and a
// messenger that is missing, absent or throws makes the click do nothing.
TEST_F(Strip, ActionTextsAndClicks) {
    enum Messenger { None, Absent, Answers, Throws };
    const auto bob = fakes::Contact(u"bob@example.org");
    const std::u16string mail = u"You've got # unread mail(s).";
    const auto on = gb::actBuddyLogon, off = gb::actBuddyLogoff, unread = gb::actUnreadMail;
    const Texts inbox = {u"OpenInbox"}, talk = {u"InstantMessage(bob@example.org)"};
    // kind, parameter, NameMode, UnreadMail, PlaceHolder; the text, the messenger, its calls.
    const std::tuple<std::int32_t, gb::ActionParameter, std::int32_t, std::u16string,
                     std::u16string, std::u16string, Messenger, Texts>
        rows[] = {
            {unread, 3, 0, mail, u"#", u"You've got 3 unread mail(s).", Answers, inbox},
            {unread, 12, 0, u"%N% new, %N% %n%", u"%N%", u"12 new, 12 %n%", Absent, {}},
            {unread, 5, 0, u"Mail #", u"", u"Mail #", None, {}},
            {on, bob, 0, mail, u"#", u" has signed in.", Answers, talk},
            {on, bob, 1, mail, u"#", u"bob@example.org has signed in.", Throws, {}},
            {off, bob, 2, mail, u"#", u"bob has signed out.", Answers, {}},
            {on, bob, 3, mail, u"#", u"", Answers, talk},
            {on, fakes::Contact(std::nullopt), 1, mail, u"#", u" has signed in.", Answers, {}},
            {on, std::monostate{}, 2, mail, u"#", u" has signed in.", Answers, {}},
            {7, 3, 0, mail, u"#", u"", Answers, {}},
        };
    for (const auto& [kind, parameter, nameMode, unreadMail, placeHolder, text, messenger, calls] :
         rows) {
        SCOPED_TRACE(std::string(text.begin(), text.end()));
        settings().NameMode = nameMode;
        settings().UnreadMail = unreadMail;
        settings().PlaceHolder = placeHolder;
        factory.messenger = std::make_shared<fakes::FakeMessenger>();
        factory.absent = messenger == Absent;
        factory.messenger->raise = messenger == Throws;
        host.messenger = messenger == None ? nullptr : &factory;
        gb::colMsg strip(host, surfaces);
        const gb::clsAction& action = strip.AddAction(kind, parameter);
        EXPECT_EQ(action.Text(), text);
        EXPECT_EQ(action.TextFont()->Underline(), kind == unread);
        EXPECT_NO_THROW(strip.MouseDown(1, 0));
        EXPECT_EQ(factory.messenger->calls, calls);
    }
}

TEST_F(Strip, MoveOnDropsAndFills) {
    // The widths, the display's, the speed; then the strip's left, its count, the last gap.
    const std::tuple<const char*, std::vector<float>, float, float, float, std::size_t, float>
        rows[] = {
            {"resting: one item as wide as the display", {400}, 400, 10, 0, 1, 400},
            {"span ending at the left edge stays", {60, 300}, 300, 60, -60, 2, 300},
            {"span past the left edge goes, the rest filled", {60, 300}, 300, 61, -1, 1, 301},
            {"several dropped in one step", {10, 10, 10, 500}, 300, 35, -5, 1, 500},
            {"fill in whole pixels", {100, 100.25f}, 300, 10, -10, 2, 210.25f},
            {"everything passed: strip empties", {20, 20}, 300, 45, -5, 0, 0},
            {"negative speed moves right", {100, 300}, 300, -10, 10, 2, 300},
        };
    for (const auto& [what, widths, width, speed, left, count, lastGap] : rows) {
        SCOPED_TRACE(what);
        gb::colMsg strip(host, surfaces);
        Fill(strip, widths);
        strip.SetScrollSpeed(speed);
        strip.MoveOn(FakeDisplay(width, 20));
        EXPECT_FLOAT_EQ(strip.StripLeft(), left);
        ASSERT_EQ(strip.Count(), count);
        EXPECT_FLOAT_EQ(count > 0 ? strip.Item(count)->WhiteSpace() : 0, lastGap);
    }
    // Beyond 2^24 a float total does not grow by 1: the fill must not spin for ever.
    gb::colMsg strip(host, surfaces);
    Fill(strip, {3.0e7f, 1.0e9f});
    FakeDisplay display(300, 20);
    Shift(strip, display, 3.0e7f - 100);
    strip.Item(2)->SetWhiteSpace(0);
    strip.MoveOn(display);
    EXPECT_EQ(strip.Count(), 2u);
}

// The item under the pointer brings its window to the front, restored first when minimised;
// a says item never hands its click over, and a handle of 0 means no window.
TEST_F(Strip, ClickBringsTheWindowOfTheItemUnderThePointer) {
    gb::colMsg strip(host, surfaces);
    host.barStrip = &strip;
    strip.AddString(u"").SethWnd(1);
    strip.AddEmo(9, 7);
    strip.AddSays(u"Ann", -1); // "Ann says: ", 60 pixels
    strip.AddString(u"").SethWnd(0);
    const float gaps[] = {30, 1, 10, 500};
    for (std::size_t i = 0; i < 4; ++i)
        strip.Item(i + 1)->SetWhiteSpace(gaps[i]);
    host.iconic = {7};
    FakeDisplay display(300, 20);
    Shift(strip, display, 10); // spans [-10,20] [20,40] [40,110] [110,610]
    const Calls one = {"iconic 1", "front 1"}, seven = {"iconic 7", "restore 7", "front 7"};
    const std::pair<float, Calls> rows[] = {
        {-50, one},   {20, one},   {20.5f, seven}, {40, seven}, {40.5f, {"iconic -1", "front -1"}},
        {110.5f, {}}, {610.5f, {}}};
    for (const auto& [x, calls] : rows) {
        host.windowCalls.clear();
        strip.MouseDown(x, 1000);
        EXPECT_EQ(host.windowCalls, calls) << x;
    }
    // Counts and positions beyond 16 bits.
    gb::colMsg many(host, surfaces);
    for (int i = 0; i < 40000; ++i)
        many.AddEmo(static_cast<std::uint8_t>(i % 44), i + 1);
    many.MouseDown(29.0f * 34999 + 5, 0); // the 35,000th item, 29 pixels each
    EXPECT_EQ(host.windowCalls.back(), "front 35000");
    EXPECT_TRUE(many.Remove(32768));
    EXPECT_FALSE(many.Remove(40000));
    EXPECT_EQ(many.Item(32768)->As<gb::clsEmo>()->hWnd(), 32769);
}

// A nickname's runs hand the click to the sign-in line after them; from any strip the
// hand-over goes to the bar's strip, past a run of hand-overs too long to walk by recursion,
// and past the last item it does nothing.
TEST_F(Strip, HandOverReachesTheNextItemOfTheBarsStrip) {
    gb::colMsg bar(host, surfaces), ticker(host, surfaces);
    host.barStrip = &bar;
    bar.AddMsg(u"Ann :) Lee", u"Arial", 0, -1);
    bar.AddAction(gb::actBuddyLogon, fakes::Contact(u"ann@example.com"));
    bar.MouseDown(40, 0);
    EXPECT_EQ(factory.messenger->calls, Texts{u"InstantMessage(ann@example.com)"});
    ticker.AddString(u"about").SethWnd(-1);
    bar.Remove(bar.Count());
    for (int i = 0; i < 200000; ++i)
        bar.AddEmo(1, -1);
    bar.AddString(u"end").SethWnd(8);
    ticker.MouseDown(1, 0);
    EXPECT_EQ(host.windowCalls, (Calls{"iconic 8", "front 8"}));
    bar.Item(bar.Count())->As<gb::clsString>()->SethWnd(-1);
    ticker.MouseDown(1, 0);
    host.barStrip = nullptr;
    ticker.MouseDown(1, 0);
    EXPECT_EQ(host.windowCalls.size(), 2u);
}

// Each kind in its own face and colour at its place (half pixels round to even) and only
// what is visible, then the frame, then one present.
TEST_F(Strip, FrameIsDrawnByKindThenFramedThenPresentedOnce) {
    settings().Says = u"says:";
    gb::colMsg strip(host, surfaces);
    strip.AddSays(u"Ann", 5);                                      // "Ann says:" 54 + 10
    strip.AddMsg(u"hi:)", u"Tahoma", 0x00AA00, 5);                 // "hi" 16 + 10, emo 19 + 10
    strip.Item(2)->As<gb::clsString>()->TextFont()->SetBold(true); // 18 + 10
    strip.AddAction(gb::actUnreadMail, 2);                         // 28 characters: 168 + 10
    for (int i = 0; i < 1000; ++i)
        strip.AddString(u"abcd"); // 34 pixels each
    FakeDisplay display(300, 23);
    Shift(strip, display, 0.5f); // items at -0.5, 63.5, 91.5, 120.5, 298.5, 332.5
    strip.DisplayOn(display, true);
    EXPECT_EQ(
        surfaces.canvas->calls,
        (Calls{"resize 23 300", "clear", "text Ann says: 0 2 Arial 7f7f7f",
               "text hi 64 2 Tahoma aa00 b", "text You've got 2 unread mail(s). 120 2 Arial ff u",
               "text abcd 298 2 Arial 0", "rect 0 0 299 22"}));
    EXPECT_EQ(surfaces.emoticons->calls, Calls{"blt 92 1 171 0 19 19"});
    EXPECT_EQ(display.callsAtPresent, std::vector<std::size_t>{7});
}

} // namespace
