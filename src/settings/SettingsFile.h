// The settings file "settings.dat": the settings block (settings/
// SettingsBlock.h), then the filters' extension and the actions record
// (settings/ActionsRecord.h). Loading (with the optional copy of the
// installed default file first), the version check, and saving, which
// replaces the whole file in one step.
//
// The file system and the message box come through seams, so the exact
// semantics are tested natively against files built byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sensors/ActionOptions.h"
#include "settings/SettingsBlock.h"
#include "settings/SettingsExtension.h"

namespace kontakta {

constexpr const char16_t* settingsFileName = u"settings.dat";

// The file system as the settings need it.
class SettingsStorage {
public:
    enum class ReadResult { Read, Missing, CannotOpen, Failed };
    virtual ~SettingsStorage() = default;
    // Copies `from` over `to`, replacing it.
    virtual bool CopyFileOver(const std::u16string& from, const std::u16string& to) = 0;
    // Reads at most `maxBytes` from the start of the file. A program that
    // only reads the file as well (a backup, a sync client) does not stand in
    // the way, and a short hold by another program is waited out. Missing:
    // there is no such file; CannotOpen: it is there but cannot be opened (no
    // access, held by another program for longer); Failed: opened, not read.
    virtual ReadResult ReadStart(const std::u16string& path, size_t maxBytes, std::vector<uint8_t>& bytes) = 0;
    // Makes `bytes` the whole content of the file, in one step: at every
    // moment, a power loss included, the file holds either all of its old
    // content or all of the new. A file that is there keeps its attributes
    // and access rights. A missing file is created only if `mayCreate` is
    // set. Returns whether the file holds the new content; if not, it is as
    // it was.
    virtual bool WriteWhole(const std::u16string& path, const std::vector<uint8_t>& bytes, bool mayCreate) = 0;
};

// Where the version message goes.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const std::u16string& text) = 0;
};

std::u16string SettingsFilePath();         // UserFilesDirectory + "settings.dat"
std::u16string DefaultSettingsFilePath();  // InstallDirectory + "o_" + "settings.dat"

// "Die Datei Settings.dat Version %d ist nicht kompatibel zu %s"
std::u16string VersionMessage(int32_t version);

// Loads the user's settings file into memory: with UpdateCode 1 the installed
// default file is copied over it first. A file shorter than the block
// replaces only its start. Past the block an extension with the timing
// filters may follow (settings/SettingsExtension.h), then the actions record
// (settings/ActionsRecord.h), which gives `actionOptions` and may switch on a
// sensor that the block holds off; without a readable one the filters are
// off and the later options have their defaults, and the block loads as it
// stands. Then the profiles' record (settings/ProfilesRecord.h) gives the
// live store its other profiles (settings/LiveProfiles.h); without one there
// is a single profile "Standard". A version other than 2 shows the version
// message. True when the file was read and accepted.
bool LoadSettings(SettingsStorage& storage, MessageSink& messages);

// The content a save gives a settings file that held `oldFile`, for the
// settings in memory: `live` (their block), the filters `extension` and the
// later options `options`. The block holds the records as an older Kontakta
// may read them (StoredSettingsBlock), then follow the filters' extension and
// the actions record, in place of the old ones (SettingsFileContentWithActions):
// each is written only where it may be, a tail that is not ours is kept byte
// for byte, and while every option has its default and the file has no tail,
// the file keeps its 5032 bytes.
std::vector<uint8_t> SettingsFileContent(const SettingsBlock& live, const std::vector<uint8_t>& oldFile,
                                         const SettingsExtension& extension = {},
                                         const kontakta::ActionsSettings& options = {});

// Saving replaces the user's existing settings file with the live settings
// as the active profile's and the other profiles of the live store, keeping
// what of the old file's tail is not ours (SettingsFileContentForProfiles);
// it never creates the file.
enum class SaveResult {
    Saved,
    FileMissing,     // nothing was written
    FileUnreadable,  // the file is there but could not be read: nothing was written
    NotReplaced,     // the new content could not take the old one's place: the file is as it was
};
SaveResult SaveSettingsFile(SettingsStorage& storage);
// Whether SaveSettingsFile saved. Reports nothing.
bool SaveSettings(SettingsStorage& storage);

}  // namespace kontakta
