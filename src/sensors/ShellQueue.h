// Opening targets away from the polling thread. The shell can block for as
// long as a person takes: a target that needs administrator rights shows the
// consent prompt on the secure desktop, a network path waits for the network
// or a credential prompt, a protocol handler may be slow to start. The
// polling thread only hands the path over and goes on reading the sensors; a
// worker thread of its own opens the targets, one after the other, in the
// order they were asked for.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "sensors/ActionServices.h"

namespace kontakta {

// The hand-over. It is a Shell for the polling thread, and the way its
// reports go to the message window, `messages`; the worker thread calls
// OpenNext, which passes each request on to the real shell, `target`.
// No lock of it is held while the shell opens a target, so no caller ever
// waits for the shell.
class ShellQueue : public Shell, public FailureMessages {
public:
    // Requests that may wait at once. A sensor pressed again and again while
    // the shell is stuck asks for the same target, which waits only once, so
    // this is reached only by many different targets.
    static constexpr size_t capacity = 8;

    // `wake` is called, without any lock held, whenever the worker has
    // something to do: a request arrived, or the stop. It must not wait.
    ShellQueue(Shell& target, FailureMessages& messages, std::function<void()> wake);

    // Any thread; never waits for the shell. True when the request is taken:
    // queued, or the same path already waits or is being opened. False when
    // the queue is full or stopped; the caller then reports the target as
    // one that could not be opened, so nothing is dropped silently.
    bool OpenTarget(const std::u16string& path) override;

    // Passes `text` on to the message window, unless the queue was stopped.
    void ShowFailure(const std::u16string& text) override;

    // Worker thread: opens the oldest waiting request through `target` and
    // reports a refusal in `messages` with "'<path>' konnte nicht geöffnet werden!". False
    // when nothing waited, or after the stop.
    bool OpenNext();

    // Takes no further request, forgets those still waiting, and makes no
    // further report; wakes the worker. Never waits for the shell: a shell
    // call in progress may still end afterwards, but its outcome is not
    // reported. After Stop returns, `target` is called by nobody but a
    // worker still inside that one OpenTarget call, and `messages` by nobody.
    void Stop();

    bool Stopped() const;

private:
    Shell& target;
    FailureMessages& messages;
    std::function<void()> wake;
    mutable std::mutex lock;
    std::deque<std::u16string> waiting;
    std::optional<std::u16string> opening;  // the request the shell has now
    bool stopped = false;
};

}  // namespace kontakta
