// The box maker's kit library, loaded at run time and called by ordinal only.
// A missing library, or one that lacks any of the ordinals, leaves the program
// without a box: every call then answers "no device".
#pragma once

#include <windows.h>

#include "sensors/DeviceAccess.h"
#include "win/Handle.h"

class KitLibrary : public kontakta::Kit {
public:
    explicit KitLibrary(const wchar_t* fileName = L"iowkit.dll");

    // Loads the library and looks up its ordinals; true if all are there.
    // Loading again after a success does nothing. The first open of the
    // devices loads it; a library that was missing is looked for again at
    // every open, so one placed beside the program later is found.
    bool Load();
    bool Loaded() const override { return loaded; }

    uintptr_t OpenDevices() override;
    void CloseDevices(uintptr_t set) override;
    uint32_t DeviceCount() override;
    uintptr_t DeviceHandle(uint32_t number) override;
    uint16_t ProductId(uintptr_t device) override;
    bool Read(uintptr_t device, uint32_t& value) override;
    void SerialNumber(uintptr_t device, char16_t (&serial)[9]) override;
    void Write(uintptr_t device, uint32_t pipe, const uint8_t* report, uint32_t length) override;

private:
    using Handle = void*;
    using OpenFunction = Handle (*)();                                   // ordinal 1
    using CloseFunction = void (*)(Handle);                              // ordinal 2
    using WriteFunction = ULONG (*)(Handle, ULONG, const char*, ULONG);  // ordinal 4
    using ReadFunction = BOOL (*)(Handle, DWORD*);                       // ordinal 5
    using CountFunction = ULONG (*)();                                   // ordinal 8
    using DeviceFunction = Handle (*)(ULONG);                            // ordinal 9
    using ProductIdFunction = ULONG (*)(Handle);                         // ordinal 11
    using SerialFunction = BOOL (*)(Handle, wchar_t*);                   // ordinal 12

    const wchar_t* fileName;
    win::Module module;
    bool loaded = false;
    OpenFunction open = nullptr;
    CloseFunction close = nullptr;
    WriteFunction write = nullptr;
    ReadFunction read = nullptr;
    CountFunction count = nullptr;
    DeviceFunction device = nullptr;
    ProductIdFunction productId = nullptr;
    SerialFunction serial = nullptr;
};

// Counts the present HID interfaces of the box (vendor 0x07C0, product
// 0x1501) through the device setup services.
class HidInterfaceCounter : public kontakta::InterfaceCounter {
public:
    int32_t CountMatchingInterfaces() override;
};
