#include "sensors/Win32Actions.h"

#include <objbase.h>
#include <process.h>
#include <shellapi.h>

#include <vector>

#include "sensors/ExtendedKeys.h"
#include "sensors/InputTag.h"
#include "sensors/MouseAction.h"
#include "sensors/ShellQueue.h"
#include "win/Text.h"

using namespace kontakta;

static_assert(KeyEventFlags::ExtendedKey == KEYEVENTF_EXTENDEDKEY);
static_assert(KeyEventFlags::KeyUp == KEYEVENTF_KEYUP);

bool Win32Input::SendMouseButton(uint32_t flags)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = 0;
    input.mi.dy = 0;
    input.mi.mouseData = 0;
    // Injected button events name the physical buttons, which the user may
    // have swapped (SwapMouseButton: "the left button generates right-button
    // messages"); "Links" is the primary click whatever the setting.
    input.mi.dwFlags = physicalButtons.Map(flags, ::GetSystemMetrics(SM_SWAPBUTTON) != 0);
    input.mi.time = 0;
    input.mi.dwExtraInfo = kontaktaInputTag;
    const bool inserted = ::SendInput(1, &input, sizeof input) == 1;
    if (guard) guard->MouseEventSent(flags, inserted);
    return inserted;
}

bool Win32Input::SendKey(uint8_t virtualKey, bool down)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    // The key's scan code goes with it: programs that read scan codes (games,
    // remote desktops, virtual machines) ignore a key without one. The scan
    // code is the one of the keyboard layout of the window that gets the key
    // (each thread has its own layout), not of this thread's. Without a
    // foreground window the thread id is 0, which names the calling thread.
    const HKL layout = ::GetKeyboardLayout(::GetWindowThreadProcessId(::GetForegroundWindow(), nullptr));
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyExW(virtualKey, MAPVK_VK_TO_VSC, layout));
    input.ki.dwFlags = KeyEventFlagsFor(virtualKey, down);
    input.ki.time = 0;
    input.ki.dwExtraInfo = kontaktaInputTag;
    // Unlike keybd_event, SendInput answers: 0 when the system refused the
    // event (another desktop has the input, as while the workstation is
    // locked or a consent prompt is shown).
    const bool inserted = ::SendInput(1, &input, sizeof input) == 1;
    if (guard) guard->KeyEventSent(down, inserted);
    return inserted;
}

void Win32Clock::Sleep(uint32_t milliseconds)
{
    ::Sleep(milliseconds);
}

bool Win32KeyboardSettings::GetKeyboardDelay(uint32_t& delay)
{
    UINT value = 0;
    if (!::SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &value, 0)) return false;
    delay = value;
    return true;
}

bool Win32KeyboardSettings::GetKeyboardSpeed(uint32_t& speed)
{
    DWORD value = 0;
    if (!::SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &value, 0)) return false;
    speed = value;
    return true;
}

namespace {

uint32_t ProcessOf(HWND window)
{
    DWORD process = 0;
    if (window) ::GetWindowThreadProcessId(window, &process);
    return process;
}

// The relative id of the mandatory label of `process`'s token (low 0x1000,
// medium 0x2000, high 0x3000, system 0x4000).
bool IntegrityLevelOf(HANDLE process, DWORD& level)
{
    win::Handle token;
    if (!::OpenProcessToken(process, TOKEN_QUERY, token.Put())) return false;
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenIntegrityLevel, nullptr, 0, &size);
    if (size < sizeof(TOKEN_MANDATORY_LABEL)) return false;
    // operator new's alignment is enough for the label and its SID.
    std::vector<BYTE> buffer(size);
    if (!::GetTokenInformation(token.Get(), TokenIntegrityLevel, buffer.data(), size, &size)) return false;
    const PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
    if (!sid || !::IsValidSid(sid) || *::GetSidSubAuthorityCount(sid) == 0) return false;
    level = *::GetSidSubAuthority(sid, *::GetSidSubAuthorityCount(sid) - 1u);
    return true;
}

}  // namespace

uint32_t Win32InputTargets::ProcessUnderCursor()
{
    POINT cursor{};
    // Fails while another desktop has the input.
    if (!::GetCursorPos(&cursor)) return 0;
    return ProcessOf(::WindowFromPoint(cursor));
}

uint32_t Win32InputTargets::ForegroundProcess()
{
    return ProcessOf(::GetForegroundWindow());
}

bool Win32InputTargets::RunsAboveUs(uint32_t process)
{
    struct Own {
        bool known = false;
        DWORD level = 0;
    };
    static const Own own = [] {
        Own result;
        result.known = IntegrityLevelOf(::GetCurrentProcess(), result.level);
        return result;
    }();
    if (!own.known || process == ::GetCurrentProcessId()) return false;
    // PROCESS_QUERY_LIMITED_INFORMATION is granted for processes of higher
    // integrity too; one that refuses even that is protected or another
    // user's, and our input cannot operate it either.
    const win::Handle handle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    DWORD level = 0;
    if (!handle || !IntegrityLevelOf(handle.Get(), level)) return true;
    return level > own.level;
}

uint64_t Win32InputTargets::NowMilliseconds()
{
    return ::GetTickCount64();
}

Win32Shell::Win32Shell(OwnerWindow owner) : owner(owner) {}

bool Win32Shell::OpenTarget(const std::u16string& path)
{
    const std::wstring file = win::Wide(path);
    const HINSTANCE result =
        ::ShellExecuteW(owner ? owner() : nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // ShellExecute reports success as a value greater than 32.
    return reinterpret_cast<uintptr_t>(result) > 32;
}

struct Win32ShellWorker::Work {
    Work(Win32Shell::OwnerWindow owner, FailureMessages& messages)
        : shell(owner),
          wake(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          queue(shell, messages, [event = wake.Get()] { ::SetEvent(event); })
    {
    }
    Win32Shell shell;
    win::Handle wake;  // auto-reset: a request or the stop
    ShellQueue queue;
};

Win32ShellWorker::Win32ShellWorker(Win32Shell::OwnerWindow owner, FailureMessages& messages)
    : work(std::make_shared<Work>(owner, messages))
{
}

Win32ShellWorker::~Win32ShellWorker()
{
    Stop(stopWaitMilliseconds);
}

bool Win32ShellWorker::OpenTarget(const std::u16string& path)
{
    return StartThread() && work->queue.OpenTarget(path);
}

void Win32ShellWorker::ShowFailure(const std::u16string& text)
{
    work->queue.ShowFailure(text);
}

bool Win32ShellWorker::StartThread()
{
    std::lock_guard<std::mutex> guard(startLock);
    if (thread) return true;
    if (stopped || !work->wake) return false;
    auto* handOver = new std::shared_ptr<Work>(work);
    const uintptr_t started = ::_beginthreadex(nullptr, 0, &Win32ShellWorker::Run, handOver, 0, nullptr);
    if (started == 0) {
        delete handOver;
        return false;
    }
    // Created by the time-critical polling thread, it runs at normal
    // priority all the same: a new thread's priority is not inherited.
    thread.Reset(reinterpret_cast<HANDLE>(started));
    return true;
}

bool Win32ShellWorker::Stop(uint32_t milliseconds)
{
    work->queue.Stop();
    win::Handle running;
    {
        std::lock_guard<std::mutex> guard(startLock);
        stopped = true;
        running = std::move(thread);
    }
    if (!running) return true;
    // The shell may send a message to its owner window, which belongs to this
    // thread, and wait for the answer. A thread takes messages sent to it only
    // while it asks for messages, so the wait dispatches those (and only
    // those: posted messages stay for the thread's own loop).
    const ULONGLONG deadline = ::GetTickCount64() + milliseconds;
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        const HANDLE handle = running.Get();
        const DWORD result = ::MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0) return true;
        if (result != WAIT_OBJECT_0 + 1) return false;  // timed out: the thread is left inside the shell
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

unsigned __stdcall Win32ShellWorker::Run(void* parameter)
{
    const std::unique_ptr<std::shared_ptr<Work>> handOver(static_cast<std::shared_ptr<Work>*>(parameter));
    Work& work = **handOver;
    // ShellExecute may hand a request to shell extensions that are COM
    // objects; it wants a single-threaded apartment, without OLE1 DDE.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    for (;;) {
        while (work.queue.OpenNext()) {}
        if (work.queue.Stopped()) break;
        // A thread of a single-threaded apartment dispatches its messages
        // while it waits: the shell may finish a request asynchronously on
        // this thread, and calls into the apartment arrive as messages.
        const HANDLE wake = work.wake.Get();
        const DWORD result = ::MsgWaitForMultipleObjectsEx(1, &wake, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (result == WAIT_OBJECT_0 + 1) {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        } else if (result != WAIT_OBJECT_0) {
            break;
        }
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return 0;
}
