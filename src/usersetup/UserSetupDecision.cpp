#include "usersetup/UserSetupDecision.h"

namespace usersetup {

UpdateCodeChange DecideUpdateCode(SettingsFile settingsFile, bool programFindsUpdateCode)
{
    switch (settingsFile) {
    case SettingsFile::Missing: return UpdateCodeChange::WriteOne;
    case SettingsFile::Present: return programFindsUpdateCode ? UpdateCodeChange::Leave : UpdateCodeChange::WriteZero;
    case SettingsFile::Unknown: break;
    }
    return UpdateCodeChange::GiveUp;
}

PrepareWhom DecideWhomToPrepare(DesktopUser desktop)
{
    switch (desktop) {
    case DesktopUser::NoShell:
    case DesktopUser::Same: return PrepareWhom::ThisUser;
    case DesktopUser::Other: return PrepareWhom::DesktopUser;
    case DesktopUser::Unreadable: break;
    }
    return PrepareWhom::Nobody;
}

}  // namespace usersetup
