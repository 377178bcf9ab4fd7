#include "sensors/SensorAction.h"

#include "texts/Texts.h"

using namespace kontakta;

constinit SensorActionTable sensorActions;
constinit std::atomic<int32_t> beepOnPress{1};
constinit std::atomic<int32_t> settingsVersion{currentSettingsVersion};
constinit std::atomic<bool> readFailed{true};
constinit std::atomic<bool> startupPending{true};

const char16_t* const (&actionGroupNames)[actionGroupCount] = texts::actionGroupNames;
const char16_t* const (&mouseActionNames)[mouseActionCount] = texts::mouseActionNames;

std::mutex& SensorActionTable::Lock()
{
    static std::mutex lock;
    return lock;
}

SensorAction SensorActionTable::Get(int index) const
{
    if (index < 0 || index >= sensorCount) return DefaultSensorAction(0);
    std::lock_guard<std::mutex> guard(Lock());
    return records[static_cast<size_t>(index)];
}

void SensorActionTable::Set(int index, const SensorAction& record)
{
    if (index < 0 || index >= sensorCount) return;
    std::lock_guard<std::mutex> guard(Lock());
    records[static_cast<size_t>(index)] = record;
}

SensorActions SensorActionTable::GetAll() const
{
    std::lock_guard<std::mutex> guard(Lock());
    return records;
}

void SensorActionTable::SetAll(const SensorActions& newRecords)
{
    std::lock_guard<std::mutex> guard(Lock());
    records = newRecords;
}

void ResetSettingsToDefaults()
{
    beepOnPress = 1;
    settingsVersion = currentSettingsVersion;
    sensorActions.SetAll(DefaultSensorActions());
}

bool ClampSensorAction(SensorAction& record)
{
    bool changed = false;
    if (record.actionGroup < 0 || record.actionGroup >= actionGroupCount) {
        record.actionGroup = static_cast<int32_t>(ActionGroup::Mouse);
        changed = true;
    }
    if (record.mouseAction < 0 || record.mouseAction >= mouseActionCount) {
        record.mouseAction = static_cast<int32_t>(MouseActionKind::LeftPressRelease);
        changed = true;
    }
    return changed;
}

const char16_t* ActionGroupName(int32_t group)
{
    return group >= 0 && group < actionGroupCount ? actionGroupNames[group] : u"";
}

const char16_t* MouseActionName(int32_t kind)
{
    return kind >= 0 && kind < mouseActionCount ? mouseActionNames[kind] : u"";
}

size_t FieldLength(const char16_t* field, size_t width)
{
    size_t length = 0;
    while (length < width && field[length] != u'\0') ++length;
    return length;
}
