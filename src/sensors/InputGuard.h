// Telling the user when a sensor's input cannot reach its window. Windows
// drops synthetic input into a window of a process with a higher integrity
// level than ours (User Interface Privilege Isolation: Task Manager,
// installers, consoles run as administrator) without a word: SendInput still
// counts the events as inserted. So the guard looks at where each event goes
// and, when the target runs above us or the system refuses the event, sounds
// the error beep and says it once in the message window.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "sensors/ActionServices.h"

namespace kontakta {

// Where synthetic input goes, as far as the guard must know, and the time.
class InputTargets {
public:
    virtual ~InputTargets() = default;
    // The process of the window under the cursor, which a mouse button event
    // reaches; 0 when there is none.
    virtual uint32_t ProcessUnderCursor() = 0;
    // The process of the foreground window, which key events reach; 0 when
    // there is none.
    virtual uint32_t ForegroundProcess() = 0;
    // Whether `process` runs at a higher mandatory integrity level than this
    // program. A process that cannot even be opened to ask counts as higher.
    virtual bool RunsAboveUs(uint32_t process) = 0;
    // Milliseconds of a clock that only goes forward.
    virtual uint64_t NowMilliseconds() = 0;
};

// The Win32 input sink reports every event it sent, with the system's answer.
// Only presses (a button or key going down) are looked at: a release follows
// its press, which was looked at, and the releases that a crashing program
// sends must wait for nothing. Both calls may come from the polling thread
// and from the user-interface thread (a repeated key); they never wait for
// another thread, and the beep and the message come after the guard has let
// go of its lock.
//
// A window above us is named once per target process (the message window,
// coming to the front, takes the keys that follow; saying it at every press
// would keep it there), and again only once input has reached that process
// meanwhile. A refused event is no fault of its target: while the lock
// screen or a consent prompt has the input, SendInput refuses everything. It
// is told in words of its own, once until an event is inserted again, and
// names no process.
class InputGuard {
public:
    // How long the answer about one process is trusted. Short, because
    // process ids are reused and a program may be restarted elevated; long
    // enough that a held key's repetition does not open a process token at
    // every event.
    static constexpr uint64_t checkLifetimeMilliseconds = 2000;
    // One beep per action: the presses of one key combination, of one click
    // or double click, and a held key's repetitions within this time share
    // one beep.
    static constexpr uint64_t beepSpacingMilliseconds = 1000;

    InputGuard(InputTargets& targets, Sounds& sounds, FailureMessages& messages);
    InputGuard(const InputGuard&) = delete;
    InputGuard& operator=(const InputGuard&) = delete;

    // A mouse button event with `flags` went out; `inserted` is what the
    // system answered. A button-down that the system refused, or that goes
    // to a window above us, is told. The beep is left out for a refused
    // event: the mouse action beeps for that itself (SendInput's answer is
    // its result).
    void MouseEventSent(uint32_t flags, bool inserted);

    // A key event went out. A key-down that the system refused, or that goes
    // to a foreground window above us, is told with the beep.
    void KeyEventSent(bool down, bool inserted);

private:
    struct Check {
        uint32_t process;
        bool above;
        uint64_t checkedAt;
    };
    // Decides under the lock; tells after letting go of it.
    void PressSent(uint32_t process, bool inserted, bool beepIfRefused);
    bool AboveUsLocked(uint32_t process, uint64_t now);

    InputTargets& targets;
    Sounds& sounds;
    FailureMessages& messages;
    std::mutex lock;
    std::vector<Check> checks;   // the answers of the last moments, by process
    std::vector<uint32_t> told;  // processes the message was said for, oldest first
    bool refusalTold = false;    // the refusal was told, and nothing was inserted since
    bool beeped = false;
    uint64_t lastBeep = 0;
};

}  // namespace kontakta
