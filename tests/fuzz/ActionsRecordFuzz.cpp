// libFuzzer target: any bytes as the tail after the settings block. The
// decoder of the actions record must never crash or read past its bytes,
// what it accepts must be in range, and a save over any tail must keep what
// it does not know.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "settings/ActionsRecord.h"

using namespace kontakta;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SensorActions records = DefaultSensorActions();
    const std::optional<DecodedActions> decoded = DecodeActionsRecordInTail(size ? data : nullptr, size);
    const ActionsSettings settings = ApplyActionsRecord(decoded, records);
    if (ClampPointerSpeeds(settings.pointer) != settings.pointer) std::abort();
    if (ClampWheelTiming(settings.wheel) != settings.wheel) std::abort();
    if (ClampScanTiming(settings.scan) != settings.scan) std::abort();
    for (const SensorExtras& extras : settings.sensors) {
        if (extras.group != blockGroup && (extras.group < blockGroupCount || extras.group >= groupCount)) std::abort();
        if (extras.group != blockGroup && (extras.action < 0 || extras.action >= ActionCount(extras.group)))
            std::abort();
        if (int32_t(extras.modifierAlone) < 0 || int32_t(extras.modifierAlone) >= modifierAloneCount) std::abort();
    }
    // What a save writes over this tail reads back as what was saved.
    SensorActions stored;
    for (size_t i = 0; i < stored.size(); ++i) stored[i] = StoredBlockRecord(records[i], settings.sensors[i]);
    SettingsBlock block{};
    std::memcpy(block.data() + 4, stored.data(), sizeof stored);
    std::vector<uint8_t> oldFile(block.begin(), block.end());
    oldFile.insert(oldFile.end(), data, data + size);
    const std::vector<uint8_t> record = EncodeActionsRecord(settings, records);
    const std::vector<uint8_t> saved = SettingsFileContentWithActions(block, oldFile, {}, record);
    if (saved.size() < block.size() || std::memcmp(saved.data(), block.data(), block.size()) != 0) std::abort();
    if (!MayWriteSettingsExtension(size ? data : nullptr, size)) {
        // Not ours: kept byte for byte.
        if (saved != oldFile) std::abort();
        return 0;
    }
    const uint8_t* tail = saved.data() + block.size();
    const size_t tailLength = saved.size() - block.size();
    const std::optional<DecodedActions> again = DecodeActionsRecordInTail(tail, tailLength);
    if (!record.empty() && again) {
        SensorActions reloaded = stored;
        if (ApplyActionsRecord(again, reloaded) != settings) std::abort();
        for (size_t i = 0; i < reloaded.size(); ++i)
            if (reloaded[i].enabled != records[i].enabled) std::abort();
    }
    return 0;
}
