// libFuzzer target: any bytes as an export file. The reader must never crash
// or read past its bytes; it refuses with a reason or gives profiles that a
// store takes, whose targets are the paths they hold; and an import of what
// it gives keeps the store's rules, all or nothing.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "settings/ExportFile.h"

using namespace kontakta;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const ImportReading reading = ReadExportFile(size ? data : nullptr, size);
    if (reading.error != ImportError::None) {
        if (!reading.profiles.empty() || !reading.targets.empty()) std::abort();
        if (ImportErrorMessage(reading.error, u"x.kontakta").empty()) std::abort();
        return 0;
    }
    if (reading.profiles.empty() || reading.profiles.size() > maxProfiles) std::abort();
    if (!ProfileStore::From(reading.profiles, 0)) std::abort();
    for (const Profile& profile : reading.profiles) {
        ProfileSettings settings = profile.settings;
        SanitizeSettings(settings);  // every value, the scan's timing too, in its range
        if (!(settings == profile.settings)) std::abort();
    }
    for (const RunTarget& target : reading.targets)
        if (target.profile >= reading.profiles.size() || target.sensor < 1 || target.sensor > sensorCount ||
            target.path.empty() || target.path.size() >= pathLength)
            std::abort();
    // Written again, it reads back the same.
    const std::vector<uint8_t> again = EncodeExportFile(reading.profiles);
    const ImportReading reread = ReadExportFile(again.data(), again.size());
    if (reread.error != ImportError::None || reread.profiles.size() != reading.profiles.size()) std::abort();
    for (size_t i = 0; i < reading.profiles.size(); ++i)
        if (!(reread.profiles[i].settings == reading.profiles[i].settings)) std::abort();

    ProfileStore store;
    const ImportPlan plan = PlanImport(store, reading.profiles);
    const ProfileStore before = store;
    const ImportOutcome outcome = ApplyImport(store, reading.profiles, std::vector<bool>(plan.steps.size(), true));
    if (outcome.result != ProfileResult::Done && store.Count() != before.Count()) std::abort();
    if (store.Count() > maxProfiles) std::abort();
    return 0;
}
