// libFuzzer target: any bytes as the user's settings file. The loader must
// never crash or read past a field, what it accepts must be in range, and the
// block a save stores differs from the file only where the range check
// corrects it; the profiles it gives the live store keep the store's rules.
// The starting inputs (settings_loader_start_inputs) are files with the
// filters' extension and the actions record, so the fuzzer starts past their
// checksums.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "settings/ActionsRecord.h"
#include "settings/LiveProfiles.h"
#include "settings/SettingsFile.h"

using namespace kontakta;

namespace {

class OneFile : public SettingsStorage {
public:
    OneFile(const uint8_t* data, size_t size) : data(data), size(size) {}
    bool CopyFileOver(const std::u16string&, const std::u16string&) override { return true; }
    ReadResult ReadStart(const std::u16string&, size_t maxBytes, std::vector<uint8_t>& bytes) override
    {
        bytes.assign(data, data + (size < maxBytes ? size : maxBytes));
        return ReadResult::Read;
    }
    bool WriteWhole(const std::u16string&, const std::vector<uint8_t>&, bool) override { return true; }

private:
    const uint8_t* data;
    size_t size;
};

class NoMessages : public MessageSink {
public:
    void ShowMessage(const std::u16string& text) override
    {
        if (text.empty()) std::abort();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ResetSettingsToDefaults();
    OneFile file(data, size);
    NoMessages messages;
    if (!LoadSettings(file, messages)) return 0;
    for (const SensorAction& record : sensorActions.GetAll()) {
        if (record.actionGroup < 0 || record.actionGroup > 2 || record.mouseAction < 0 || record.mouseAction > 6)
            std::abort();
        // Names are looked up by these values; a bad one would index past the tables.
        if (std::char_traits<char16_t>::length(ActionGroupName(record.actionGroup)) == 0) std::abort();
        if (std::char_traits<char16_t>::length(MouseActionName(record.mouseAction)) == 0) std::abort();
        // Every target ends within its field.
        if (FieldLength(record.path, pathLength) >= pathLength) std::abort();
    }
    // The later options are in range; a sensor with a later action is on in
    // memory as the record says, but the block a save stores holds it off.
    const ActionsSettings options = actionOptions.Get();
    if (ClampPointerSpeeds(options.pointer) != options.pointer) std::abort();
    if (ClampWheelTiming(options.wheel) != options.wheel) std::abort();
    for (const SensorExtras& extras : options.sensors) {
        if (extras.group == blockGroup) continue;
        if (extras.group < blockGroupCount || extras.group >= groupCount) std::abort();
        if (extras.action < 0 || extras.action >= ActionCount(extras.group)) std::abort();
    }
    // The live store keeps the store's rules, its active profile is what the
    // live tables hold, and every other profile is in range as well.
    const ProfileStore profiles = CurrentProfiles();
    if (profiles.Count() < 1 || profiles.Count() > maxProfiles || !(profiles.Active().settings == LiveSettings()))
        std::abort();
    if (!ProfileStore::From(profiles.All(), profiles.ActiveIndex())) std::abort();
    for (size_t i = 0; i < profiles.Count(); ++i) {
        if (i == profiles.ActiveIndex()) continue;  // checked above as the live tables
        const Profile& profile = profiles.At(i);
        ProfileSettings checked = profile.settings;
        SanitizeSettings(checked);
        if (!(checked == profile.settings)) std::abort();
    }
    const SettingsBlock block = StoredSettingsBlock(SerializeSettings(), options);
    if (std::memcmp(block.data(), data, size < block.size() ? size : block.size()) != 0 && size >= 8) {
        // Only the checked fields may differ from the file: the groups and
        // mouse actions, and the last unit of a target, which becomes its
        // zero. Everything else comes back as it was read.
        constexpr size_t lastPathUnit = offsetof(SensorAction, path) + 2 * (pathLength - 1);
        for (size_t i = 0; i < (size < block.size() ? size : block.size()); ++i) {
            if (block[i] == data[i]) continue;
            const size_t inRecord = (i - 4) % sizeof(SensorAction);
            const bool cutTarget = (inRecord == lastPathUnit || inRecord == lastPathUnit + 1) && block[i] == 0;
            if (i < 4 || i >= 5028 || ((inRecord < 4 || inRecord >= 12) && !cutTarget)) std::abort();
        }
    }
    return 0;
}
