// Profiles: named complete sets of what the sensors act with, so that one
// user can have other actions for writing than for a game, and several users
// can share a computer. The store keeps up to eight of them in their order,
// always one active; the first that a new installation has is "Standard".
//
// Also here, as pure decisions: the per-program rule (a profile may name
// programs by their exe file name; when one of them comes to the foreground
// its profile becomes active, and the one before returns when it leaves),
// and the check that flags a profile its user cannot leave again.
//
// Nothing here touches the live tables or Windows: the program copies the
// active profile's settings into the live tables (and back) where it is put
// together.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sensors/ActionOptions.h"
#include "sensors/SensorAction.h"
#include "sensors/SensorFilter.h"

namespace kontakta {

constexpr size_t maxProfiles = 8;
constexpr size_t maxProfileNameLength = 40;  // UTF-16 units
constexpr size_t maxProgramsPerProfile = 16;
constexpr size_t maxProgramNameLength = 80;  // UTF-16 units of an exe file name
constexpr const char16_t* standardProfileName = u"Standard";

// The "Nächstes Profil" action of the group "Kontakta steuern", as the
// sensors will offer it after the scan's two (sensors/ActionGroups.h).
constexpr int32_t nextProfileControlAction = 4;

// Everything the sensors act with: the block's press sound and eight
// records, the filters, and what the block has no room for.
struct ProfileSettings {
    bool pressSound = true;
    SensorActions records = DefaultSensorActions();
    std::array<FilterTimes, sensorCount> filters{};
    ActionsSettings actions;
};
// Byte for byte for the records (their padding included).
bool operator==(const ProfileSettings& a, const ProfileSettings& b);

struct Profile {
    std::u16string name;
    ProfileSettings settings;
    // Exe file names ("winword.exe"), without a folder; compared regardless
    // of case.
    std::vector<std::u16string> programs;
};

// Why the store refused an operation; Done where it did what was asked.
enum class ProfileResult {
    Done,
    NameEmpty,             // no name, or only spaces
    NameTooLong,           // more than 40 units
    NameControlCharacter,  // a control character (a line break, a tab...)
    NameTaken,             // another profile has it, regardless of case
    TooManyProfiles,       // there are eight already
    LastProfile,           // the only profile cannot be deleted
    NoSuchProfile,         // an index past the list
    AlreadyFirst,          // cannot move up
    AlreadyLast,           // cannot move down
    ProgramInvalid,        // empty, too long, a folder or a control character in an exe name
    ProgramRepeated,       // the same exe twice in one profile
    TooManyPrograms,       // more than 16 programs for one profile
};

// UTF-16 units compared regardless of case: ASCII, Latin-1, Latin
// Extended-A, Greek and Cyrillic fold to their lower case.
std::u16string FoldCase(const std::u16string& text);
bool EqualIgnoringCase(const std::u16string& a, const std::u16string& b);

// The name rules without the uniqueness: Done, NameEmpty, NameTooLong or
// NameControlCharacter.
ProfileResult CheckProfileName(const std::u16string& name);
// An exe name as a profile may hold it: Done or ProgramInvalid.
ProfileResult CheckProgramName(const std::u16string& exe);
// The file name of a program's path ("C:\\x\\Word.exe" -> "Word.exe").
std::u16string ProgramFileName(const std::u16string& path);

// The range check a loaded record gets (settings/SettingsBlock.h): group and
// mouse action held to their ranges, a target without its zero cut, a key
// text without its zero ended. Returns true if it changed anything.
bool SanitizeRecord(SensorAction& record);
// The same for a whole profile's settings, the filters and options too.
void SanitizeSettings(ProfileSettings& settings);

class ProfileStore {
public:
    // One profile, "Standard", with `settings`, active.
    explicit ProfileStore(const ProfileSettings& settings = {});
    // `profiles` as they are, if they keep every rule (one to eight, names
    // valid and unique, programs valid, `active` among them).
    static std::optional<ProfileStore> From(std::vector<Profile> profiles, size_t active);

    size_t Count() const { return profiles.size(); }
    const Profile& At(size_t index) const { return profiles.at(index); }
    const std::vector<Profile>& All() const { return profiles; }
    size_t ActiveIndex() const { return active; }
    const Profile& Active() const { return profiles[active]; }
    // A number for the profile at `index` that stays with it while it is
    // moved or others are deleted; never given twice by one store.
    uint32_t IdAt(size_t index) const { return ids.at(index); }
    std::optional<size_t> IndexOfId(uint32_t id) const;
    std::optional<size_t> IndexOfName(const std::u16string& name) const;

    // Whether `name` may be the name of the profile at `index` (SIZE_MAX: of
    // a new one).
    ProfileResult CheckName(const std::u16string& name, size_t index = SIZE_MAX) const;

    // A copy of the active profile named `name`, after the last one. The
    // active one stays active.
    ProfileResult New(const std::u16string& name);
    // A profile taken from elsewhere (an import), after the last one.
    ProfileResult Add(Profile profile);
    // The profile at `index` takes `profile`'s place, name included.
    ProfileResult Replace(size_t index, Profile profile);
    ProfileResult Rename(size_t index, const std::u16string& name);
    // Never the last one. Deleting the active one makes the one after it
    // active (the one before, if it was the last).
    ProfileResult Delete(size_t index);
    ProfileResult MoveUp(size_t index);
    ProfileResult MoveDown(size_t index);
    ProfileResult Activate(size_t index);
    // The profile after the active one, round.
    size_t NextIndex() const { return (active + 1) % profiles.size(); }
    ProfileResult Next() { return Activate(NextIndex()); }
    ProfileResult SetPrograms(size_t index, std::vector<std::u16string> programs);
    // The active profile's settings, as the pages changed them.
    void SetActiveSettings(const ProfileSettings& settings) { profiles[active].settings = settings; }

    // The first profile in order that names `exe` (a file name or a path).
    std::optional<size_t> ProfileForProgram(const std::u16string& exe) const;

private:
    ProfileResult CheckPrograms(const std::vector<std::u16string>& programs) const;
    std::vector<Profile> profiles;
    std::vector<uint32_t> ids;
    size_t active = 0;
    uint32_t nextId = 1;
};

// The per-program rule. The caller keeps the state between decisions and
// asks again whenever the foreground changes, something is let go, or the
// sheet closes (asking more often does no harm: the decision depends on the
// situation, not on how often it is asked).
struct ProgramRuleState {
    std::u16string foreground;  // the exe last seen in the foreground, folded
    // The profile to return to when the programs of the active one leave
    // the foreground: set when the rule switched, 0 after a manual switch.
    uint32_t returnTo = 0;
    // A manual switch since the foreground last changed: it wins.
    bool manualWins = false;
};

// A manual switch (tray, sheet, sensor, scan menu) happened.
ProgramRuleState AfterManualSwitch(ProgramRuleState state);

struct ProgramRuleDecision {
    std::optional<size_t> activate;  // the profile to make active now
    bool waiting = false;            // a switch is due but waits for quiet
    ProgramRuleState state;          // to keep for the next decision
};

// `exe`: the foreground window's program (a file name or path; empty when
// unknown). `busy`: anything is held, latched or being scanned (a held
// ALT+TAB or a drag between programs must not be cut). An automatic switch
// never happens while `busy` or while the settings sheet is open; it then
// waits and comes when asked again after it.
ProgramRuleDecision DecideProgramProfile(const ProfileStore& store, const ProgramRuleState& state,
                                         const std::u16string& exe, bool busy, bool sheetOpen);

// Whether a user can step on from `profile` alone: an enabled sensor with
// "Nächstes Profil".
bool CanStepOn(const ProfileSettings& profile);

// Per profile, whether it is a trap: its user can step into it with
// "Nächstes Profil" from another profile, but it has none to step on. With a
// single profile, or where no profile steps on at all (profiles switched only
// by the carer or per program), nothing is flagged. `canStepOn` may add the
// scan menu's item; by default CanStepOn.
std::vector<bool> ProfileTraps(const ProfileStore& store, bool (*canStepOn)(const Profile&) = nullptr);

}  // namespace kontakta
