#include "sensors/Latch.h"

#include <algorithm>

namespace kontakta {

SensorLatches::Step SensorLatches::Press(int sensor)
{
    if (sensor < 0 || sensor >= int(latched.size())) return Step::Nothing;
    bool& on = latched[size_t(sensor)];
    on = !on;
    return on ? Step::Hold : Step::LetGo;
}

bool SensorLatches::Latched(int sensor) const
{
    return sensor >= 0 && sensor < int(latched.size()) && latched[size_t(sensor)];
}

bool SensorLatches::AnyLatched() const
{
    return std::any_of(latched.begin(), latched.end(), [](bool on) { return on; });
}

void SensorLatches::Forget(int sensor)
{
    if (sensor >= 0 && sensor < int(latched.size())) latched[size_t(sensor)] = false;
}

bool InputHolders::Hold(uint8_t virtualKey)
{
    uint16_t& count = counts[virtualKey];
    if (count < UINT16_MAX) ++count;
    return count == 1;
}

bool InputHolders::Release(uint8_t virtualKey)
{
    uint16_t& count = counts[virtualKey];
    if (count == 0) return false;
    return --count == 0;
}

bool InputHolders::AnyHeld() const
{
    return std::any_of(counts.begin(), counts.end(), [](uint16_t count) { return count != 0; });
}

std::vector<uint8_t> InputHolders::ReleaseAll()
{
    // VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_XBUTTON1, VK_XBUTTON2; VK_SHIFT,
    // VK_CONTROL, VK_MENU, their left and right codes, VK_LWIN and VK_RWIN.
    const auto isButton = [](int vk) { return vk == 0x01 || vk == 0x02 || (vk >= 0x04 && vk <= 0x06); };
    const auto isModifier = [](int vk) {
        return (vk >= 0x10 && vk <= 0x12) || (vk >= 0xA0 && vk <= 0xA5) || vk == 0x5B || vk == 0x5C;
    };
    std::vector<uint8_t> ups;
    for (int pass = 0; pass < 3; ++pass) {
        for (int vk = 0; vk < 256; ++vk) {
            if (counts[size_t(vk)] == 0) continue;
            const int kind = isButton(vk) ? 2 : isModifier(vk) ? 1 : 0;
            if (kind == pass) ups.push_back(uint8_t(vk));
        }
    }
    counts.fill(0);
    return ups;
}

}  // namespace kontakta
