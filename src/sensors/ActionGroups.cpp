#include "sensors/ActionGroups.h"

namespace kontakta {

int32_t ActionCount(int32_t group)
{
    switch (group) {
    case int32_t(Group::Mouse): return 7;
    case int32_t(Group::Keyboard):
    case int32_t(Group::RunFile): return 1;
    case int32_t(Group::MovePointer): return pointerDirectionCount;
    case int32_t(Group::Wheel): return wheelDirectionCount;
    case int32_t(Group::Control): return controlActionCount;
    default: return 0;
    }
}

bool MayAct(int32_t group, int32_t action, bool pausedOrSuspended)
{
    if (!pausedOrSuspended) return true;
    return group == int32_t(Group::Control) && action == int32_t(ControlAction::PauseOrResume);
}

}  // namespace kontakta
