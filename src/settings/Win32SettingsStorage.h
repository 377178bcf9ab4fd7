// The settings file on a Windows file system.
#pragma once

#include <windows.h>

#include "settings/SettingsFile.h"

class Win32SettingsStorage : public kontakta::SettingsStorage {
public:
    // ReplaceFileW, or a stand-in of a test for the outcomes that a real file
    // system gives only rarely.
    using ReplaceFunction = BOOL(WINAPI*)(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags,
                                          LPVOID exclude, LPVOID reserved);
    explicit Win32SettingsStorage(ReplaceFunction replaceFile = ::ReplaceFileW) : replaceFile(replaceFile) {}

    bool CopyFileOver(const std::u16string& from, const std::u16string& to) override;
    // Opened for reading with reading and deleting shared: other readers and
    // a replacement of the file (a sync client's or our own save in another
    // session) may go on meanwhile, but no writer, so the content cannot
    // change halfway through.
    ReadResult ReadStart(const std::u16string& path, size_t maxBytes, std::vector<uint8_t>& bytes) override;
    // The new content is written beside the file ("<name>.tmp", overwriting
    // one left by a save that was cut short), flushed to the disk, and put in
    // the file's place with ReplaceFileW, or where the file system does not
    // offer that with a rename written through. On its way out the old file
    // is "<name>.old" for a moment; it never stays under that name.
    bool WriteWhole(const std::u16string& path, const std::vector<uint8_t>& bytes, bool mayCreate) override;

private:
    ReplaceFunction replaceFile;
};

// The save at the program's end: a failure goes into the log beside the
// settings with the local time (see SaveSettingsOrLog).
bool SaveSettingsAtShutdown(kontakta::SettingsStorage& storage);
