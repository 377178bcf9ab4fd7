// The program's profiles while it runs (the live store), and how they meet
// the live tables.
//
// The polling thread knows nothing of profiles: it reads only the live
// tables (sensorActions, sensorFilters, actionOptions, beepOnPress), which
// always hold the active profile's settings. The store is the user-interface
// thread's alone; in it, the active profile's settings are the ones last
// copied out of the live tables, so CurrentProfiles() is what to read.
//
// The API below is what the rest of the program (the sheet's services, the
// tray, the switching) builds on; it stays as it is:
//   LiveSettings / PutLiveSettings    the live tables as one ProfileSettings
//   CurrentProfiles                   the store with the live settings
//   SwitchLiveProfile                 make another profile active
//   AdoptProfiles                     take a whole edited store (the sheet)
//   SaveProfilesFile                  write the file for a store
// LoadSettings and SaveSettingsFile (settings/SettingsFile.h) read and
// write the store with the file.
//
// Kontakta starts with the profile last chosen by hand: a switch the
// per-program rule makes is not what the file remembers as active.
#pragma once

#include <cstddef>
#include <functional>

#include "settings/Profiles.h"
#include "settings/SettingsFile.h"

namespace kontakta {

// The store itself (the user-interface thread only). Its active profile's
// settings may be older than the live tables'.
ProfileStore& LiveProfiles();

// The live tables as a profile's settings, and the other way round.
ProfileSettings LiveSettings();
void PutLiveSettings(const ProfileSettings& settings);

// The profiles as they are now: the active profile's settings as the live
// tables hold them.
ProfileStore CurrentProfiles();

// The store as the file keeps it: as CurrentProfiles, with the profile last
// chosen by hand active (an automatic switch is not remembered).
ProfileStore ProfilesToSave();

// How many profiles there are (any thread): the scan offers "Nächstes
// Profil" in its menu only where there is more than one.
size_t LiveProfileCount();

// A fresh start: `store` is the program's, its active one chosen by hand.
// Does not touch the live tables.
void ResetLiveProfiles(const ProfileStore& store);

// Whether `edited` has another active profile than `current`: another
// profile (by its id) or other settings than the active one has now.
bool ActiveProfileChanges(const ProfileStore& current, const ProfileStore& edited);

// Makes the profile at `index` active: the live settings go back into the
// store, `letGo` runs (it asks the polling thread to let go of everything
// held or latched before the new settings act), then the new profile's
// settings go into the live tables. `byHand`: the user chose it (the file
// remembers it). False (and nothing changes) for an index past the list;
// true without anything done for the active one.
bool SwitchLiveProfile(size_t index, bool byHand, const std::function<void()>& letGo);

// Makes `edited` the program's profiles, as the settings sheet hands them
// back: saves the file for it first (SaveProfilesFile), and only when that
// worked, calls `letGo` if the active profile changes (ActiveProfileChanges),
// puts the active profile's settings into the live tables and keeps `edited`
// (its active one counts as chosen by hand). Otherwise nothing changes.
SaveResult AdoptProfiles(SettingsStorage& storage, const ProfileStore& edited, const std::function<void()>& letGo);

// Writes the settings file for `store` (SettingsFileContentForProfiles),
// replacing the existing file; it never creates one. Memory is not touched.
SaveResult SaveProfilesFile(SettingsStorage& storage, const ProfileStore& store);

}  // namespace kontakta
