// What a sensor has beyond its block record (a later action group, the
// latch, the Windows key, a modifier alone), and the settings that all
// pointer and wheel sensors share; the live copy that the settings pages
// write and the polling thread reads.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>

#include "sensors/ActionGroups.h"
#include "sensors/PointerMotion.h"
#include "sensors/Scan.h"
#include "sensors/SensorAction.h"
#include "sensors/WheelRepeat.h"

namespace kontakta {

constexpr int32_t blockGroup = -1;  // the block's group and action apply

// What one sensor has beyond its block record.
struct SensorExtras {
    int32_t group = blockGroup;  // a later group (3 to 5), or blockGroup
    int32_t action = 0;          // the action in that group
    bool latch = false;          // "Einrasten"
    bool win = false;            // WIN as a fourth modifier of the key combination
    ModifierAlone modifierAlone = ModifierAlone::None;
    bool operator==(const SensorExtras&) const = default;
};

struct ActionsSettings {
    PointerSpeeds pointer;
    WheelTiming wheel;
    std::array<SensorExtras, sensorCount> sensors{};
    // The on-screen indicator of what is latched and of the pause (off by
    // default).
    bool showIndicator = false;
    ScanTiming scan;  // the sweep and step times and "Fein nachführen" of "Bildschirm abtasten"
    bool operator==(const ActionsSettings&) const = default;
};

// The group a sensor acts in: its later group, or the block record's.
inline int32_t EffectiveGroup(const SensorAction& record, const SensorExtras& extras)
{
    return extras.group == blockGroup ? record.actionGroup : extras.group;
}

// The live options. The polling thread takes a consistent copy at each press
// while the settings pages write them whole; a short lock makes each copy
// atomic, as for the records.
class ActionOptionsTable {
public:
    ActionsSettings Get() const
    {
        std::lock_guard<std::mutex> guard(lock);
        return settings;
    }
    void Set(const ActionsSettings& changed)
    {
        std::lock_guard<std::mutex> guard(lock);
        settings = changed;
    }

private:
    mutable std::mutex lock;
    ActionsSettings settings;
};

// The program's live options, beside its records (sensors/SensorAction.h).
extern ActionOptionsTable actionOptions;

}  // namespace kontakta
