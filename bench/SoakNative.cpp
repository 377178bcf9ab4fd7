// The native part of the soak, built with the program's portable core:
//   - settings files from the loader tests' generator, each checked as the
//     loader's fuzz target checks it (the target's own function, linked in);
//   - sensor edges on a real polling thread while another thread rewrites
//     the records and a third plays the key repetition's timers; after every
//     cycle that released all sensors nothing may be held. Built with
//     ThreadSanitizer, any data race ends it with a report.
// It prints figures and fails (exit code 1) on anything lost; a broken
// settings check aborts.
//
//   kontakta_soak_native [settings files] [sensor edges]
#include <atomic>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "BalanceInput.h"
#include "Fakes.h"
#include "SensorRecords.h"
#include "SettingsFileGenerator.h"
#include "TestState.h"
#include "sensors/SensorPolling.h"

using namespace kontakta;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The box as the polling thread reads it: every other read presses one to
// three sensors, the reads between release all of them. At each press read
// the release cycle before it has run to its end, so nothing may be held.
class EdgeSource : public SensorSource {
public:
    EdgeSource(const HeldInputs& held, const BalanceInput& system) : held(held), system(system) {}
    bool ReadInputs(uint32_t& value, DeviceKind& kind) override
    {
        uint32_t pressed = 0;
        if (reads++ % 2 == 0) {
            if (held.AnythingHeld() || system.AnythingDown()) ++cyclesLeavingSomethingHeld;
            const int count = 1 + static_cast<int>(random() % 3);
            for (int i = 0; i < count; ++i) pressed |= 1u << (8 + random() % sensorCount);
        }
        edges += static_cast<uint64_t>(std::popcount(pressed ^ last));
        last = pressed;
        value = ~(pressed | idCodeEightInputs);
        kind = DeviceKind::EightInputs;
        return true;
    }
    std::atomic<uint64_t> edges{0};
    std::atomic<uint64_t> cyclesLeavingSomethingHeld{0};

private:
    const HeldInputs& held;
    const BalanceInput& system;
    std::mt19937 random{20261207};
    uint64_t reads = 0;
    uint32_t last = 0;
};

struct FreeRunning : PollPacing {
    bool StopAsked() override { return stop; }
    int64_t NowMicroseconds() override { return 0; }
    bool PauseUntil(int64_t) override { return stop; }
    std::atomic<bool> stop{false};
};

}  // namespace

int main(int argc, char** argv)
{
    const long files = argc > 1 ? std::atol(argv[1]) : 500000;
    const long edgesWanted = argc > 2 ? std::atol(argv[2]) : 100000;

    auto start = std::chrono::steady_clock::now();
    std::mt19937 random(20270101);
    for (long file = 0; file < files; ++file) {
        const std::vector<uint8_t> bytes = GenerateSettingsFile(random, GeneratedSettingsFileSize(random));
        // As libFuzzer does, never a null pointer, also for an empty file.
        static const uint8_t nothing = 0;
        LLVMFuzzerTestOneInput(bytes.empty() ? &nothing : bytes.data(), bytes.size());
    }
    if (files > 0)
        std::printf(
            "Settings files from the generator, checked as the fuzz target checks them: %ld in %.0f s, "
            "no crash\n",
            files, SecondsSince(start));

    TestState state;
    state.beepOnPress = 0;
    BalanceInput system;
    HeldInputs held(system);
    NullSounds sounds;
    ShortClock clock;
    NullShell shell;
    GenerationTimers timers;
    FakeKeyboardSettings keyboard;
    KeyRepeat keys(held, keyboard, timers);
    ActionContext actions{held, sounds, clock, keys, shell, shell};
    EdgeSource source(held, system);
    SensorPoller poller(source, actions, state.shared);
    FreeRunning pacing;

    std::vector<SensorAction> variants = {
        KeyRecord('A', true, false, false, true),
        KeyRecord('B', false, true, true, false),
        KeyRecord(VirtualKeys::Tab, false, false, true, true),
        MouseRecord(MouseActionKind::LeftPressRelease),
        MouseRecord(MouseActionKind::RightPressRelease),
        MouseRecord(MouseActionKind::MiddlePressRelease),
        MouseRecord(MouseActionKind::LeftClick),
        KeyRecord('C', false, false, false, false),
    };
    for (SensorAction& record : variants) record.enabled = 1;
    variants.back().enabled = 0;

    start = std::chrono::steady_clock::now();
    std::atomic<bool> done{false};
    std::atomic<uint64_t> rewrites{0};
    std::thread polling([&] { RunPollLoop(poller, pacing); });
    std::thread settings([&] {
        for (size_t i = 0; !done; ++i) {
            state.records.Set(static_cast<int>(i % sensorCount), variants[(i / sensorCount + i) % variants.size()]);
            ++rewrites;
            std::this_thread::yield();
        }
    });
    std::thread repetition([&] {
        while (!done) {
            keys.OnDelayTimer(timers.generation);
            keys.OnRateTimer(timers.generation);
            std::this_thread::yield();
        }
    });
    while (source.edges < static_cast<uint64_t>(edgesWanted)) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    pacing.stop = true;
    polling.join();
    done = true;
    settings.join();
    repetition.join();

    const bool lost = source.cyclesLeavingSomethingHeld != 0 || system.AnythingDown();
    std::printf(
        "Sensor edges while another thread rewrote the records: %llu edges, %llu rewrites, %.1f s; "
        "cycles that left a key or button down: %llu; down at the end: %s\n",
        static_cast<unsigned long long>(source.edges.load()), static_cast<unsigned long long>(rewrites.load()),
        SecondsSince(start), static_cast<unsigned long long>(source.cyclesLeavingSomethingHeld.load()),
        system.AnythingDown() ? system.DownText().c_str() : "none");
    return lost ? 1 : 0;
}
