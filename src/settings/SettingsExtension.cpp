#include "settings/SettingsExtension.h"
#include "settings/LittleEndian.h"

#include <cstring>

namespace kontakta {

namespace {

constexpr uint8_t magic[4] = {'K', 'T', 'X', 'E'};
constexpr size_t payloadVersion1 = sensorCount * 4;

using namespace little;

bool HasMagic(const uint8_t* tail, size_t length)
{
    return length >= sizeof magic && std::memcmp(tail, magic, sizeof magic) == 0;
}

}  // namespace

uint32_t Crc32(const uint8_t* bytes, size_t length)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::vector<uint8_t> EncodeSettingsExtension(const SettingsExtension& extension)
{
    std::vector<uint8_t> payload;
    for (const FilterTimes& raw : extension.filters) {
        const FilterTimes times = ClampFilterTimes(raw);
        Put16(payload, times.holdMilliseconds);
        Put16(payload, times.lockoutMilliseconds);
    }
    std::vector<uint8_t> bytes(magic, magic + sizeof magic);
    Put16(bytes, settingsExtensionVersion);
    Put16(bytes, 0);
    Put32(bytes, static_cast<uint32_t>(payload.size()));
    Put32(bytes, Crc32(payload.data(), payload.size()));
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

std::optional<SettingsExtension> DecodeSettingsExtension(const uint8_t* tail, size_t length)
{
    if (!tail || length < settingsExtensionHeaderSize || !HasMagic(tail, length)) return std::nullopt;
    if (Get16(tail + 4) != settingsExtensionVersion) return std::nullopt;
    const uint32_t payloadLength = Get32(tail + 8);
    if (payloadLength != payloadVersion1 || length - settingsExtensionHeaderSize < payloadLength) return std::nullopt;
    const uint8_t* payload = tail + settingsExtensionHeaderSize;
    if (Crc32(payload, payloadLength) != Get32(tail + 12)) return std::nullopt;
    SettingsExtension extension;
    for (size_t sensor = 0; sensor < sensorCount; ++sensor) {
        const uint8_t* entry = payload + sensor * 4;
        extension.filters[sensor] = ClampFilterTimes({Get16(entry), Get16(entry + 2)});
    }
    return extension;
}

bool MayWriteSettingsExtension(const uint8_t* tail, size_t length)
{
    if (length == 0) return true;
    if (!tail || !HasMagic(tail, length)) return false;
    // A header cut short is our own damaged extension; a complete one must be
    // of a version we know.
    return length < 6 || Get16(tail + 4) <= settingsExtensionVersion;
}

size_t ExtensionExtent(const uint8_t* tail, size_t length)
{
    if (!tail || !HasMagic(tail, length)) return 0;
    if (length < settingsExtensionHeaderSize) return length;
    const uint64_t extent = uint64_t(settingsExtensionHeaderSize) + Get32(tail + 8);
    return extent < length ? size_t(extent) : length;
}

}  // namespace kontakta
