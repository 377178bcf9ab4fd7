#include <atomic>
#include "settings/LiveProfiles.h"

#include <limits>

#include "sensors/SensorActivity.h"
#include "settings/ProfilesRecord.h"

namespace kontakta {

namespace {

struct Live {
    ProfileStore store;
    // The profile last chosen by hand (its id), which the file keeps active.
    uint32_t chosenByHand = 1;
};

Live& TheLive()
{
    // Built on first use: no order of static objects to depend on.
    static Live live;
    return live;
}

// The store's count for the polling thread; the store changes its count only
// where it is replaced whole (ResetLiveProfiles).
std::atomic<size_t> liveCount{1};

}  // namespace

size_t LiveProfileCount()
{
    return liveCount;
}

ProfileStore& LiveProfiles()
{
    return TheLive().store;
}

ProfileSettings LiveSettings()
{
    ProfileSettings settings;
    settings.pressSound = beepOnPress != 0;
    settings.records = sensorActions.GetAll();
    settings.filters = sensorFilters.GetAll();
    settings.actions = actionOptions.Get();
    return settings;
}

void PutLiveSettings(const ProfileSettings& settings)
{
    // The records before the options: a press between the two writes finds
    // a record with the old extras at worst, which the range checks of the
    // polling keep harmless, and the switch's let-go comes before either.
    beepOnPress = settings.pressSound ? 1 : 0;
    sensorFilters.SetAll(settings.filters);
    sensorActions.SetAll(settings.records);
    actionOptions.Set(settings.actions);
}

ProfileStore CurrentProfiles()
{
    ProfileStore store = TheLive().store;
    store.SetActiveSettings(LiveSettings());
    return store;
}

ProfileStore ProfilesToSave()
{
    ProfileStore store = CurrentProfiles();
    if (const std::optional<size_t> chosen = store.IndexOfId(TheLive().chosenByHand)) store.Activate(*chosen);
    return store;
}

void ResetLiveProfiles(const ProfileStore& store)
{
    TheLive().store = store;
    TheLive().chosenByHand = store.IdAt(store.ActiveIndex());
    liveCount = store.Count();
}

bool ActiveProfileChanges(const ProfileStore& current, const ProfileStore& edited)
{
    return current.IdAt(current.ActiveIndex()) != edited.IdAt(edited.ActiveIndex()) ||
           !(current.Active().settings == edited.Active().settings);
}

bool SwitchLiveProfile(size_t index, bool byHand, const std::function<void()>& letGo)
{
    Live& live = TheLive();
    if (index >= live.store.Count()) return false;
    if (byHand) live.chosenByHand = live.store.IdAt(index);
    if (index == live.store.ActiveIndex()) return true;
    live.store.SetActiveSettings(LiveSettings());
    live.store.Activate(index);
    if (letGo) letGo();
    PutLiveSettings(live.store.Active().settings);
    return true;
}

SaveResult AdoptProfiles(SettingsStorage& storage, const ProfileStore& edited, const std::function<void()>& letGo)
{
    const SaveResult saved = SaveProfilesFile(storage, edited);
    if (saved != SaveResult::Saved) return saved;
    const bool changes = ActiveProfileChanges(CurrentProfiles(), edited);
    if (changes && letGo) letGo();
    if (changes) PutLiveSettings(edited.Active().settings);
    ResetLiveProfiles(edited);
    return saved;
}

SaveResult SaveProfilesFile(SettingsStorage& storage, const ProfileStore& store)
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
    const std::vector<uint8_t> content = SettingsFileContentForProfiles(store, oldFile);
    return storage.WriteWhole(path, content, false) ? SaveResult::Saved : SaveResult::NotReplaced;
}

}  // namespace kontakta
