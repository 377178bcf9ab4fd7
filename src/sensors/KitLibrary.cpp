#include "sensors/KitLibrary.h"

// MinGW declares the HID functions without C linkage.
extern "C" {
#include <hidsdi.h>
}
#include <setupapi.h>

#include <vector>

using namespace kontakta;

namespace {

template <typename Function>
bool Lookup(HMODULE module, WORD ordinal, Function& function)
{
    // GetProcAddress takes an ordinal in the low word of the name pointer.
    function = reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(module, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(ordinal)))));
    return function != nullptr;
}

HMODULE LoadKitModule(const wchar_t* fileName)
{
    // The program's own folder and the system folders only: never the
    // current directory or PATH. Older systems without these flags answer
    // ERROR_INVALID_PARAMETER and get the plain search.
    HMODULE module = ::LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    if (!module && ::GetLastError() == ERROR_INVALID_PARAMETER) module = ::LoadLibraryW(fileName);
    return module;
}

}  // namespace

KitLibrary::KitLibrary(const wchar_t* fileName) : fileName(fileName) {}

bool KitLibrary::Load()
{
    if (loaded) return true;
    module.Reset(LoadKitModule(fileName));
    if (!module) return false;
    const HMODULE handle = module.Get();
    loaded = Lookup(handle, 1, open) && Lookup(handle, 2, close) && Lookup(handle, 4, write) &&
             Lookup(handle, 5, read) && Lookup(handle, 8, count) && Lookup(handle, 9, device) &&
             Lookup(handle, 11, productId) && Lookup(handle, 12, serial);
    if (!loaded) module.Reset();
    return loaded;
}

uintptr_t KitLibrary::OpenDevices()
{
    if (!Load()) return 0;
    return reinterpret_cast<uintptr_t>(open());
}

void KitLibrary::CloseDevices(uintptr_t set)
{
    if (loaded) close(reinterpret_cast<Handle>(set));
}

uint32_t KitLibrary::DeviceCount()
{
    return loaded ? count() : 0;
}

uintptr_t KitLibrary::DeviceHandle(uint32_t number)
{
    return loaded ? reinterpret_cast<uintptr_t>(device(number)) : 0;
}

uint16_t KitLibrary::ProductId(uintptr_t handle)
{
    return loaded ? static_cast<uint16_t>(productId(reinterpret_cast<Handle>(handle)) & 0xFFFF) : 0;
}

bool KitLibrary::Read(uintptr_t handle, uint32_t& value)
{
    if (!loaded) return false;
    DWORD read_value = 0;
    // Only the low byte of the kit's answer carries the result.
    if ((read(reinterpret_cast<Handle>(handle), &read_value) & 0xFF) == 0) return false;
    value = read_value;
    return true;
}

void KitLibrary::SerialNumber(uintptr_t handle, char16_t (&serialText)[9])
{
    if (!loaded) return;
    wchar_t buffer[9] = {};
    serial(reinterpret_cast<Handle>(handle), buffer);
    for (int i = 0; i < 9; ++i) serialText[i] = static_cast<char16_t>(buffer[i]);
    serialText[8] = u'\0';
}

void KitLibrary::Write(uintptr_t handle, uint32_t pipe, const uint8_t* report, uint32_t length)
{
    if (loaded) write(reinterpret_cast<Handle>(handle), pipe, reinterpret_cast<const char*>(report), length);
}

int32_t HidInterfaceCounter::CountMatchingInterfaces()
{
    GUID hidGuid;
    ::HidD_GetHidGuid(&hidGuid);
    const HDEVINFO devices = ::SetupDiGetClassDevsW(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (devices == INVALID_HANDLE_VALUE) return 0;

    int32_t matching = 0;
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof interfaceData;
    for (DWORD index = 0; ::SetupDiEnumDeviceInterfaces(devices, nullptr, &hidGuid, index, &interfaceData); ++index) {
        DWORD required = 0;
        ::SetupDiGetDeviceInterfaceDetailW(devices, &interfaceData, nullptr, 0, &required, nullptr);
        if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
        std::vector<unsigned char> buffer(required);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (!::SetupDiGetDeviceInterfaceDetailW(devices, &interfaceData, detail, required, nullptr, nullptr)) continue;

        const win::File file(::CreateFileW(detail->DevicePath, GENERIC_READ | GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file) continue;
        HIDD_ATTRIBUTES attributes{};
        attributes.Size = sizeof attributes;
        if (::HidD_GetAttributes(file.Get(), &attributes) && attributes.VendorID == boxVendorId &&
            attributes.ProductID == boxProductId) {
            ++matching;
        }
    }
    ::SetupDiDestroyDeviceInfoList(devices);
    return matching;
}
