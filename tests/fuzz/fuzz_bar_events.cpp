// The bar's three messenger events, with everything the messenger answers taken from the
// input (counts, states, addresses, nicknames, headers, texts, failing calls, the user's
// status) and the user's settings too, into a real strip; its items are checked against what
// the events must and must not add.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/modMain.h"
#include "app/modSettings.h"
#include "bar/BarEvents.h"
#include "fakes/FakeMessenger.h"
#include "fakes/FakeStripHost.h"
#include "fakes/FakeSurface.h"
#include "strip/EmoticonTable.h"
#include "strip/colMsg.h"

namespace {

using messenger::WindowHandle;

void Check(bool holds) {
    if (!holds) __builtin_trap();
}

std::u16string Text(FuzzedDataProvider& in, std::size_t most = 24) {
    std::u16string text;
    for (const char c : in.ConsumeRandomLengthString(most))
        text.push_back(static_cast<unsigned char>(c));
    return text;
}

std::optional<std::u16string> Address(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange<int>(0, 7)) {
    case 0:
        return std::nullopt; // cannot be read
    case 1:
        return u"Hotmail";
    case 2:
        return u"";
    case 3:
        return Text(in, 12);
    default: // a few buddies, so that texts repeat a sender and sessions match windows
        return u"b" +
               std::u16string(1,
                              static_cast<char16_t>(u'0' + in.ConsumeIntegralInRange<int>(0, 3))) +
               u"@example.com";
    }
}

std::optional<std::int32_t> Number(FuzzedDataProvider& in, std::int32_t low, std::int32_t high) {
    switch (in.ConsumeIntegralInRange<int>(0, 5)) {
    case 0:
        return std::nullopt;
    case 1:
        return in.ConsumeIntegral<std::int32_t>();
    default:
        return in.ConsumeIntegralInRange<std::int32_t>(low, high);
    }
}

// A participant list of some of the buddies; its count may be claimed or fail.
void Participants(FuzzedDataProvider& in, fakes::FakeContactList& list,
                  const std::vector<std::shared_ptr<fakes::FakeContact>>& buddies) {
    for (int n = in.ConsumeIntegralInRange<int>(0, 3); n > 0; --n)
        list.contacts.push_back(
            in.ConsumeIntegralInRange<int>(0, 9) == 0
                ? nullptr
                : buddies[in.ConsumeIntegralInRange<std::size_t>(0, buddies.size() - 1)]);
    if (in.ConsumeIntegralInRange<int>(0, 7) == 0) list.claimedCount = Number(in, -2, 300);
    list.countFails = in.ConsumeIntegralInRange<int>(0, 15) == 0;
}

// The addresses of a list as far as the messenger tells them; empty when its count cannot be
// read or is no count the bar walks (0 to 256), or an item it counts cannot be read.
std::optional<std::vector<std::u16string>> Addresses(const fakes::FakeContactList& list) {
    if (list.countFails) return std::nullopt;
    const std::int64_t count =
        list.claimedCount.value_or(static_cast<std::int32_t>(list.contacts.size()));
    if (count < 0 || count > 256 || count > static_cast<std::int64_t>(list.contacts.size()))
        return std::nullopt;
    std::vector<std::u16string> out;
    for (std::int64_t i = 0; i < count; ++i) {
        const auto& c = list.contacts[static_cast<std::size_t>(i)];
        const auto address = c ? c->EmailAddress() : std::nullopt;
        if (!address) return std::nullopt;
        out.push_back(*address);
    }
    return out;
}

// Items [from, to) of the strip are what the parser makes of text (as fuzz_addmsg checks it):
// with emoticons off one run holding all of it, with them on runs and codes covering it.
void CheckCovers(const gb::colMsg& strip, std::size_t from, std::size_t to,
                 std::u16string_view text, bool showEmo) {
    if (!showEmo) {
        Check(to == from + 1 && strip.Item(to)->As<gb::clsString>() &&
              strip.Item(to)->As<gb::clsString>()->Text() == text);
        return;
    }
    std::size_t at = 0;
    for (std::size_t i = from + 1; i <= to; ++i) {
        const gb::clsItem& item = *strip.Item(i);
        if (const auto* run = item.As<gb::clsString>()) {
            Check(text.substr(at, run->Text().size()) == run->Text());
            at += run->Text().size();
        } else {
            const auto* emo = item.As<gb::clsEmo>();
            Check(emo != nullptr);
            const auto code = gb::MatchEmoticon(text.substr(at));
            Check(code && code->Cell == emo->PicNumber());
            at += code->Length;
        }
    }
    Check(at == text.size());
}

WindowHandle HandleOf(const gb::clsItem& item) {
    if (const auto* s = item.As<gb::clsString>()) return s->hWnd();
    if (const auto* e = item.As<gb::clsEmo>()) return e->hWnd();
    if (const auto* y = item.As<gb::clsSays>()) return y->hWnd();
    return 0;
}

std::u16string ReplaceAll(const std::u16string& text, const std::u16string& find,
                          const std::u16string& by) {
    if (find.empty()) return text;
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, find.size(), find) == 0) {
            out += by;
            i += find.size();
        } else {
            out.push_back(text[i++]);
        }
    }
    return out;
}

bool EndsWith(const std::u16string& text, const std::u16string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);

    auto& s = modSettings::Settings();
    s = {};
    s.NameMode = in.ConsumeBool() ? in.ConsumeIntegralInRange<std::int32_t>(0, 3)
                                  : in.ConsumeIntegral<std::int32_t>();
    s.ShowSaysOnce = in.ConsumeBool();
    s.ShowEmo = in.ConsumeBool();
    s.ShowSignInOut = in.ConsumeBool();
    s.Says = Text(in, 8);
    s.PlaceHolder = in.ConsumeBool() ? u"#" : Text(in, 3);
    s.UnreadMail = Text(in, 16);
    s.BuddyLogon = Text(in, 8);
    s.BuddyLogoff = Text(in, 8);

    fakes::FakeStripHost host;
    fakes::FakeSurfaceFactory surfaces;
    fakes::FakeMessengerFactory factory;
    gb::colMsg strip(host, surfaces);
    host.barStrip = &strip;
    host.messenger = &factory;
    gb::BarEvents events([&] { return host.barStrip; }, factory);

    // The messenger: buddies, open conversation windows, the failures of its calls.
    std::vector<std::shared_ptr<fakes::FakeContact>> buddies;
    for (int i = 0; i < 4; ++i) {
        auto buddy = fakes::Contact(Address(in),
                                    in.ConsumeBool() ? std::optional(Text(in, 10)) : std::nullopt);
        buddies.push_back(buddy);
    }
    factory.absent = in.ConsumeIntegralInRange<int>(0, 7) == 0;
    factory.app->windowsFail = in.ConsumeIntegralInRange<int>(0, 15) == 0;
    auto& windowList = *factory.app->windows;
    for (int n = in.ConsumeIntegralInRange<int>(0, 4); n > 0; --n) {
        if (in.ConsumeIntegralInRange<int>(0, 9) == 0) {
            windowList.windows.push_back(nullptr);
            continue;
        }
        auto window = std::make_shared<fakes::FakeConversationWindow>();
        if (in.ConsumeIntegralInRange<int>(0, 9) == 0)
            window->session = nullptr;
        else
            Participants(in, *window->session->participants, buddies);
        window->hwnd = Number(in, -1, 20);
        windowList.windows.push_back(window);
    }
    if (in.ConsumeIntegralInRange<int>(0, 7) == 0) windowList.claimedCount = Number(in, -2, 300);
    windowList.countFails = in.ConsumeIntegralInRange<int>(0, 15) == 0;
    if (in.ConsumeIntegralInRange<int>(0, 7) == 0)
        windowList.shrinkAfter = in.ConsumeIntegralInRange<int>(0, 4);

    std::set<WindowHandle> given; // every handle given to an item
    int cleared = 0;
    for (int e = in.ConsumeIntegralInRange<int>(1, 8); e > 0 && in.remaining_bytes() > 0; --e) {
        const std::size_t before = strip.Count();
        const std::u16string prevBuddy = events.PrevBuddy;
        const auto windowsBefore = windowList.windows;
        std::vector<fakes::WalkRecord*> lists = {&windowList};
        for (const auto& w : windowsBefore)
            if (w && w->session) lists.push_back(w->session->participants.get());
        for (fakes::WalkRecord* list : lists)
            list->itemCalls = 0;

        const auto session = std::make_shared<fakes::FakeSession>();
        switch (in.ConsumeIntegralInRange<int>(0, 2)) {
        case 0: { // a received text
            Participants(in, *session->participants, buddies);
            lists.push_back(session->participants.get());
            const auto& sender = buddies[in.ConsumeIntegralInRange<std::size_t>(0, 3)];
            std::u16string header;
            switch (in.ConsumeIntegralInRange<int>(0, 3)) {
            case 0:
                break;
            case 1:
                header = Text(in, 40);
                break;
            default:
                header = u"X-MMS-IM-Format: FN=" + Text(in, 12) + u"; EF=; CO=" + Text(in, 6) +
                         u"; CS=0; PF=22\r\n";
            }
            const std::u16string text = Text(in, 48);
            events.OnTextReceived(session, sender, header, text);

            std::u16string folded = text;
            modMain::DecodeUtf8Text(folded);
            const std::u16string address = sender->emailAddress.value_or(u"");
            if (address == u"Hotmail" || header.empty() || folded.empty()) {
                Check(strip.Count() == before && events.PrevBuddy == prevBuddy);
                break;
            }
            const bool named = address.empty() || prevBuddy != address || !s.ShowSaysOnce;
            const bool nameItems = named && s.NameMode >= 0 && s.NameMode <= 2;
            Check(events.PrevBuddy == (named ? address : prevBuddy));
            // One handle for the whole text: 0, or a window whose participants are the
            // session's in the same order; the first such window when nothing failed.
            Check(strip.Count() > before);
            const WindowHandle h = HandleOf(*strip.Item(before + 1));
            const auto wanted = Addresses(*session->participants);
            Check(h == 0 || (h > 0 && wanted));
            bool clean = !factory.absent && !factory.app->windowsFail && !windowList.countFails &&
                         !windowList.claimedCount && windowList.shrinkAfter < 0 && wanted;
            std::optional<WindowHandle> first;
            bool matched = h == 0;
            for (const auto& w : windowsBefore) {
                const auto theirs =
                    w && w->session ? Addresses(*w->session->participants) : std::nullopt;
                const bool same = theirs && theirs == wanted;
                if (w && w->hwnd == h && same) matched = true;
                if (first) continue;
                if (!w)
                    clean = false;
                else if (same && w->hwnd && *w->hwnd > 0)
                    first = *w->hwnd;
                else if (!theirs || !w->hwnd)
                    clean = false;
            }
            Check(matched);
            if (clean) Check(h == first.value_or(0));
            std::size_t says = 0;
            for (std::size_t i = before + 1; i <= strip.Count(); ++i) {
                Check(HandleOf(*strip.Item(i)) == h);
                if (strip.Item(i)->As<gb::clsSays>() && says == 0) says = i;
            }
            given.insert(h);
            if (nameItems) {
                Check(says != 0);
                const std::u16string& buddy = strip.Item(says)->As<gb::clsSays>()->Buddy();
                if (s.NameMode == 0) {
                    Check(buddy == u" ");
                    CheckCovers(strip, before, says - 1, sender->friendlyName.value_or(u""),
                                s.ShowEmo);
                    if (says - 1 > before) Check(strip.Item(says - 1)->WhiteSpace() == 0);
                } else {
                    Check(says == before + 1);
                    Check(buddy == (s.NameMode == 1 ? address : modMain::StripDomain(address)));
                }
            } else {
                Check(says == 0);
            }
            CheckCovers(strip, nameItems ? says : before, strip.Count(), folded, s.ShowEmo);
            break;
        }
        case 1: { // a contact's state
            const auto& user = buddies[in.ConsumeIntegralInRange<std::size_t>(0, 3)];
            const std::int32_t previous = in.ConsumeBool()
                                              ? in.ConsumeIntegralInRange<std::int32_t>(0, 3)
                                              : in.ConsumeIntegral<std::int32_t>();
            user->state = Number(in, 0, 3);
            factory.messenger->myStatus = Number(in, 0, 3);
            events.OnUserStateChanged(user, previous);

            const bool offline = !factory.absent && factory.messenger->myStatus == 1;
            const auto now = user->state;
            const bool signIn = previous == 1 && now == 2;
            const bool signOut = now == 1 && previous != 1 && previous != 0;
            if (offline || !s.ShowSignInOut || !(signIn || signOut)) {
                Check(strip.Count() == before);
                break;
            }
            const auto* line = strip.Item(strip.Count())->As<gb::clsAction>();
            Check(line != nullptr);
            if (s.NameMode >= 0 && s.NameMode <= 2)
                Check(EndsWith(line->Text(), signIn ? s.BuddyLogon : s.BuddyLogoff));
            if (s.NameMode == 0) {
                CheckCovers(strip, before, strip.Count() - 1, user->friendlyName.value_or(u""),
                            s.ShowEmo);
                for (std::size_t i = before + 1; i < strip.Count(); ++i)
                    Check(HandleOf(*strip.Item(i)) == -1);
            } else {
                Check(strip.Count() == before + 1);
            }
            break;
        }
        default: { // the unread-mail count
            const std::int32_t folder = Number(in, -1, 2).value_or(0);
            const std::int32_t count = Number(in, -1, 12).value_or(1);
            events.OnUnreadEmailChanged(folder, count);
            if (folder != 0 || count < 1) {
                Check(strip.Count() == before);
                break;
            }
            Check(strip.Count() == before + 1);
            const auto* line = strip.Item(strip.Count())->As<gb::clsAction>();
            const std::string digits = std::to_string(count);
            Check(line && line->Text() == ReplaceAll(s.UnreadMail, s.PlaceHolder,
                                                     std::u16string(digits.begin(), digits.end())));
        }
        }
        // No walk asks past the first item that could not be read, nor beyond the bound.
        for (const fakes::WalkRecord* list : lists)
            Check(!list->askedPastFailure && list->itemCalls <= 257);
        // The strip's notification lines make the bar forget the last buddy.
        if (host.prevBuddyCleared != cleared) {
            cleared = host.prevBuddyCleared;
            events.PrevBuddy.clear();
        }
    }

    // The strip then scrolls, draws and takes a click, which acts only on handles it was given.
    fakes::FakeDisplay display(300, 20);
    for (int i = 0; i < 3; ++i) {
        strip.MoveOn(display);
        strip.DisplayOn(display, true);
    }
    strip.MouseDown(in.ConsumeFloatingPointInRange<float>(-10, 400), 0);
    for (const std::string& call : host.windowCalls) {
        const WindowHandle h = std::stoi(call.substr(call.find(' ') + 1));
        Check(h > 0 && given.count(h) != 0);
    }
    return 0;
}
