#include "settings/CSettingsControl.h"

#include "res/resource.h"
#include "sensors/SensorAction.h"

CSettingsControl::CSettingsControl() : win::Dialog(IDD_HIDDEN_WINDOW)
{
    ResetSettingsToDefaults();
}
