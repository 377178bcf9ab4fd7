// Writes the starting inputs of actions_record_fuzz into the folder it is given:
// valid tails from our own encoders, so the fuzzer starts past the checksums.
// With a second folder, the same tails after the block as a save stores it,
// as whole settings files for the loader's fuzz target (settings_loader_fuzz).
// Fails if a starting input does not decode, so a change of the format cannot leave the
// fuzzer with starting inputs it rejects.
//
//   actions_record_start_inputs <tails folder> [<settings files folder>]
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "settings/ActionsRecord.h"

using namespace kontakta;

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) return 2;
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const auto write = [](const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return bool(out);
    };

    // Sensors 2 to 8 keep their default block records, as the fuzz target's
    // loader has them; sensor 1 is on in the block, so the block wins for it.
    ActionsSettings settings;
    settings.sensors[0] = {int32_t(Group::MovePointer), int32_t(PointerDirection::Up)};
    settings.sensors[1] = {int32_t(Group::MovePointer), int32_t(PointerDirection::DownRight)};
    settings.sensors[2] = {blockGroup, 0, true, true, ModifierAlone::None};
    settings.sensors[3] = {blockGroup, 0, true, false, ModifierAlone::Win};
    settings.sensors[4] = {int32_t(Group::Control), int32_t(ControlAction::ReleaseAll)};
    settings.sensors[5] = {int32_t(Group::Wheel), int32_t(WheelDirection::Left)};
    settings.sensors[7] = {int32_t(Group::Control), int32_t(ControlAction::PauseOrResume)};
    settings.pointer = {120, 2000, 300};
    settings.wheel = {0, 10};
    settings.scan = {14000, 700, true};
    const std::vector<uint8_t> record = EncodeActionsRecord(settings, DefaultSensorActions());
    // The record as a Kontakta before the scan's timing wrote it: 108 bytes
    // of payload, the same without the last four, the refine bit clear.
    std::vector<uint8_t> older(record.begin(), record.end() - 4);
    older[actionsRecordHeaderSize + 10] &= uint8_t(~0x02);
    const auto put32 = [&older](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) older[at + size_t(i)] = uint8_t(value >> (8 * i));
    };
    put32(8, uint32_t(actionsRecordPayloadSizeWithoutScan));
    put32(12, Crc32(older.data() + actionsRecordHeaderSize, actionsRecordPayloadSizeWithoutScan));
    SettingsExtension filters;
    filters.filters[1] = {150, 400};
    const std::vector<uint8_t> extension = EncodeSettingsExtension(filters);
    const auto join = [](std::vector<std::vector<uint8_t>> parts) {
        std::vector<uint8_t> bytes;
        for (const auto& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
        return bytes;
    };
    const std::vector<std::vector<uint8_t>> inputs = {
        join({extension, record}),                        // as the new Kontakta writes it
        join({extension, record, {'K', 'T', 'X', 'Q'}}),  // with a later record after it
        join({record, {'Z', 'I', 'P'}}),                  // without the filters' record
        join({extension, older}),                         // as a Kontakta before the scan's timing wrote it
    };
    for (size_t i = 0; i < inputs.size(); ++i) {
        if (!DecodeActionsRecordInTail(inputs[i].data(), inputs[i].size())) {
            std::fprintf(stderr, "starting input %zu does not decode\n", i + 1);
            return 1;
        }
        if (!write(folder / ("start-" + std::to_string(i + 1)), inputs[i])) return 1;
    }
    if (argc == 2) return 0;

    // The defaults in the block, as the loader's fuzz target starts from
    // them, stored as a save stores them: the record applies to every sensor.
    const std::filesystem::path files = argv[2];
    std::filesystem::create_directories(files);
    ResetSettingsToDefaults();
    const SettingsBlock block = StoredSettingsBlock(SerializeSettings(), settings);
    for (size_t i = 0; i < inputs.size(); ++i) {
        std::vector<uint8_t> file(block.begin(), block.end());
        file.insert(file.end(), inputs[i].begin(), inputs[i].end());
        if (!write(files / ("file-" + std::to_string(i + 1)), file)) return 1;
    }
    return 0;
}
