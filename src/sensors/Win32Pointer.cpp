#include "sensors/Win32Pointer.h"

#include <windows.h>

#include <vector>

#include "sensors/InputTag.h"

using namespace kontakta;

namespace {

// SetThreadDpiAwarenessContext came with Windows 10, version 1607; older
// systems have no per-monitor awareness of a thread and keep the process's.
// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 is the documented value -4.
using SetContextFunction = HANDLE(WINAPI*)(HANDLE);
const HANDLE perMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4));

SetContextFunction SetThreadContext()
{
    static const SetContextFunction function = reinterpret_cast<SetContextFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
    return function;
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM parameter)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoW(monitor, &info)) {
        auto& rects = *reinterpret_cast<std::vector<kontakta::PixelRect>*>(parameter);
        rects.push_back({info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom});
    }
    return TRUE;
}

bool SendMouse(DWORD flags, LONG dx, LONG dy, DWORD data)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.mouseData = data;
    input.mi.dwFlags = flags;
    input.mi.dwExtraInfo = kontaktaInputTag;
    return ::SendInput(1, &input, sizeof input) == 1;
}

}  // namespace

// "SetThreadDpiAwarenessContext returns the old DPI_AWARENESS_CONTEXT for
// the thread", or null when the context was not taken; then the thread stays
// as it was.
PhysicalPixels::PhysicalPixels()
{
    if (const SetContextFunction set = SetThreadContext()) previous = set(perMonitorAwareV2);
}

PhysicalPixels::~PhysicalPixels()
{
    if (previous) SetThreadContext()(static_cast<HANDLE>(previous));
}

kontakta::Desktop Win32Pointer::ReadDesktop()
{
    const PhysicalPixels physical;
    std::vector<kontakta::PixelRect> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return kontakta::Desktop(std::move(monitors));
}

bool Win32Pointer::ReadPosition(kontakta::Point& position)
{
    const PhysicalPixels physical;
    POINT point{};
    if (!::GetCursorPos(&point)) return false;
    position = {point.x, point.y};
    return true;
}

bool Win32Pointer::MoveTo(const kontakta::PixelRect& virtualDesktop, kontakta::Point position)
{
    const PhysicalPixels physical;
    // "If MOUSEEVENTF_VIRTUALDESK is specified, the coordinates map to the
    // entire virtual desktop": 0 to 65535 over its bounding box, which the
    // caller's reckoning used (ToAbsolute picks the value that gives back the
    // very pixel).
    const kontakta::AbsolutePoint absolute = kontakta::ToAbsolute(virtualDesktop, position);
    return SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK, absolute.x, absolute.y, 0);
}

bool Win32Pointer::TurnWheel(kontakta::WheelDirection direction)
{
    // One notch is WHEEL_DELTA: forward (away from the user) is positive for
    // the vertical wheel, right is positive for the horizontal one.
    switch (direction) {
    case kontakta::WheelDirection::Up: return SendMouse(MOUSEEVENTF_WHEEL, 0, 0, WHEEL_DELTA);
    case kontakta::WheelDirection::Down: return SendMouse(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(-WHEEL_DELTA));
    case kontakta::WheelDirection::Left: return SendMouse(MOUSEEVENTF_HWHEEL, 0, 0, static_cast<DWORD>(-WHEEL_DELTA));
    case kontakta::WheelDirection::Right: return SendMouse(MOUSEEVENTF_HWHEEL, 0, 0, WHEEL_DELTA);
    }
    return false;
}
