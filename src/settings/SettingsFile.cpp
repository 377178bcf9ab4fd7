#include "settings/SettingsFile.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "texts/Texts.h"

static_assert(std::endian::native == std::endian::little, "the settings file is little-endian, like the machines");

std::u16string InstallDirectory;
std::u16string UserFilesDirectory;
int32_t UpdateCode = 0;

namespace {

void PutInt32(uint8_t* at, int32_t value) { std::memcpy(at, &value, sizeof value); }

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
    for (SensorAction& record : records) changed |= ClampSensorAction(record);
    if (changed) sensorActions.SetAll(records);
    return changed;
}

std::u16string SettingsFilePath() { return UserFilesDirectory + settingsFileName; }

std::u16string DefaultSettingsFilePath() { return texts::Fill(u"%so_%s", {InstallDirectory, settingsFileName}); }

std::u16string VersionMessage(int32_t version)
{
    return texts::VersionIncompatible(version);
}

bool LoadSettings(SettingsStorage& storage, MessageSink& messages)
{
    const std::u16string path = SettingsFilePath();
    if (UpdateCode == 1 && !storage.CopyFileOver(DefaultSettingsFilePath(), path)) return false;

    std::vector<uint8_t> bytes;
    if (storage.ReadStart(path, settingsBlockSize, bytes) != SettingsStorage::ReadResult::Read) return false;
    OverlaySettings(bytes.data(), bytes.size());

    if (settingsVersion != currentSettingsVersion) {
        messages.ShowMessage(VersionMessage(settingsVersion));
        return false;
    }
    settingsVersion = currentSettingsVersion;
    ValidateSettings();
    return true;
}

bool SaveSettings(SettingsStorage& storage)
{
    const SettingsBlock block = SerializeSettings();
    return storage.WriteStart(SettingsFilePath(), block.data(), block.size());
}

int32_t ParseLeadingInteger(const std::u16string& text)
{
    size_t at = 0;
    while (at < text.size() && (text[at] == u' ' || (text[at] >= u'\t' && text[at] <= u'\r'))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) negative = text[at++] == u'-';
    int64_t value = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
        value = value * 10 + (text[at] - u'0');
        if (value > int64_t(std::numeric_limits<int32_t>::max()) + 1) break;
    }
    if (negative) value = -value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}
