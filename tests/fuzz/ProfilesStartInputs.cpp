// Writes the starting inputs of profiles_record_fuzz and export_file_fuzz into
// the two folders it is given: a settings file's tail with three profiles,
// and export files of all of them and of one, from our own encoders, so that
// the fuzzers start past the checksums; into a third, if given, a whole
// settings file with two profiles for settings_loader_fuzz. Fails if a
// starting input does not read back.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "settings/ExportFile.h"
#include "settings/ProfilesRecord.h"

using namespace kontakta;

namespace {

bool Write(const std::filesystem::path& file, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) return 2;
    std::filesystem::create_directories(argv[1]);
    std::filesystem::create_directories(argv[2]);

    ProfileStore store;
    ProfileSettings game;
    game.records[2].enabled = 1;
    game.actions.sensors[2] = {int32_t(Group::MovePointer), int32_t(PointerDirection::Left)};
    game.filters[1] = {150, 400};
    game.actions.scan = {25000, 4000, true};
    const std::u16string path = u"C:\\Spiele\\start.lnk";
    game.records[4].actionGroup = int32_t(ActionGroup::RunFile);
    std::memcpy(game.records[4].path, path.c_str(), (path.size() + 1) * 2);
    if (store.Add({u"Spiel", game, {u"game.exe"}}) != ProfileResult::Done) return 1;
    if (store.New(u"Schule") != ProfileResult::Done) return 1;

    // The fuzz target's block is that of default settings: the active
    // profile's here, so the input reads as unchanged.
    const std::vector<uint8_t> file = SettingsFileContentForProfiles(store, std::vector<uint8_t>(settingsBlockSize));
    const std::vector<uint8_t> tail(file.begin() + settingsBlockSize, file.end());
    if (!DecodeProfilesRecordInTail(tail.data(), tail.size())) {
        std::fprintf(stderr, "the settings starting input does not decode\n");
        return 1;
    }
    if (!Write(std::filesystem::path(argv[1]) / "start-1", tail)) return 1;

    if (argc == 4) {
        // Two profiles: within the loader fuzzer's length.
        ProfileStore two = store;
        if (two.Delete(2) != ProfileResult::Done) return 1;
        std::vector<uint8_t> block(settingsBlockSize);
        block[settingsVersionOffset] = uint8_t(currentSettingsVersion);
        const std::vector<uint8_t> whole = SettingsFileContentForProfiles(two, block);
        std::filesystem::create_directories(argv[3]);
        if (!Write(std::filesystem::path(argv[3]) / "profiles-1", whole)) return 1;
    }

    const std::vector<std::vector<uint8_t>> exports = {EncodeExportFile(store), EncodeExportFile(store, 1)};
    for (size_t i = 0; i < exports.size(); ++i) {
        if (ReadExportFile(exports[i].data(), exports[i].size()).error != ImportError::None) {
            std::fprintf(stderr, "export starting input %zu does not read\n", i + 1);
            return 1;
        }
        if (!Write(std::filesystem::path(argv[2]) / ("start-" + std::to_string(i + 1)), exports[i])) return 1;
    }
    return 0;
}
