#include "app/ScanDisplay.h"

#include "sensors/Win32Pointer.h"

void Win32ScanDisplay::Show(const kontakta::ScanView& view)
{
    if (!mailbox.Put(view)) return;  // the pending message draws it
    Post();
}

void Win32ScanDisplay::Post()
{
    const HWND window = target();
    // Where no message can come, the flag is cleared, or no later view would
    // be posted.
    if (!window || !::PostMessageW(window, viewMessage, 0, 0)) mailbox.Take();
}

void Win32ScanDisplay::HideBeforeInput()
{
    if (mailbox.Put(kontakta::ScanView{})) Post();
    const HWND window = target();
    if (!window) return;
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(window, hideMessage, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, hideTimeoutMilliseconds, &answer);
}

void Win32ScanDisplay::DragSize(kontakta::Point at, int32_t& width, int32_t& height)
{
    // GetSystemMetrics answers for the system's DPI, not the monitor's, in a
    // per-monitor aware thread; GetSystemMetricsForDpi (Windows 10, version
    // 1607) with the DPI of the crossing's monitor gives physical pixels.
    using MetricsForDpi = int(WINAPI*)(int, UINT);
    using DpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const MetricsForDpi metrics = reinterpret_cast<MetricsForDpi>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    static const DpiForMonitor monitorDpi = [] {
        const HMODULE shcore = ::LoadLibraryW(L"shcore.dll");  // kept for the program's life
        return shcore ? reinterpret_cast<DpiForMonitor>(
                            reinterpret_cast<void*>(::GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    const PhysicalPixels physical;
    UINT dpiX = 0, dpiY = 0;
    constexpr int effectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    if (metrics && monitorDpi &&
        SUCCEEDED(monitorDpi(::MonitorFromPoint({at.x, at.y}, MONITOR_DEFAULTTONEAREST), effectiveDpi, &dpiX, &dpiY)) &&
        dpiX > 0) {
        width = metrics(SM_CXDRAG, dpiX);
        height = metrics(SM_CYDRAG, dpiY);
        return;
    }
    width = ::GetSystemMetrics(SM_CXDRAG);
    height = ::GetSystemMetrics(SM_CYDRAG);
}
