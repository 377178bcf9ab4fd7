// The scan's overlay as the polling thread reaches it (kontakta::ScanDisplay)
// on the Win32 side. The overlay's windows belong to the user-interface
// thread, which created them; the polling thread never touches them:
//  - A new view goes into a mailbox (kontakta::ScanViewMailbox) and, when no
//    message is pending yet, one message is posted to the target window. Its
//    handler draws the latest view. The polling thread never waits here, and
//    however busy the user-interface thread is, at most one such message
//    waits in its queue.
//  - Before a click, a drag or a wheel notch the polling thread puts an
//    inactive view into the mailbox (a view still pending then hides too)
//    and sends a hide message with SendMessageTimeout: the handler hides the
//    windows, and the call returns when they are hidden. A thread answers
//    sent messages in every loop that waits for messages (a modal dialog's,
//    a menu's, the stop's MsgWaitForMultipleObjectsEx), so the wait is
//    short; it is bounded (hideTimeoutMilliseconds, and SMTO_ABORTIFHUNG)
//    so that a user-interface thread that does not answer cannot hold the
//    polling up: the windows are transparent to the mouse all the same. The
//    polling thread holds no lock while it waits or sends the input, so a
//    low-level hook of the user-interface thread, which Windows calls from
//    inside SendInput, is never stalled by it.
#pragma once

#include <windows.h>

#include "app/ScanOverlay.h"
#include "sensors/ScanActions.h"

class Win32ScanDisplay : public kontakta::ScanDisplay {
public:
    // The messages the target window hands to OnViewMessage and OnHideMessage.
    static constexpr UINT viewMessage = WM_APP + 3;
    static constexpr UINT hideMessage = WM_APP + 4;
    static constexpr UINT hideTimeoutMilliseconds = 250;

    // `target` gives the window of the user-interface thread that receives
    // the messages (null while there is none: then nothing is drawn).
    explicit Win32ScanDisplay(HWND (*target)()) : target(target) {}

    // The polling thread.
    void Show(const kontakta::ScanView& view) override;
    void HideBeforeInput() override;
    void DragSize(kontakta::Point at, int32_t& width, int32_t& height) override;

    // The user-interface thread, from the target window's procedure.
    void OnViewMessage() { overlay.Show(mailbox.Take()); }
    void OnHideMessage() { overlay.Hide(); }
    // At the shutdown, after the polling has stopped.
    void Destroy() { overlay.Destroy(); }
    const ScanOverlay& Overlay() const { return overlay; }

private:
    // Posts the view message for a view just put.
    void Post();

    HWND (*target)();
    kontakta::ScanViewMailbox mailbox;
    ScanOverlay overlay;  // the user-interface thread's
};
