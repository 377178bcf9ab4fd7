#include "sensors/ShellQueue.h"

#include <algorithm>

#include "sensors/RunFileAction.h"

namespace kontakta {

ShellQueue::ShellQueue(Shell& target, FailureMessages& messages, std::function<void()> wake)
    : target(target), messages(messages), wake(std::move(wake))
{
}

bool ShellQueue::OpenTarget(const std::u16string& path)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        if (stopped) return false;
        // A press while the same target still waits, or is being opened,
        // adds nothing: the user is waiting for that very target.
        if (opening == path || std::find(waiting.begin(), waiting.end(), path) != waiting.end()) return true;
        if (waiting.size() == capacity) return false;
        waiting.push_back(path);
    }
    wake();
    return true;
}

void ShellQueue::ShowFailure(const std::u16string& text)
{
    std::lock_guard<std::mutex> guard(lock);
    // Under the lock, so that once Stop returns no report is under way: the
    // message window may be gone after that. The message window takes the
    // text without waiting.
    if (!stopped) messages.ShowFailure(text);
}

bool ShellQueue::OpenNext()
{
    std::u16string path;
    {
        std::lock_guard<std::mutex> guard(lock);
        if (stopped || waiting.empty()) return false;
        path = std::move(waiting.front());
        waiting.pop_front();
        opening = path;
    }
    const bool opened = target.OpenTarget(path);
    std::lock_guard<std::mutex> guard(lock);
    opening.reset();
    if (!opened && !stopped) messages.ShowFailure(OpenFailureText(path));
    return true;
}

void ShellQueue::Stop()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopped = true;
        waiting.clear();
    }
    wake();
}

bool ShellQueue::Stopped() const
{
    std::lock_guard<std::mutex> guard(lock);
    return stopped;
}

}  // namespace kontakta
