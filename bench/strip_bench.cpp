// One display tick of the strip (MoveOn, then DisplayOn with the frame) on the recording
// surface, with messages waiting beyond the right edge; and what a waiting message costs in
// memory.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "StripBenchLines.h"
#include "app/modSettings.h"
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

void Settings() {
    auto& s = modSettings::Settings();
    s.ShowEmo = true;
    s.Says = u"says: ";
}

void BM_Tick(benchmark::State& state) {
    Settings();
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
        surfaces.canvas->calls.clear();
        surfaces.emoticons->calls.clear();
        display.presented.clear();
        display.callsAtPresent.clear();
        host.measuredIn.clear();
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
    Settings();
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

} // namespace

BENCHMARK_MAIN();
