#include "settings/Profiles.h"

#include <algorithm>
#include <cstring>

#include "sensors/ActionGroups.h"

namespace kontakta {

static_assert(nextProfileControlAction == int32_t(ControlAction::NextProfile));

namespace {

char16_t FoldUnit(char16_t c)
{
    if (c >= u'A' && c <= u'Z') return char16_t(c + 32);
    if (c < 0xC0) return c;
    if (c <= 0xDE && c != 0xD7) return char16_t(c + 32);   // Latin-1 capitals, not the multiplication sign
    if (c >= 0x100 && c <= 0x137) return char16_t(c | 1);  // Latin Extended-A: capital even, small odd
    if (c >= 0x139 && c <= 0x148) return char16_t((c & 1) ? c + 1 : c);
    if (c >= 0x14A && c <= 0x177) return char16_t(c | 1);
    if (c == 0x178) return 0xFF;
    if (c >= 0x179 && c <= 0x17E) return char16_t((c & 1) ? c + 1 : c);
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return char16_t(c + 32);  // Greek
    if (c >= 0x410 && c <= 0x42F) return char16_t(c + 32);                // Cyrillic
    if (c >= 0x400 && c <= 0x40F) return char16_t(c + 80);
    return c;
}

bool IsControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

bool RecordsEqual(const SensorActions& a, const SensorActions& b)
{
    return std::memcmp(a.data(), b.data(), sizeof(SensorActions)) == 0;
}

}  // namespace

bool operator==(const ProfileSettings& a, const ProfileSettings& b)
{
    return a.pressSound == b.pressSound && RecordsEqual(a.records, b.records) && a.filters == b.filters &&
           a.actions == b.actions;
}

std::u16string FoldCase(const std::u16string& text)
{
    std::u16string folded = text;
    for (char16_t& c : folded) c = FoldUnit(c);
    return folded;
}

bool EqualIgnoringCase(const std::u16string& a, const std::u16string& b)
{
    return a.size() == b.size() && FoldCase(a) == FoldCase(b);
}

ProfileResult CheckProfileName(const std::u16string& name)
{
    if (name.find_first_not_of(u' ') == std::u16string::npos) return ProfileResult::NameEmpty;
    if (name.size() > maxProfileNameLength) return ProfileResult::NameTooLong;
    if (std::any_of(name.begin(), name.end(), IsControl)) return ProfileResult::NameControlCharacter;
    return ProfileResult::Done;
}

ProfileResult CheckProgramName(const std::u16string& exe)
{
    if (exe.empty() || exe.size() > maxProgramNameLength || exe.find_first_not_of(u' ') == std::u16string::npos)
        return ProfileResult::ProgramInvalid;
    for (char16_t c : exe)
        if (IsControl(c) || c == u'\\' || c == u'/' || c == u':') return ProfileResult::ProgramInvalid;
    return ProfileResult::Done;
}

std::u16string ProgramFileName(const std::u16string& path)
{
    const size_t slash = path.find_last_of(u"\\/:");
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

bool SanitizeRecord(SensorAction& record)
{
    bool changed = ClampSensorAction(record);
    // As the loader does: a field without its zero ends at its last unit.
    if (FieldLength(record.path, pathLength) == pathLength) {
        record.path[pathLength - 1] = u'\0';
        changed = true;
    }
    if (FieldLength(record.keyText, keyTextLength) == keyTextLength) {
        record.keyText[keyTextLength - 1] = u'\0';
        changed = true;
    }
    return changed;
}

void SanitizeSettings(ProfileSettings& settings)
{
    for (SensorAction& record : settings.records) SanitizeRecord(record);
    for (FilterTimes& times : settings.filters) times = ClampFilterTimes(times);
    settings.actions.pointer = ClampPointerSpeeds(settings.actions.pointer);
    settings.actions.wheel = ClampWheelTiming(settings.actions.wheel);
    settings.actions.scan = ClampScanTiming(settings.actions.scan);
}

ProfileStore::ProfileStore(const ProfileSettings& settings)
{
    profiles.push_back({standardProfileName, settings, {}});
    ids.push_back(nextId++);
}

std::optional<ProfileStore> ProfileStore::From(std::vector<Profile> given, size_t activeIndex)
{
    if (given.empty() || given.size() > maxProfiles || activeIndex >= given.size()) return std::nullopt;
    ProfileStore store;
    store.profiles.clear();
    store.ids.clear();
    for (Profile& profile : given) {
        if (store.CheckName(profile.name) != ProfileResult::Done) return std::nullopt;
        if (store.CheckPrograms(profile.programs) != ProfileResult::Done) return std::nullopt;
        store.profiles.push_back(std::move(profile));
        store.ids.push_back(store.nextId++);
    }
    store.active = activeIndex;
    return store;
}

std::optional<size_t> ProfileStore::IndexOfId(uint32_t id) const
{
    const auto found = std::find(ids.begin(), ids.end(), id);
    if (id == 0 || found == ids.end()) return std::nullopt;
    return size_t(found - ids.begin());
}

std::optional<size_t> ProfileStore::IndexOfName(const std::u16string& name) const
{
    for (size_t i = 0; i < profiles.size(); ++i)
        if (EqualIgnoringCase(profiles[i].name, name)) return i;
    return std::nullopt;
}

ProfileResult ProfileStore::CheckName(const std::u16string& name, size_t index) const
{
    const ProfileResult rules = CheckProfileName(name);
    if (rules != ProfileResult::Done) return rules;
    const std::optional<size_t> holder = IndexOfName(name);
    return holder && *holder != index ? ProfileResult::NameTaken : ProfileResult::Done;
}

ProfileResult ProfileStore::CheckPrograms(const std::vector<std::u16string>& programs) const
{
    if (programs.size() > maxProgramsPerProfile) return ProfileResult::TooManyPrograms;
    for (size_t i = 0; i < programs.size(); ++i) {
        if (CheckProgramName(programs[i]) != ProfileResult::Done) return ProfileResult::ProgramInvalid;
        for (size_t j = 0; j < i; ++j)
            if (EqualIgnoringCase(programs[i], programs[j])) return ProfileResult::ProgramRepeated;
    }
    return ProfileResult::Done;
}

ProfileResult ProfileStore::New(const std::u16string& name)
{
    Profile copy{name, Active().settings, {}};
    return Add(std::move(copy));
}

ProfileResult ProfileStore::Add(Profile profile)
{
    if (profiles.size() >= maxProfiles) return ProfileResult::TooManyProfiles;
    const ProfileResult name = CheckName(profile.name);
    if (name != ProfileResult::Done) return name;
    const ProfileResult programs = CheckPrograms(profile.programs);
    if (programs != ProfileResult::Done) return programs;
    profiles.push_back(std::move(profile));
    ids.push_back(nextId++);
    return ProfileResult::Done;
}

ProfileResult ProfileStore::Replace(size_t index, Profile profile)
{
    if (index >= profiles.size()) return ProfileResult::NoSuchProfile;
    const ProfileResult name = CheckName(profile.name, index);
    if (name != ProfileResult::Done) return name;
    const ProfileResult programs = CheckPrograms(profile.programs);
    if (programs != ProfileResult::Done) return programs;
    profiles[index] = std::move(profile);
    return ProfileResult::Done;
}

ProfileResult ProfileStore::Rename(size_t index, const std::u16string& name)
{
    if (index >= profiles.size()) return ProfileResult::NoSuchProfile;
    const ProfileResult check = CheckName(name, index);
    if (check != ProfileResult::Done) return check;
    profiles[index].name = name;
    return ProfileResult::Done;
}

ProfileResult ProfileStore::Delete(size_t index)
{
    if (index >= profiles.size()) return ProfileResult::NoSuchProfile;
    if (profiles.size() == 1) return ProfileResult::LastProfile;
    profiles.erase(profiles.begin() + std::ptrdiff_t(index));
    ids.erase(ids.begin() + std::ptrdiff_t(index));
    if (active > index || active == profiles.size()) --active;
    return ProfileResult::Done;
}

ProfileResult ProfileStore::MoveUp(size_t index)
{
    if (index >= profiles.size()) return ProfileResult::NoSuchProfile;
    if (index == 0) return ProfileResult::AlreadyFirst;
    std::swap(profiles[index], profiles[index - 1]);
    std::swap(ids[index], ids[index - 1]);
    if (active == index)
        active = index - 1;
    else if (active == index - 1)
        active = index;
    return ProfileResult::Done;
}

ProfileResult ProfileStore::MoveDown(size_t index)
{
    if (index >= profiles.size()) return ProfileResult::NoSuchProfile;
    if (index + 1 == profiles.size()) return ProfileResult::AlreadyLast;
    return MoveUp(index + 1);
}

ProfileResult ProfileStore::Activate(size_t index)
{
    if (index >= profiles.size()) return ProfileResult::NoSuchProfile;
    active = index;
    return ProfileResult::Done;
}

ProfileResult ProfileStore::SetPrograms(size_t index, std::vector<std::u16string> programs)
{
    if (index >= profiles.size()) return ProfileResult::NoSuchProfile;
    const ProfileResult check = CheckPrograms(programs);
    if (check != ProfileResult::Done) return check;
    profiles[index].programs = std::move(programs);
    return ProfileResult::Done;
}

std::optional<size_t> ProfileStore::ProfileForProgram(const std::u16string& exe) const
{
    const std::u16string name = ProgramFileName(exe);
    if (name.empty()) return std::nullopt;
    for (size_t i = 0; i < profiles.size(); ++i)
        for (const std::u16string& program : profiles[i].programs)
            if (EqualIgnoringCase(program, name)) return i;
    return std::nullopt;
}

ProgramRuleState AfterManualSwitch(ProgramRuleState state)
{
    state.returnTo = 0;
    state.manualWins = true;
    return state;
}

ProgramRuleDecision DecideProgramProfile(const ProfileStore& store, const ProgramRuleState& state,
                                         const std::u16string& exe, bool busy, bool sheetOpen)
{
    ProgramRuleDecision decision;
    decision.state = state;
    const std::u16string foreground = FoldCase(ProgramFileName(exe));
    if (foreground != state.foreground) {
        // A manual switch wins only until the foreground changes again.
        decision.state.foreground = foreground;
        decision.state.manualWins = false;
    }
    if (decision.state.manualWins) return decision;

    const size_t active = store.ActiveIndex();
    if (const std::optional<size_t> program = store.ProfileForProgram(foreground)) {
        // Its profile is active already: a return still due stays due.
        if (*program == active) return decision;
        if (busy || sheetOpen) {
            decision.waiting = true;
            return decision;
        }
        decision.activate = program;
        // From one program's profile to another's: back to the one before both.
        if (!store.IndexOfId(decision.state.returnTo)) decision.state.returnTo = store.IdAt(active);
        return decision;
    }
    // None of the programs named: back to the profile active before the rule
    // switched, if there is one and it is still there.
    const std::optional<size_t> back = store.IndexOfId(decision.state.returnTo);
    if (!back || *back == active) {
        decision.state.returnTo = 0;
        return decision;
    }
    if (busy || sheetOpen) {
        decision.waiting = true;
        return decision;
    }
    decision.activate = back;
    decision.state.returnTo = 0;
    return decision;
}

bool CanStepOn(const ProfileSettings& profile)
{
    for (size_t i = 0; i < profile.records.size(); ++i) {
        const SensorExtras& extras = profile.actions.sensors[i];
        if (profile.records[i].enabled && extras.group == int32_t(Group::Control) &&
            extras.action == nextProfileControlAction)
            return true;
    }
    return false;
}

std::vector<bool> ProfileTraps(const ProfileStore& store, bool (*canStepOn)(const Profile&))
{
    const size_t count = store.Count();
    std::vector<bool> traps(count, false);
    if (count < 2) return traps;
    const auto stepsOn = [&](size_t index) {
        const Profile& profile = store.At(index);
        return CanStepOn(profile.settings) || (canStepOn && canStepOn(profile));
    };
    // The only way in by stepping is from the profile before it, round.
    for (size_t i = 0; i < count; ++i) traps[i] = !stepsOn(i) && stepsOn((i + count - 1) % count);
    return traps;
}

}  // namespace kontakta
