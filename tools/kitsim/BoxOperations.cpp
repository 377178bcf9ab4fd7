#include "BoxOperations.h"

#include <dbt.h>

namespace kitsim {

void SetInputHeld(Control& control, uint32_t device, uint32_t input, bool held)
{
    if (device < 1 || device > maxDevices || input < 1 || input > inputCount) return;
    const uint32_t bit = 1u << (input - 1);
    if (held)
        control.devices[device - 1].pressed.fetch_or(bit);
    else
        control.devices[device - 1].pressed.fetch_and(~bit);
}

void SetPlugged(Control& control, bool plugged)
{
    control.plugged.store(plugged ? 1 : 0);
    BroadcastDeviceChange();
}

void SetDeviceCount(Control& control, uint32_t count)
{
    control.deviceCount.store(count < maxDevices ? count : maxDevices);
    BroadcastDeviceChange();
}

void BroadcastDeviceChange()
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0, SMTO_ABORTIFHUNG, 500, &result);
}

bool CurrentInputValue(const Control& control, uint32_t device, uint32_t& value)
{
    if (device < 1 || device > PresentDeviceCount(control)) return false;
    const Device& simulated = control.devices[device - 1];
    if (simulated.readsFail.load()) return false;
    value = simulated.rawOverride.load() ? simulated.rawValue.load()
                                         : ComposeInputValue(simulated.idCode.load(), simulated.pressed.load());
    return true;
}

std::wstring HeldInputsText(uint32_t pressed)
{
    std::wstring text;
    for (uint32_t input = 1; input <= inputCount; ++input) {
        if (!(pressed & (1u << (input - 1)))) continue;
        if (!text.empty()) text += L", ";
        text += std::to_wstring(input);
    }
    return text;
}

}  // namespace kitsim
