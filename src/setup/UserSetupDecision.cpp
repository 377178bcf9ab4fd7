#include "setup/UserSetupDecision.h"

namespace usersetup {

bool ProgramFindsValue(const StoredValue& value)
{
    constexpr uint32_t programBuffer = 255;
    if (!value.exists || value.bytes > programBuffer) return false;
    switch (static_cast<ValueType>(value.type)) {
    case ValueType::String:
    case ValueType::ExpandString:
        return true;
    case ValueType::Number:
        return value.bytes == 4;
    default:
        return false;
    }
}

UpdateCodeChange DecideUpdateCode(SettingsFile settingsFile, bool programFindsUpdateCode)
{
    switch (settingsFile) {
    case SettingsFile::Missing:
        return UpdateCodeChange::WriteOne;
    case SettingsFile::Present:
        return programFindsUpdateCode ? UpdateCodeChange::Leave : UpdateCodeChange::WriteZero;
    case SettingsFile::Unknown:
        break;
    }
    return UpdateCodeChange::GiveUp;
}

}  // namespace usersetup
