// Helpers of the Windows tests: a foreground target window that records the
// input it receives, message pumping, and small file and registry helpers.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// Milliseconds from an arbitrary start, with sub-millisecond resolution.
double NowMilliseconds();

// Dispatches the calling thread's messages for `milliseconds`.
void Pump(DWORD milliseconds);

// Dispatches messages until `done` returns true or `timeoutMilliseconds`
// passes. Returns what `done` returned last.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMilliseconds);

struct ReceivedInput {
    UINT message;  // WM_LBUTTONDOWN, WM_KEYDOWN, ...
    WPARAM key;    // virtual key for key messages, the wheel delta (16 bits) for wheel messages
    double time;   // NowMilliseconds() when it arrived
};

// A plain top-level window in the foreground with the cursor over its middle.
// It records the mouse button and key messages that reach it.
class TargetWindow {
public:
    TargetWindow();
    ~TargetWindow();
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;

    HWND Handle() const { return window; }
    // Brings the window to the front, gives it the focus and puts the cursor
    // over it. Returns false if it did not become the foreground window.
    bool Activate();
    const std::vector<ReceivedInput>& Received() const { return received; }
    void Clear() { received.clear(); }
    std::vector<UINT> Messages() const;
    // "LDOWN LUP", "KD 12 KD 41 KU 12 KU 41": compact, for comparisons.
    std::string Describe() const;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window = nullptr;
    std::vector<ReceivedInput> received;
};

// Puts the cursor at `to` and waits until it stays there. Returns false if it
// would not.
bool MoveCursor(POINT to);

// The directory of the running test program, with a trailing backslash.
std::wstring ProgramDirectory();
// A fresh empty directory under the temporary folder.
std::wstring MakeTempDirectory(const std::wstring& name);
bool FileExists(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

// Title, class and process of a window, for diagnostics.
std::string WindowDescription(HWND window);
// Title and class of the foreground and the focus window, for diagnostics.
std::string ForegroundDescription();

// Text of the first visible top-level window with this title and of its child
// control `controlId`; empty if there is none.
HWND FindVisibleWindow(const std::wstring& title);

}  // namespace testsupport
