#include "sensors/ScanActions.h"

#include <algorithm>

namespace kontakta {

bool ScanViewMailbox::Put(const ScanView& view)
{
    std::lock_guard<std::mutex> guard(lock);
    latest = view;
    const bool post = !pending;
    pending = true;
    return post;
}

ScanView ScanViewMailbox::Take()
{
    std::lock_guard<std::mutex> guard(lock);
    pending = false;
    return latest;
}

ScanActions::Outcome ScanActions::Press(uint64_t pressStart, uint64_t now, const ScanTiming& timing, bool stepping,
                                        bool nextProfile)
{
    lastNow = now;
    if (!scan.Active()) {
        // The monitors are read at each start, so one added or taken away
        // since the last scan counts.
        desktop = device.ReadDesktop();
        scan.Start(now, {desktop, timing, stepping, pollMicroseconds, nextProfile});
        Publish(now);
        return Outcome::None;
    }
    const ScanResult result = scan.Choose(pressStart, now);
    Outcome outcome = Outcome::None;
    switch (result.event) {
    case ScanResult::Event::MenuShown:
        if (result.travel) {
            // The button is held: the pointer travels to the drop point in
            // steps, with the overlay hidden so that every move reaches the
            // windows under it; the menu shows when it has arrived.
            display.HideBeforeInput();
            shown = {};
            travel = DropPath(result.from, result.at);
            travelNext = 0;
            travelDue = now;
            TravelTo(now, false);
        } else {
            device.MoveTo(desktop.Bounds(), result.at);
        }
        break;
    case ScanResult::Event::Perform:
        if (result.item == ScanItem::ReleaseAll) {
            outcome = Outcome::ReleaseAll;
            break;
        }
        if (result.item == ScanItem::NextProfile) {
            // Nothing is sent: the switch lets go of everything held first.
            display.HideBeforeInput();
            shown = {};
            outcome = Outcome::NextProfile;
            break;
        }
        Perform(result);
        break;
    case ScanResult::Event::None:
    case ScanResult::Event::LineStopped:
    case ScanResult::Event::Ended: break;
    }
    Publish(now);
    return outcome;
}

void ScanActions::Perform(const ScanResult& result)
{
    if (result.item == ScanItem::Cancel) return;
    // Hidden first, so that the click, the drag or the notch reaches the
    // window under the crossing and not the overlay.
    display.HideBeforeInput();
    shown = {};
    // A drop before the travel arrived finishes it first.
    if (Travelling()) TravelTo(lastNow, true);
    // The pointer is put on the crossing again: a real mouse or another
    // program may have moved it since the menu opened.
    device.MoveTo(desktop.Bounds(), result.at);
    switch (result.item) {
    case ScanItem::LeftClick:
        buttons.SendMouseButton(MouseFlags::LeftDown);
        buttons.SendMouseButton(MouseFlags::LeftUp);
        break;
    case ScanItem::DoubleClick:
        for (int click = 0; click < 2; ++click) {
            buttons.SendMouseButton(MouseFlags::LeftDown);
            buttons.SendMouseButton(MouseFlags::LeftUp);
        }
        break;
    case ScanItem::RightClick:
        buttons.SendMouseButton(MouseFlags::RightDown);
        buttons.SendMouseButton(MouseFlags::RightUp);
        break;
    case ScanItem::Drag: {
        // Down, then out of the system's drag rectangle, so that Windows and
        // programs see a drag begin; the button stays held until the drop.
        buttons.SendMouseButton(MouseFlags::LeftDown);
        int32_t width = 0, height = 0;
        display.DragSize(result.at, width, height);
        device.MoveTo(desktop.Bounds(), PastDragDistance(desktop, result.at, width, height));
        break;
    }
    case ScanItem::Drop: buttons.SendMouseButton(MouseFlags::LeftUp); break;
    case ScanItem::WheelUp: device.TurnWheel(WheelDirection::Up); break;
    case ScanItem::WheelDown: device.TurnWheel(WheelDirection::Down); break;
    case ScanItem::ReleaseAll:
    case ScanItem::NextProfile:
    case ScanItem::Cancel: break;
    }
}

void ScanActions::Step(uint64_t now)
{
    lastNow = now;
    scan.Step(now);
    Publish(now);
}

void ScanActions::TravelTo(uint64_t now, bool all)
{
    const PixelRect bounds = desktop.Bounds();
    while (Travelling() && (all || travelDue <= now)) {
        device.MoveTo(bounds, travel[travelNext++]);
        travelDue += travelStepMicroseconds;
    }
    if (!Travelling()) {
        travel.clear();
        travelNext = 0;
    }
}

void ScanActions::Advance(uint64_t now, bool pressUnderWay)
{
    lastNow = now;
    if (Travelling()) TravelTo(now, false);
    if (scan.Active()) scan.Advance(now, pressUnderWay);  // an end by itself does nothing
    Publish(now);
}

std::optional<uint64_t> ScanActions::NextDue() const
{
    std::optional<uint64_t> due = scan.NextDue(lastNow);
    if (Travelling()) due = due ? std::min(*due, travelDue) : travelDue;
    return due;
}

void ScanActions::Publish(uint64_t now)
{
    // While the pointer travels the overlay stays hidden.
    if (Travelling()) return;
    ScanView view = scan.View(now);
    if (view == shown) return;
    shown = std::move(view);
    display.Show(shown);
}

void ScanActions::Cancel()
{
    scan.Cancel();
    travel.clear();
    travelNext = 0;
    Publish(lastNow);
}

bool ScanActions::LetGo()
{
    const bool held = scan.LetGo();
    travel.clear();
    travelNext = 0;
    Publish(lastNow);
    return held;
}

void ScanActions::HoldBack()
{
    if (!Active() && !DragHeld()) return;
    if (LetGo()) buttons.SendMouseButton(MouseFlags::LeftUp);
}

}  // namespace kontakta
