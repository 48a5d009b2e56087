// Cost of one banner change (clock reseed, draw, four picture assignments) on
// the offscreen platform without painting, and the resident memory of the
// process after 100,000 banner changes compared with after 10. Targets: under
// 20 microseconds a change, and no growth beyond 64 KB.
#include "main_window.h"

#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <unistd.h>

namespace {

// The resident set of this process in kilobytes, or a negative value when the
// system does not tell.
double residentKilobytes()
{
    std::FILE *statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr)
        return -1;
    long size = 0;
    long resident = 0;
    const int read = std::fscanf(statm, "%ld %ld", &size, &resident);
    std::fclose(statm);
    if (read != 2)
        return -1;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1024.0;
}

// The window is hidden, so the banners are assigned but nothing is painted.
void bannerTickHidden(benchmark::State &state)
{
    lumox::frmMain window;
    // The first tick creates the picture store; measure the ticks after it.
    window.tmrAds_Timer();
    for (auto _ : state) {
        window.tmrAds_Timer();
        benchmark::DoNotOptimize(window.sponsorNumber());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(bannerTickHidden);

// The window is shown, so each change also marks the banner for repainting,
// but no event is processed and so nothing is painted.
void bannerTickShownUnpainted(benchmark::State &state)
{
    lumox::frmMain window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        state.SkipWithError("the main window was not exposed");
        return;
    }
    window.tmrAds_Timer();
    for (auto _ : state) {
        window.tmrAds_Timer();
        benchmark::DoNotOptimize(window.sponsorNumber());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(bannerTickShownUnpainted);

// A shown window that paints after every change, as the running program does;
// resident memory after 10 changes against after 100,000.
void residentMemoryOverTicks(benchmark::State &state)
{
    for (auto _ : state) {
        lumox::frmMain window;
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) {
            state.SkipWithError("the main window was not exposed");
            return;
        }
        const auto tick = [&window] {
            window.tmrAds_Timer();
            QCoreApplication::processEvents();
        };
        // The first reading costs the process memory of its own; take it
        // before the ticks so that it is not counted as growth.
        residentKilobytes();
        for (int i = 0; i < 10; ++i)
            tick();
        const double afterTen = residentKilobytes();
        for (int i = 10; i < 100000; ++i)
            tick();
        const double afterAll = residentKilobytes();
        if (afterTen < 0 || afterAll < 0) {
            state.SkipWithError("resident memory is not available");
            return;
        }
        state.counters["rss_after_10_kb"] = afterTen;
        state.counters["rss_after_100000_kb"] = afterAll;
        state.counters["growth_kb"] = afterAll - afterTen;
    }
}
BENCHMARK(residentMemoryOverTicks)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
