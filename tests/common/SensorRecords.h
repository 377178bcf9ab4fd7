// Sensor records as the tests need them, for the native and the Windows tests.
#pragma once

#include "sensors/SensorAction.h"

inline SensorAction MouseRecord(MouseActionKind kind)
{
    SensorAction record = DefaultSensorAction(1);
    record.mouseAction = int32_t(kind);
    return record;
}

inline SensorAction KeyRecord(uint8_t key, bool ctrl, bool shift, bool alt, bool autoRepeat)
{
    SensorAction record = DefaultSensorAction(1);
    record.actionGroup = int32_t(ActionGroup::Keyboard);
    record.virtualKey = key;
    record.ctrl = ctrl;
    record.shift = shift;
    record.alt = alt;
    record.autoRepeat = autoRepeat;
    return record;
}
