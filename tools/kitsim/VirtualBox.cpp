#include "VirtualBox.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <string_view>

#include "BoxOperations.h"
#include "KitSimControl.h"
#include "VirtualBoxIds.h"
#include "win/Handle.h"

namespace kitsim {

namespace {

using namespace kitsim::ui;

constexpr uint32_t boxNumber = 1;  // the window works on the first box
constexpr UINT_PTR refreshTimer = 1;
constexpr UINT refreshMilliseconds = 50;
// A delayed press: 3 s after the click, the input is held for a moment. Time
// enough to put the mouse where Kontakta's click should land.
constexpr UINT_PTR delayedPressTimerFirst = 10;    // + input index
constexpr UINT_PTR delayedReleaseTimerFirst = 20;  // + input index
constexpr UINT delayedPressMilliseconds = 3000;
constexpr UINT delayedHoldMilliseconds = 150;

COLORREF Mix(COLORREF a, COLORREF b, int percentOfB)
{
    auto channel = [&](int shift) {
        const int from = (a >> shift) & 0xFF;
        const int to = (b >> shift) & 0xFF;
        return static_cast<COLORREF>(from + (to - from) * percentOfB / 100) << shift;
    };
    return channel(0) | channel(8) | channel(16);
}

class VirtualBox {
public:
    VirtualBox(HINSTANCE instance, Control& control) : instance(instance), control(control) {}
    ~VirtualBox()
    {
        if (window) ::DestroyWindow(window);
        if (placeholder) ::DestroyWindow(placeholder);
    }
    VirtualBox(const VirtualBox&) = delete;
    VirtualBox& operator=(const VirtualBox&) = delete;

    bool Create();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR self);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnControlMessage(HWND child, UINT message, WPARAM wParam, LPARAM lParam);

    void CreateFonts();
    SIZE Layout();
    HWND AddControl(const wchar_t* className, const wchar_t* text, DWORD style, int id, HFONT controlFont,
                    const RECT& bounds, bool interactive);
    int X(int dialogUnits) const { return ::MulDiv(dialogUnits, baseX, 4); }
    int Y(int dialogUnits) const { return ::MulDiv(dialogUnits, baseY, 8); }
    int TextWidth(HFONT textFont, const wchar_t* text) const;
    int CheckWidth(const wchar_t* text) const { return TextWidth(font.Get(), text) + X(14); }

    void OnClick(int id);
    void OnInputDown(int index);
    void OnInputUp(int index);
    void ApplyInput(int index);
    void Refresh();
    void ReleaseWindowHolds(int fromIndex);
    void KeepOnTop();
    void DrawInput(const DRAWITEMSTRUCT& item);
    static void SetCheck(HWND child, bool checked);
    static void SetText(HWND child, const std::wstring& text);

    HINSTANCE instance;
    Control& control;
    HWND window = nullptr;
    // A topmost window that is never shown; see KeepOnTop.
    HWND placeholder = nullptr;
    HWND inputs[inputCount] = {};
    HWND latches[inputCount] = {};
    HWND plugged = nullptr;
    HWND eightInputs = nullptr;
    HWND sixInputs = nullptr;
    HWND readsFail = nullptr;
    HWND delayed = nullptr;
    HWND value = nullptr;
    HWND held = nullptr;
    HWND calls = nullptr;
    win::Font font;
    win::Font numberFont;
    win::Font valueFont;
    int baseX = 6;
    int baseY = 13;

    // What the window itself holds: an input is held while the mouse holds
    // its button or its "halten" box is ticked.
    bool mouseHeld[inputCount] = {};
    bool latched[inputCount] = {};
    bool delayedMode = false;
    bool delayedHeld[inputCount] = {};
    uint32_t shownPressed = 0;  // the input bits as the buttons show them
    HWND tracked = nullptr;     // the check box or radio button the mouse went down on
    const bool underWine = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    HWND lastForeground = nullptr;
    UINT ticksSinceForegroundChange = 0;
    UINT ticksSinceRaise = 0;
};

bool VirtualBox::Create()
{
    WNDCLASSEXW windowClassInfo{};
    windowClassInfo.cbSize = sizeof windowClassInfo;
    windowClassInfo.lpfnWndProc = WindowProc;
    windowClassInfo.hInstance = instance;
    windowClassInfo.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    windowClassInfo.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClassInfo.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClassInfo.lpszClassName = windowClass;
    if (!::RegisterClassExW(&windowClassInfo)) return false;

    // Always on top, and never activated by a click: the window in front
    // keeps the activation and the keyboard focus.
    // Not WS_CLIPCHILDREN: the group boxes do not paint their inside, the
    // window's background must show through them.
    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    constexpr DWORD exStyle = WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    window = ::CreateWindowExW(exStyle, windowClass, windowTitle, style, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100,
                               nullptr, nullptr, instance, this);
    if (!window) return false;
    if (underWine) {
        // Never shown and with no procedure of ours: it only takes a place
        // in the window order (see KeepOnTop).
        placeholder = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"STATIC", L"", WS_POPUP,
                                        0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
    }

    CreateFonts();
    const SIZE client = Layout();
    RECT frame{0, 0, client.cx, client.cy};
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    // Lower right corner of the work area, out of the way of the windows
    // that Kontakta's input goes to.
    RECT work{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int margin = Y(8);
    ::SetWindowPos(window, HWND_TOPMOST, std::max<int>(work.left, work.right - width - margin),
                   std::max<int>(work.top, work.bottom - height - margin), width, height, SWP_NOACTIVATE);

    Refresh();
    ::SetTimer(window, refreshTimer, refreshMilliseconds, nullptr);
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    return true;
}

void VirtualBox::CreateFonts()
{
    // The system's message font, as dialogs use it; it is already scaled for
    // the screen's dots per inch.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW message = metrics.lfMessageFont;
    font.Reset(::CreateFontIndirectW(&message));
    if (!font) font.Reset(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));

    HDC screen = ::GetDC(nullptr);
    {
        win::SelectGuard select(screen, font.Get());
        TEXTMETRICW text{};
        ::GetTextMetricsW(screen, &text);
        // The dialog base units of this font: average width of the Latin
        // letters and the cell height.
        SIZE letters{};
        ::GetTextExtentPoint32W(screen, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
        baseX = std::max<int>(1, (letters.cx / 26 + 1) / 2);
        baseY = std::max<int>(1, text.tmHeight);
    }
    ::ReleaseDC(nullptr, screen);

    LOGFONTW number = message;
    number.lfHeight = message.lfHeight < 0 ? message.lfHeight * 2 : -Y(14);
    number.lfWeight = FW_BOLD;
    numberFont.Reset(::CreateFontIndirectW(&number));
    LOGFONTW bold = message;
    bold.lfWeight = FW_BOLD;
    valueFont.Reset(::CreateFontIndirectW(&bold));
}

int VirtualBox::TextWidth(HFONT textFont, const wchar_t* text) const
{
    HDC screen = ::GetDC(nullptr);
    SIZE size{};
    {
        win::SelectGuard select(screen, textFont);
        ::GetTextExtentPoint32W(screen, text, static_cast<int>(std::wcslen(text)), &size);
    }
    ::ReleaseDC(nullptr, screen);
    return size.cx;
}

HWND VirtualBox::AddControl(const wchar_t* className, const wchar_t* text, DWORD style, int id, HFONT controlFont,
                            const RECT& bounds, bool interactive)
{
    // A group box frames the controls made after it and lies above them in
    // the window order; transparent to the mouse, it never takes a click
    // meant for one of them.
    const bool groupBox = std::wstring_view(className) == WC_BUTTONW && (style & BS_TYPEMASK) == BS_GROUPBOX;
    HWND child = ::CreateWindowExW(groupBox ? WS_EX_TRANSPARENT : 0, className, text, WS_CHILD | WS_VISIBLE | style,
                                   bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                                   window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(controlFont), FALSE);
    if (interactive) ::SetWindowSubclass(child, ControlProc, 0, reinterpret_cast<DWORD_PTR>(this));
    return child;
}

// Creates and places the controls from the font's dialog units; returns the
// client size the window needs.
SIZE VirtualBox::Layout()
{
    const int margin = X(7);
    const int inset = X(8);
    const int groupTop = Y(11);  // from the group box's top to its first row
    const int gap = X(5);
    const int rowHeight = Y(10);

    const int latchWidth = CheckWidth(L"halten");
    // The row of switches below decides the width when it is the wider one;
    // the input buttons then share the room.
    const wchar_t* switchTexts[] = {L"Eingesteckt", L"KT8 (8 Eingänge)", L"KT6 (6 Eingänge)", L"Lesefehler",
                                    L"In 3 s drücken"};
    int switchRowWidth = (static_cast<int>(std::size(switchTexts)) - 1) * gap * 2;
    for (const wchar_t* text : switchTexts) switchRowWidth += CheckWidth(text);
    const int gaps = (static_cast<int>(inputCount) - 1) * gap;
    const int tileWidth = std::max({X(32), latchWidth, (switchRowWidth - gaps) / static_cast<int>(inputCount)});
    const int tileHeight = Y(28);
    const int innerWidth = static_cast<int>(inputCount) * tileWidth + gaps;
    const int groupWidth = innerWidth + 2 * inset;
    const int groupLeft = margin;
    const int innerLeft = groupLeft + inset;

    // Inputs: a row of buttons, each with its "halten" box below it.
    int top = Y(5);
    const int inputsTop = top;
    const int tilesTop = top + groupTop + Y(2);
    const int latchTop = tilesTop + tileHeight + Y(4);
    const int inputsBottom = latchTop + rowHeight + Y(7);
    AddControl(WC_BUTTONW, L"Eingänge", BS_GROUPBOX, -1, font.Get(),
               RECT{groupLeft, inputsTop, groupLeft + groupWidth, inputsBottom}, false);
    for (uint32_t index = 0; index < inputCount; ++index) {
        const int left = innerLeft + static_cast<int>(index) * (tileWidth + gap);
        const wchar_t label[2] = {static_cast<wchar_t>(L'1' + index), 0};
        inputs[index] =
            AddControl(WC_BUTTONW, label, BS_OWNERDRAW, idInputFirst + static_cast<int>(index), numberFont.Get(),
                       RECT{left, tilesTop, left + tileWidth, tilesTop + tileHeight}, true);
        const int latchLeft = left + (tileWidth - latchWidth) / 2;
        latches[index] =
            AddControl(WC_BUTTONW, L"halten", BS_CHECKBOX, idLatchFirst + static_cast<int>(index), font.Get(),
                       RECT{latchLeft, latchTop, latchLeft + latchWidth, latchTop + rowHeight}, true);
    }

    // The box: plugged, kind, failing reads, spread over one row.
    top = inputsBottom + Y(5);
    const int boxTop = top;
    const int rowTop = top + groupTop + Y(3);
    const int boxBottom = rowTop + rowHeight + Y(8);
    AddControl(WC_BUTTONW, L"Box", BS_GROUPBOX, -1, font.Get(),
               RECT{groupLeft, boxTop, groupLeft + groupWidth, boxBottom}, false);
    struct Switch {
        const wchar_t* text;
        DWORD style;
        int id;
        HWND* handle;
    };
    const Switch switches[] = {
        {L"Eingesteckt", BS_CHECKBOX, idPlugged, &plugged},
        {L"KT8 (8 Eingänge)", BS_RADIOBUTTON, idEightInputs, &eightInputs},
        {L"KT6 (6 Eingänge)", BS_RADIOBUTTON, idSixInputs, &sixInputs},
        {L"Lesefehler", BS_CHECKBOX, idReadsFail, &readsFail},
        {L"In 3 s drücken", BS_CHECKBOX, idDelayed, &delayed},
    };
    int switchesWidth = 0;
    for (const Switch& item : switches) switchesWidth += CheckWidth(item.text);
    const int spacing = std::max(gap, (innerWidth - switchesWidth) / (static_cast<int>(std::size(switches)) - 1));
    int left = innerLeft;
    for (const Switch& item : switches) {
        const int width = CheckWidth(item.text);
        *item.handle = AddControl(WC_BUTTONW, item.text, item.style, item.id, font.Get(),
                                  RECT{left, rowTop, left + width, rowTop + rowHeight}, true);
        left += width + spacing;
    }

    // What a read gives now, and what the kit was asked so far.
    top = boxBottom + Y(5);
    const int stateTop = top;
    const wchar_t* labels[] = {L"Eingangswert:", L"Gehalten:", L"Kit-Aufrufe:"};
    HWND* fields[] = {&value, &held, &calls};
    const int fieldIds[] = {idValue, idHeld, idCalls};
    int labelWidth = 0;
    for (const wchar_t* label : labels) labelWidth = std::max(labelWidth, TextWidth(font.Get(), label));
    labelWidth += X(6);
    const int lineHeight = Y(11);
    const int linesTop = top + groupTop + Y(2);
    const int stateBottom = linesTop + 3 * lineHeight + Y(5);
    AddControl(WC_BUTTONW, L"Anzeige", BS_GROUPBOX, -1, font.Get(),
               RECT{groupLeft, stateTop, groupLeft + groupWidth, stateBottom}, false);
    for (int line = 0; line < 3; ++line) {
        const int lineTop = linesTop + line * lineHeight;
        AddControl(WC_STATICW, labels[line], SS_LEFT | SS_NOPREFIX, -1, font.Get(),
                   RECT{innerLeft, lineTop, innerLeft + labelWidth, lineTop + rowHeight}, false);
        *fields[line] =
            AddControl(WC_STATICW, L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, fieldIds[line],
                       line == 0 ? valueFont.Get() : font.Get(),
                       RECT{innerLeft + labelWidth, lineTop, innerLeft + innerWidth, lineTop + rowHeight}, false);
    }

    return SIZE{groupLeft + groupWidth + margin, stateBottom + Y(7)};
}

LRESULT CALLBACK VirtualBox::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<VirtualBox*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<VirtualBox*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self->OnMessage(message, wParam, lParam);
}

LRESULT VirtualBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEACTIVATE:
        // A click must not activate this window: the window in front keeps
        // the keyboard focus.
        return MA_NOACTIVATE;
    case WM_TIMER:
        if (wParam == refreshTimer) {
            KeepOnTop();
            Refresh();
        } else if (wParam >= delayedPressTimerFirst && wParam < delayedPressTimerFirst + inputCount) {
            const int index = static_cast<int>(wParam - delayedPressTimerFirst);
            ::KillTimer(window, wParam);
            delayedHeld[index] = true;
            ApplyInput(index);
            ::SetTimer(window, delayedReleaseTimerFirst + index, delayedHoldMilliseconds, nullptr);
        } else if (wParam >= delayedReleaseTimerFirst && wParam < delayedReleaseTimerFirst + inputCount) {
            const int index = static_cast<int>(wParam - delayedReleaseTimerFirst);
            ::KillTimer(window, wParam);
            delayedHeld[index] = false;
            ApplyInput(index);
        }
        return 0;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.CtlID >= idInputFirst && item.CtlID < idInputFirst + inputCount) {
            DrawInput(item);
            return TRUE;
        }
        break;
    }
    case WM_CLOSE: ::DestroyWindow(window); return 0;
    case WM_DESTROY:
        ::KillTimer(window, refreshTimer);
        ReleaseWindowHolds(0);
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Mouse clicks on the controls are handled here instead of by the buttons
// themselves, because a button takes the keyboard focus when clicked, and
// that would activate this window.
LRESULT CALLBACK VirtualBox::ControlProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self)
{
    return reinterpret_cast<VirtualBox*>(self)->OnControlMessage(child, message, wParam, lParam);
}

LRESULT VirtualBox::OnControlMessage(HWND child, UINT message, WPARAM wParam, LPARAM lParam)
{
    const int id = ::GetDlgCtrlID(child);
    const bool isInput = id >= idInputFirst && id < idInputFirst + static_cast<int>(inputCount);
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!::IsWindowEnabled(child)) return 0;
        ::SetCapture(child);
        if (isInput) {
            OnInputDown(id - idInputFirst);
        } else {
            tracked = child;
            ::SendMessageW(child, BM_SETSTATE, TRUE, 0);
        }
        return 0;
    case WM_LBUTTONUP:
        if (isInput) {
            OnInputUp(id - idInputFirst);
        } else if (tracked == child) {
            tracked = nullptr;
            ::SendMessageW(child, BM_SETSTATE, FALSE, 0);
            RECT bounds;
            ::GetClientRect(child, &bounds);
            const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (::PtInRect(&bounds, point)) OnClick(id);
        }
        if (::GetCapture() == child) ::ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED:
        // The mouse was taken away (another window, a message box): what the
        // mouse held is let go.
        if (isInput) OnInputUp(id - idInputFirst);
        if (tracked == child) {
            tracked = nullptr;
            ::SendMessageW(child, BM_SETSTATE, FALSE, 0);
        }
        return 0;
    case WM_SETFOCUS:
    case WM_KEYDOWN:
    case WM_KEYUP:
        // The window never has the keyboard; nothing to do with keys.
        return 0;
    case WM_NCDESTROY: ::RemoveWindowSubclass(child, ControlProc, 0); break;
    }
    return ::DefSubclassProc(child, message, wParam, lParam);
}

void VirtualBox::OnInputDown(int index)
{
    if (delayedMode) {
        // The press comes later, wherever the mouse is by then.
        ::SetTimer(window, delayedPressTimerFirst + index, delayedPressMilliseconds, nullptr);
        return;
    }
    if (mouseHeld[index]) return;
    mouseHeld[index] = true;
    ApplyInput(index);
}

void VirtualBox::OnInputUp(int index)
{
    if (!mouseHeld[index]) return;
    mouseHeld[index] = false;
    ApplyInput(index);
}

// Writes what the window holds of input `index` to the box and shows it.
void VirtualBox::ApplyInput(int index)
{
    const bool hold = mouseHeld[index] || latched[index] || delayedHeld[index];
    SetInputHeld(control, boxNumber, static_cast<uint32_t>(index) + 1, hold);
    ::InvalidateRect(inputs[index], nullptr, FALSE);
    Refresh();
}

void VirtualBox::OnClick(int id)
{
    Device& box = control.devices[boxNumber - 1];
    if (id >= idLatchFirst && id < idLatchFirst + static_cast<int>(inputCount)) {
        const int index = id - idLatchFirst;
        latched[index] = !latched[index];
        SetCheck(latches[index], latched[index]);
        ApplyInput(index);
        return;
    }
    switch (id) {
    case idPlugged: SetPlugged(control, !control.plugged.load()); break;
    case idEightInputs: box.idCode.store(idCodeEightInputs); break;
    case idSixInputs: box.idCode.store(idCodeSixInputs); break;
    case idReadsFail: box.readsFail.store(box.readsFail.load() ? 0 : 1); break;
    case idDelayed:
        delayedMode = !delayedMode;
        SetCheck(delayed, delayedMode);
        break;
    }
    Refresh();
}

// Lets go what the window holds from input `fromIndex` on.
void VirtualBox::ReleaseWindowHolds(int fromIndex)
{
    for (int index = fromIndex; index < static_cast<int>(inputCount); ++index) {
        if (!mouseHeld[index] && !latched[index] && !delayedHeld[index]) continue;
        mouseHeld[index] = false;
        latched[index] = false;
        delayedHeld[index] = false;
        SetInputHeld(control, boxNumber, static_cast<uint32_t>(index) + 1, false);
        if (latches[index] && ::IsWindow(latches[index])) {
            SetCheck(latches[index], false);
            ::InvalidateRect(inputs[index], nullptr, FALSE);
        }
    }
}

// Wine's virtual desktop can draw a window that comes to the front over a
// topmost window although the window order says otherwise, a little after it
// became the foreground window or when it is clicked. A real change of the
// window order makes Wine stack this window on top again; asking for the top
// of the topmost band while it is already there changes nothing and is
// skipped. So the placeholder, a topmost window that is never shown, goes to
// the top of the band first and this window then goes above it.
// This window never leaves the topmost band meanwhile: another process that
// looks at its style (WS_EX_TOPMOST) at any moment sees it topmost, which a
// HWND_NOTOPMOST/HWND_TOPMOST pair would not let it.
// Windows keeps topmost windows on top by itself, so this runs only under
// Wine: soon after the foreground changed, and once a second.
void VirtualBox::KeepOnTop()
{
    if (!underWine || !placeholder) return;
    const HWND foreground = ::GetForegroundWindow();
    if (foreground != lastForeground) {
        lastForeground = foreground;
        ticksSinceForegroundChange = 0;
    } else if (ticksSinceForegroundChange < 1000) {
        ++ticksSinceForegroundChange;
    }
    ++ticksSinceRaise;
    const UINT ticksPerSecond = 1000 / refreshMilliseconds;
    const bool soonAfterChange = ticksSinceForegroundChange == 1 || ticksSinceForegroundChange == 5;
    if (!soonAfterChange && ticksSinceRaise < ticksPerSecond) return;
    ticksSinceRaise = 0;
    constexpr UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    ::SetWindowPos(placeholder, HWND_TOPMOST, 0, 0, 0, 0, flags);
    ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, flags);
}

// Brings the controls in line with the shared control; changes made by the
// command line, a test or another window show up here.
void VirtualBox::Refresh()
{
    const Device& box = control.devices[boxNumber - 1];
    const bool isPlugged = control.plugged.load() != 0;
    const uint32_t idCode = box.idCode.load();
    const bool sixInputKind = idCode == idCodeSixInputs;

    // The six-input box has no inputs 7 and 8.
    const int usable = sixInputKind ? 6 : static_cast<int>(inputCount);
    if (sixInputKind) ReleaseWindowHolds(usable);
    for (int index = 0; index < static_cast<int>(inputCount); ++index) {
        const BOOL enable = index < usable;
        if (!::IsWindowEnabled(inputs[index]) != !enable) {
            ::EnableWindow(inputs[index], enable);
            ::EnableWindow(latches[index], enable);
        }
    }

    uint32_t pressed = box.pressed.load();
    // A latched input that was let go elsewhere is no longer latched.
    for (int index = 0; index < static_cast<int>(inputCount); ++index) {
        if (latched[index] && !mouseHeld[index] && !(pressed & (1u << index))) {
            latched[index] = false;
            SetCheck(latches[index], false);
            ::InvalidateRect(inputs[index], nullptr, FALSE);
        }
    }
    for (int index = 0; index < static_cast<int>(inputCount); ++index) {
        const uint32_t bit = 1u << index;
        if ((pressed ^ shownPressed) & bit) ::InvalidateRect(inputs[index], nullptr, FALSE);
    }
    shownPressed = pressed;

    SetCheck(plugged, isPlugged);
    SetCheck(eightInputs, idCode == idCodeEightInputs);
    SetCheck(sixInputs, sixInputKind);
    SetCheck(readsFail, box.readsFail.load() != 0);

    std::wstring valueText;
    uint32_t inputValue = 0;
    if (!isPlugged)
        valueText = L"– (ausgesteckt)";
    else if (PresentDeviceCount(control) < boxNumber)
        valueText = L"– (keine Box)";
    else if (box.readsFail.load())
        valueText = L"– (Lesefehler)";
    else if (CurrentInputValue(control, boxNumber, inputValue)) {
        wchar_t buffer[16];
        std::swprintf(buffer, 16, L"0x%08X", inputValue);
        valueText = buffer;
    }
    SetText(value, valueText);
    const std::wstring heldText = HeldInputsText(pressed);
    SetText(held, heldText.empty() ? L"keine" : heldText);
    SetText(calls, std::to_wstring(control.opens.load()) + L" geöffnet · " + std::to_wstring(control.reads.load()) +
                       L" gelesen (" + std::to_wstring(control.failedReads.load()) + L" fehlgeschlagen) · " +
                       std::to_wstring(control.writes.load()) + L" geschrieben");
}

void VirtualBox::SetCheck(HWND child, bool checked)
{
    const WPARAM state = checked ? BST_CHECKED : BST_UNCHECKED;
    if (static_cast<WPARAM>(::SendMessageW(child, BM_GETCHECK, 0, 0)) != state)
        ::SendMessageW(child, BM_SETCHECK, state, 0);
}

void VirtualBox::SetText(HWND child, const std::wstring& text)
{
    wchar_t current[256];
    ::GetWindowTextW(child, current, 256);
    if (text != current) ::SetWindowTextW(child, text.c_str());
}

// An input button: a rounded tile with its number, filled in the highlight
// colour while the input is held (by the mouse, the "halten" box or anyone
// else), with a dot in the corner while it is latched.
void VirtualBox::DrawInput(const DRAWITEMSTRUCT& item)
{
    const int index = static_cast<int>(item.CtlID) - idInputFirst;
    const RECT bounds = item.rcItem;
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    const bool enabled = !(item.itemState & ODS_DISABLED);
    const bool isHeld = enabled && ((shownPressed >> index) & 1u);

    // Drawn off screen first, so the tile does not flicker at 20 updates a
    // second.
    HDC dc = ::CreateCompatibleDC(item.hDC);
    win::Bitmap bitmap(::CreateCompatibleBitmap(item.hDC, width, height));
    {
        win::SelectGuard selectBitmap(dc, bitmap.Get());
        RECT area{0, 0, width, height};
        ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_BTNFACE));

        const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
        COLORREF face = ::GetSysColor(COLOR_WINDOW);
        COLORREF border = ::GetSysColor(COLOR_BTNSHADOW);
        COLORREF text = ::GetSysColor(COLOR_WINDOWTEXT);
        if (!enabled) {
            face = ::GetSysColor(COLOR_BTNFACE);
            border = Mix(::GetSysColor(COLOR_BTNSHADOW), face, 50);
            text = ::GetSysColor(COLOR_GRAYTEXT);
        } else if (isHeld) {
            face = mouseHeld[index] ? Mix(highlight, RGB(0, 0, 0), 15) : highlight;
            border = Mix(highlight, RGB(0, 0, 0), 35);
            text = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
        }
        const int line = std::max(1, X(1) / 2);
        const int radius = X(6);
        win::Brush faceBrush(::CreateSolidBrush(face));
        HPEN pen = ::CreatePen(PS_SOLID, line, border);
        {
            win::SelectGuard selectPen(dc, pen);
            win::SelectGuard selectBrush(dc, faceBrush.Get());
            ::RoundRect(dc, line / 2, line / 2, width - (line + 1) / 2 + 1, height - (line + 1) / 2 + 1, radius,
                        radius);
        }
        ::DeleteObject(pen);

        if (latched[index] && enabled) {
            const int size = std::max(4, X(4));
            const int inset = X(3);
            win::Brush dotBrush(::CreateSolidBrush(isHeld ? text : highlight));
            win::SelectGuard selectBrush(dc, dotBrush.Get());
            win::SelectGuard selectPen(dc, ::GetStockObject(NULL_PEN));
            ::Ellipse(dc, width - inset - size, inset, width - inset + 1, inset + size + 1);
        }

        win::SelectGuard selectFont(dc, numberFont.Get());
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, text);
        const wchar_t label[2] = {static_cast<wchar_t>(L'1' + index), 0};
        ::DrawTextW(dc, label, 1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);

        ::BitBlt(item.hDC, bounds.left, bounds.top, width, height, dc, 0, 0, SRCCOPY);
    }
    ::DeleteDC(dc);
}

}  // namespace

int RunVirtualBox(HINSTANCE instance)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    // The window holds the shared control open for as long as it runs.
    Control* control = OpenControl();
    if (!control) {
        ::MessageBoxW(nullptr, L"Die gemeinsame Steuerung der virtuellen Eingabebox ließ sich nicht öffnen.",
                      windowTitle, MB_ICONERROR | MB_OK);
        return 1;
    }
    VirtualBox box(instance, *control);
    if (!box.Create()) return 1;
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace kitsim
