#include "settings/ExportFile.h"

#include <cstring>

#include "sensors/ActionGroups.h"
#include "texts/Texts.h"
#include "settings/LittleEndian.h"

namespace kontakta {

namespace {

// "KONTAKTA", then CR LF, end-of-file and LF: a transfer that changes line
// ends or cuts at the end-of-file character damages the magic, not the data.
constexpr uint8_t magic[exportMagicSize] = {'K', 'O', 'N', 'T', 'A', 'K', 'T', 'A', 0x0D, 0x0A, 0x1A, 0x0A};

using namespace little;

ImportReading Refused(ImportError error)
{
    ImportReading reading;
    reading.error = error;
    return reading;
}

}  // namespace

std::vector<uint8_t> EncodeExportFile(const std::vector<Profile>& profiles)
{
    std::vector<uint8_t> payload{uint8_t(profiles.size()), 0, 0, 0};
    for (const Profile& profile : profiles) AppendProfileEntry(payload, profile, true);
    std::vector<uint8_t> bytes(magic, magic + sizeof magic);
    Put16(bytes, exportFileVersion);
    Put16(bytes, 0);
    Put32(bytes, uint32_t(payload.size()));
    Put32(bytes, Crc32(payload.data(), payload.size()));
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

std::vector<uint8_t> EncodeExportFile(const ProfileStore& store, std::optional<size_t> only)
{
    if (only) return EncodeExportFile(std::vector<Profile>{store.At(*only)});
    return EncodeExportFile(store.All());
}

ImportReading ReadExportFile(const uint8_t* bytes, size_t length)
{
    if (!bytes) length = 0;
    // The magic first: a file that does not start with it is not ours,
    // whatever its size; a file that stops inside it was cut short.
    const size_t magicPart = length < exportMagicSize ? length : exportMagicSize;
    if (magicPart && std::memcmp(bytes, magic, magicPart) != 0) return Refused(ImportError::NotExportFile);
    if (length < exportMagicSize) return Refused(ImportError::CutShort);
    if (length > maxExportFileSize) return Refused(ImportError::TooLarge);
    if (length < exportHeaderSize) return Refused(ImportError::CutShort);
    const uint32_t version = Get16(bytes + exportMagicSize);
    if (version > exportFileVersion) return Refused(ImportError::LaterVersion);
    if (version == 0) return Refused(ImportError::Damaged);
    const uint32_t payloadLength = Get32(bytes + exportMagicSize + 4);
    if (payloadLength > maxExportPayloadSize) return Refused(ImportError::Damaged);
    if (length - exportHeaderSize < payloadLength) return Refused(ImportError::CutShort);
    if (length - exportHeaderSize > payloadLength) return Refused(ImportError::Damaged);
    const uint8_t* payload = bytes + exportHeaderSize;
    if (Crc32(payload, payloadLength) != Get32(bytes + exportMagicSize + 8)) return Refused(ImportError::Damaged);
    if (payloadLength < 4) return Refused(ImportError::Damaged);
    const size_t count = payload[0];
    if (count == 0 || count > maxProfiles) return Refused(ImportError::Damaged);

    ImportReading reading;
    size_t offset = 4;
    for (size_t i = 0; i < count; ++i) {
        bool hasSettings = false;
        std::optional<Profile> profile = ReadProfileEntry(payload, payloadLength, offset, hasSettings);
        if (!profile || !hasSettings) return Refused(ImportError::Damaged);
        reading.profiles.push_back(std::move(*profile));
    }
    // Names unique regardless of case, as the store holds them.
    if (offset != payloadLength || !ProfileStore::From(reading.profiles, 0)) return Refused(ImportError::Damaged);

    for (size_t p = 0; p < reading.profiles.size(); ++p) {
        const ProfileSettings& settings = reading.profiles[p].settings;
        for (size_t s = 0; s < settings.records.size(); ++s) {
            const SensorAction& record = settings.records[s];
            const size_t units = FieldLength(record.path, pathLength);
            if (units == 0) continue;
            const bool runs =
                record.enabled && EffectiveGroup(record, settings.actions.sensors[s]) == int32_t(Group::RunFile);
            reading.targets.push_back({p, int(s + 1), std::u16string(record.path, units), runs});
        }
    }
    return reading;
}

std::u16string ImportErrorMessage(ImportError error, const std::u16string& file)
{
    switch (error) {
    case ImportError::None: return {};
    case ImportError::CannotRead: return texts::ImportCannotRead(file);
    case ImportError::NotExportFile: return texts::ImportNotExportFile(file);
    case ImportError::Damaged: return texts::ImportDamaged(file);
    case ImportError::CutShort: return texts::ImportCutShort(file);
    case ImportError::LaterVersion: return texts::ImportLaterVersion(file);
    case ImportError::TooLarge: return texts::ImportTooLarge(file);
    }
    return texts::ImportDamaged(file);
}

std::u16string ProfileResultMessage(ProfileResult result)
{
    switch (result) {
    case ProfileResult::Done: return {};
    case ProfileResult::NameEmpty: return texts::profileNameEmpty;
    case ProfileResult::NameTooLong: return texts::ProfileNameTooLong(maxProfileNameLength);
    case ProfileResult::NameControlCharacter: return texts::profileNameControl;
    case ProfileResult::NameTaken: return texts::profileNameTaken;
    case ProfileResult::TooManyProfiles: return texts::TooManyProfiles(maxProfiles);
    case ProfileResult::LastProfile: return texts::lastProfile;
    case ProfileResult::NoSuchProfile: return texts::noSuchProfile;
    case ProfileResult::AlreadyFirst: return texts::profileAlreadyFirst;
    case ProfileResult::AlreadyLast: return texts::profileAlreadyLast;
    case ProfileResult::ProgramInvalid: return texts::programInvalid;
    case ProfileResult::ProgramRepeated: return texts::programRepeated;
    case ProfileResult::TooManyPrograms: return texts::TooManyPrograms(maxProgramsPerProfile);
    }
    return {};
}

ImportPlan PlanImport(const ProfileStore& store, const std::vector<Profile>& imported)
{
    ImportPlan plan;
    plan.resultingCount = store.Count();
    for (const Profile& profile : imported) {
        ImportStep step;
        step.replaces = store.IndexOfName(profile.name);
        if (!step.replaces) ++plan.resultingCount;
        plan.steps.push_back(step);
    }
    plan.needsChoice = plan.resultingCount > maxProfiles;
    return plan;
}

std::vector<bool> SuggestedChoice(const ImportPlan& plan, const ProfileStore& store)
{
    std::vector<bool> chosen(plan.steps.size(), false);
    size_t count = store.Count();
    for (size_t i = 0; i < plan.steps.size(); ++i) {
        if (plan.steps[i].replaces)
            chosen[i] = true;
        else if (count < maxProfiles)
            chosen[i] = true, ++count;
    }
    return chosen;
}

ImportOutcome ApplyImport(ProfileStore& store, const std::vector<Profile>& imported, const std::vector<bool>& chosen)
{
    ImportOutcome outcome;
    if (chosen.size() != imported.size()) {
        outcome.result = ProfileResult::NoSuchProfile;
        return outcome;
    }
    ProfileStore changed = store;
    for (size_t i = 0; i < imported.size(); ++i) {
        if (!chosen[i]) continue;
        const std::optional<size_t> same = changed.IndexOfName(imported[i].name);
        outcome.result = same ? changed.Replace(*same, imported[i]) : changed.Add(imported[i]);
        if (outcome.result != ProfileResult::Done) {
            outcome.activeReplaced = false;
            return outcome;
        }
        if (same && *same == changed.ActiveIndex()) outcome.activeReplaced = true;
    }
    store = std::move(changed);
    return outcome;
}

}  // namespace kontakta
