#include "ui/ProfileEditing.h"

#include <string_view>

#include "sensors/ActionGroups.h"
#include "texts/Texts.h"

namespace kontakta {

ProfileEditing::ProfileEditing(ProfileStore now) : working(std::move(now))
{
    liveId = working.IdAt(working.ActiveIndex());
}

ProfileResult ProfileEditing::Done(ProfileResult result)
{
    if (result == ProfileResult::Done) changed = true;
    return result;
}

void ProfileEditing::TakeLiveSettings(const ProfileSettings& live)
{
    const std::optional<size_t> index = LiveIndex();
    if (!index || liveReplaced) return;
    Profile profile = working.At(*index);
    profile.settings = live;
    working.Replace(*index, std::move(profile));  // its own name and programs: never refused
}

ProfileResult ProfileEditing::New(const std::u16string& name)
{
    return Done(working.New(name));
}

ProfileResult ProfileEditing::Rename(size_t index, const std::u16string& name)
{
    if (index < working.Count() && working.At(index).name == name) return ProfileResult::Done;
    return Done(working.Rename(index, name));
}

ProfileResult ProfileEditing::Delete(size_t index)
{
    return Done(working.Delete(index));
}

ProfileResult ProfileEditing::MoveUp(size_t index)
{
    return Done(working.MoveUp(index));
}

ProfileResult ProfileEditing::MoveDown(size_t index)
{
    return Done(working.MoveDown(index));
}

ProfileResult ProfileEditing::Activate(size_t index)
{
    if (index == working.ActiveIndex()) return ProfileResult::Done;
    return Done(working.Activate(index));
}

ProfileResult ProfileEditing::SetPrograms(size_t index, std::vector<std::u16string> programs)
{
    if (index < working.Count() && working.At(index).programs == programs) return ProfileResult::Done;
    return Done(working.SetPrograms(index, std::move(programs)));
}

ImportOutcome ProfileEditing::Import(const std::vector<Profile>& imported, const std::vector<bool>& chosen)
{
    const std::optional<size_t> live = LiveIndex();
    bool replacesLive = false;
    for (size_t i = 0; i < imported.size() && i < chosen.size(); ++i)
        if (chosen[i] && live && working.IndexOfName(imported[i].name) == live) replacesLive = true;
    const ImportOutcome outcome = ApplyImport(working, imported, chosen);
    if (outcome.result == ProfileResult::Done) {
        changed = true;
        if (replacesLive) liveReplaced = true;
    }
    return outcome;
}

ProfileStore ProfileEditing::ForOk(const ProfileSettings& live) const
{
    ProfileEditing copy = *this;
    copy.TakeLiveSettings(live);
    return copy.working;
}

ProfileButtons ButtonsFor(const ProfileStore& store, std::optional<size_t> selected)
{
    ProfileButtons buttons;
    buttons.newOne = store.Count() < maxProfiles;
    if (!selected || *selected >= store.Count()) return buttons;
    const size_t index = *selected;
    buttons.rename = true;
    buttons.remove = store.Count() > 1;
    buttons.up = index > 0;
    buttons.down = index + 1 < store.Count();
    buttons.activate = index != store.ActiveIndex();
    buttons.programs = true;
    return buttons;
}

bool StepsOnByScanMenu(const Profile& profile)
{
    const ProfileSettings& settings = profile.settings;
    for (size_t i = 0; i < settings.records.size(); ++i) {
        const SensorExtras& extras = settings.actions.sensors[i];
        if (settings.records[i].enabled && extras.group == int32_t(Group::Control) &&
            extras.action == int32_t(ControlAction::ScanScreen))
            return true;
    }
    return false;
}

std::vector<std::u16string> ProfileListLines(const ProfileStore& store)
{
    const std::vector<bool> traps = ProfileTraps(store, StepsOnByScanMenu);
    std::vector<std::u16string> lines;
    for (size_t i = 0; i < store.Count(); ++i) {
        std::u16string line = store.At(i).name;
        if (i == store.ActiveIndex()) line += texts::profileActiveMark;
        if (traps[i]) line += texts::profileTrapMark;
        lines.push_back(std::move(line));
    }
    return lines;
}

std::u16string TrapWarningFor(const ProfileStore& store)
{
    const std::vector<bool> traps = ProfileTraps(store, StepsOnByScanMenu);
    std::u16string names;
    size_t count = 0;
    for (size_t i = 0; i < traps.size(); ++i) {
        if (!traps[i]) continue;
        if (count++) names += u", ";
        names += texts::Quoted(store.At(i).name);
    }
    return count ? texts::ProfileTrapWarning(names, count > 1) : std::u16string();
}

std::u16string LiveNoteFor(const ProfileEditing& editing)
{
    const ProfileStore& working = editing.Working();
    const std::optional<size_t> live = editing.LiveIndex();
    // A deleted live profile still acts until OK; its name is the copy's no more.
    const std::u16string activeName = working.Active().name;
    if (!live) return texts::ProfileLiveNoteDeleted(activeName);
    if (editing.LiveReplaced()) return texts::ProfileLiveNoteReplaced(working.At(*live).name, activeName);
    return texts::ProfileLiveNote(working.At(*live).name, activeName, editing.Changed());
}

std::u16string SuggestedProfileName(const ProfileStore& store)
{
    for (int number = int(store.Count()) + 1;; ++number) {
        std::u16string name = texts::SuggestedProfileName(number);
        if (!store.IndexOfName(name)) return name;
    }
}

std::u16string SuggestedExportFileName(const ProfileStore& store, std::optional<size_t> only)
{
    std::u16string name = only && *only < store.Count() ? store.At(*only).name : texts::allProfilesFileName;
    for (char16_t& c : name)
        if (c < 0x20 || std::u16string_view(u"<>:\"/\\|?*").find(c) != std::u16string_view::npos) c = u'_';
    // A name that Windows would cut (trailing dots and spaces).
    while (!name.empty() && (name.back() == u'.' || name.back() == u' ')) name.pop_back();
    if (name.empty()) name = texts::allProfilesFileName;
    return name + exportFileExtension;
}

std::vector<std::u16string> ParseProgramList(const std::u16string& text)
{
    std::vector<std::u16string> programs;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string::npos) end = text.size();
        std::u16string line = text.substr(start, end - start);
        const size_t first = line.find_first_not_of(u" \t");
        if (first != std::u16string::npos) {
            line = line.substr(first, line.find_last_not_of(u" \t") - first + 1);
            programs.push_back(ProgramFileName(line));
        }
        start = end + 1;
    }
    return programs;
}

std::u16string ProgramListText(const std::vector<std::u16string>& programs)
{
    std::u16string text;
    for (const std::u16string& program : programs) {
        if (!text.empty()) text += u"\r\n";
        text += program;
    }
    return text;
}

std::vector<std::u16string> ImportLines(const ImportPlan& plan, const std::vector<Profile>& imported)
{
    std::vector<std::u16string> lines;
    for (size_t i = 0; i < imported.size() && i < plan.steps.size(); ++i)
        lines.push_back(plan.steps[i].replaces ? texts::ImportReplacesLine(imported[i].name)
                                               : texts::ImportNewLine(imported[i].name));
    return lines;
}

std::u16string ImportTargetsText(const ImportReading& reading)
{
    if (reading.targets.empty()) return texts::importNoTargets;
    std::u16string text;
    for (const RunTarget& target : reading.targets) {
        if (target.profile >= reading.profiles.size()) continue;
        if (!text.empty()) text += u"\r\n";
        text +=
            texts::ImportTargetLine(reading.profiles[target.profile].name, target.sensor, target.path, target.active);
    }
    return text;
}

std::u16string ImportNoteFor(const ImportPlan& plan)
{
    return plan.needsChoice ? texts::ImportChooseNote(plan.resultingCount, maxProfiles) : texts::importPlainNote;
}

size_t CountAfterImport(const ImportPlan& plan, const ProfileStore& store, const std::vector<bool>& chosen)
{
    size_t count = store.Count();
    for (size_t i = 0; i < plan.steps.size() && i < chosen.size(); ++i)
        if (chosen[i] && !plan.steps[i].replaces) ++count;
    return count;
}

bool ImportChoiceAllowed(const ImportPlan& plan, const ProfileStore& store, const std::vector<bool>& chosen)
{
    if (chosen.size() != plan.steps.size()) return false;
    bool any = false;
    for (bool one : chosen) any = any || one;
    return any && CountAfterImport(plan, store, chosen) <= maxProfiles;
}

}  // namespace kontakta
