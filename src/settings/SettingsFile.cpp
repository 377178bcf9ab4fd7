#include "settings/SettingsFile.h"

#include <algorithm>
#include <limits>

#include "sensors/SensorActivity.h"
#include "settings/StartupValues.h"
#include "texts/Texts.h"

namespace kontakta {

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
    if (storage.ReadStart(path, settingsBlockSize + maxExtensionRead, bytes) != SettingsStorage::ReadResult::Read)
        return false;
    OverlaySettings(bytes.data(), std::min(bytes.size(), settingsBlockSize));
    const std::optional<SettingsExtension> extension =
        bytes.size() > settingsBlockSize
            ? DecodeSettingsExtension(bytes.data() + settingsBlockSize, bytes.size() - settingsBlockSize)
            : std::nullopt;
    sensorFilters.SetAll(extension ? extension->filters : SettingsExtension{}.filters);

    if (settingsVersion != currentSettingsVersion) {
        messages.ShowMessage(VersionMessage(settingsVersion));
        return false;
    }
    settingsVersion = currentSettingsVersion;
    ValidateSettings();
    return true;
}

std::vector<uint8_t> SettingsFileContent(const SettingsBlock& block, const std::vector<uint8_t>& oldFile,
                                         const SettingsExtension& extension)
{
    std::vector<uint8_t> content(block.begin(), block.end());
    const uint8_t* tail = oldFile.size() > block.size() ? oldFile.data() + block.size() : nullptr;
    const size_t tailLength = tail ? oldFile.size() - block.size() : 0;
    const bool allDefaults = extension.filters == SettingsExtension{}.filters;
    if (!MayWriteSettingsExtension(tail, tailLength) || (tailLength == 0 && allDefaults)) {
        if (tail) content.insert(content.end(), tail, tail + tailLength);
        return content;
    }
    const std::vector<uint8_t> encoded = EncodeSettingsExtension(extension);
    content.insert(content.end(), encoded.begin(), encoded.end());
    // Whatever followed the old extension stays after the new one.
    const size_t replaced = std::min(tailLength, ExtensionExtent(tail, tailLength));
    if (tail) content.insert(content.end(), tail + replaced, tail + tailLength);
    return content;
}

SaveResult SaveSettingsFile(SettingsStorage& storage)
{
    const std::u16string path = SettingsFilePath();
    // The whole old file, for its tail beyond the block.
    std::vector<uint8_t> oldFile;
    switch (storage.ReadStart(path, std::numeric_limits<size_t>::max(), oldFile)) {
    case SettingsStorage::ReadResult::Read:
        break;
    case SettingsStorage::ReadResult::Missing:
        return SaveResult::FileMissing;
    case SettingsStorage::ReadResult::CannotOpen:
    case SettingsStorage::ReadResult::Failed:
        return SaveResult::FileUnreadable;
    }
    SettingsExtension extension;
    extension.filters = sensorFilters.GetAll();
    const std::vector<uint8_t> content = SettingsFileContent(SerializeSettings(), oldFile, extension);
    return storage.WriteWhole(path, content, false) ? SaveResult::Saved : SaveResult::NotReplaced;
}

bool SaveSettings(SettingsStorage& storage) { return SaveSettingsFile(storage) == SaveResult::Saved; }

}  // namespace kontakta
