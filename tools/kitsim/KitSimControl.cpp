#include "KitSimControl.h"

namespace kitsim {

// The block is shared between processes: only lock-free atomics work there.
static_assert(std::atomic<uint32_t>::is_always_lock_free);

namespace {

// Serial numbers of the simulated boxes: device n gets "0000123n+3", so the
// first box has the serial "00001234".
void WriteSerial(Device& device, uint32_t index)
{
    const wchar_t text[] = L"00001234";
    for (int i = 0; i < 8; ++i) device.serial[i] = text[i];
    device.serial[7] = static_cast<wchar_t>(L'4' + index);
    device.serial[8] = 0;
}

Control* MapControl()
{
    // Named in the session's namespace; everything of one user (Kontakta,
    // the virtual input box, the tests) sees the same block. The block lives
    // while any process holds it open.
    HANDLE mapping = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                          static_cast<DWORD>(sizeof(Control)), mappingName);
    if (!mapping) return nullptr;
    const bool created = ::GetLastError() != ERROR_ALREADY_EXISTS;
    void* view = ::MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Control));
    if (!view) {
        ::CloseHandle(mapping);
        return nullptr;
    }
    // The mapping handle stays open (and the view mapped) for the life of the
    // process: closing it could take the block down while others use it.
    auto* control = static_cast<Control*>(view);
    if (created) {
        // A new mapping is zero-filled; the atomics are lock-free, so their
        // zero bytes are valid values.
        ResetControl(*control);
        control->magic.store(controlMagic);
        return control;
    }
    // Another process created it and may be filling it in just now.
    for (int waited = 0; waited < 100 && control->magic.load() != controlMagic; ++waited) ::Sleep(10);
    if (control->magic.load() != controlMagic) {
        // Its creator died half-way; finish the job.
        ResetControl(*control);
        control->magic.store(controlMagic);
    }
    return control;
}

}  // namespace

Control* OpenControl()
{
    static Control* const control = MapControl();
    return control;
}

void ResetControl(Control& control)
{
    // The devices first counted as gone, so a reader never sees a device
    // whose serial is half written.
    control.plugged.store(0);
    control.deviceCount.store(0);
    for (uint32_t index = 0; index < maxDevices; ++index) {
        Device& device = control.devices[index];
        device.productId.store(boxProductId);
        device.idCode.store(idCodeEightInputs);
        device.pressed.store(0);
        device.readsFail.store(0);
        device.rawOverride.store(0);
        device.rawValue.store(0);
        WriteSerial(device, index);
    }
    control.opens.store(0);
    control.closes.store(0);
    control.reads.store(0);
    control.failedReads.store(0);
    control.writes.store(0);
    control.callsOnReleasedHandles.store(0);
    control.readDelayMicroseconds.store(0);
    for (CallRecord& record : control.callLog) {
        record.sequence.store(0);
        record.kind.store(0);
        record.device.store(0);
        record.argument.store(0);
        record.length.store(0);
        record.bytes.store(0);
        record.result.store(0);
    }
    control.callLogNext.store(0);
    control.deviceCount.store(1);
    control.plugged.store(1);
}

}  // namespace kitsim
