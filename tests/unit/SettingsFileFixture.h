// What the settings file's tests share: files in memory, the messages shown,
// a file built byte by byte, and a fixture with the live settings reset.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "SensorRecords.h"
#include "sensors/SensorActivity.h"
#include "settings/ActionsRecord.h"
#include "settings/SettingsFile.h"
#include "settings/StartupValues.h"

using namespace kontakta;  // the tests speak of the core by its plain names

// Files in memory. Paths that are locked cannot be opened; a whole write that
// fails (`failWrites`) leaves the file as it was, as the real one must.
class MemoryStorage : public SettingsStorage {
public:
    bool CopyFileOver(const std::u16string& from, const std::u16string& to) override
    {
        copies.push_back(from + u" -> " + to);
        auto found = files.find(from);
        if (found == files.end() || locked.count(to)) return false;
        files[to] = found->second;
        return true;
    }
    ReadResult ReadStart(const std::u16string& path, size_t maxBytes, std::vector<uint8_t>& bytes) override
    {
        auto found = files.find(path);
        if (found == files.end()) return ReadResult::Missing;
        if (locked.count(path)) return ReadResult::CannotOpen;
        if (readFails) return ReadResult::Failed;
        bytes.assign(found->second.begin(), found->second.begin() + std::min(maxBytes, found->second.size()));
        return ReadResult::Read;
    }
    bool WriteWhole(const std::u16string& path, const std::vector<uint8_t>& bytes, bool mayCreate) override
    {
        ++writes;
        if (locked.count(path) || failWrites.count(path) || (!files.count(path) && !mayCreate)) return false;
        files[path] = bytes;
        return true;
    }

    std::map<std::u16string, std::vector<uint8_t>> files;
    std::set<std::u16string> locked;
    std::set<std::u16string> failWrites;
    std::vector<std::u16string> copies;
    bool readFails = false;
    int writes = 0;
};

class RecordingMessages : public MessageSink {
public:
    void ShowMessage(const std::u16string& text) override { shown.push_back(text); }
    std::vector<std::u16string> shown;
};

// A file built byte by byte, as a file that users already have.
class FileBytes {
public:
    explicit FileBytes(size_t size = settingsBlockSize) : bytes(size, 0)
    {
        if (size >= settingsBlockSize) Int32(5028, 2);
    }
    FileBytes& Int32(size_t offset, int32_t value)
    {
        for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(uint32_t(value) >> (8 * i));
        return *this;
    }
    FileBytes& Byte(size_t offset, uint8_t value)
    {
        bytes[offset] = value;
        return *this;
    }
    FileBytes& Text(size_t offset, const std::u16string& text)
    {
        for (size_t i = 0; i < text.size(); ++i) {
            bytes[offset + 2 * i] = static_cast<uint8_t>(text[i] & 0xFF);
            bytes[offset + 2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
        }
        return *this;
    }
    static size_t Record(int sensor) { return 4 + 628 * size_t(sensor - 1); }
    std::vector<uint8_t> bytes;
};

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetSettingsToDefaults();
        actionOptions.Set({});
        InstallDirectory = u"C:\\Programme\\KORVA\\Kontakta\\";
        UserFilesDirectory = u"C:\\Users\\anna\\Documents\\Kontakta User Files\\";
        UpdateCode = 0;
    }
    void TearDown() override
    {
        ResetSettingsToDefaults();
        actionOptions.Set({});
        sensorFilters.Reset();
        UpdateCode = 0;
    }
    const std::u16string userFile = u"C:\\Users\\anna\\Documents\\Kontakta User Files\\settings.dat";
    const std::u16string defaultFile = u"C:\\Programme\\KORVA\\Kontakta\\o_settings.dat";
    MemoryStorage storage;
    RecordingMessages messages;
};
