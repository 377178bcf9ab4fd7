// The little-endian numbers of the records after the settings block: each
// record writes and reads its fields with these, whatever the machine.
#pragma once

#include <cstdint>
#include <vector>

namespace kontakta::little {

inline void Put8(std::vector<uint8_t>& bytes, uint32_t value)
{
    bytes.push_back(static_cast<uint8_t>(value));
}

inline void Put16(std::vector<uint8_t>& bytes, uint32_t value)
{
    Put8(bytes, value);
    Put8(bytes, value >> 8);
}

inline void Put32(std::vector<uint8_t>& bytes, uint32_t value)
{
    Put16(bytes, value & 0xFFFF);
    Put16(bytes, value >> 16);
}

inline uint32_t Get16(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8;
}

inline uint32_t Get32(const uint8_t* bytes)
{
    return Get16(bytes) | Get16(bytes + 2) << 16;
}

}  // namespace kontakta::little
