// One owning template for every kind of Windows handle: it closes what it
// holds exactly once, cannot be copied, and can be moved.
#pragma once

#include <windows.h>

#include <utility>

namespace win {

template <typename T, typename Traits>
class Owned {
public:
    Owned() = default;
    explicit Owned(T value) : value(value) {}
    ~Owned() { Reset(); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : value(other.Release()) {}
    Owned& operator=(Owned&& other) noexcept
    {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    T Get() const { return value; }
    // For a function that hands out a new handle through an out-parameter:
    // closes what is held and gives the place for the new one.
    T* Put()
    {
        Reset();
        return &value;
    }
    explicit operator bool() const { return !Traits::IsEmpty(value); }
    void Reset(T newValue = Traits::Empty())
    {
        if (!Traits::IsEmpty(value)) Traits::Close(value);
        value = newValue;
    }
    T Release() { return std::exchange(value, Traits::Empty()); }

private:
    T value = Traits::Empty();
};

template <typename T, auto CloseFunction>
struct NullTraits {
    static T Empty() { return nullptr; }
    static bool IsEmpty(T value) { return value == nullptr; }
    static void Close(T value) { CloseFunction(value); }
};

struct FileTraits {
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static bool IsEmpty(HANDLE value) { return value == INVALID_HANDLE_VALUE || value == nullptr; }
    static void Close(HANDLE value) { ::CloseHandle(value); }
};

inline void CloseKernelHandle(HANDLE handle)
{
    ::CloseHandle(handle);
}
inline void DeleteGdiObject(HGDIOBJ object)
{
    ::DeleteObject(object);
}
inline void CloseRegistryKey(HKEY key)
{
    ::RegCloseKey(key);
}

using Handle = Owned<HANDLE, NullTraits<HANDLE, CloseKernelHandle>>;  // events, threads, mutexes
using File = Owned<HANDLE, FileTraits>;
using Font = Owned<HFONT, NullTraits<HFONT, DeleteGdiObject>>;
using Brush = Owned<HBRUSH, NullTraits<HBRUSH, DeleteGdiObject>>;
using Bitmap = Owned<HBITMAP, NullTraits<HBITMAP, DeleteGdiObject>>;
using Menu = Owned<HMENU, NullTraits<HMENU, ::DestroyMenu>>;
using Hook = Owned<HHOOK, NullTraits<HHOOK, ::UnhookWindowsHookEx>>;
using RegistryKey = Owned<HKEY, NullTraits<HKEY, CloseRegistryKey>>;
using Module = Owned<HMODULE, NullTraits<HMODULE, ::FreeLibrary>>;
using MemoryDC = Owned<HDC, NullTraits<HDC, ::DeleteDC>>;  // from CreateCompatibleDC

// The two handles that CreateProcess hands out, each closed once.
class ProcessInformation {
public:
    ProcessInformation() = default;
    ~ProcessInformation() { Reset(); }
    ProcessInformation(const ProcessInformation&) = delete;
    ProcessInformation& operator=(const ProcessInformation&) = delete;
    ProcessInformation(ProcessInformation&& other) noexcept : info(std::exchange(other.info, {})) {}
    ProcessInformation& operator=(ProcessInformation&& other) noexcept
    {
        if (this != &other) {
            Reset();
            info = std::exchange(other.info, {});
        }
        return *this;
    }

    // For CreateProcess: closes what is held and gives the place for the new.
    PROCESS_INFORMATION* Put()
    {
        Reset();
        return &info;
    }
    HANDLE Process() const { return info.hProcess; }
    HANDLE Thread() const { return info.hThread; }
    DWORD ProcessId() const { return info.dwProcessId; }
    explicit operator bool() const { return info.hProcess != nullptr; }
    // The process's handle, handed on: this one no longer closes it.
    Handle TakeProcess() { return Handle(std::exchange(info.hProcess, nullptr)); }
    // The thread's handle is seldom needed after the start.
    void CloseThread()
    {
        if (info.hThread) ::CloseHandle(info.hThread);
        info.hThread = nullptr;
    }
    void Reset()
    {
        CloseThread();
        if (info.hProcess) ::CloseHandle(info.hProcess);
        info = {};
    }

private:
    PROCESS_INFORMATION info{};
};

// The device context of a window (or of the screen, for no window) from
// GetDC, released to that window.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window(window), dc(::GetDC(window)) {}
    ~WindowDC()
    {
        if (dc) ::ReleaseDC(window, dc);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC Get() const { return dc; }
    explicit operator bool() const { return dc != nullptr; }

private:
    HWND window;
    HDC dc;
};

// Selects a GDI object into a device context and selects the old one back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc(dc), old(::SelectObject(dc, object)) {}
    ~SelectGuard() { ::SelectObject(dc, old); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc;
    HGDIOBJ old;
};

}  // namespace win
