#include "settings/SettingsBlock.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace kontakta {

static_assert(std::endian::native == std::endian::little, "the settings file is little-endian, like the machines");

namespace {

void PutInt32(uint8_t* at, int32_t value)
{
    std::memcpy(at, &value, sizeof value);
}

int32_t GetInt32(const uint8_t* at)
{
    int32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

}  // namespace

SettingsBlock SerializeSettings()
{
    SettingsBlock block{};
    PutInt32(block.data(), beepOnPress);
    const SensorActions records = sensorActions.GetAll();
    std::memcpy(block.data() + 4, records.data(), sizeof records);
    PutInt32(block.data() + settingsVersionOffset, settingsVersion);
    return block;
}

void DeserializeSettings(const SettingsBlock& block)
{
    beepOnPress = GetInt32(block.data());
    SensorActions records;
    std::memcpy(records.data(), block.data() + 4, sizeof records);
    sensorActions.SetAll(records);
    settingsVersion = GetInt32(block.data() + settingsVersionOffset);
}

void OverlaySettings(const uint8_t* bytes, size_t length)
{
    if (length == 0) return;  // an empty file changes nothing
    SettingsBlock block = SerializeSettings();
    std::memcpy(block.data(), bytes, std::min(length, block.size()));
    DeserializeSettings(block);
}

bool ValidateSettings()
{
    SensorActions records = sensorActions.GetAll();
    bool changed = false;
    for (SensorAction& record : records) {
        changed |= ClampSensorAction(record);
        // A target without its zero would fill the editor's field past what
        // the field takes, and its OK would refuse it: it ends at the last
        // unit that a terminated target can have.
        if (FieldLength(record.path, pathLength) == pathLength) {
            record.path[pathLength - 1] = u'\0';
            changed = true;
        }
    }
    if (changed) sensorActions.SetAll(records);
    return changed;
}

}  // namespace kontakta
