// libFuzzer target: any bytes as the tail after the settings block. The
// profiles' record decoder must never crash or read past its bytes, what it
// accepts must keep the store's rules, and a save over any tail must keep
// what it does not know and read back as what was saved.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "settings/ActionsRecord.h"
#include "settings/ProfilesRecord.h"

using namespace kontakta;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t* tail = size ? data : nullptr;
    const SettingsBlock block = BlockOfSettings({});
    const LoadedProfiles loaded = LoadProfiles(DecodeProfilesRecordInTail(tail, size), {}, block);
    const ProfileStore& store = loaded.store;
    if (store.Count() == 0 || store.Count() > maxProfiles || store.ActiveIndex() >= store.Count()) std::abort();
    for (size_t i = 0; i < store.Count(); ++i) {
        if (store.CheckName(store.At(i).name, i) != ProfileResult::Done) std::abort();
        if (store.At(i).programs.size() > maxProgramsPerProfile) std::abort();
        ProfileSettings settings = store.At(i).settings;
        SanitizeSettings(settings);
        if (!(settings == store.At(i).settings)) std::abort();
    }
    // A save over this tail keeps a tail that is not ours, and what it wrote
    // of ours reads back.
    std::vector<uint8_t> oldFile(block.begin(), block.end());
    oldFile.insert(oldFile.end(), data, data + size);
    const std::vector<uint8_t> saved = SettingsFileContentForProfiles(store, oldFile);
    if (saved.size() < block.size() || std::memcmp(saved.data(), block.data(), block.size()) != 0) std::abort();
    if (!MayWriteSettingsExtension(tail, size)) {
        if (saved != oldFile) std::abort();
        return 0;
    }
    if (loaded.recordRead) {
        const uint8_t* savedTail = saved.data() + block.size();
        const size_t savedLength = saved.size() - block.size();
        const LoadedProfiles again = LoadProfiles(DecodeProfilesRecordInTail(savedTail, savedLength), {}, block);
        if (!again.recordRead || again.store.Count() != store.Count() || again.blockChangedSince) std::abort();
        for (size_t i = 0; i < store.Count(); ++i)
            if (again.store.At(i).name != store.At(i).name || !(again.store.At(i).settings == store.At(i).settings))
                std::abort();
    }
    return 0;
}
