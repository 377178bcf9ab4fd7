// The decisions of the "Profile" page of the settings sheet, without its
// windows: the working copy of the profiles that the page edits, what its list
// and its buttons show, the program list of "Programme…", and what the import
// dialog shows and allows.
//
// The page edits a copy. The live tables keep the settings of the profile
// that was active when the sheet opened (the "live" profile): the pages
// "Allgemein" and "Test und Filter" show and edit them, and they act at once.
// What the page changes takes effect with the sheet's OK: the live profile's
// settings as the live tables hold them then go into the copy (unless an
// import replaced that profile: then the imported settings stand, the carer
// confirmed them), and the copy becomes the program's profiles. The close box
// drops the copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/ExportFile.h"
#include "settings/Profiles.h"

namespace kontakta {

class ProfileEditing {
public:
    // `now`: the program's profiles as the sheet opens, the active one's
    // settings as the live tables hold them.
    explicit ProfileEditing(ProfileStore now);

    const ProfileStore& Working() const { return working; }
    // Whether any operation changed the copy.
    bool Changed() const { return changed; }
    // Where the live profile is in the copy; none once it was deleted.
    std::optional<size_t> LiveIndex() const { return working.IndexOfId(liveId); }
    // Whether an import replaced the live profile's settings.
    bool LiveReplaced() const { return liveReplaced; }

    // The live tables' settings, as the other pages changed them, into the
    // live profile of the copy; before it is copied or exported, and at OK.
    // Nothing once an import replaced it or it was deleted.
    void TakeLiveSettings(const ProfileSettings& live);

    // The store's operations on the copy (settings/Profiles.h).
    ProfileResult New(const std::u16string& name);  // a copy of the copy's active one
    ProfileResult Rename(size_t index, const std::u16string& name);
    ProfileResult Delete(size_t index);
    ProfileResult MoveUp(size_t index);
    ProfileResult MoveDown(size_t index);
    ProfileResult Activate(size_t index);
    ProfileResult SetPrograms(size_t index, std::vector<std::u16string> programs);
    // The chosen profiles of a file (settings/ExportFile.h ApplyImport).
    ImportOutcome Import(const std::vector<Profile>& imported, const std::vector<bool>& chosen);

    // What OK makes the program's profiles: the copy, its live profile with
    // `live` (the live tables' settings at OK).
    ProfileStore ForOk(const ProfileSettings& live) const;

private:
    ProfileResult Done(ProfileResult result);
    ProfileStore working;
    uint32_t liveId = 0;
    bool liveReplaced = false;
    bool changed = false;
};

// What the page's buttons may do for the selected profile (none: nothing
// selected). A button that cannot act is disabled.
struct ProfileButtons {
    bool newOne = false;    // "Neu…": fewer than eight
    bool rename = false;    // "Umbenennen…"
    bool remove = false;    // "Löschen": never the last one
    bool up = false;        // "Nach oben"
    bool down = false;      // "Nach unten"
    bool activate = false;  // "Aktivieren": not the active one
    bool programs = false;  // "Programme…"
    bool exportAny = true;  // "Exportieren…"
    bool importAny = true;  // "Importieren…"
};
ProfileButtons ButtonsFor(const ProfileStore& store, std::optional<size_t> selected);

// Whether the user can step on from `profile` by the scan menu: a sensor that
// starts the scan, whose menu has "Nächstes Profil" with more than one
// profile. For ProfileTraps beside the sensors' own "Nächstes Profil".
bool StepsOnByScanMenu(const Profile& profile);

// The page's list: one line per profile, the active one marked, a trap
// (ProfileTraps) flagged.
std::vector<std::u16string> ProfileListLines(const ProfileStore& store);
// The warning under the list: empty without a trap.
std::u16string TrapWarningFor(const ProfileStore& store);
// The note on what the other pages show and when the page's changes act.
std::u16string LiveNoteFor(const ProfileEditing& editing);

// A name for "Neu…" to start from: "Profil 2", "Profil 3"... the first free.
std::u16string SuggestedProfileName(const ProfileStore& store);
// A file name to start the export from: the profile's name with the
// characters a file name cannot hold replaced, or "Kontakta-Profile" for all,
// with ".kontakta".
std::u16string SuggestedExportFileName(const ProfileStore& store, std::optional<size_t> only);

// "Programme…": one exe per line. Spaces around a name and empty lines do
// not count; a pasted path gives its file name.
std::vector<std::u16string> ParseProgramList(const std::u16string& text);
std::u16string ProgramListText(const std::vector<std::u16string>& programs);

// The import dialog: a line per profile of the file (new, or replacing the one
// of the same name), the run-file targets before anything is taken over, and
// whether a choice may be taken (at least one, at most eight in all).
std::vector<std::u16string> ImportLines(const ImportPlan& plan, const std::vector<Profile>& imported);
std::u16string ImportTargetsText(const ImportReading& reading);
std::u16string ImportNoteFor(const ImportPlan& plan);
size_t CountAfterImport(const ImportPlan& plan, const ProfileStore& store, const std::vector<bool>& chosen);
bool ImportChoiceAllowed(const ImportPlan& plan, const ProfileStore& store, const std::vector<bool>& chosen);

}  // namespace kontakta
