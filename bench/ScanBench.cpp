// Figures of the scan (sensors/Scan.h), which print and fail on nothing:
//   - the chosen position against the line's drawn position at the press,
//     mean and max in pixels, for sweep times of 1 to 30 s on a desktop of
//     1920 and one of 3840 + 1920 pixels, with the scan driven by a
//     simulated clock and a simulated poll of 20 ms and of 31 ms (a 20 ms
//     wait at the default timer resolution of Windows) while the scan is
//     told 20 ms. The press begins at a random moment; the first poll that
//     sees it is the press's start; the loop wakes for each poll and when the
//     scan says it is due, and draws the view each time it wakes;
//   - what the scan costs the poll loop per cycle when no scan runs;
//   - on Windows (under Wine here), the redraws per second of a sweep with
//     the real ScanOverlay windows, paced by a high-resolution waitable
//     timer at the times the scan gives, and the cost of one redraw.
//
//   kontakta_scan_bench [presses per figure]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "sensors/Scan.h"

#ifdef _WIN32
#include <windows.h>

#include "app/ScanOverlay.h"
#endif

using namespace kontakta;

namespace {

constexpr uint64_t ms = 1000;
constexpr uint64_t startAt = 1'000'000'000;  // the simulated clock's start, far from 0

struct ErrorFigure {
    double mean = 0;
    int32_t max = 0;
    double bias = 0;  // chosen less drawn, on average: + is a stop after the drawn line
};

// Presses spread evenly over the first sweep (not its first and last poll
// periods, where the choice is held to the desktop's edge), each at a
// random phase of the poll.
ErrorFigure PositionError(const Desktop& desktop, uint32_t sweepMilliseconds, uint64_t realPoll, int presses,
                          std::mt19937_64& random)
{
    const ScanSetup setup{desktop, {sweepMilliseconds, 1500, false}, false, 20 * ms};
    const uint64_t sweep = uint64_t(sweepMilliseconds) * ms;
    std::uniform_int_distribution<uint64_t> phaseOf(0, realPoll - 1);
    ErrorFigure figure;
    int64_t total = 0, signedTotal = 0;
    constexpr int phases = 25;
    const int perPhase = std::max(1, presses / phases);
    for (int p = 0; p < phases; ++p) {
        // The loop's wakes and what it drew then, over the first sweep: the
        // same for every press at this phase of the poll.
        const uint64_t phase = phaseOf(random);
        Scan scan;
        scan.Start(startAt, setup);
        std::vector<uint64_t> wakes;
        std::vector<int32_t> drawn;
        uint64_t nextPoll = startAt + phase;
        for (uint64_t now = startAt; now < startAt + sweep;) {
            wakes.push_back(now);
            drawn.push_back(*scan.View(now).verticalX);
            if (nextPoll <= now) nextPoll += realPoll * ((now - nextPoll) / realPoll + 1);
            now = std::min(nextPoll, scan.NextDue(now).value_or(nextPoll));
        }
        std::uniform_int_distribution<uint64_t> pressOf(startAt + realPoll, startAt + sweep - 2 * realPoll);
        for (int i = 0; i < perPhase; ++i) {
            const uint64_t press = pressOf(random);
            // The first poll at or after the press sees it.
            const uint64_t seen = startAt + phase + (press - phase - startAt + realPoll - 1) / realPoll * realPoll;
            const size_t last = size_t(std::upper_bound(wakes.begin(), wakes.end(), press) - wakes.begin()) - 1;
            Scan chooser;
            chooser.Start(startAt, setup);
            chooser.Choose(seen, seen);
            const int32_t chosen = *chooser.View(seen).verticalX;
            const int32_t error = chosen - drawn[last];
            total += std::abs(error);
            signedTotal += error;
            figure.max = std::max(figure.max, std::abs(error));
        }
    }
    figure.mean = double(total) / (phases * perPhase);
    figure.bias = double(signedTotal) / (phases * perPhase);
    return figure;
}

// The poll loop's part of the scan while none runs: is one running, and
// when is it due (nothing: the loop does not wake for it).
double IdleNanosecondsPerCycle()
{
    Scan scan;
    constexpr int cycles = 20'000'000;
    volatile uint64_t sink = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < cycles; ++i) {
        const uint64_t now = startAt + uint64_t(i) * 20 * ms;
        if (scan.Active()) sink = sink + uint64_t(scan.Advance(now).event);
        sink = sink + scan.NextDue(now).value_or(0);
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double, std::nano>(elapsed).count() / cycles;
}

#ifdef _WIN32

uint64_t NowMicroseconds()
{
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return uint64_t(counter.QuadPart / frequency * 1'000'000 + counter.QuadPart % frequency * 1'000'000 / frequency);
}

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(fraction * double(values.size())))];
}

// One sweep of the vertical line across the virtual screen with the real
// overlay: the loop waits on a high-resolution waitable timer until the
// scan is due, pumping the thread's messages meanwhile (the overlay's
// windows are this thread's), and shows the view when it changed.
void OverlaySweep(ScanOverlay& overlay, uint32_t sweepMilliseconds)
{
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif
    HANDLE timer = ::CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    if (!timer) timer = ::CreateWaitableTimerW(nullptr, FALSE, nullptr);  // before Windows 10 1803
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN), top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    const Desktop desktop(
        {{left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN), top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)}});
    Scan scan;
    const uint64_t begin = NowMicroseconds();
    scan.Start(begin, {desktop, {sweepMilliseconds, 1500, false}, false, 20 * ms});
    ScanView last;
    std::vector<double> gaps, costs;
    uint64_t lastRedraw = begin;
    int redraws = 0, wakes = 0;
    const uint64_t end = begin + uint64_t(sweepMilliseconds) * ms;
    for (uint64_t now = begin; now < end; now = NowMicroseconds()) {
        ++wakes;
        const ScanView view = scan.View(now);
        if (view != last) {
            const uint64_t before = NowMicroseconds();
            overlay.Show(view);
            const uint64_t after = NowMicroseconds();
            costs.push_back(double(after - before) / 1000);
            if (redraws++) gaps.push_back(double(before - lastRedraw) / 1000);
            lastRedraw = before;
            last = view;
        }
        const uint64_t due = std::min(scan.NextDue(NowMicroseconds()).value_or(end), end);
        const uint64_t current = NowMicroseconds();
        LARGE_INTEGER relative;
        relative.QuadPart = -LONGLONG(due > current ? (due - current) * 10 : 1);  // 100 ns units, negative: relative
        ::SetWaitableTimer(timer, &relative, 0, nullptr, nullptr, FALSE);
        while (::MsgWaitForMultipleObjects(1, &timer, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        }
    }
    overlay.Hide();
    ::CloseHandle(timer);
    const double seconds = double(NowMicroseconds() - begin) / 1e6;
    const double pixelsPerSecond =
        double(desktop.Bounds().right - desktop.Bounds().left) / (sweepMilliseconds / 1000.0);
    std::printf(
        "  %2u s across %d px (%6.0f px/s): %5.1f redraws/s (%d wakes), gap median %.1f / p99 %.1f ms, "
        "one redraw median %.2f / p99 %.2f ms\n",
        sweepMilliseconds / 1000, desktop.Bounds().right - desktop.Bounds().left, pixelsPerSecond, redraws / seconds,
        wakes, Percentile(gaps, 0.5), Percentile(gaps, 0.99), Percentile(costs, 0.5), Percentile(costs, 0.99));
}

#endif

}  // namespace

namespace {

int Run(int presses)
{
    std::mt19937_64 random(20261208);
    const Desktop one({{0, 0, 1920, 1080}});
    const Desktop two({{0, 0, 3840, 2160}, {3840, 0, 5760, 1080}});
    std::printf(
        "The chosen position less the line's drawn position at the press (px), %d presses each;\n"
        "the scan is told a 20 ms poll, the loop redraws when it wakes:\n",
        presses);
    std::printf("  %-8s %-14s %-26s %-26s\n", "sweep", "desktop", "poll 20 ms: mean / max / bias",
                "poll 31 ms: mean / max / bias");
    for (const Desktop* desktop : {&one, &two}) {
        const int32_t width = desktop->Bounds().right - desktop->Bounds().left;
        for (uint32_t seconds : {1u, 3u, 6u, 15u, 30u}) {
            const ErrorFigure at20 = PositionError(*desktop, seconds * 1000, 20 * ms, presses, random);
            const ErrorFigure at31 = PositionError(*desktop, seconds * 1000, 31 * ms, presses, random);
            std::printf("  %2u s     %5d px       %5.1f / %4d / %+5.1f          %5.1f / %4d / %+5.1f\n", seconds, width,
                        at20.mean, at20.max, at20.bias, at31.mean, at31.max, at31.bias);
        }
    }
    const double idle = IdleNanosecondsPerCycle();
    std::printf(
        "No scan running: %.1f ns of the scan's per poll cycle (%.5f %% of a core at 50 Hz); "
        "nothing is due, so the loop wakes only for the poll\n",
        idle, idle * 50 / 1e7);
#ifdef _WIN32
    std::printf("A sweep with the real overlay windows (virtual screen %d x %d):\n",
                ::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
    // The windows exist before the first sweep: their creation is not a redraw.
    ScanOverlay overlay;
    Scan first;
    first.Start(0, {Desktop({{0, 0, 640, 480}}), {}, false, 20 * ms});
    overlay.Show(first.View(0));
    overlay.Hide();
    for (uint32_t seconds : {1u, 3u, 6u, 15u}) OverlaySweep(overlay, seconds * 1000);
#endif
    return 0;
}

}  // namespace

#ifdef _WIN32
// The program is built with -municode: its entry is wmain.
int wmain(int argc, wchar_t** argv)
{
    return Run(argc > 1 ? std::max(25, _wtoi(argv[1])) : 2000);
}
#else
int main(int argc, char** argv)
{
    return Run(argc > 1 ? std::max(25, std::atoi(argv[1])) : 2000);
}
#endif
