#include "settings/SettingsFile.h"

#include <algorithm>
#include <limits>

#include "sensors/SensorActivity.h"
#include "settings/ActionsRecord.h"
#include "settings/StartupValues.h"
#include "texts/Texts.h"

namespace kontakta {

std::u16string SettingsFilePath()
{
    return UserFilesDirectory + settingsFileName;
}

std::u16string DefaultSettingsFilePath()
{
    return texts::Fill(u"%so_%s", {InstallDirectory, settingsFileName});
}

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
    const uint8_t* tail = bytes.size() > settingsBlockSize ? bytes.data() + settingsBlockSize : nullptr;
    const size_t tailLength = tail ? bytes.size() - settingsBlockSize : 0;
    const std::optional<SettingsExtension> extension = tail ? DecodeSettingsExtension(tail, tailLength) : std::nullopt;
    sensorFilters.SetAll(extension ? extension->filters : SettingsExtension{}.filters);
    // The later options of an earlier file never stay.
    actionOptions.Set({});

    if (settingsVersion != currentSettingsVersion) {
        messages.ShowMessage(VersionMessage(settingsVersion));
        return false;
    }
    settingsVersion = currentSettingsVersion;
    ValidateSettings();
    // The record was written with the block's records after their range
    // check, so it is applied to them after it.
    SensorActions records = sensorActions.GetAll();
    const ActionsSettings options =
        ApplyActionsRecord(tail ? DecodeActionsRecordInTail(tail, tailLength) : std::nullopt, records);
    sensorActions.SetAll(records);
    actionOptions.Set(options);
    return true;
}

std::vector<uint8_t> SettingsFileContent(const SettingsBlock& live, const std::vector<uint8_t>& oldFile,
                                         const SettingsExtension& extension, const ActionsSettings& options)
{
    return SettingsFileContentWithActions(StoredSettingsBlock(live, options), oldFile, extension,
                                          EncodeActionsRecord(options, BlockRecords(live)));
}

SaveResult SaveSettingsFile(SettingsStorage& storage)
{
    const std::u16string path = SettingsFilePath();
    // The whole old file, for its tail beyond the block.
    std::vector<uint8_t> oldFile;
    switch (storage.ReadStart(path, std::numeric_limits<size_t>::max(), oldFile)) {
    case SettingsStorage::ReadResult::Read: break;
    case SettingsStorage::ReadResult::Missing: return SaveResult::FileMissing;
    case SettingsStorage::ReadResult::CannotOpen:
    case SettingsStorage::ReadResult::Failed: return SaveResult::FileUnreadable;
    }
    SettingsExtension extension;
    extension.filters = sensorFilters.GetAll();
    const std::vector<uint8_t> content =
        SettingsFileContent(SerializeSettings(), oldFile, extension, actionOptions.Get());
    return storage.WriteWhole(path, content, false) ? SaveResult::Saved : SaveResult::NotReplaced;
}

bool SaveSettings(SettingsStorage& storage)
{
    return SaveSettingsFile(storage) == SaveResult::Saved;
}

}  // namespace kontakta
