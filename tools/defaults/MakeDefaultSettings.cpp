// Writes the installed default settings file "o_settings.dat": the settings
// block exactly as the program's defaults make it, byte for byte as the
// program would save it (the block as a save stores it; the defaults have no
// later options, so nothing follows it). Built and run on the build machine.
//
//   make_default_settings <output file>
#include <cstdio>

#include "settings/ActionsRecord.h"
#include "settings/SettingsBlock.h"

using namespace kontakta;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
        return 2;
    }
    ResetSettingsToDefaults();
    const SettingsBlock block = kontakta::StoredSettingsBlock(SerializeSettings(), actionOptions.Get());
    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(block.data(), 1, block.size(), file) == block.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "%s: could not write the settings\n", argv[1]);
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
