// The scan in the running program: the polling thread drives a
// kontakta::Scan (sensors/Scan.h) with the presses of the scan and step
// sensors and its own clock, hands each new view to the overlay, and
// performs the chosen item through the pointer and the held buttons.
//
// The overlay lives on the user-interface thread (its windows belong to the
// thread that created them), so the polling thread reaches it only through
// ScanDisplay: a view is handed over without waiting, and before a click, a
// drag or a wheel notch the overlay is hidden with a bounded wait for the
// user-interface thread's answer, with no lock held, so that the input
// reaches the window under the crossing.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "sensors/ActionServices.h"
#include "sensors/PointerServices.h"
#include "sensors/Scan.h"

namespace kontakta {

// The overlay as the polling thread sees it.
class ScanDisplay {
public:
    virtual ~ScanDisplay() = default;
    // Hands `view` over to be drawn and returns at once: it never waits for
    // the user-interface thread. An inactive view hides the overlay.
    virtual void Show(const ScanView& view) = 0;
    // Hides the overlay before input is sent and returns once it is hidden,
    // or after a bounded time when the user-interface thread does not answer
    // (the overlay's windows let the input through all the same). Called
    // with no lock held.
    virtual void HideBeforeInput() = 0;
    // The system's drag rectangle (SM_CXDRAG x SM_CYDRAG) at `at`, in
    // physical pixels.
    virtual void DragSize(Point at, int32_t& width, int32_t& height) = 0;
};

// The hand-over of views between the two threads, with at most one message
// pending: the polling thread puts the latest view, and posts a message only
// when none is pending; the user-interface thread takes the latest view when
// the message arrives. Views put in between replace each other, so a busy
// user-interface thread draws the newest one and its queue never fills.
class ScanViewMailbox {
public:
    // True when the caller must post the message (none was pending).
    bool Put(const ScanView& view);
    // On the message: the latest view; the next Put posts again.
    ScanView Take();

private:
    std::mutex lock;
    ScanView latest;
    bool pending = false;
};

class ScanActions {
public:
    // A drag's travel to the drop point: one step this often.
    static constexpr uint64_t travelStepMicroseconds = 8'000;

    // `buttons` is the program's HeldInputs, so that a held drag's button is
    // let go with everything else; `pollMicroseconds` the poller's period.
    ScanActions(PointerDevice& device, InputSink& buttons, ScanDisplay& display, uint64_t pollMicroseconds)
        : device(device), buttons(buttons), display(display), pollMicroseconds(pollMicroseconds)
    {
    }

    // What the poller is to do after a press.
    enum class Outcome {
        None,
        ReleaseAll,   // "Alle Tasten loslassen" was chosen: let go of everything
        NextProfile,  // "Nächstes Profil" was chosen: the profile after the active one
    };

    // A counted press of a scan sensor ("Bildschirm abtasten") at `now`,
    // begun at `pressStart` (microseconds): without a scan it starts one on
    // the monitors as they are now; during one it chooses.
    // `nextProfile`: the menu offers "Nächstes Profil".
    Outcome Press(uint64_t pressStart, uint64_t now, const ScanTiming& timing, bool stepping, bool nextProfile = false);
    // A counted press of a step sensor ("Abtasten: weiter").
    void Step(uint64_t now);
    // Each cycle and each wake for the scan: the drag's travel, the scan's
    // own end, and the view. `pressUnderWay`: a scan sensor is down and its
    // hold time still runs.
    void Advance(uint64_t now, bool pressUnderWay);
    // When Advance is next needed; nothing while no scan runs and nothing
    // travels, so an idle poll does not wake for the scan.
    std::optional<uint64_t> NextDue() const;

    bool Active() const { return scan.Active() || Travelling(); }
    bool DragHeld() const { return scan.DragHeld(); }

    // Ends a running scan at once, and nothing happens (monitors changed);
    // a held drag stays held.
    void Cancel();
    // Everything is let go (box loss, pause, lock, "Alle Tasten loslassen",
    // exit): ends a running scan and forgets a held drag, whose button the
    // caller's release of everything lets go. True if a drag was held.
    bool LetGo();
    // The actions are held back (the test page's suspension, the pause):
    // ends a running scan and lets go of a held drag's button itself.
    void HoldBack();

private:
    bool Travelling() const { return travelNext < travel.size(); }
    // Sends the travel's steps that are due at `now` (all of them with `all`).
    void TravelTo(uint64_t now, bool all);
    void Perform(const ScanResult& result);
    // Hands the view of `now` over when it changed.
    void Publish(uint64_t now);

    PointerDevice& device;
    InputSink& buttons;
    ScanDisplay& display;
    const uint64_t pollMicroseconds;
    Scan scan;
    Desktop desktop;  // the monitors the running scan was started on
    ScanView shown;   // the view handed over last
    // A drag's travel to the drop point, while the next scan's menu opens:
    // the positions, the next one to send, and when.
    std::vector<Point> travel;
    size_t travelNext = 0;
    uint64_t travelDue = 0;
    uint64_t lastNow = 0;
};

}  // namespace kontakta
