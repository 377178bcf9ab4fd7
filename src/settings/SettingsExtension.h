// Options that the 5032-byte settings block has no room for (the timing
// filters of the sensors, and any later ones) live in an extension after the
// block, so an older Kontakta still reads the block as it always did.
//
// Layout, little-endian, right after the block:
//   "KTXE"              magic, 4 bytes
//   version             16 bits, 1
//   reserved            16 bits, 0
//   length              32 bits, the number of payload bytes that follow
//   checksum            32 bits, CRC-32 of the payload
//   payload, version 1: for sensors 1 to 8 the hold time and the lockout in
//                       milliseconds, 16 bits each (32 bytes)
// A reader ignores a missing, short, unknown or damaged extension: the
// options then have their defaults and nothing of the block is lost. A writer
// puts the extension only where the tail is empty or already holds one that
// it may replace, so a tail it does not know is never overwritten.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "sensors/SensorAction.h"
#include "sensors/SensorFilter.h"

namespace kontakta {

constexpr uint16_t settingsExtensionVersion = 1;
constexpr size_t settingsExtensionHeaderSize = 16;

struct SettingsExtension {
    std::array<FilterTimes, sensorCount> filters{};  // sensor 1 first; all 0 by default
};

std::vector<uint8_t> EncodeSettingsExtension(const SettingsExtension& extension);

// The extension that `tail` (the bytes after the block) holds, or nothing if
// it is missing, short, of another version, or damaged. Times out of range
// are held to their ranges.
std::optional<SettingsExtension> DecodeSettingsExtension(const uint8_t* tail, size_t length);

// Whether a save may write the extension over `tail`: it is empty, or it
// starts with our magic and a version we know (possibly damaged: it was ours
// to write). A later version's extension or foreign bytes are left alone.
bool MayWriteSettingsExtension(const uint8_t* tail, size_t length);

// How many bytes at the start of `tail` our extension takes: its header and
// the payload length it names, at most the whole tail; 0 without our magic.
size_t ExtensionExtent(const uint8_t* tail, size_t length);

// A loader reads at most this much past the block.
constexpr size_t maxExtensionRead = 4096;

uint32_t Crc32(const uint8_t* bytes, size_t length);

}  // namespace kontakta
