// The file a carer carries to another computer: "Kontakta-Einstellungen
// (*.kontakta)", holding all profiles or one (the format: docs/
// export-format.md). The reader refuses every bad file with its reason and
// changes nothing; it never runs or opens what the file names, and gives the
// targets of run-file actions so that the carer sees them before taking the
// profiles over. The import plan adds the file's profiles or replaces those
// of the same name, and where more than eight would result, the carer
// chooses which to take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/Profiles.h"
#include "settings/ProfilesRecord.h"

namespace kontakta {

constexpr uint16_t exportFileVersion = 1;
constexpr size_t exportMagicSize = 12;  // "KONTAKTA", CR, LF, 0x1A, LF
constexpr size_t exportHeaderSize = exportMagicSize + 12;
constexpr size_t maxExportPayloadSize = 4 + maxProfiles * maxProfileEntrySize;
// No file we write is larger; a reader reads at most one byte more.
constexpr size_t maxExportFileSize = exportHeaderSize + maxExportPayloadSize;
constexpr const char16_t* exportFileExtension = u".kontakta";

// The file for `profiles` (1 to 8, as a store holds them), with their
// settings.
std::vector<uint8_t> EncodeExportFile(const std::vector<Profile>& profiles);
// All of the store's profiles, or only the one at `only`.
std::vector<uint8_t> EncodeExportFile(const ProfileStore& store, std::optional<size_t> only = std::nullopt);

enum class ImportError {
    None,
    CannotRead,     // the file could not be read (for the caller's reading)
    NotExportFile,  // not a file with Kontakta's settings
    Damaged,        // its checksum or content is wrong
    CutShort,       // it ends before its content does
    LaterVersion,   // written by a later Kontakta in a format this one does not know
    TooLarge,       // larger than any file Kontakta writes
};

// A target that a run-file action of an imported profile would open.
struct RunTarget {
    size_t profile = 0;  // index in the file's profiles
    int sensor = 0;      // 1 to 8
    std::u16string path;
    bool active = false;  // the sensor is on and acts in the run-file group (else the path is only kept)
};

struct ImportReading {
    ImportError error = ImportError::None;
    std::vector<Profile> profiles;   // empty unless error is None
    std::vector<RunTarget> targets;  // every non-empty target, in the file's order
};

// `bytes`: the file's start, at most maxExportFileSize + 1 bytes of it.
ImportReading ReadExportFile(const uint8_t* bytes, size_t length);

// The German message for `error`, naming `file`.
std::u16string ImportErrorMessage(ImportError error, const std::u16string& file);
// The German message for a refusal of the store.
std::u16string ProfileResultMessage(ProfileResult result);

// What an import would do with each of the file's profiles.
struct ImportStep {
    std::optional<size_t> replaces;  // the store's profile of the same name, regardless of case
};
struct ImportPlan {
    std::vector<ImportStep> steps;  // one per profile of the file
    size_t resultingCount = 0;      // profiles after taking every one
    bool needsChoice = false;       // more than eight: the carer chooses
};
ImportPlan PlanImport(const ProfileStore& store, const std::vector<Profile>& imported);
// A choice to start from: every replacement, then additions in the file's
// order while there is room.
std::vector<bool> SuggestedChoice(const ImportPlan& plan, const ProfileStore& store);

struct ImportOutcome {
    ProfileResult result = ProfileResult::Done;  // TooManyProfiles when the chosen ones make more than eight
    bool activeReplaced = false;                 // the live settings must be taken from the active profile
};
// Takes the chosen profiles of the file (`chosen`: one flag per profile):
// replaces the store's profiles of the same name in their places, adds the
// others after the last. All or nothing: a refusal leaves the store as it was.
ImportOutcome ApplyImport(ProfileStore& store, const std::vector<Profile>& imported, const std::vector<bool>& chosen);

}  // namespace kontakta
