// The one reader of registry values: a value read whole, for the program and
// the per-user step of the installation, so that both hand the same bytes to
// the rules of settings/RegistryValues.h.
#pragma once

#include <windows.h>

#include <optional>

#include "settings/RegistryValues.h"

// The value `name` of an open key with its type and all its bytes; none if it
// is missing or cannot be read.
inline std::optional<kontakta::RegistryValue> ReadRegistryValue(HKEY key, const wchar_t* name)
{
    // Another program may change the value between asking for its size and
    // reading it; RegQueryValueExW then answers ERROR_MORE_DATA: ask again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
        kontakta::RegistryValue value;
        value.bytes.resize(size);
        const LSTATUS status =
            ::RegQueryValueExW(key, name, nullptr, &type, size ? value.bytes.data() : nullptr, &size);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) return std::nullopt;
        value.type = type;
        value.bytes.resize(size);
        return value;
    }
    return std::nullopt;
}
