// One display tick of the strip (MoveOn, then DisplayOn with the frame) on the recording
// surface, with messages waiting beyond the right edge; what a waiting message costs in
// memory; and a soak: 100,000 texts through the bar's text handler, drained at the top speed,
// with their order checked on the way in and on the way out.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include <optional>

#include "StripBenchLines.h"
#include "bar/BarEvents.h"
#include "fakes/FakeMessenger.h"
#include "fakes/FakeStripHost.h"
#include "fakes/FakeSurface.h"

namespace {
std::atomic<long long> liveBytes{0};
}

void* operator new(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    liveBytes += static_cast<long long>(malloc_usable_size(p));
    return p;
}
void operator delete(void* p) noexcept {
    if (!p) return;
    liveBytes -= static_cast<long long>(malloc_usable_size(p));
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

constexpr float kWidth = 1920;
constexpr float kHeight = 20;

// The fakes record every call for the tests; a long run must not keep them.
void ForgetRecordings(fakes::FakeStripHost& host, fakes::FakeSurfaceFactory& surfaces,
                      fakes::FakeDisplay& display) {
    surfaces.canvas->calls.clear();
    surfaces.emoticons->calls.clear();
    display.presented.clear();
    display.callsAtPresent.clear();
    host.measuredIn.clear();
}

void BM_Tick(benchmark::State& state) {
    const int waiting = static_cast<int>(state.range(0));
    fakes::FakeStripHost host;
    fakes::FakeSurfaceFactory surfaces;
    gb::colMsg strip(host, surfaces);
    stripbench::Seed(strip, waiting, kWidth);
    fakes::FakeDisplay display(kWidth, kHeight);
    const std::size_t seeded = strip.Count();
    for (auto _ : state) {
        strip.MoveOn(display);
        strip.DisplayOn(display, true);
        ForgetRecordings(host, surfaces, display);
        // Keep the visible part full, so that every queue length draws alike.
        if (strip.Count() + 10 < seeded) {
            state.PauseTiming();
            stripbench::AddMessage(strip, 1);
            state.ResumeTiming();
        }
    }
    state.counters["items"] = static_cast<double>(strip.Count());
}
BENCHMARK(BM_Tick)->Arg(0)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_MemoryPerWaitingMessage(benchmark::State& state) {
    fakes::FakeStripHost host;
    fakes::FakeSurfaceFactory surfaces;
    double perMessage = 0;
    for (auto _ : state) {
        gb::colMsg strip(host, surfaces);
        const long long before = liveBytes.load();
        for (int i = 0; i < 10000; ++i)
            stripbench::AddMessage(strip, i);
        perMessage = static_cast<double>(liveBytes.load() - before) / 10000.0;
        benchmark::DoNotOptimize(strip.Count());
    }
    state.counters["bytes_per_message"] = perMessage;
}
BENCHMARK(BM_MemoryPerWaitingMessage)->Iterations(3)->Unit(benchmark::kMillisecond);

// The number a soak text item carries, if the item is one.
std::optional<long> SoakNumber(const gb::clsItem& item) {
    const auto* s = item.As<gb::clsString>();
    if (!s || s->Text().empty()) return std::nullopt;
    long n = 0;
    for (const char16_t c : s->Text()) {
        if (c < u'0' || c > u'9') return std::nullopt;
        n = n * 10 + (c - u'0');
    }
    return n;
}

std::optional<long> FirstSoakNumber(const gb::colMsg& strip) {
    for (const gb::clsItem& item : strip)
        if (auto n = SoakNumber(item)) return n;
    return std::nullopt;
}

void BM_SoakDrain(benchmark::State& state) {
    const long kTexts = static_cast<long>(state.range(0));
    double inOrder = 0, leftInOrder = 0, ticks = 0;
    for (auto _ : state) {
        fakes::FakeStripHost host;
        fakes::FakeSurfaceFactory surfaces;
        fakes::FakeMessengerFactory factory;
        {
            gb::colMsg strip(host, surfaces);
            strip.SetScrollSpeed(100);
            host.barStrip = &strip;
            gb::BarEvents events([&host] { return host.barStrip; }, factory, host.record);
            auto sender = std::make_shared<fakes::FakeContact>(u"soak@example.com", u"Soak");
            auto session = std::make_shared<fakes::FakeSession>();
            session->participants->contacts.push_back(sender);
            const std::u16string header =
                u"MIME-Version: 1.0\r\nX-MMS-IM-Format: FN=Arial; EF=; CO=0; CS=0; PF=22\r\n\r\n";
            for (long i = 1; i <= kTexts; ++i) {
                const std::string digits = std::to_string(i);
                events.OnTextReceived(session, sender, header,
                                      std::u16string(digits.begin(), digits.end()));
            }
            long expected = 1;
            for (const gb::clsItem& item : strip)
                if (auto n = SoakNumber(item)) expected += *n == expected ? 1 : kTexts * 10;
            inOrder = expected == kTexts + 1 ? 1 : 0;

            fakes::FakeDisplay display(kWidth, kHeight);
            long last = 0;
            bool monotone = true;
            long steps = 0;
            for (auto first = FirstSoakNumber(strip); first; first = FirstSoakNumber(strip)) {
                // In order: the first text in the strip never goes back. A tick may take several
                // short texts at once, so it may go on by more than one.
                monotone = monotone && *first >= last;
                last = *first;
                const float left = strip.StripLeft();
                const std::size_t count = strip.Count();
                strip.MoveOn(display);
                // The last text rests once it alone fills the display: drained.
                if (strip.StripLeft() == left && strip.Count() == count) break;
                strip.DisplayOn(display, true);
                ForgetRecordings(host, surfaces, display);
                ++steps;
            }
            leftInOrder = monotone && last == kTexts ? 1 : 0;
            ticks = static_cast<double>(steps);
            host.barStrip = nullptr;
        }
    }
    state.counters["texts"] = static_cast<double>(kTexts);
    state.counters["entered_in_order"] = inOrder;
    state.counters["left_in_order"] = leftInOrder;
    state.counters["ticks_to_drain"] = ticks;
}
BENCHMARK(BM_SoakDrain)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
