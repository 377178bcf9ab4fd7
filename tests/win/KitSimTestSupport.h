// What the tests of the kit stand-in share: iowkit.dll loaded and called by
// ordinal as Kontakta does, the shared control held open for the whole run,
// open sets, reads, and the call log.
#pragma once

#include <windows.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "KitSimControl.h"
#include "TestSupport.h"
#include "VirtualBoxIds.h"

namespace kitsimtest {

using testsupport::PumpUntil;

// The call shapes of the kit, as the device access calls them.
using Handle = void*;
using OpenDevicesCall = Handle (*)();
using CloseDevicesCall = void (*)(Handle);
using WriteCall = ULONG (*)(Handle, ULONG, const char*, ULONG);
using ReadCall = BOOL (*)(Handle, DWORD*);
using DeviceCountCall = ULONG (*)();
using DeviceHandleCall = Handle (*)(ULONG);
using ProductIdCall = ULONG (*)(Handle);
using SerialCall = BOOL (*)(Handle, wchar_t*);

template <typename Call>
Call Ordinal(HMODULE module, WORD ordinal)
{
    return reinterpret_cast<Call>(reinterpret_cast<void*>(::GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

// iowkit.dll, loaded by its bare name from the program's folder as Kontakta
// loads it.
struct Kit {
    Kit()
    {
        module = ::LoadLibraryW(L"iowkit.dll");
        if (!module) return;
        open = Ordinal<OpenDevicesCall>(module, 1);
        close = Ordinal<CloseDevicesCall>(module, 2);
        write = Ordinal<WriteCall>(module, 4);
        read = Ordinal<ReadCall>(module, 5);
        count = Ordinal<DeviceCountCall>(module, 8);
        device = Ordinal<DeviceHandleCall>(module, 9);
        productId = Ordinal<ProductIdCall>(module, 11);
        serial = Ordinal<SerialCall>(module, 12);
    }
    bool Complete() const { return open && close && write && read && count && device && productId && serial; }

    HMODULE module = nullptr;
    OpenDevicesCall open = nullptr;
    CloseDevicesCall close = nullptr;
    WriteCall write = nullptr;
    ReadCall read = nullptr;
    DeviceCountCall count = nullptr;
    DeviceHandleCall device = nullptr;
    ProductIdCall productId = nullptr;
    SerialCall serial = nullptr;
};

inline Kit& TheKit()
{
    static Kit kit;
    return kit;
}

// The test program holds the control open for its whole run, so the state
// set by one step survives until the next.
inline kitsim::Control* TheControl()
{
    static kitsim::Control* control = kitsim::OpenControl();
    return control;
}

// An open set that is closed at the end of the scope.
class OpenSet {
public:
    OpenSet() : set(TheKit().open()) {}
    ~OpenSet()
    {
        if (set) TheKit().close(set);
    }
    OpenSet(const OpenSet&) = delete;
    OpenSet& operator=(const OpenSet&) = delete;
    Handle Get() const { return set; }
    Handle Release() { return std::exchange(set, nullptr); }

private:
    Handle set;
};

// The report that sets the box's outputs high, as Kontakta writes it after
// opening: 00 FF FF on pipe 0.
inline const char outputsHigh[3] = {0x00, static_cast<char>(0xFF), static_cast<char>(0xFF)};

// A read: whether it succeeded and the value it left.
struct ReadResult {
    BOOL ok;
    DWORD value;
};
inline ReadResult Read(Handle device)
{
    DWORD value = 0xA5A5A5A5;
    const BOOL ok = TheKit().read(device, &value);
    return {ok, value};
}

class KitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(TheControl(), nullptr) << "the shared control could not be opened";
        ASSERT_TRUE(TheKit().module) << "iowkit.dll was not found beside the test program";
        ASSERT_TRUE(TheKit().Complete()) << "an ordinal of the kit is missing";
        kitsim::ResetControl(control);
    }
    kitsim::Control& control = *TheControl();
    Kit& kit = TheKit();
};

// The calls logged since `first` (1-based), oldest first.
inline std::vector<kitsim::CallCopy> CallsSince(const kitsim::Control& control, uint32_t first)
{
    std::vector<kitsim::CallCopy> calls;
    const uint32_t last = control.callLogNext.load();
    for (uint32_t sequence = first; sequence <= last; ++sequence) {
        kitsim::CallCopy copy{};
        if (kitsim::CopyCall(control, sequence, copy)) calls.push_back(copy);
    }
    return calls;
}

// kitsim.exe beside the test program.
inline std::wstring KitSimPath()
{
    return testsupport::ProgramDirectory() + L"kitsim.exe";
}

// A hidden top-level window that counts the device-change broadcasts.
class DeviceChangeCounter {
public:
    DeviceChangeCounter()
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KitSimDeviceChangeCounter";
        ::RegisterClassW(&windowClass);
        window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   windowClass.hInstance, nullptr);
        count = 0;
    }
    ~DeviceChangeCounter() { ::DestroyWindow(window); }
    DeviceChangeCounter(const DeviceChangeCounter&) = delete;
    DeviceChangeCounter& operator=(const DeviceChangeCounter&) = delete;
    static inline int count = 0;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_DEVICECHANGE && wParam == DBT_DEVNODES_CHANGED && lParam == 0) ++count;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    HWND window;
};

}  // namespace kitsimtest
