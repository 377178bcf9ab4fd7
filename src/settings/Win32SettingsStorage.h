// The settings file on a Windows file system.
#pragma once

#include "settings/SettingsFile.h"

class Win32SettingsStorage : public SettingsStorage {
public:
    bool CopyFileOver(const std::u16string& from, const std::u16string& to) override;
    ReadResult ReadStart(const std::u16string& path, size_t maxBytes, std::vector<uint8_t>& bytes) override;
    // The file is opened without sharing and without creating it. A file
    // shorter than the data is first extended to its full length, so the
    // write itself cannot run out of space halfway; then all of it is
    // written in one call and flushed. If anything fails, a file that was
    // extended is cut back to its old length.
    bool WriteStart(const std::u16string& path, const uint8_t* bytes, size_t length) override;
};
