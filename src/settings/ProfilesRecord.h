// The record after the actions' record that holds the profiles: every
// profile's name and programs, which one is active, and the settings of all
// but the active one. The active profile's settings are the block's, the
// filters' record's and the actions' record's, so an older Kontakta reads
// and changes the active profile as it always did.
//
// The file: the 5032-byte block, "KTXE" (settings/SettingsExtension.h),
// "KTXA" (settings/ActionsRecord.h; written whenever this record follows, so
// that a Kontakta that knows it finds it in its place), then this record:
//   "KTXP"              magic, 4 bytes
//   version             16 bits, 1
//   reserved            16 bits, 0
//   length              32 bits, the payload bytes that follow
//   checksum            32 bits, CRC-32 of the payload
//   payload, version 1, little-endian:
//     block checksum    32 bits, CRC-32 of the 5032-byte block written with it
//     profile count     8 bits, 1 to 8
//     active            8 bits, the active profile's place, 0 first
//     reserved          16 bits, 0
//     the profiles in their order, each a profile entry:
//       name length     8 bits, 1 to 40, then the name in UTF-16 units
//       program count   8 bits, 0 to 16, then per program: its length
//                       (8 bits, 1 to 80) and its exe name in UTF-16 units
//       settings flag   8 bits: 1 the settings follow, 0 none (the active
//                       profile's: they are the block's)
//       settings        5204 bytes: the press sound (8 bits, 0 or 1), 24
//                       bits 0, the eight 628-byte records as the block stores
//                       them, the filters as a complete "KTXE" record (48
//                       bytes), the actions as a complete "KTXA" record (128
//                       bytes; its own length field says how long it is, and
//                       one of 124 bytes, before the scan's timing, is read)
//
// An older Kontakta keeps this record when it saves: the current release
// replaces only the filters' extent, one that knows the actions' record only
// that record's extent, and both keep the bytes after them. A missing,
// short, damaged or later record gives a single profile "Standard" with the
// block's settings; nothing of the block is lost, and a later version's
// record is kept and never overwritten. The block is always the active
// profile's: a change an older Kontakta made there is that profile's change.
// The block checksum tells the loader that it happened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "settings/Profiles.h"
#include "settings/SettingsBlock.h"
#include "settings/SettingsExtension.h"

namespace kontakta {

constexpr uint16_t profilesRecordVersion = 1;
constexpr size_t profilesRecordHeaderSize = 16;
// The settings of a profile as they are written; one written before the
// scan's timing joined the actions' record is 4 bytes shorter.
constexpr size_t profileSettingsSize = 4 + sensorCount * sizeof(SensorAction) + 48 + 128;
constexpr size_t profileSettingsSizeWithoutScan = profileSettingsSize - 4;
// The largest entry: the longest name and the most and longest programs.
constexpr size_t maxProfileEntrySize =
    1 + 2 * maxProfileNameLength + 1 + maxProgramsPerProfile * (1 + 2 * maxProgramNameLength) + 1 + profileSettingsSize;
constexpr size_t maxProfilesRecordSize = profilesRecordHeaderSize + 8 + maxProfiles * maxProfileEntrySize;
// How much a loader reads past the block to find every record.
constexpr size_t maxTailRead = 4096 + maxProfilesRecordSize;

// A profile entry, with its settings or (for the active profile in the
// settings file) without.
void AppendProfileEntry(std::vector<uint8_t>& bytes, const Profile& profile, bool withSettings);
// The entry at `bytes`: advances `offset` past it. Nothing if it is cut
// short, breaks a rule (a name, a program, a count) or its settings records
// do not decode. `hasSettings` says whether the settings came with it.
std::optional<Profile> ReadProfileEntry(const uint8_t* bytes, size_t length, size_t& offset, bool& hasSettings);

// The block that the active profile's settings give (press sound, the stored
// records, version 2).
SettingsBlock BlockOfSettings(const ProfileSettings& settings);

// The record for `store`, written with `block`; empty for a single profile
// "Standard" without programs (a file as an older Kontakta writes it).
std::vector<uint8_t> EncodeProfilesRecord(const ProfileStore& store, const SettingsBlock& block);

struct DecodedProfiles {
    std::vector<Profile> profiles;  // the active one's settings are not in the record
    size_t active = 0;
    uint32_t blockChecksum = 0;
};
std::optional<DecodedProfiles> DecodeProfilesRecord(const uint8_t* bytes, size_t length);
// Where this record is in the tail after the block: after the filters'
// record and the actions' record, where the tail has them.
size_t ProfilesRecordOffset(const uint8_t* tail, size_t length);
std::optional<DecodedProfiles> DecodeProfilesRecordInTail(const uint8_t* tail, size_t length);

struct LoadedProfiles {
    ProfileStore store;
    // The block differs from the one the record was written with: an older
    // Kontakta saved since. Its change stands, being the active profile's.
    bool blockChangedSince = false;
    bool recordRead = false;
};
// The profiles after a load: `active` is what the block, the filters' and
// the actions' records gave (after their range checks).
LoadedProfiles LoadProfiles(const std::optional<DecodedProfiles>& decoded, const ProfileSettings& active,
                            const SettingsBlock& block);

bool MayWriteProfilesRecord(const uint8_t* bytes, size_t length);
size_t ProfilesRecordExtent(const uint8_t* bytes, size_t length);

// The whole content a save gives a settings file that held `oldFile`, for
// `store`: the block of the active profile, its filters' and actions'
// records, and this record, each in place of our own of a version we know,
// and whatever follows byte for byte. A tail that is not ours, or a later
// version of a record, is kept, and nothing of ours is written in front of
// it.
std::vector<uint8_t> SettingsFileContentForProfiles(const ProfileStore& store, const std::vector<uint8_t>& oldFile);

}  // namespace kontakta
