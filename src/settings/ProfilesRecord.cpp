#include "settings/ProfilesRecord.h"

#include <algorithm>
#include <cstring>

#include "settings/ActionsRecord.h"
#include "settings/LittleEndian.h"

namespace kontakta {

namespace {

constexpr uint8_t magic[4] = {'K', 'T', 'X', 'P'};
constexpr size_t filtersRecordSize = settingsExtensionHeaderSize + sensorCount * 4;
constexpr size_t actionsRecordSize = actionsRecordHeaderSize + actionsRecordPayloadSize;
static_assert(profileSettingsSize == 4 + sizeof(SensorActions) + filtersRecordSize + actionsRecordSize);
static_assert(profileSettingsSizeWithoutScan == 4 + sizeof(SensorActions) + filtersRecordSize +
                                                    actionsRecordHeaderSize + actionsRecordPayloadSizeWithoutScan);

using namespace little;

bool StartsWith(const uint8_t* bytes, size_t length, const char* tag)
{
    return bytes && length >= 4 && std::memcmp(bytes, tag, 4) == 0;
}

void PutText(std::vector<uint8_t>& bytes, const std::u16string& text)
{
    Put8(bytes, uint32_t(text.size()));
    for (char16_t unit : text) Put16(bytes, unit);
}

// A text of 1 to `maximum` units at `offset`.
std::optional<std::u16string> ReadText(const uint8_t* bytes, size_t length, size_t& offset, size_t maximum)
{
    if (offset >= length) return std::nullopt;
    const size_t units = bytes[offset];
    if (units == 0 || units > maximum || length - offset - 1 < units * 2) return std::nullopt;
    std::u16string text;
    for (size_t i = 0; i < units; ++i) text.push_back(char16_t(Get16(bytes + offset + 1 + i * 2)));
    offset += 1 + units * 2;
    return text;
}

void AppendSettings(std::vector<uint8_t>& bytes, const ProfileSettings& settings)
{
    Put8(bytes, settings.pressSound ? 1 : 0);
    Put8(bytes, 0);
    Put16(bytes, 0);
    for (size_t i = 0; i < settings.records.size(); ++i) {
        const SensorAction stored = StoredBlockRecord(settings.records[i], settings.actions.sensors[i]);
        const uint8_t* raw = reinterpret_cast<const uint8_t*>(&stored);
        bytes.insert(bytes.end(), raw, raw + sizeof stored);
    }
    SettingsExtension filters;
    filters.filters = settings.filters;
    const std::vector<uint8_t> encodedFilters = EncodeSettingsExtension(filters);
    bytes.insert(bytes.end(), encodedFilters.begin(), encodedFilters.end());
    const std::vector<uint8_t> actions = EncodeActionsRecordAlways(settings.actions, settings.records);
    bytes.insert(bytes.end(), actions.begin(), actions.end());
}

// The settings at `bytes`, of `length` bytes at most; `size` is set to the
// bytes they take (the actions' record says its own length).
std::optional<ProfileSettings> ReadSettings(const uint8_t* bytes, size_t length, size_t& size)
{
    if (length < profileSettingsSizeWithoutScan) return std::nullopt;
    ProfileSettings settings;
    settings.pressSound = bytes[0] != 0;
    std::memcpy(settings.records.data(), bytes + 4, sizeof(SensorActions));
    for (SensorAction& record : settings.records) SanitizeRecord(record);
    const uint8_t* filtersAt = bytes + 4 + sizeof(SensorActions);
    const std::optional<SettingsExtension> filters = DecodeSettingsExtension(filtersAt, filtersRecordSize);
    const uint8_t* actionsAt = filtersAt + filtersRecordSize;
    const size_t actionsRoom = std::min(length - size_t(actionsAt - bytes), actionsRecordSize);
    const std::optional<DecodedActions> actions = DecodeActionsRecord(actionsAt, actionsRoom);
    if (!filters || !actions) return std::nullopt;
    size = size_t(actionsAt - bytes) + ActionsRecordExtent(actionsAt, actionsRoom);
    settings.filters = filters->filters;
    settings.actions = ApplyActionsRecord(actions, settings.records);
    return settings;
}

uint32_t BlockChecksum(const SettingsBlock& block)
{
    return Crc32(block.data(), block.size());
}

}  // namespace

void AppendProfileEntry(std::vector<uint8_t>& bytes, const Profile& profile, bool withSettings)
{
    PutText(bytes, profile.name);
    Put8(bytes, uint32_t(profile.programs.size()));
    for (const std::u16string& program : profile.programs) PutText(bytes, program);
    Put8(bytes, withSettings ? 1 : 0);
    if (withSettings) AppendSettings(bytes, profile.settings);
}

std::optional<Profile> ReadProfileEntry(const uint8_t* bytes, size_t length, size_t& offset, bool& hasSettings)
{
    size_t at = offset;
    Profile profile;
    const std::optional<std::u16string> name = ReadText(bytes, length, at, maxProfileNameLength);
    if (!name || CheckProfileName(*name) != ProfileResult::Done) return std::nullopt;
    profile.name = *name;
    if (at >= length || bytes[at] > maxProgramsPerProfile) return std::nullopt;
    const size_t programs = bytes[at++];
    for (size_t i = 0; i < programs; ++i) {
        const std::optional<std::u16string> program = ReadText(bytes, length, at, maxProgramNameLength);
        if (!program || CheckProgramName(*program) != ProfileResult::Done) return std::nullopt;
        profile.programs.push_back(*program);
    }
    if (at >= length || bytes[at] > 1) return std::nullopt;
    hasSettings = bytes[at++] == 1;
    if (hasSettings) {
        size_t size = 0;
        const std::optional<ProfileSettings> settings = ReadSettings(bytes + at, length - at, size);
        if (!settings) return std::nullopt;
        profile.settings = *settings;
        at += size;
    }
    offset = at;
    return profile;
}

SettingsBlock BlockOfSettings(const ProfileSettings& settings)
{
    SettingsBlock block{};
    block[0] = settings.pressSound ? 1 : 0;
    for (size_t i = 0; i < settings.records.size(); ++i) {
        const SensorAction stored = StoredBlockRecord(settings.records[i], settings.actions.sensors[i]);
        std::memcpy(block.data() + 4 + i * sizeof stored, &stored, sizeof stored);
    }
    block[settingsVersionOffset] = uint8_t(currentSettingsVersion);
    return block;
}

std::vector<uint8_t> EncodeProfilesRecord(const ProfileStore& store, const SettingsBlock& block)
{
    if (store.Count() == 1 && store.Active().name == standardProfileName && store.Active().programs.empty()) return {};
    std::vector<uint8_t> payload;
    Put32(payload, BlockChecksum(block));
    Put8(payload, uint32_t(store.Count()));
    Put8(payload, uint32_t(store.ActiveIndex()));
    Put16(payload, 0);
    for (size_t i = 0; i < store.Count(); ++i) AppendProfileEntry(payload, store.At(i), i != store.ActiveIndex());
    std::vector<uint8_t> bytes(magic, magic + sizeof magic);
    Put16(bytes, profilesRecordVersion);
    Put16(bytes, 0);
    Put32(bytes, uint32_t(payload.size()));
    Put32(bytes, Crc32(payload.data(), payload.size()));
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

std::optional<DecodedProfiles> DecodeProfilesRecord(const uint8_t* bytes, size_t length)
{
    if (length < profilesRecordHeaderSize || !StartsWith(bytes, length, "KTXP")) return std::nullopt;
    if (Get16(bytes + 4) != profilesRecordVersion) return std::nullopt;
    const uint32_t payloadLength = Get32(bytes + 8);
    if (payloadLength < 8 || payloadLength > maxProfilesRecordSize || length - profilesRecordHeaderSize < payloadLength)
        return std::nullopt;
    const uint8_t* payload = bytes + profilesRecordHeaderSize;
    if (Crc32(payload, payloadLength) != Get32(bytes + 12)) return std::nullopt;
    DecodedProfiles decoded;
    decoded.blockChecksum = Get32(payload);
    const size_t count = payload[4];
    decoded.active = payload[5];
    if (count == 0 || count > maxProfiles || decoded.active >= count) return std::nullopt;
    size_t offset = 8;
    for (size_t i = 0; i < count; ++i) {
        bool hasSettings = false;
        std::optional<Profile> profile = ReadProfileEntry(payload, payloadLength, offset, hasSettings);
        // Every profile but the active one brings its settings.
        if (!profile || hasSettings == (i == decoded.active)) return std::nullopt;
        decoded.profiles.push_back(std::move(*profile));
    }
    if (offset != payloadLength) return std::nullopt;
    // Names unique regardless of case, programs valid: the store's rules.
    if (!ProfileStore::From(decoded.profiles, decoded.active)) return std::nullopt;
    return decoded;
}

size_t ProfilesRecordOffset(const uint8_t* tail, size_t length)
{
    if (!tail) return 0;
    size_t offset = std::min(length, ExtensionExtent(tail, length));
    offset += std::min(length - offset, ActionsRecordExtent(tail + offset, length - offset));
    return offset;
}

std::optional<DecodedProfiles> DecodeProfilesRecordInTail(const uint8_t* tail, size_t length)
{
    if (!tail) return std::nullopt;
    const size_t offset = ProfilesRecordOffset(tail, length);
    return DecodeProfilesRecord(tail + offset, length - offset);
}

LoadedProfiles LoadProfiles(const std::optional<DecodedProfiles>& decoded, const ProfileSettings& active,
                            const SettingsBlock& block)
{
    if (decoded) {
        std::vector<Profile> profiles = decoded->profiles;
        profiles[decoded->active].settings = active;
        if (std::optional<ProfileStore> store = ProfileStore::From(std::move(profiles), decoded->active))
            return {std::move(*store), decoded->blockChecksum != BlockChecksum(block), true};
    }
    return {ProfileStore(active), false, false};
}

bool MayWriteProfilesRecord(const uint8_t* bytes, size_t length)
{
    if (length == 0) return true;
    if (!StartsWith(bytes, length, "KTXP")) return false;
    return length < 6 || Get16(bytes + 4) <= profilesRecordVersion;
}

size_t ProfilesRecordExtent(const uint8_t* bytes, size_t length)
{
    if (!StartsWith(bytes, length, "KTXP")) return 0;
    if (length < profilesRecordHeaderSize) return length;
    const uint64_t extent = uint64_t(profilesRecordHeaderSize) + Get32(bytes + 8);
    return extent < length ? size_t(extent) : length;
}

std::vector<uint8_t> SettingsFileContentForProfiles(const ProfileStore& store, const std::vector<uint8_t>& oldFile)
{
    const ProfileSettings& active = store.Active().settings;
    const SettingsBlock block = BlockOfSettings(active);
    std::vector<uint8_t> content(block.begin(), block.end());
    const uint8_t* tail = oldFile.size() > block.size() ? oldFile.data() + block.size() : nullptr;
    const size_t tailLength = tail ? oldFile.size() - block.size() : 0;
    const auto append = [&content](const uint8_t* from, size_t length) {
        if (from && length) content.insert(content.end(), from, from + length);
    };
    // A tail that is not ours, or a later filters' record: kept as it is.
    if (!MayWriteSettingsExtension(tail, tailLength)) {
        append(tail, tailLength);
        return content;
    }
    SettingsExtension filters;
    filters.filters = active.filters;
    const size_t filtersExtent = std::min(tailLength, ExtensionExtent(tail, tailLength));
    const uint8_t* rest = tail ? tail + filtersExtent : nullptr;
    const size_t restLength = tailLength - filtersExtent;

    // The actions' slot: ours, a later one (kept), or foreign bytes (kept,
    // and nothing of ours after the filters' record).
    const bool actionsThere = StartsWith(rest, restLength, "KTXA");
    if (restLength && !actionsThere && !StartsWith(rest, restLength, "KTXP")) {
        const std::vector<uint8_t> encodedFilters = EncodeSettingsExtension(filters);
        append(encodedFilters.data(), encodedFilters.size());
        append(rest, restLength);
        return content;
    }
    const bool actionsLater = actionsThere && !MayWriteActionsRecord(rest, restLength);
    const size_t actionsExtent = actionsThere ? std::min(restLength, ActionsRecordExtent(rest, restLength)) : 0;
    const uint8_t* after = rest ? rest + actionsExtent : nullptr;
    const size_t afterLength = restLength - actionsExtent;

    // The profiles' slot: ours of a version we know is replaced; a later one
    // or foreign bytes stay, and ours is not written.
    const bool profilesOurs = MayWriteProfilesRecord(after, afterLength);
    const size_t profilesExtent = profilesOurs ? std::min(afterLength, ProfilesRecordExtent(after, afterLength)) : 0;
    const std::vector<uint8_t> profilesRecord =
        profilesOurs ? EncodeProfilesRecord(store, block) : std::vector<uint8_t>{};
    const uint8_t* kept = after ? after + profilesExtent : nullptr;
    const size_t keptLength = afterLength - profilesExtent;

    std::vector<uint8_t> actionsRecord;
    if (actionsLater)
        actionsRecord.assign(rest, rest + actionsExtent);
    else if (!profilesRecord.empty() || keptLength)
        actionsRecord = EncodeActionsRecordAlways(active.actions, active.records);
    else
        actionsRecord = EncodeActionsRecord(active.actions, active.records);

    const bool anythingFollows = !actionsRecord.empty() || !profilesRecord.empty() || keptLength;
    if (tailLength == 0 && !anythingFollows && filters.filters == SettingsExtension{}.filters) return content;
    const std::vector<uint8_t> encodedFilters = EncodeSettingsExtension(filters);
    append(encodedFilters.data(), encodedFilters.size());
    append(actionsRecord.data(), actionsRecord.size());
    append(profilesRecord.data(), profilesRecord.size());
    append(kept, keptLength);
    return content;
}

}  // namespace kontakta
