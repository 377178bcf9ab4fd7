#include "settings/SettingsFile.h"

#include <algorithm>

#include "sensors/SensorActivity.h"
#include "settings/ActionsRecord.h"
#include "settings/LiveProfiles.h"
#include "settings/ProfilesRecord.h"
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

    // Whatever happens below, no profile of an earlier file stays.
    ResetLiveProfiles(ProfileStore(LiveSettings()));
    std::vector<uint8_t> bytes;
    // Far enough for the largest profiles' record after the other two.
    if (storage.ReadStart(path, settingsBlockSize + maxTailRead, bytes) != SettingsStorage::ReadResult::Read)
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

    // The block, the filters and the actions are the active profile's; the
    // profiles' record brings the others. Where an older Kontakta changed
    // the block since (blockChangedSince), that change simply stands: it is
    // the active profile's, as the records above already took it.
    SettingsBlock fileBlock{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), settingsBlockSize), fileBlock.begin());
    const LoadedProfiles loaded =
        LoadProfiles(tail ? DecodeProfilesRecordInTail(tail, tailLength) : std::nullopt, LiveSettings(), fileBlock);
    ResetLiveProfiles(loaded.store);
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
    // The live settings as the active profile's, beside the other profiles.
    return SaveProfilesFile(storage, ProfilesToSave());
}

bool SaveSettings(SettingsStorage& storage)
{
    return SaveSettingsFile(storage) == SaveResult::Saved;
}

}  // namespace kontakta
