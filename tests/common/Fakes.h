// Fakes of the system seams, for the native tests and the benchmarks.
// The recording ones all write into one EventLog, so a test sees the order of
// mouse, key, sound, wait and timer events together; the null ones at the end
// only count or do nothing, for tests and benchmarks with several threads.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sensors/ActionServices.h"

using namespace kontakta;  // the tests speak of the core by its plain names

class EventLog {
public:
    void Add(std::string event)
    {
        std::lock_guard<std::mutex> guard(lock);
        events.push_back(std::move(event));
    }
    std::vector<std::string> Events() const
    {
        std::lock_guard<std::mutex> guard(lock);
        return events;
    }
    void Clear()
    {
        std::lock_guard<std::mutex> guard(lock);
        events.clear();
    }

private:
    mutable std::mutex lock;
    std::vector<std::string> events;
};

inline std::string Hex(uint32_t value, int width)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text(static_cast<size_t>(width), '0');
    for (int i = width - 1; i >= 0; --i, value >>= 4) text[static_cast<size_t>(i)] = digits[value & 0xF];
    return text;
}

// "mouse 0002" for a button event, "key 12 down" / "key 12 up" for a key.
class RecordingInput : public InputSink {
public:
    explicit RecordingInput(EventLog& log) : log(log) {}
    bool SendMouseButton(uint32_t flags) override
    {
        log.Add("mouse " + Hex(flags, 4));
        return accept;
    }
    bool SendKey(uint8_t virtualKey, bool down) override
    {
        log.Add("key " + Hex(virtualKey, 2) + (down ? " down" : " up"));
        return acceptKeys;
    }
    bool accept = true;      // false: the system refuses every mouse event
    bool acceptKeys = true;  // false: the system refuses every key event

private:
    EventLog& log;
};

// The system's input with a low-level hook that another thread (the
// user-interface thread) installed: as on Windows, an event that any other
// thread sends returns only after the hook has run on its own thread. A hook
// that has not finished after 5 s counts as a stall; Windows would give up
// on it and remove it. Events are logged as RecordingInput logs them, before
// the hook runs. Only one thread at a time may send through it.
class HookedInput : public InputSink {
public:
    explicit HookedInput(EventLog& log) : log(log) {}
    ~HookedInput() override { JoinHooks(); }
    bool SendMouseButton(uint32_t flags) override
    {
        log.Add("mouse " + Hex(flags, 4));
        RunHook();
        return true;
    }
    bool SendKey(uint8_t virtualKey, bool down) override
    {
        log.Add("key " + Hex(virtualKey, 2) + (down ? " down" : " up"));
        RunHook();
        return true;
    }
    // Waits until every hook has finished, also those that stalled.
    void JoinHooks()
    {
        for (std::thread& hookThread : hookThreads) hookThread.join();
        hookThreads.clear();
    }
    std::function<void()> hook;
    std::atomic<int> stalls{0};

private:
    void RunHook()
    {
        if (!hook || onHookThread) return;
        auto finished = std::make_shared<std::promise<void>>();
        std::future<void> done = finished->get_future();
        hookThreads.emplace_back([run = hook, finished] {
            onHookThread = true;
            run();
            finished->set_value();
        });
        if (done.wait_for(std::chrono::seconds(5)) != std::future_status::ready) ++stalls;
    }

    static inline thread_local bool onHookThread = false;
    EventLog& log;
    std::vector<std::thread> hookThreads;
};

// "sleep 5"; the time is summed instead of waited.
class FakeClock : public Clock {
public:
    explicit FakeClock(EventLog& log) : log(log) {}
    void Sleep(uint32_t milliseconds) override
    {
        log.Add("sleep " + std::to_string(milliseconds));
        std::lock_guard<std::mutex> guard(lock);
        elapsed += milliseconds;
    }
    uint64_t Elapsed() const
    {
        std::lock_guard<std::mutex> guard(lock);
        return elapsed;
    }

private:
    EventLog& log;
    mutable std::mutex lock;
    uint64_t elapsed = 0;
};

// "press sound", "error beep", "latch sound", "unlatch sound".
class RecordingSounds : public Sounds {
public:
    explicit RecordingSounds(EventLog& log) : log(log) {}
    void PlayPressSound() override { log.Add("press sound"); }
    void ErrorBeep() override { log.Add("error beep"); }
    void PlayLatchSound() override { log.Add("latch sound"); }
    void PlayUnlatchSound() override { log.Add("unlatch sound"); }

private:
    EventLog& log;
};

class FakeKeyboardSettings : public KeyboardSettings {
public:
    bool GetKeyboardDelay(uint32_t& value) override
    {
        value = delay;
        return delayReadable;
    }
    bool GetKeyboardSpeed(uint32_t& value) override
    {
        value = speed;
        return speedReadable;
    }
    uint32_t delay = 1;
    uint32_t speed = 31;
    bool delayReadable = true;
    bool speedReadable = true;
};

// "timers stop", "delay timer 500 #3", "rate timer 33 #3".
class RecordingTimers : public RepeatTimers {
public:
    explicit RecordingTimers(EventLog& log) : log(log) {}
    void StopRepeatTimers() override { log.Add("timers stop"); }
    void StartDelayTimer(uint32_t milliseconds, uint32_t generation) override
    {
        log.Add("delay timer " + std::to_string(milliseconds) + " #" + std::to_string(generation));
        lastGeneration = generation;
    }
    void StartRateTimer(uint32_t milliseconds, uint32_t generation) override
    {
        log.Add("rate timer " + std::to_string(milliseconds) + " #" + std::to_string(generation));
        lastGeneration = generation;
    }
    uint32_t lastGeneration = 0;

private:
    EventLog& log;
};

// Only remembers the generation of the last timer started, for tests in which
// another thread plays the timers' thread.
class GenerationTimers : public RepeatTimers {
public:
    void StopRepeatTimers() override {}
    void StartDelayTimer(uint32_t, uint32_t started) override { generation = started; }
    void StartRateTimer(uint32_t, uint32_t started) override { generation = started; }
    std::atomic<uint32_t> generation{0};
};

// "open <path>" (UTF-16 code units below 128 shown as they are), "show <text>".
inline std::string Narrow(const std::u16string& text)
{
    std::string result;
    for (char16_t unit : text) result += unit < 128 ? static_cast<char>(unit) : '?';
    return result;
}

// Both halves of the run-file service: the shell and the message window.
class RecordingShell : public Shell, public FailureMessages {
public:
    explicit RecordingShell(EventLog& log) : log(log) {}
    bool OpenTarget(const std::u16string& path) override
    {
        log.Add("open " + Narrow(path));
        opened.push_back(path);
        return opens;
    }
    void ShowFailure(const std::u16string& text) override
    {
        log.Add("show " + Narrow(text));
        shown.push_back(text);
    }
    bool opens = true;
    std::vector<std::u16string> opened;
    std::vector<std::u16string> shown;

private:
    EventLog& log;
};

using Events = std::vector<std::string>;

// Counts the key events; every event is inserted.
struct CountingInput : InputSink {
    bool SendMouseButton(uint32_t) override { return true; }
    bool SendKey(uint8_t, bool) override
    {
        ++keys;
        return true;
    }
    std::atomic<int> keys{0};
};

struct NullSounds : Sounds {
    void PlayPressSound() override {}
    void ErrorBeep() override {}
    void PlayLatchSound() override {}
    void PlayUnlatchSound() override {}
};

// Waits no time, but gives other threads a chance.
struct ShortClock : Clock {
    void Sleep(uint32_t) override { std::this_thread::yield(); }
};

// Every target opens; nothing is shown.
struct NullShell : Shell, FailureMessages {
    bool OpenTarget(const std::u16string&) override { return true; }
    void ShowFailure(const std::u16string&) override {}
};
