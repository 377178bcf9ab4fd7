#include "settings/ActionsRecord.h"
#include "settings/LittleEndian.h"

#include <algorithm>
#include <cstring>

namespace kontakta {

namespace {

constexpr uint8_t magic[4] = {'K', 'T', 'X', 'A'};
constexpr uint8_t noGroup = 0xFF;
constexpr uint8_t flagOn = 0x01, flagLatch = 0x02, flagWin = 0x04;
constexpr uint32_t optionIndicator = 0x0001, optionRefine = 0x0002;

using namespace little;

bool HasMagic(const uint8_t* bytes, size_t length)
{
    return bytes && length >= sizeof magic && std::memcmp(bytes, magic, sizeof magic) == 0;
}

uint32_t BlockChecksum(const SensorAction& record)
{
    uint8_t bytes[sizeof(SensorAction)];
    std::memcpy(bytes, &record, sizeof bytes);
    return Crc32(bytes, sizeof bytes);
}

SensorExtras ValidExtras(int32_t group, int32_t action, uint8_t flags, uint32_t modifierAlone)
{
    SensorExtras extras;
    if (group >= blockGroupCount && group < groupCount && action >= 0 && action < ActionCount(group)) {
        extras.group = group;
        extras.action = action;
    }
    extras.latch = flags & flagLatch;
    extras.win = flags & flagWin;
    if (modifierAlone < uint32_t(modifierAloneCount)) extras.modifierAlone = ModifierAlone(modifierAlone);
    return extras;
}

}  // namespace

bool NeedsRecord(const SensorExtras& extras)
{
    return extras.group != blockGroup || extras.win || extras.modifierAlone != ModifierAlone::None;
}

SensorAction StoredBlockRecord(SensorAction record, const SensorExtras& extras)
{
    ClampSensorAction(record);
    if (NeedsRecord(extras)) record.enabled = 0;
    return record;
}

SensorActions BlockRecords(const SettingsBlock& block)
{
    SensorActions records;
    std::memcpy(records.data(), block.data() + 4, sizeof records);
    return records;
}

SettingsBlock StoredSettingsBlock(const SettingsBlock& live, const ActionsSettings& settings)
{
    SensorActions records = BlockRecords(live);
    for (size_t sensor = 0; sensor < records.size(); ++sensor)
        records[sensor] = StoredBlockRecord(records[sensor], settings.sensors[sensor]);
    SettingsBlock stored = live;
    std::memcpy(stored.data() + 4, records.data(), sizeof records);
    return stored;
}

std::vector<uint8_t> EncodeActionsRecord(const ActionsSettings& raw, const SensorActions& live)
{
    if (raw == ActionsSettings{}) return {};
    return EncodeActionsRecordAlways(raw, live);
}

std::vector<uint8_t> EncodeActionsRecordAlways(const ActionsSettings& raw, const SensorActions& live)
{
    const PointerSpeeds pointer = ClampPointerSpeeds(raw.pointer);
    const WheelTiming wheel = ClampWheelTiming(raw.wheel);
    std::vector<uint8_t> payload;
    Put16(payload, pointer.startPixelsPerSecond);
    Put16(payload, pointer.topPixelsPerSecond);
    Put16(payload, pointer.accelerationMilliseconds);
    Put16(payload, wheel.delayMilliseconds);
    Put16(payload, wheel.notchesPerSecond);
    const ScanTiming scan = ClampScanTiming(raw.scan);
    Put16(payload, (raw.showIndicator ? optionIndicator : 0) | (scan.refine ? optionRefine : 0));
    for (size_t sensor = 0; sensor < size_t(sensorCount); ++sensor) {
        const SensorExtras& given = raw.sensors[sensor];
        // Only what a loader would accept is written.
        const SensorExtras extras =
            ValidExtras(given.group, given.action, (given.latch ? flagLatch : 0) | (given.win ? flagWin : 0),
                        uint32_t(given.modifierAlone));
        Put32(payload, BlockChecksum(StoredBlockRecord(live[sensor], extras)));
        Put8(payload, extras.group == blockGroup ? noGroup : uint32_t(extras.group));
        Put8(payload, extras.group == blockGroup ? 0 : uint32_t(extras.action));
        Put8(payload,
             (live[sensor].enabled ? flagOn : 0) | (extras.latch ? flagLatch : 0) | (extras.win ? flagWin : 0));
        Put8(payload, uint32_t(extras.modifierAlone));
        Put32(payload, 0);
    }
    Put16(payload, scan.sweepMilliseconds);
    Put16(payload, scan.stepMilliseconds);
    std::vector<uint8_t> bytes(magic, magic + sizeof magic);
    Put16(bytes, actionsRecordVersion);
    Put16(bytes, 0);
    Put32(bytes, uint32_t(payload.size()));
    Put32(bytes, Crc32(payload.data(), payload.size()));
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

std::optional<DecodedActions> DecodeActionsRecord(const uint8_t* bytes, size_t length)
{
    if (length < actionsRecordHeaderSize || !HasMagic(bytes, length)) return std::nullopt;
    if (Get16(bytes + 4) != actionsRecordVersion) return std::nullopt;
    const uint32_t payloadLength = Get32(bytes + 8);
    if (payloadLength != actionsRecordPayloadSize && payloadLength != actionsRecordPayloadSizeWithoutScan)
        return std::nullopt;
    if (length - actionsRecordHeaderSize < payloadLength) return std::nullopt;
    const uint8_t* payload = bytes + actionsRecordHeaderSize;
    if (Crc32(payload, payloadLength) != Get32(bytes + 12)) return std::nullopt;
    DecodedActions decoded;
    decoded.settings.pointer = ClampPointerSpeeds({Get16(payload), Get16(payload + 2), Get16(payload + 4)});
    decoded.settings.wheel = ClampWheelTiming({Get16(payload + 6), Get16(payload + 8)});
    const uint32_t options = Get16(payload + 10);
    decoded.settings.showIndicator = (options & optionIndicator) != 0;
    for (size_t sensor = 0; sensor < size_t(sensorCount); ++sensor) {
        const uint8_t* entry = payload + 12 + sensor * 12;
        decoded.blockChecksums[sensor] = Get32(entry);
        const int32_t group = entry[4] == noGroup ? blockGroup : int32_t(entry[4]);
        decoded.settings.sensors[sensor] = ValidExtras(group, entry[5], entry[6], entry[7]);
        decoded.enabled[sensor] = entry[6] & flagOn;
    }
    // A record without the scan's timing leaves the scan its defaults.
    if (payloadLength == actionsRecordPayloadSize) {
        const uint8_t* scan = payload + actionsRecordPayloadSizeWithoutScan;
        decoded.settings.scan = ClampScanTiming({Get16(scan), Get16(scan + 2), (options & optionRefine) != 0});
    }
    return decoded;
}

std::optional<DecodedActions> DecodeActionsRecordInTail(const uint8_t* tail, size_t length)
{
    if (!tail) return std::nullopt;
    const size_t offset = std::min(length, ExtensionExtent(tail, length));
    return DecodeActionsRecord(tail + offset, length - offset);
}

ActionsSettings ApplyActionsRecord(const std::optional<DecodedActions>& decoded, SensorActions& records)
{
    ActionsSettings settings;
    if (!decoded) return settings;
    settings.pointer = decoded->settings.pointer;
    settings.wheel = decoded->settings.wheel;
    settings.showIndicator = decoded->settings.showIndicator;
    settings.scan = decoded->settings.scan;
    for (size_t sensor = 0; sensor < size_t(sensorCount); ++sensor) {
        // The block wins where an older Kontakta changed the sensor since.
        if (BlockChecksum(records[sensor]) != decoded->blockChecksums[sensor]) continue;
        const SensorExtras& extras = decoded->settings.sensors[sensor];
        settings.sensors[sensor] = extras;
        if (NeedsRecord(extras)) records[sensor].enabled = decoded->enabled[sensor] ? 1 : 0;
    }
    return settings;
}

bool MayWriteActionsRecord(const uint8_t* bytes, size_t length)
{
    if (length == 0) return true;
    if (!HasMagic(bytes, length)) return false;
    return length < 6 || Get16(bytes + 4) <= actionsRecordVersion;
}

size_t ActionsRecordExtent(const uint8_t* bytes, size_t length)
{
    if (!HasMagic(bytes, length)) return 0;
    if (length < actionsRecordHeaderSize) return length;
    const uint64_t extent = uint64_t(actionsRecordHeaderSize) + Get32(bytes + 8);
    return extent < length ? size_t(extent) : length;
}

std::vector<uint8_t> SettingsFileContentWithActions(const SettingsBlock& block, const std::vector<uint8_t>& oldFile,
                                                    const SettingsExtension& filters,
                                                    const std::vector<uint8_t>& actionsRecord)
{
    std::vector<uint8_t> content(block.begin(), block.end());
    const uint8_t* tail = oldFile.size() > block.size() ? oldFile.data() + block.size() : nullptr;
    const size_t tailLength = tail ? oldFile.size() - block.size() : 0;
    const auto keep = [&content](const uint8_t* from, size_t length) {
        if (from && length) content.insert(content.end(), from, from + length);
    };
    // A tail that is not ours, or a later filters' extension: nothing of ours
    // may go before it, so it stays as it is.
    if (!MayWriteSettingsExtension(tail, tailLength)) {
        keep(tail, tailLength);
        return content;
    }
    const size_t filtersExtent = std::min(tailLength, ExtensionExtent(tail, tailLength));
    const uint8_t* rest = tail ? tail + filtersExtent : nullptr;
    const size_t restLength = tailLength - filtersExtent;
    // An actions record of a later version stays, and ours is not written.
    const bool mayWriteActions = MayWriteActionsRecord(rest, restLength);
    const size_t actionsExtent = mayWriteActions ? std::min(restLength, ActionsRecordExtent(rest, restLength)) : 0;
    const bool writeActions = mayWriteActions && !actionsRecord.empty();
    const bool anythingFollows = writeActions || restLength > actionsExtent;
    if (tailLength == 0 && !anythingFollows && filters.filters == SettingsExtension{}.filters) return content;
    // The filters' record comes first, exactly as an older Kontakta writes it.
    const std::vector<uint8_t> encodedFilters = EncodeSettingsExtension(filters);
    content.insert(content.end(), encodedFilters.begin(), encodedFilters.end());
    if (writeActions) content.insert(content.end(), actionsRecord.begin(), actionsRecord.end());
    keep(rest ? rest + actionsExtent : nullptr, restLength - actionsExtent);
    return content;
}

}  // namespace kontakta
