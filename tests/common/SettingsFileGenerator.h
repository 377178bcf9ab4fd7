// Settings files of any content, for the loader's tests and the soak: random
// bytes, and in half of the files long enough for the whole block a valid
// version, so that the loader looks at the records too.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "settings/SettingsFile.h"

using namespace kontakta;  // the tests speak of the core by its plain names

// A random length for a generated file: up to 6000 bytes, beyond the block.
inline size_t GeneratedSettingsFileSize(std::mt19937& random)
{
    return random() % 6000;
}

inline std::vector<uint8_t> GenerateSettingsFile(std::mt19937& random, size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
    if (size >= settingsBlockSize && random() % 2) {
        bytes[5028] = 2;  // a valid version, so the records are looked at
        bytes[5029] = bytes[5030] = bytes[5031] = 0;
    }
    return bytes;
}
