// The Win32 side of the action seams: synthetic input through SendInput, waits
// through Sleep, the keyboard settings of the system, the processes that
// input reaches, and the shell with the thread that opens targets.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>

#include "sensors/ActionServices.h"
#include "sensors/InputGuard.h"
#include "sensors/MouseAction.h"
#include "win/Handle.h"

// Every event goes out as one INPUT record of its own, so the system's answer
// (the number of events inserted) belongs to that event. Keys carry their scan
// code and, for the extended keys, the extended flag, as a real keyboard sends
// them, and every event carries kontaktaInputTag (sensors/InputTag.h).
// `guard`, when given, hears of every event and the system's answer.
class Win32Input : public kontakta::InputSink {
public:
    explicit Win32Input(kontakta::InputGuard* guard = nullptr) : guard(guard) {}
    bool SendMouseButton(uint32_t flags) override;
    bool SendKey(uint8_t virtualKey, bool down) override;

private:
    kontakta::InputGuard* guard;
    kontakta::PhysicalButtons physicalButtons;
};

class Win32Clock : public kontakta::Clock {
public:
    void Sleep(uint32_t milliseconds) override;
};

class Win32KeyboardSettings : public kontakta::KeyboardSettings {
public:
    bool GetKeyboardDelay(uint32_t& delay) override;
    bool GetKeyboardSpeed(uint32_t& speed) override;
};

// The window under the cursor and the foreground window, their processes, and
// the mandatory integrity level of a process's token compared with ours.
// Where our own level cannot be read (a system without integrity levels) no
// process counts as above us.
class Win32InputTargets : public kontakta::InputTargets {
public:
    uint32_t ProcessUnderCursor() override;
    uint32_t ForegroundProcess() override;
    bool RunsAboveUs(uint32_t process) override;
    uint64_t NowMilliseconds() override;
};

// Opens targets with ShellExecuteW on the calling thread. `owner` gives the
// window that owns the shell's own dialogs.
class Win32Shell : public kontakta::Shell {
public:
    using OwnerWindow = HWND (*)();
    explicit Win32Shell(OwnerWindow owner);
    bool OpenTarget(const std::u16string& path) override;

private:
    OwnerWindow owner;
};

// The Shell of the polling thread: hands each target to a thread of its own
// (ShellQueue), which opens it through a Win32Shell and reports a refusal in
// `messages`. The thread starts with
// the first request; it runs at normal priority in a single-threaded COM
// apartment without OLE1 DDE, as ShellExecute wants. Stop, or the destructor,
// ends it without waiting long for a shell that is stuck.
class Win32ShellWorker : public kontakta::Shell, public kontakta::FailureMessages {
public:
    static constexpr uint32_t stopWaitMilliseconds = 2000;

    Win32ShellWorker(Win32Shell::OwnerWindow owner, kontakta::FailureMessages& messages);
    // Stop(stopWaitMilliseconds).
    ~Win32ShellWorker() override;
    Win32ShellWorker(const Win32ShellWorker&) = delete;
    Win32ShellWorker& operator=(const Win32ShellWorker&) = delete;

    // Any thread; never waits for the shell. False when the request cannot be
    // taken (the thread does not start, too many wait, or stopped).
    bool OpenTarget(const std::u16string& path) override;
    // Passes the text on to `messages`, unless stopped.
    void ShowFailure(const std::u16string& text) override;

    // Takes no further request and forgets the waiting ones, then waits at
    // most `milliseconds` for the thread to end. A thread still inside the
    // shell after that is left to the end of the process; it reports nothing
    // more. True when no thread is left. Call it on the user-interface thread
    // (messages sent to its windows are dispatched while it waits) before the
    // message window goes.
    bool Stop(uint32_t milliseconds);

private:
    struct Work;
    bool StartThread();
    static unsigned __stdcall Run(void* parameter);

    // Shared with the thread, which may outlive this object.
    std::shared_ptr<Work> work;
    std::mutex startLock;
    win::Handle thread;
    bool stopped = false;
};
