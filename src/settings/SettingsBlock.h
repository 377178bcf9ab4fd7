// The settings block: the settings in memory as the 5032 bytes of the
// settings file, beepOnPress, the eight records, settingsVersion,
// little-endian, no header.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "sensors/SensorAction.h"

namespace kontakta {

constexpr size_t settingsBlockSize = 4 + sensorCount * sizeof(SensorAction) + 4;
static_assert(settingsBlockSize == 5032, "the settings file is 5032 bytes");
constexpr size_t settingsVersionOffset = 5028;

using SettingsBlock = std::array<uint8_t, settingsBlockSize>;

// The settings in memory as the bytes of the block.
SettingsBlock SerializeSettings();
void DeserializeSettings(const SettingsBlock& block);

// Replaces the start of the block in memory with `length` bytes (at most the
// block's size); the rest keeps its values.
void OverlaySettings(const uint8_t* bytes, size_t length);

// The range check of the loaded records; a target without its terminating
// zero is cut to the 254 units a target holds. Returns true if it changed
// anything.
bool ValidateSettings();

}  // namespace kontakta
