#include "sensors/InputGuard.h"

#include <algorithm>

#include "texts/Texts.h"

namespace kontakta {

namespace {

constexpr uint32_t buttonDownFlags = MouseFlags::LeftDown | MouseFlags::RightDown | MouseFlags::MiddleDown;
// Enough for every elevated program a user meets in one session; the oldest
// is forgotten first and would be named once more.
constexpr size_t toldLimit = 16;

}  // namespace

InputGuard::InputGuard(InputTargets& targets, Sounds& sounds, FailureMessages& messages)
    : targets(targets), sounds(sounds), messages(messages)
{
}

void InputGuard::MouseEventSent(uint32_t flags, bool inserted)
{
    if ((flags & buttonDownFlags) == 0) return;
    PressSent(targets.ProcessUnderCursor(), inserted, false);
}

void InputGuard::KeyEventSent(bool down, bool inserted)
{
    if (!down) return;
    PressSent(targets.ForegroundProcess(), inserted, true);
}

void InputGuard::PressSent(uint32_t process, bool inserted, bool beepIfRefused)
{
    bool beep = false;
    const char16_t* text = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock);
        const uint64_t now = targets.NowMilliseconds();
        if (inserted) {
            refusalTold = false;
            const bool above = process != 0 && AboveUsLocked(process, now);
            const auto named = std::find(told.begin(), told.end(), process);
            if (!above) {
                // It reaches this process now (or a new one with a reused
                // id): should it ever stop doing so, that is news again.
                if (named != told.end()) told.erase(named);
                return;
            }
            if (named == told.end()) {
                text = texts::elevatedWindow;
                if (told.size() == toldLimit) told.erase(told.begin());
                told.push_back(process);
            }
        } else if (!refusalTold) {
            // Not the target's fault, so no process is named: the window in
            // front of the lock screen is an ordinary one.
            text = texts::inputRefused;
            refusalTold = true;
        }
        if ((inserted || beepIfRefused) && (!beeped || now - lastBeep >= beepSpacingMilliseconds)) {
            beep = true;
            beeped = true;
            lastBeep = now;
        }
    }
    // Neither waits for the user-interface thread: from another thread the
    // message window takes the text by a posted message.
    if (text) messages.ShowFailure(text);
    if (beep) sounds.ErrorBeep();
}

bool InputGuard::AboveUsLocked(uint32_t process, uint64_t now)
{
    const auto expired = [now](const Check& check) { return now - check.checkedAt >= checkLifetimeMilliseconds; };
    checks.erase(std::remove_if(checks.begin(), checks.end(), expired), checks.end());
    for (const Check& check : checks)
        if (check.process == process) return check.above;
    const bool above = targets.RunsAboveUs(process);
    checks.push_back({process, above, now});
    return above;
}

}  // namespace kontakta
