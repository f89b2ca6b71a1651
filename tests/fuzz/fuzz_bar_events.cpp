// The bar's three messenger events, with everything the messenger answers taken from the
// input (counts, states, addresses, nicknames, headers, texts, failing calls, the user's
// status) and the user's settings too, into a real strip; its items are checked against what
// the events must and must not add, and the messenger fakes throw when a walk of one of their
// lists goes on past an item that could not be read.
#include <fuzzer/FuzzedDataProvider.h>

#include <set>

#include "FuzzCheck.h"
#include "app/modMain.h"
#include "app/modSettings.h"
#include "bar/BarEvents.h"
#include "fakes/FakeMessenger.h"
#include "fakes/FakeStripHost.h"
#include "strip/colMsg.h"

namespace {

using messenger::WindowHandle;

struct Input : FuzzedDataProvider {
    using FuzzedDataProvider::FuzzedDataProvider;
    bool OneIn(int n) { return ConsumeIntegralInRange<int>(0, n - 1) == 0; }
    std::int32_t Small(std::int32_t most) {
        return ConsumeBool() ? ConsumeIntegralInRange<std::int32_t>(0, most)
                             : ConsumeIntegral<std::int32_t>();
    }
    std::u16string Text(std::size_t most) {
        std::u16string text;
        for (const char c : ConsumeRandomLengthString(most))
            text.push_back(static_cast<unsigned char>(c));
        return text;
    }
    // Mostly within low..high; sometimes any number, or a call that fails.
    std::optional<std::int32_t> Number(std::int32_t low, std::int32_t high) {
        const int pick = ConsumeIntegralInRange<int>(0, 5);
        if (pick == 0) return std::nullopt;
        return pick == 1 ? ConsumeIntegral<std::int32_t>() : ConsumeIntegralInRange(low, high);
    }
    // Unreadable, the mail service, empty, any text, or one of a few buddies, so that texts
    // repeat a sender and sessions match windows.
    std::optional<std::u16string> Address() {
        const int pick = ConsumeIntegralInRange<int>(0, 7);
        if (pick == 0) return std::nullopt;
        if (pick < 3) return pick == 1 ? u"Hotmail" : u"";
        if (pick == 3) return Text(12);
        const int buddy = ConsumeIntegralInRange<int>(0, 3);
        return u"b" + std::u16string(1, static_cast<char16_t>(u'0' + buddy)) + u"@example.com";
    }
    // Some of the buddies (or unreadable ones); the count may be claimed or fail.
    void Participants(fakes::FakeContactList& list, const std::vector<messenger::ContactPtr>& of) {
        for (int n = ConsumeIntegralInRange<int>(0, 3); n > 0; --n)
            list.contacts.push_back(OneIn(10) ? nullptr : of[ConsumeIntegralInRange<int>(0, 3)]);
        if (OneIn(8)) list.claimedCount = Number(-2, 300);
        list.countFails = OneIn(16);
    }
};

// The addresses of a list as far as the messenger tells them; empty when its count cannot be
// read or is no count the bar walks (0 to 256), or an item it counts cannot be read.
std::optional<std::vector<std::u16string>> Addresses(const fakes::FakeContactList& list) {
    const auto count = list.countFails ? -1 : list.claimedCount.value_or(std::ssize(list.contacts));
    if (count < 0 || count > 256 || count > std::ssize(list.contacts)) return std::nullopt;
    std::vector<std::u16string> out;
    for (std::int64_t i = 0; i < count; ++i) {
        const auto& c = list.contacts[static_cast<std::size_t>(i)];
        if (!c || !c->EmailAddress()) return std::nullopt;
        out.push_back(*c->EmailAddress());
    }
    return out;
}

WindowHandle HandleOf(const gb::clsItem& item) {
    if (const auto* s = item.As<gb::clsString>()) return s->hWnd();
    if (const auto* e = item.As<gb::clsEmo>()) return e->hWnd();
    if (const auto* y = item.As<gb::clsSays>()) return y->hWnd();
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    fakes::FakeStripHost host;
    auto& s = host.record = {};
    s.NameMode = in.Small(3);
    s.ShowSaysOnce = in.ConsumeBool(), s.ShowEmo = in.ConsumeBool();
    s.ShowSignInOut = in.ConsumeBool(), s.Says = in.Text(8);
    s.PlaceHolder = in.ConsumeBool() ? u"#" : in.Text(3);
    s.UnreadMail = in.Text(16), s.BuddyLogon = in.Text(8), s.BuddyLogoff = in.Text(8);

    fakes::FakeSurfaceFactory surfaces;
    fakes::FakeMessengerFactory factory;
    gb::colMsg strip(host, surfaces);
    host.barStrip = &strip;
    host.messenger = &factory;
    gb::BarEvents events([&] { return host.barStrip; }, factory, host.record);

    // The messenger: buddies, open conversation windows, the failures of its calls.
    std::vector<std::shared_ptr<fakes::FakeContact>> buddies;
    for (int i = 0; i < 4; ++i) {
        const auto address = in.Address();
        buddies.push_back(fakes::Contact(
            address, in.ConsumeBool() ? in.Text(10) : std::optional<std::u16string>()));
    }
    const std::vector<messenger::ContactPtr> contacts(buddies.begin(), buddies.end());
    factory.absent = in.OneIn(8);
    factory.app->windowsFail = in.OneIn(16);
    auto& windowList = *factory.app->windows;
    for (int n = in.ConsumeIntegralInRange<int>(0, 4); n > 0; --n) {
        auto window = in.OneIn(10) ? nullptr : std::make_shared<fakes::FakeConversationWindow>();
        if (window && in.OneIn(10)) window->session = nullptr;
        if (window && window->session) in.Participants(*window->session->participants, contacts);
        if (window) window->hwnd = in.Number(-1, 20);
        windowList.windows.push_back(window);
    }
    if (in.OneIn(8)) windowList.claimedCount = in.Number(-2, 300);
    windowList.countFails = in.OneIn(16);
    if (in.OneIn(8)) windowList.shrinkAfter = in.ConsumeIntegralInRange<int>(0, 4);

    std::set<WindowHandle> given; // every handle given to an item
    int cleared = 0;
    for (int e = in.ConsumeIntegralInRange<int>(1, 8); e > 0 && in.remaining_bytes() > 0; --e) {
        const std::size_t before = strip.Count();
        const std::u16string prevBuddy = events.PrevBuddy;
        const auto windowsBefore = windowList.windows;
        const auto session = std::make_shared<fakes::FakeSession>();

        const int kind = in.ConsumeIntegralInRange<int>(0, 2);
        [&] {
            if (kind == 0) { // a received text
                in.Participants(*session->participants, contacts);
                const auto& sender = buddies[in.ConsumeIntegralInRange<std::size_t>(0, 3)];
                const int form = in.ConsumeIntegralInRange<int>(0, 3);
                const std::u16string header = form == 0   ? u""
                                              : form == 1 ? in.Text(40)
                                                          : u"X-MMS-IM-Format: FN=" + in.Text(12) +
                                                                u"; EF=; CO=" + in.Text(6) +
                                                                u"; CS=0; PF=22\r\n";
                const std::u16string text = in.Text(48);
                events.OnTextReceived(session, sender, header, text);

                std::u16string folded = text;
                modMain::DecodeUtf8Text(folded);
                const std::u16string address = sender->emailAddress.value_or(u"");
                if (address == u"Hotmail" || header.empty() || folded.empty())
                    return Check(strip.Count() == before && events.PrevBuddy == prevBuddy);
                const bool named = address.empty() || prevBuddy != address || !s.ShowSaysOnce;
                Check(events.PrevBuddy == (named ? address : prevBuddy) && strip.Count() > before);
                // One handle for the whole text: 0, or that of a window whose participants are
                // the session's in the same order.
                const WindowHandle h = HandleOf(*strip.Item(before + 1));
                const auto wanted = Addresses(*session->participants);
                bool matched = h == 0;
                for (const auto& w : windowsBefore)
                    matched = matched || (wanted && w && w->session && w->hwnd == h &&
                                          Addresses(*w->session->participants) == wanted);
                Check(matched && (h == 0 || (h > 0 && wanted)));
                for (std::size_t i = before + 1; i <= strip.Count(); ++i)
                    Check(HandleOf(*strip.Item(i)) == h);
                given.insert(h);
                return;
            }
            if (kind == 1) { // a contact's state
                const auto& user = buddies[in.ConsumeIntegralInRange<std::size_t>(0, 3)];
                const std::int32_t previous = in.Small(3);
                user->state = in.Number(0, 3);
                factory.messenger->myStatus = in.Number(0, 3);
                return events.OnUserStateChanged(user, previous);
            }
            // The unread-mail count: a line for the inbox when there is some.
            const std::int32_t folder = in.Number(-1, 2).value_or(0);
            const std::int32_t count = in.Number(-1, 12).value_or(1);
            events.OnUnreadEmailChanged(folder, count);
            Check(strip.Count() == before + (folder == 0 && count > 0 ? 1 : 0));
        }();
        // The strip's notification lines make the bar forget the last buddy.
        if (std::exchange(cleared, host.prevBuddyCleared) != cleared) events.PrevBuddy.clear();
    }

    // The strip then scrolls, draws and takes a click, which acts only on handles it was given.
    fakes::FakeDisplay display(300, 20);
    for (int i = 0; i < 3; ++i)
        strip.MoveOn(display), strip.DisplayOn(display, true);
    strip.MouseDown(in.ConsumeFloatingPointInRange<float>(-10, 400), 0);
    for (const std::string& call : host.windowCalls) {
        const WindowHandle h = std::stoi(call.substr(call.find(' ') + 1));
        Check(h > 0 && given.count(h) != 0);
    }
    return 0;
}
