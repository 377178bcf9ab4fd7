// Figures of the polling under Wine, with the real polling thread, the real
// hidden windows and the kit stand-in:
//   - press-to-input latency: from setting an input in the stand-in's control
//     to the target window receiving the button-down, over many presses;
//   - the poll period: the time between two reads of the polling thread,
//     beside that of a thread that only waits 20 ms in a loop;
//   - the polling thread's CPU time per minute, idle and with a sensor held;
//   - the process's working set;
//   - the pointer moved by a held direction sensor: the updates per second,
//     the largest step, the time from the press to the first move and from
//     the release to the last, and the polling thread's CPU while idle with
//     a direction sensor configured.
// It prints figures and fails on nothing.
//
//   kontakta_bench [presses] [seconds per CPU measurement]
#include <windows.h>
#include <process.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "Fakes.h"
#include "KitSimControl.h"
#include "TestState.h"
#include "TestSupport.h"
#include "app/CMsgBox.h"
#include "app/Sounds.h"
#include "sensors/CActionControl.h"
#include "sensors/CIoControl.h"
#include "sensors/CManager.h"
#include "sensors/KitLibrary.h"
#include "sensors/Win32Actions.h"
#include "sensors/Win32Pointer.h"
#include "win/Handle.h"

using namespace kontakta;

namespace {

class StandInCounter : public InterfaceCounter {
public:
    int32_t CountMatchingInterfaces() override { return 1; }
};

// Notes when the polling thread hands the button-down to the system.
class TimedInput : public InputSink {
public:
    explicit TimedInput(InputSink& target) : target(target) {}
    bool SendMouseButton(uint32_t flags) override
    {
        if (flags == MouseFlags::LeftDown) sentAt = testsupport::NowMilliseconds();
        return target.SendMouseButton(flags);
    }
    bool SendKey(uint8_t virtualKey, bool down) override { return target.SendKey(virtualKey, down); }
    std::atomic<double> sentAt{0};

private:
    InputSink& target;
};

// Notes every move the polling thread hands to the system, with its time.
class TimedPointer : public Win32Pointer {
public:
    struct Move {
        double time;
        kontakta::Point to;
    };
    bool MoveTo(const kontakta::PixelRect& desktop, kontakta::Point position) override
    {
        if (moves.size() < moves.capacity()) moves.push_back({testsupport::NowMilliseconds(), position});
        return Win32Pointer::MoveTo(desktop, position);
    }
    std::vector<Move> moves;  // room reserved before the thread runs; only that thread writes
};

// The moments of a thread's cycles, noted by that one thread into room
// reserved beforehand; read once the thread has ended.
class CycleTimes {
public:
    explicit CycleTimes(size_t capacity) : times(capacity) {}
    void Note()
    {
        const size_t index = count.load(std::memory_order_relaxed);
        if (index == times.size()) return;
        times[index] = testsupport::NowMilliseconds();
        count.store(index + 1, std::memory_order_release);
    }
    std::vector<double> Periods() const
    {
        std::vector<double> periods;
        for (size_t i = 1; i < count.load(std::memory_order_acquire); ++i) periods.push_back(times[i] - times[i - 1]);
        return periods;
    }

private:
    std::vector<double> times;
    std::atomic<size_t> count{0};
};

// The box as the polling thread reads it, noting the moment of every read.
class TimedSource : public SensorSource {
public:
    explicit TimedSource(SensorSource& source) : source(source) {}
    bool ReadInputs(uint32_t& value, DeviceKind& kind) override
    {
        reads.Note();
        return source.ReadInputs(value, kind);
    }
    CycleTimes reads{200000};

private:
    SensorSource& source;
};

const char* PacingName(CManager::Pacing pacing)
{
    switch (pacing) {
    case CManager::Pacing::HighResolutionTimer: return "a high-resolution waitable timer";
    case CManager::Pacing::PlainTimer: return "a plain waitable timer (the high-resolution flag was refused)";
    case CManager::Pacing::TimedWait: return "a timed wait (no waitable timer)";
    default: return "not known";
    }
}

double WorkingSetMegabytes()
{
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory);
    return memory.WorkingSetSize / 1048576.0;
}

// The floor under Wine: a thread that does nothing but the 20 ms wait.
struct WaitOnly {
    HANDLE stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CycleTimes cycles{100000};
    static unsigned __stdcall Run(void* parameter)
    {
        auto* self = static_cast<WaitOnly*>(parameter);
        do {
            self->cycles.Note();
        } while (::WaitForSingleObject(self->stop, 20) == WAIT_TIMEOUT);
        return 0;
    }
};

double ThreadCpuMilliseconds(HANDLE thread)
{
    FILETIME created, exited, kernel, user;
    if (!::GetThreadTimes(thread, &created, &exited, &kernel, &user)) return -1;
    auto value = [](const FILETIME& time) {
        return (static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 10000.0;
    };
    return value(kernel) + value(user);
}

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, static_cast<size_t>(fraction * (values.size() - 1) + 0.5));
    return values[index];
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int presses = argc > 1 ? std::max(10, _wtoi(argv[1])) : 200;
    const int seconds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 20;
    const double workingSetAtStart = WorkingSetMegabytes();

    kitsim::Control* control = kitsim::OpenControl();
    if (!control) {
        std::fprintf(stderr, "the kit stand-in's control could not be opened\n");
        return 1;
    }
    kitsim::ResetControl(*control);

    Win32Input systemInput;
    TimedInput timedInput(systemInput);
    HeldInputs held(timedInput);
    Win32Sounds sounds;
    Win32Clock clock;
    Win32KeyboardSettings keyboard;
    KitLibrary kit;
    StandInCounter counter;
    NullShell shell;
    TestState state;
    state.startupPending = true;
    state.beepOnPress = 0;
    CIoControl io(kit, counter, state.readFailed);
    CActionControl actionControl(held, keyboard);
    TimedPointer pointer;
    pointer.moves.reserve(20000);
    PointerActions pointerActions(pointer, keyboard);
    ActionContext actions{held, sounds, clock, actionControl.Repeat(), shell, shell, &pointerActions};
    TimedSource timedSource(io);
    CManager manager(timedSource, actions, state.shared);

    SensorAction sensor = DefaultSensorAction(1);  // sensor 1: left press/release
    state.records.Set(0, sensor);
    // Sensor 2 moves the pointer to the right at the default speeds.
    SensorAction direction = DefaultSensorAction(2);
    direction.enabled = 1;
    state.records.Set(1, direction);
    ActionsSettings options;
    options.sensors[1] = {.group = int32_t(Group::MovePointer), .action = int32_t(PointerDirection::Right)};
    state.options.Set(options);

    testsupport::TargetWindow target;
    target.Activate();
    io.Create();
    manager.Create();
    actionControl.Create();
    state.startupPending = false;
    testsupport::Pump(200);

    // Latency: the input is set at a random moment of the 20 ms poll period.
    std::mt19937 random(1);
    std::vector<double> latencies, detections, deliveries;
    for (int press = 0; press < presses; ++press) {
        // A pause of random length with sub-millisecond resolution, so the
        // press falls at an evenly spread moment of the poll period.
        const double until = testsupport::NowMilliseconds() + 15.0 + (random() % 40000) / 1000.0;
        testsupport::PumpUntil([&] { return testsupport::NowMilliseconds() >= until - 6.0; }, 100);
        while (testsupport::NowMilliseconds() < until) {}
        target.Clear();
        timedInput.sentAt = 0;
        const double start = testsupport::NowMilliseconds();
        control->devices[0].pressed = 1;
        testsupport::PumpUntil([&] { return !target.Received().empty(); }, 2000);
        // Two presses at one place within the double-click time arrive as a
        // double click; both are the button going down.
        const UINT down = target.Received().empty() ? 0 : target.Received().front().message;
        if ((down == WM_LBUTTONDOWN || down == WM_LBUTTONDBLCLK) && timedInput.sentAt > 0) {
            latencies.push_back(target.Received().front().time - start);
            detections.push_back(timedInput.sentAt - start);
            deliveries.push_back(target.Received().front().time - timedInput.sentAt);
        }
        control->devices[0].pressed = 0;
        testsupport::PumpUntil([&] { return target.Received().size() >= 2; }, 2000);
    }

    // CPU time of the polling thread, idle and with sensor 1 held.
    auto cpuPerMinute = [&](bool holding) {
        control->devices[0].pressed = holding ? 1 : 0;
        testsupport::Pump(200);
        const double cpuStart = ThreadCpuMilliseconds(manager.ThreadHandle());
        const double wallStart = testsupport::NowMilliseconds();
        testsupport::Pump(static_cast<DWORD>(seconds) * 1000);
        const double cpu = ThreadCpuMilliseconds(manager.ThreadHandle()) - cpuStart;
        const double wall = testsupport::NowMilliseconds() - wallStart;
        control->devices[0].pressed = 0;
        return cpu * 60000.0 / wall;
    };
    const uint32_t readsBefore = control->reads;
    const double idleCpu = cpuPerMinute(false);  // with the direction sensor configured
    const double heldCpu = cpuPerMinute(true);
    const double readsPerSecond = (control->reads - readsBefore) / (2.0 * seconds + 0.4);

    WaitOnly waitOnly;
    const win::Handle waiterThread(
        reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, WaitOnly::Run, &waitOnly, 0, nullptr)));
    const HANDLE waiter = waiterThread.Get();
    const double floorStart = ThreadCpuMilliseconds(waiter);
    const double floorWallStart = testsupport::NowMilliseconds();
    testsupport::Pump(static_cast<DWORD>(seconds) * 1000);
    const double floorCpu =
        (ThreadCpuMilliseconds(waiter) - floorStart) * 60000.0 / (testsupport::NowMilliseconds() - floorWallStart);
    ::SetEvent(waitOnly.stop);
    ::WaitForSingleObject(waiter, INFINITE);

    // The pointer: sensor 2 held for 2.5 s from the left of the desktop.
    testsupport::MoveCursor({20, 300});
    pointer.moves.clear();
    const double pressedAt = testsupport::NowMilliseconds();
    control->devices[0].pressed = 2;
    testsupport::Pump(2500);
    const double releasedAt = testsupport::NowMilliseconds();
    control->devices[0].pressed = 0;
    testsupport::Pump(300);
    const std::vector<TimedPointer::Move> moves = pointer.moves;
    const double tap = double(TapMicroseconds(options.pointer)) / 1000.0;
    int motionUpdates = 0;
    double firstMotion = 0, lastMotion = 0;
    int largestStep = 0;
    std::vector<double> motionGaps;
    for (size_t i = 1; i < moves.size(); ++i) {
        largestStep = std::max(largestStep, std::abs(moves[i].to.x - moves[i - 1].to.x));
        if (moves[i].time - pressedAt < tap) continue;
        if (!motionUpdates) firstMotion = moves[i].time;
        lastMotion = moves[i].time;
        ++motionUpdates;
        if (motionUpdates > 1) motionGaps.push_back(moves[i].time - moves[i - 1].time);
    }
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);

    std::printf("Press-to-input latency over %zu presses (ms): min %.1f, median %.1f, p99 %.1f, max %.1f\n",
                latencies.size(), Percentile(latencies, 0), Percentile(latencies, 0.5), Percentile(latencies, 0.99),
                Percentile(latencies, 1));
    std::printf("Median / poll period (20 ms): %.2f\n", Percentile(latencies, 0.5) / 20.0);
    std::printf("  of which input change to SendInput (ms): median %.1f, p99 %.1f\n", Percentile(detections, 0.5),
                Percentile(detections, 0.99));
    std::printf("  of which SendInput to the target's message (ms): median %.1f, p99 %.1f\n",
                Percentile(deliveries, 0.5), Percentile(deliveries, 0.99));
    const std::vector<double> periods = timedSource.reads.Periods();
    const std::vector<double> waitOnlyPeriods = waitOnly.cycles.Periods();
    std::printf("Poll period over %zu cycles (ms): median %.2f, p99 %.2f, max %.2f; paced by %s\n", periods.size(),
                Percentile(periods, 0.5), Percentile(periods, 0.99), Percentile(periods, 1),
                PacingName(manager.PacingInUse()));
    std::printf("  a thread that only waits 20 ms in a loop, for comparison (ms): median %.2f, p99 %.2f\n",
                Percentile(waitOnlyPeriods, 0.5), Percentile(waitOnlyPeriods, 0.99));
    std::printf("Polling thread CPU per minute: idle %.0f ms (%.3f %% of one core), sensor held %.0f ms (%.3f %%)\n",
                idleCpu, idleCpu / 600.0, heldCpu, heldCpu / 600.0);
    std::printf("  a thread that only waits 20 ms in a loop, for comparison: %.0f ms (%.3f %%)\n", floorCpu,
                floorCpu / 600.0);
    std::printf("Reads per second: %.1f\n", readsPerSecond);
    std::printf("Working set: %.1f MB (peak %.1f MB); at the start of the process, before any window: %.1f MB\n",
                memory.WorkingSetSize / 1048576.0, memory.PeakWorkingSetSize / 1048576.0, workingSetAtStart);

    if (moves.empty()) {
        std::printf("Pointer: no move arrived\n");
    } else {
        std::printf(
            "Pointer, a direction sensor held %.1f s at 50 to 600 px/s over 1.5 s: press to the first move "
            "%.1f ms, release to the last move %.1f ms (one poll is 20 ms)\n",
            (releasedAt - pressedAt) / 1000.0, moves.front().time - pressedAt, moves.back().time - releasedAt);
        std::printf(
            "  moving by itself: %.0f updates a second, gap between updates (ms) median %.1f, p99 %.1f; "
            "largest step %d px (a hundredth of the top speed is %.0f px); %d px in all\n",
            motionUpdates > 1 ? (motionUpdates - 1) * 1000.0 / (lastMotion - firstMotion) : 0.0,
            Percentile(motionGaps, 0.5), Percentile(motionGaps, 0.99), largestStep,
            options.pointer.topPixelsPerSecond / 100.0, moves.back().to.x - moves.front().to.x + 1);
    }

    // The work of one cycle itself (read through the stand-in, decode,
    // compare), timed on this thread once the polling thread has ended.
    manager.StopPolling();
    SensorPoller poller(io, actions, state.shared);
    constexpr int cycles = 100000;
    state.readFailed = false;
    const uint32_t readsAtStart = control->reads;
    const double cyclesStart = testsupport::NowMilliseconds();
    for (int cycle = 0; cycle < cycles; ++cycle) poller.Cycle();
    const double cycleMicroseconds = (testsupport::NowMilliseconds() - cyclesStart) * 1000.0 / cycles;
    std::printf("One cycle's own work: %.2f us (%u reads), so %.4f %% of one core at 50 cycles a second\n",
                cycleMicroseconds, control->reads - readsAtStart, cycleMicroseconds * 50 / 1e4);

    state.startupPending = true;
    actionControl.DestroyWindow();
    manager.DestroyWindow();
    io.CloseKit();
    io.DestroyWindow();
    return 0;
}
