// The record after the filters' extension that holds what the block and the
// filters cannot: the later action groups and their actions, the latch
// flags, the Windows key as a modifier and a modifier alone as a key action,
// the pointer speeds, the wheel timing and the scan's timing.
//
// The file: the 5032-byte block, then the filters' extension exactly as an
// older Kontakta writes it ("KTXE", version 1, 32 bytes of payload; see
// settings/SettingsExtension.h), then this record:
//   "KTXA"              magic, 4 bytes
//   version             16 bits, 1
//   reserved            16 bits, 0
//   length              32 bits, the payload bytes that follow (112; 108
//                       from a Kontakta before the scan's timing)
//   checksum            32 bits, CRC-32 of the payload
//   payload, version 1, little-endian:
//     pointer start speed, top speed (px/s), acceleration (ms)   16 bits each
//     wheel delay (ms, 0: the keyboard delay), rate (notches/s)  16 bits each
//     options   16 bits: 0x0001 the on-screen indicator, 0x0002 "Fein
//               nachführen" of the scan; the rest 0
//     for sensors 1 to 8, 12 bytes each:
//       block checksum  32 bits, CRC-32 of the sensor's 628-byte block
//                       record as this record was written with it
//       group           8 bits, 3 to 5, or 0xFF: the block's group applies
//       action          8 bits, the action in that group
//       flags           8 bits: 0x01 on (for a sensor the block holds off),
//                       0x02 latch, 0x04 WIN with the key combination
//       modifier alone  8 bits, a ModifierAlone value
//       reserved        32 bits, 0
//     then the scan's timing ("Bildschirm abtasten"):
//     sweep time (ms, 1000 to 30000), step time (ms, 500 to 5000)  16 bits each
//
// A record of 108 bytes of payload ends before the scan's timing: the scan
// has its defaults, and the next save writes the record of 112 bytes.
// An older Kontakta replaces only the extent of the filters' extension when
// it saves and keeps the bytes after it, so this record survives it. A
// sensor whose action the block cannot hold (a later group, WIN, a modifier
// alone) is stored in the block switched off, with an action of the block's
// own, so the older Kontakta leaves it as it is and it does nothing there.
// If the older Kontakta changed a sensor's block record since (a carer ticked
// it, or chose another action), the checksum no longer matches and the block
// wins for that sensor.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "sensors/ActionGroups.h"
#include "sensors/ActionOptions.h"
#include "sensors/PointerMotion.h"
#include "sensors/SensorAction.h"
#include "sensors/WheelRepeat.h"
#include "settings/SettingsExtension.h"
#include "settings/SettingsFile.h"

namespace kontakta {

constexpr uint16_t actionsRecordVersion = 1;
constexpr size_t actionsRecordHeaderSize = 16;
constexpr size_t actionsRecordPayloadSize = 12 + sensorCount * 12 + 4;
// The payload before the scan's timing joined it; still read.
constexpr size_t actionsRecordPayloadSizeWithoutScan = 12 + sensorCount * 12;

// Whether the block cannot hold the sensor's action, so that it is stored
// there switched off.
bool NeedsRecord(const SensorExtras& extras);

// The block record stored for a sensor: switched off when its action needs
// the record, its group and mouse action held to the block's ranges.
SensorAction StoredBlockRecord(SensorAction record, const SensorExtras& extras);

// The block a file stores for the block `live` (the settings in memory):
// every record as StoredBlockRecord gives it with its sensor's extras, the
// rest byte for byte.
SettingsBlock StoredSettingsBlock(const SettingsBlock& live, const ActionsSettings& settings);

// The records of a block, sensor 1 first.
SensorActions BlockRecords(const SettingsBlock& block);

// The record for `settings`, with the live records `live` (their on/off and
// the checksums of their stored block records). Empty when every option has
// its default, so a file without later options stays as an older Kontakta
// writes it.
std::vector<uint8_t> EncodeActionsRecord(const ActionsSettings& settings, const SensorActions& live);
// The same, also when every option has its default: for a file where a
// later record follows this one, so that an older Kontakta that knows this
// record finds it in its place and can update it.
std::vector<uint8_t> EncodeActionsRecordAlways(const ActionsSettings& settings, const SensorActions& live);

struct DecodedActions {
    ActionsSettings settings;
    std::array<uint32_t, sensorCount> blockChecksums{};
    std::array<bool, sensorCount> enabled{};
};

// The record at the start of `bytes`, or nothing if it is missing, short, of
// another version or damaged. Values out of range are held to their ranges;
// a sensor entry naming no action of ours counts as having no extras.
std::optional<DecodedActions> DecodeActionsRecord(const uint8_t* bytes, size_t length);

// The record in the tail after the block: after the filters' extension
// (where the tail has one), else at its start.
std::optional<DecodedActions> DecodeActionsRecordInTail(const uint8_t* tail, size_t length);

// The options that apply after loading `records` (the block's records, after
// its range check) with `decoded`: per sensor the record's extras, and its
// on/off for a sensor the block holds off, where the sensor's block record
// is still the one the record was written with; the defaults elsewhere.
ActionsSettings ApplyActionsRecord(const std::optional<DecodedActions>& decoded, SensorActions& records);

// Whether a save may write this record over `bytes` (where the filters'
// extension ends): nothing there, or our magic with a version we know.
bool MayWriteActionsRecord(const uint8_t* bytes, size_t length);
// How many bytes at the start of `bytes` the record takes; 0 without its magic.
size_t ActionsRecordExtent(const uint8_t* bytes, size_t length);

// The content a save gives a settings file that held `oldFile`: `block`
// (built from the stored block records), the filters' extension, written
// whenever anything follows it, then `actionsRecord` (EncodeActionsRecord;
// empty: none), in place of the old ones, and whatever followed them byte for
// byte. A tail that is not ours, or a later version of either record, is
// kept and never overwritten.
std::vector<uint8_t> SettingsFileContentWithActions(const SettingsBlock& block, const std::vector<uint8_t>& oldFile,
                                                    const SettingsExtension& filters,
                                                    const std::vector<uint8_t>& actionsRecord);

}  // namespace kontakta
